#include "ImageButton.h"
#include <QLabel>

namespace qv {

void ImageButton::showPicture(int index) const
{
    if (index >= 0 && index < list->pictures.size())
        image->setPixmap(list->pictures.at(index));
}

ImageButton makeImageButton(QWidget* parent, const ImageButtonNames& names, const QRect& rect,
                            const QString& hint, const std::function<QPixmap(PictureState)>& draw)
{
    ImageButton b;
    b.list = new TImageList(parent);
    b.list->setObjectName(QLatin1String(names.list));
    for (PictureState s : {kPictureNormal, kPicturePressed, kPictureHover})
        b.list->pictures << draw(s);

    b.image = new QLabel(parent);
    b.image->setObjectName(QLatin1String(names.image));
    b.image->setGeometry(rect);

    b.label = new QLabel(parent);
    b.label->setObjectName(QLatin1String(names.label));
    b.label->setGeometry(rect);
    b.label->setCursor(Qt::PointingHandCursor);
    if (!hint.isEmpty())
        b.label->setToolTip(hint);
    b.label->raise();
    b.showPicture(kPictureNormal);
    return b;
}

} // namespace qv
