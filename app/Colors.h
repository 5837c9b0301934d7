#pragma once
// The main window's colour scheme and fonts.
#include <QColor>
#include <QString>
#include <cstdint>

class QWidget;

namespace qv {

inline const QString kMainFontName = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kBusyFontName = QStringLiteral("ＭＳ ゴシック");
constexpr int kMainFontPixels = 12;
constexpr int kBusyFontPixels = 17;

inline const QColor kCream(255, 251, 240);
inline const QColor kToolGrey(201, 201, 201);
inline const QColor kPhotoFrameGrey(200, 200, 200);
inline const QColor kDimText(128, 128, 128);

/// @brief A 0x00BBGGRR colour of the book model as a QColor.
inline QColor toQColor(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }
/// @brief Paints a control's background (and a scroll area's viewport) in one colour.
void setBackground(QWidget* w, const QColor& c);
/// @brief Sets the colour of a control's text.
void setFontColor(QWidget* w, const QColor& c);
/// @brief Applies the scheme to the named controls below the main window; names that no
/// control carries yet are skipped.
void applyColorScheme(QWidget* form);

} // namespace qv
