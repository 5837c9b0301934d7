// The print preview frame.
#include "Unit3.h"
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPolygon>
#include <QProcess>
#include <QScrollArea>
#include <QStandardPaths>
#include <QPrinterInfo>
#include <QVBoxLayout>

namespace qv {

namespace {

const char* kCream = "background: rgb(252, 247, 224);";
/// The printer picture's area; it grows where a back-side picture reaches beyond it.
constexpr QSize kBoxSize{430, 440};
constexpr int kBoxMargin = 8;

template <class W>
W* part(QWidget* parent, const char* name, QRect bounds, const QString& style = {})
{
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(bounds);
    if (!style.isEmpty())
        w->setStyleSheet(style);
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
    return w;
}

QString outline(const char* kind, const char* colour)
{
    return QStringLiteral("background: transparent; border: 1px %1 %2;").arg(QLatin1String(kind), QLatin1String(colour));
}

/// The feed arrow: a triangle on the frame's cream.
QPixmap feedArrow()
{
    QPixmap pm(kArrowSize);
    pm.fill(QColor(252, 247, 224));
    QPainter p(&pm);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(128, 128, 192));
    p.drawPolygon(QPolygon({QPoint(0, 0), QPoint(120, 0), QPoint(60, 17)}));
    return pm;
}

QPixmap smallArrow()
{
    QPixmap pm(20, 12);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(QColor(128, 128, 192), 2));
    p.drawLine(2, 10, 16, 2);
    p.drawLine(16, 2, 10, 2);
    return pm;
}

} // namespace

TPrtFrame::TPrtFrame(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PrtFrame"));
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    printPanel = new QFrame(this);
    printPanel->setObjectName(QStringLiteral("printPanel"));
    printPanel->setStyleSheet(QLatin1String(kCream));
    stack->addWidget(printPanel);
    Panel10 = new QLabel(kCaptionMakingPreview, printPanel);
    Panel10->setObjectName(QStringLiteral("Panel10"));
    Panel10->setAlignment(Qt::AlignCenter);
    Panel10->setStyleSheet(QStringLiteral("color: olive; font-weight: bold; font-size: 16px;"));
    ScrollBox1 = new QScrollArea(printPanel);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    auto* panelStack = new QGridLayout(printPanel);
    panelStack->setContentsMargins(0, 0, 0, 0);
    panelStack->addWidget(Panel10, 0, 0);
    panelStack->addWidget(ScrollBox1, 0, 0); // over Panel10

    box = new QWidget;
    box->setFixedSize(kBoxSize);
    box->setStyleSheet(QLatin1String(kCream));
    ScrollBox1->setWidget(box);
    // Bottom to top: the printer's body, its caption, the arrow, the pictures, the sheet, the
    // outlines and the feed caption.
    const QString body = QStringLiteral("background: rgb(224, 224, 216); border: 1px solid gray;");
    part<QFrame>(box, "Shape37", QRect(16, 300, 401, 125), body);
    part<QFrame>(box, "Shape40", QRect(30, 240, 373, 70), body);
    part<QFrame>(box, "Shape20", QRect(16, 215, 24, 95), body);
    part<QFrame>(box, "Shape23", QRect(389, 215, 28, 95), body);
    part<QFrame>(box, "Shape34", QRect(60, 390, 313, 10), QStringLiteral("background: rgb(96, 96, 96);"));
    part<QFrame>(box, "Shape39", QRect(300, 360, 40, 12), QStringLiteral("background: rgb(128, 192, 128);"));
    printerLeft = part<QFrame>(box, "printerLeft", kPrinterLeft, QStringLiteral("background: rgb(160, 160, 160);"));
    printerRight = part<QFrame>(box, "printerRight", kPrinterRight, QStringLiteral("background: rgb(160, 160, 160);"));
    tome = part<QFrame>(box, "tome", QRect(QPoint(100, 215), kGuideSize), QStringLiteral("background: rgb(128, 128, 192);"));
    Label48 = part<QLabel>(box, "Label48", QRect(193, 356, 60, 16));
    Label48->setText(QStringLiteral("プリンタ"));
    hokoImg = part<QLabel>(box, "hokoImg", QRect(QPoint(150, kArrowTop), kArrowSize));
    hokoImg->setPixmap(feedArrow());
    Image4 = part<QLabel>(box, "Image4", QRect());
    Image1 = part<QLabel>(box, "Image1", QRect(377, 201, 20, 12));
    Image1->setPixmap(smallArrow());
    Label1 = part<QLabel>(box, "Label1", QRect(401, 200, 40, 14));
    Label1->setText(QStringLiteral("うら面"));
    Label1->resize(Label1->sizeHint()); // the whole caption, in whatever font
    paperBase = part<QFrame>(box, "paperBase", QRect(), QStringLiteral("background: white; border: none;"));
    printImage = part<QLabel>(box, "printImage", QRect());
    waku = part<QFrame>(box, "waku", QRect(), outline("solid", "silver"));
    pintingArea = part<QFrame>(box, "pintingArea", QRect(), outline("dotted", "silver"));
    paperArea = part<QFrame>(box, "paperArea", QRect(), outline("solid", "rgb(135, 206, 235)"));
    hokoImg2 = part<QFrame>(box, "hokoImg2", QRect(0, kCaptionBoxTop, 89, 30), QStringLiteral("background: rgb(128, 128, 192);"));
    hoko = part<QLabel>(box, "hoko", QRect(0, kCaptionTop, 80, 18));
    hoko->setText(QStringLiteral("給紙方向"));
    hoko->setStyleSheet(QStringLiteral("color: white; font-weight: bold; font-size: 16px; background: transparent;"));
    for (QWidget* w : {static_cast<QWidget*>(Image4), static_cast<QWidget*>(Image1), static_cast<QWidget*>(Label1)})
        w->hide();
}

void TPrtFrame::applyLayout(const SheetLayout& l)
{
    waku->setGeometry(l.waku);
    paperBase->setGeometry(l.waku);
    tome->move(l.tome.topLeft());
    tome->setVisible(l.tomeVisible);
    hokoImg->move(l.hokoImg.topLeft());
    hoko->move(l.hokoLeft, kCaptionTop);
    hokoImg2->move(l.hokoImg2Left, kCaptionBoxTop);
    paperArea->setGeometry(l.paperArea);
    pintingArea->setGeometry(l.pintingArea);
    clearPicture();
    printImage->setGeometry(l.paperArea);
}

void TPrtFrame::showPictures(const PreviewPictures& pictures)
{
    printImage->setPixmap(QPixmap::fromImage(pictures.printImage));
    const bool back = !pictures.backImage.isNull();
    if (back) {
        Image4->setGeometry(pictures.backRect);
        Image4->setPixmap(QPixmap::fromImage(pictures.backImage));
    }
    for (QWidget* w : {static_cast<QWidget*>(Image4), static_cast<QWidget*>(Image1), static_cast<QWidget*>(Label1)})
        w->setVisible(back);
    fitBox();
}

void TPrtFrame::fitBox()
{
    // The scroll box reaches every part shown, the back-side picture and its caption too.
    QRect shown(QPoint(0, 0), kBoxSize - QSize(kBoxMargin, kBoxMargin));
    for (const QWidget* w : {static_cast<QWidget*>(Image4), static_cast<QWidget*>(Label1)})
        if (!w->isHidden())
            shown |= w->geometry();
    box->setFixedSize(shown.right() + 1 + kBoxMargin, shown.bottom() + 1 + kBoxMargin);
}

void TPrtFrame::clearPicture() { printImage->setPixmap(QPixmap()); }

void TPrtFrame::setBuilding(bool building)
{
    ScrollBox1->setVisible(!building);
    if (building)
        Panel10->repaint();
}

std::optional<ProgramCall> printerWindowCommand(const QString& printerName, const QStringList& printers)
{
    if (printerName.isEmpty() || !printers.contains(printerName, Qt::CaseSensitive))
        return std::nullopt;
    // Queue viewers that show one printer's jobs; the desktop's own first. Never a web page.
    QList<ProgramCall> viewers{{QStringLiteral("system-config-printer"), {QStringLiteral("--show-jobs"), printerName}},
                               {QStringLiteral("kde-print-queue"), {printerName}}};
    if (qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QLatin1String("KDE")))
        std::swap(viewers[0], viewers[1]);
    for (ProgramCall& v : viewers) {
        const QString found = QStandardPaths::findExecutable(v.program);
        if (!found.isEmpty())
            return ProgramCall{found, v.arguments};
    }
    return std::nullopt;
}

void OpenPrinterWindow(const QString& printerName)
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    if (const auto call = printerWindowCommand(printerName, QPrinterInfo::availablePrinterNames()))
        QProcess::startDetached(call->program, call->arguments);
}

} // namespace qv
