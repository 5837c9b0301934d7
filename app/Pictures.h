#pragma once
// The artwork of the image buttons and the top menu, drawn at start instead of shipped as files.
#include <QPixmap>
#include <QString>

namespace qv {

/// Picture indices of an image button's list.
enum PictureState { kPictureNormal = 0, kPicturePressed = 1, kPictureHover = 2 };

/// @brief A step button of the top bar: number badge and caption.
QPixmap drawStepPicture(int number, const QString& caption, QSize size, PictureState state);
/// @brief A button of the bottom link bar.
QPixmap drawLinkPicture(const QString& caption, QSize size, PictureState state);
/// @brief A book-type card of the top menu.
QPixmap drawBookPicture(const QString& name, QSize size, PictureState state);
/// @brief The full-size background of the top menu.
QPixmap drawTitlePicture(QSize size);

} // namespace qv
