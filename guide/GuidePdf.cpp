// Prints a page of the user guide, with its pictures, into an A4 PDF file: the help button opens
// the guide in this form. Links to the guide's other pages are made relative to the PDF's own
// folder (viewers resolve them there); links within the page have no target in a PDF and are
// dropped.
// usage: qv_guide_pdf PAGE.html OUT.pdf
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImageReader>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

namespace {

constexpr double kFooterHeight = 30;   // screen pixels below each page for its number

QString readUtf8(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// href="other/page.html" seen from the page's folder becomes the same file seen from the PDF's.
QString linksForPdf(QString html, const QString& pageDir, const QString& pdfDir)
{
    html.replace(QRegularExpression(QStringLiteral(R"re( href="#[^"]*")re")), QString());
    const QString up = QDir(pdfDir).relativeFilePath(pageDir);
    static const QRegularExpression relative(QStringLiteral(R"re(href="(?![a-z]+:)([^"]+)")re"));
    QString out;
    qsizetype last = 0;
    for (auto it = relative.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += html.mid(last, m.capturedStart() - last);
        out += QStringLiteral("href=\"%1\"").arg(QDir::cleanPath(up + '/' + m.captured(1)));
        last = m.capturedEnd();
    }
    return out + html.mid(last);
}

// The document is laid out at screen pixels, so that the pictures' widths read as on screen, and
// drawn page by page at the PDF's resolution with the page number below each page.
void printPages(QTextDocument& doc, QPdfWriter& pdf)
{
    const double scale = pdf.resolution() / 96.0;
    const QRectF body = pdf.pageLayout().paintRectPixels(pdf.resolution());
    const QSizeF page(body.width() / scale, body.height() / scale - kFooterHeight);
    doc.setPageSize(page);
    QPainter p(&pdf);
    for (int i = 0; i < doc.pageCount(); ++i) {
        if (i > 0)
            pdf.newPage();
        p.save();
        p.scale(scale, scale);
        p.translate(0, -i * page.height());
        doc.drawContents(&p, QRectF(QPointF(0, i * page.height()), page));
        p.restore();
        p.save();
        p.scale(scale, scale);
        QFont number = doc.defaultFont();
        number.setPixelSize(12);
        p.setFont(number);
        p.drawText(QRectF(0, page.height(), page.width(), kFooterHeight), Qt::AlignCenter,
                   QString::number(i + 1));
        p.restore();
    }
}

// The page's own stylesheet, which the document takes as its default (it does not follow <link>).
QString styleSheetOf(const QString& html, const QString& pageDir)
{
    static const QRegularExpression link(QStringLiteral(R"re(<link rel="stylesheet" href="([^"]+)">)re"));
    const QString href = link.match(html).captured(1);
    return href.isEmpty() ? QString() : readUtf8(pageDir + '/' + href);
}

// A picture given only its width is laid out at its full height here: each gets the height that
// keeps its proportions.
QString picturesForPdf(const QString& html, const QString& pageDir)
{
    static const QRegularExpression img(QStringLiteral(R"re(<img src="([^"]+)" width="(\d+)")re"));
    QString out;
    qsizetype last = 0;
    for (auto it = img.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QSize size = QImageReader(pageDir + '/' + m.captured(1)).size();
        const int width = m.captured(2).toInt();
        out += html.mid(last, m.capturedEnd() - last);
        if (size.width() > 0)
            out += QStringLiteral(" height=\"%1\"").arg(qRound(double(width) * size.height() / size.width()));
        last = m.capturedEnd();
    }
    return out + html.mid(last);
}

QString titleOf(const QString& html)
{
    static const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"));
    return title.match(html).captured(1);
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: qv_guide_pdf PAGE.html OUT.pdf\n");
        return 2;
    }
    const QFileInfo page(QString::fromLocal8Bit(argv[1]));
    const QString out = QString::fromLocal8Bit(argv[2]);
    const QString html = readUtf8(page.absoluteFilePath());
    if (html.isEmpty()) {
        std::fprintf(stderr, "qv_guide_pdf: cannot read %s\n", argv[1]);
        return 2;
    }
    QDir().mkpath(QFileInfo(out).absolutePath());

    QTextDocument doc;
    doc.setBaseUrl(QUrl::fromLocalFile(page.absolutePath() + '/'));   // pictures and the stylesheet
    doc.setDefaultStyleSheet(styleSheetOf(html, page.absolutePath()));
    doc.setHtml(linksForPdf(picturesForPdf(html, page.absolutePath()), page.absolutePath(),
                            QFileInfo(out).absolutePath()));

    QPdfWriter pdf(out);
    pdf.setTitle(titleOf(html));
    pdf.setCreator(QStringLiteral("Qorvale"));
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18),
                                  QPageLayout::Millimeter));
    printPages(doc, pdf);
    if (!QFileInfo(out).size()) {
        std::fprintf(stderr, "qv_guide_pdf: %s was not written\n", argv[2]);
        return 2;
    }
    return 0;
}
