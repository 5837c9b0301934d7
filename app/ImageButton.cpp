#include "ImageButton.h"
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

namespace qv {
namespace {

class ImageButtonFilter : public QObject {
public:
    ImageButtonFilter(const ImageButton& b, std::function<void()> click, bool releaseHandler,
                      std::function<bool()> locked)
        : QObject(b.label), button(b), onClick(std::move(click)), hasRelease(releaseHandler),
          isLocked(std::move(locked))
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        const bool locked = isLocked && isLocked();
        switch (e->type()) {
        case QEvent::Enter:
            if (!locked)
                button.showPicture(kPictureHover);
            break;
        case QEvent::Leave:
            if (!locked)
                button.showPicture(kPictureNormal);
            break;
        case QEvent::MouseButtonPress:
            if (!locked && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton)
                button.showPicture(kPicturePressed);
            return true;
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() != Qt::LeftButton)
                return true;
            if (hasRelease && !(isLocked && isLocked()))
                button.showPicture(kPictureNormal);
            if (button.label->rect().contains(me->position().toPoint()) && onClick)
                onClick();
            return true;
        }
        default:
            break;
        }
        return false;
    }

private:
    ImageButton button;
    std::function<void()> onClick;
    bool hasRelease;
    std::function<bool()> isLocked;
};

} // namespace

void ImageButton::setBehaviour(std::function<void()> click, bool releaseHandler, std::function<bool()> locked) const
{
    label->installEventFilter(new ImageButtonFilter(*this, std::move(click), releaseHandler, std::move(locked)));
}

void ImageButton::showPicture(int index) const
{
    if (index >= 0 && index < list->pictures.size())
        image->setPixmap(list->pictures.at(index));
}

ImageButton makeImageButton(QWidget* parent, const ImageButtonNames& names, const QRect& rect,
                            const QString& hint, const std::function<QPixmap(PictureState)>& draw,
                            const QString& caption)
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
    b.label->setAccessibleName(caption.isEmpty() ? hint : caption);
    b.label->raise();
    b.showPicture(kPictureNormal);
    return b;
}

} // namespace qv
