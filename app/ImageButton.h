#pragma once
// Image buttons: a picture control, a transparent label of the same bounds on top that takes
// the mouse, and an image list of three pictures (normal, pressed, under the mouse or active).
#include "Pictures.h"
#include <QObject>
#include <QVector>
#include <functional>

class QLabel;
class QWidget;

namespace qv {

class TImageList : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    QVector<QPixmap> pictures;
};

struct ImageButton {
    QLabel* image = nullptr;
    QLabel* label = nullptr;
    TImageList* list = nullptr;

    /// @brief Shows picture index of the list (kPictureNormal, kPicturePressed, kPictureHover).
    void showPicture(int index) const;

    /// @brief Gives the button its mouse behaviour: picture 2 under the mouse, 0 when it leaves,
    /// 1 while pressed and 0 again on release (a button without a release handler keeps 1 until
    /// the mouse leaves); click runs on a release inside. While locked() is true the button
    /// ignores the mouse (a step button of the current mode).
    void setBehaviour(std::function<void()> click, bool releaseHandler = true,
                      std::function<bool()> locked = {}) const;
};

struct ImageButtonNames {
    const char* label;
    const char* image;
    const char* list;
};

/// @brief Builds a button in parent at rect; draw makes the picture of each state. The label's
/// accessible name is its caption, else its hint.
ImageButton makeImageButton(QWidget* parent, const ImageButtonNames& names, const QRect& rect,
                            const QString& hint, const std::function<QPixmap(PictureState)>& draw,
                            const QString& caption = QString());

} // namespace qv
