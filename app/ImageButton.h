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
};

struct ImageButtonNames {
    const char* label;
    const char* image;
    const char* list;
};

/// @brief Builds a button in parent at rect; draw makes the picture of each state.
ImageButton makeImageButton(QWidget* parent, const ImageButtonNames& names, const QRect& rect,
                            const QString& hint, const std::function<QPixmap(PictureState)>& draw);

} // namespace qv
