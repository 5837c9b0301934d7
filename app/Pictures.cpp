#include "Pictures.h"
#include "BookTypes.h"
#include "Colors.h"
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace qv {
namespace {

const QColor kInk(74, 62, 52);
const QColor kAccent(204, 102, 64);
const QColor kAccentDark(170, 80, 48);
const QColor kLine(206, 194, 172);
const QColor kPressedFill(238, 228, 208);

QFont pictureFont(int pixelSize, bool bold)
{
    QFont f(kMainFontName);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QPixmap blank(QSize size)
{
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    return pm;
}

void antialiased(QPainter& p) { p.setRenderHint(QPainter::Antialiasing); }

// Pressed pictures are drawn one pixel lower and to the right, like a pushed key.
QRectF faceRect(QSize size, PictureState state)
{
    QRectF r(1.5, 1.5, size.width() - 3.0, size.height() - 3.0);
    if (state == kPicturePressed)
        r.translate(1, 1);
    return r;
}

} // namespace

QPixmap drawStepPicture(int number, const QString& caption, QSize size, PictureState state)
{
    QPixmap pm = blank(size);
    QPainter p(&pm);
    antialiased(p);
    const QRectF face = faceRect(size, state);
    const bool lit = state == kPictureHover;
    p.setPen(QPen(lit ? kAccentDark : kLine, 1.2));
    p.setBrush(lit ? kAccent : state == kPicturePressed ? kPressedFill : QColor(Qt::white));
    p.drawRoundedRect(face, 8, 8);

    const double d = face.height() - 14;
    const QRectF badge(face.left() + 8, face.top() + 7, d, d);
    p.setPen(Qt::NoPen);
    p.setBrush(lit ? QColor(Qt::white) : kAccent);
    p.drawEllipse(badge);
    p.setPen(lit ? kAccent : QColor(Qt::white));
    p.setFont(pictureFont(int(d * 0.6), true));
    p.drawText(badge, Qt::AlignCenter, QString::number(number));

    p.setPen(lit ? QColor(Qt::white) : kInk);
    p.setFont(pictureFont(15, true));
    const QRectF text(badge.right() + 6, face.top(), face.right() - badge.right() - 10, face.height());
    p.drawText(text, Qt::AlignCenter, caption);
    return pm;
}

QPixmap drawLinkPicture(const QString& caption, QSize size, PictureState state)
{
    QPixmap pm = blank(size);
    QPainter p(&pm);
    antialiased(p);
    const QRectF face = faceRect(size, state);
    const bool lit = state != kPictureNormal;
    p.setPen(QPen(lit ? kAccentDark : kLine, 1.0));
    p.setBrush(state == kPicturePressed ? kAccentDark : lit ? kAccent : QColor(Qt::white));
    p.drawRoundedRect(face, face.height() / 2, face.height() / 2);
    p.setPen(lit ? QColor(Qt::white) : kInk);
    p.setFont(pictureFont(12, false));
    p.drawText(face, Qt::AlignCenter, caption);
    return pm;
}

QPixmap drawBookPicture(const QString& name, QSize size, PictureState state)
{
    QPixmap pm = blank(size);
    QPainter p(&pm);
    antialiased(p);
    const QRectF face = faceRect(size, state);
    const bool lit = state == kPictureHover;
    p.setPen(QPen(lit ? kAccent : kLine, lit ? 2.0 : 1.2));
    p.setBrush(state == kPicturePressed ? kPressedFill : lit ? QColor(255, 244, 236) : QColor(Qt::white));
    p.drawRoundedRect(face, 10, 10);

    // The book silhouette keeps the proportions of the type's page, largest type 48 px high.
    const auto sizes = bookSizes(name);
    const double pw = sizes ? sizes->pageWidth : 1500, ph = sizes ? sizes->pageHeight : 1500;
    const double scale = 48.0 / 2000.0;
    const QRectF book(face.center().x() - pw * scale / 2, face.top() + 10 + (48 - ph * scale),
                      pw * scale, ph * scale);
    p.setPen(QPen(kAccentDark, 1.0));
    p.setBrush(lit ? kAccent : QColor(232, 170, 140));
    p.drawRoundedRect(book, 2, 2);
    p.setPen(QPen(QColor(255, 255, 255, 170), 2.0));
    p.drawLine(QPointF(book.left() + 4, book.top() + 2), QPointF(book.left() + 4, book.bottom() - 2));

    p.setPen(kInk);
    p.setFont(pictureFont(17, true));
    p.drawText(QRectF(face.left(), face.top() + 62, face.width(), 22), Qt::AlignCenter, name);
    if (sizes) {
        p.setFont(pictureFont(11, false));
        p.setPen(QColor(130, 118, 104));
        const QString mm = QStringLiteral("%1×%2 mm").arg(sizes->pageWidth / 10).arg(sizes->pageHeight / 10);
        p.drawText(QRectF(face.left(), face.top() + 82, face.width(), 16), Qt::AlignCenter, mm);
    }
    return pm;
}

QPixmap drawTitlePicture(QSize size)
{
    QPixmap pm(size);
    QPainter p(&pm);
    antialiased(p);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(255, 251, 240));
    sky.setColorAt(1, QColor(246, 234, 214));
    p.fillRect(pm.rect(), sky);

    // A band of overlapping photo frames behind the title.
    p.setPen(QPen(kLine, 1.0));
    const QColor tints[] = {QColor(236, 204, 180), QColor(206, 222, 214), QColor(240, 222, 190)};
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(size.width() / 2 + (i - 1) * 120, 150);
        p.rotate((i - 1) * 7);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(-60, -46, 120, 92));
        p.setBrush(tints[i]);
        p.drawRect(QRectF(-52, -38, 104, 70));
        p.restore();
    }

    p.setPen(kInk);
    p.setFont(pictureFont(44, true));
    p.drawText(QRectF(0, 205, size.width(), 56), Qt::AlignCenter, QStringLiteral("Qorvale"));
    p.setFont(pictureFont(15, false));
    p.drawText(QRectF(0, 256, size.width(), 22), Qt::AlignCenter, QStringLiteral("フォトブック エディタ"));
    p.setPen(kAccentDark);
    p.setFont(pictureFont(14, true));
    p.drawText(QRectF(0, 296, size.width(), 22), Qt::AlignCenter,
               QStringLiteral("作りたい本のタイプを選んでください"));
    return pm;
}

} // namespace qv
