// The PDF document of one printed sheet.
#include "SheetPdf.h"
#include <QList>
#include <cstring>
#include <new>

namespace qv {

namespace {

QByteArray num(double v) { return QByteArray::number(v, 'f', 4); }

/// The picture's pixels as rows of R, G, B bytes, zlib-compressed (the PDF's Flate filter).
QByteArray compressedRgb(const QImage& picture)
{
    const QImage rgb = picture.format() == QImage::Format_RGB888 || picture.format() == QImage::Format_BGR888
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        return {};
    const bool swap = rgb.format() == QImage::Format_BGR888;
    const qsizetype rowBytes = qsizetype(rgb.width()) * 3;
    QByteArray raw(rowBytes * rgb.height(), Qt::Uninitialized);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* s = rgb.constScanLine(y);
        char* d = raw.data() + y * rowBytes;
        if (!swap) {
            std::memcpy(d, s, size_t(rowBytes));
            continue;
        }
        for (qsizetype x = 0; x < rowBytes; x += 3) {
            d[x] = char(s[x + 2]);
            d[x + 1] = char(s[x + 1]);
            d[x + 2] = char(s[x]);
        }
    }
    // Quick compression: the white margins shrink at once, photos hardly at any level.
    QByteArray z = qCompress(raw, 1);
    return z.size() > 4 ? z.mid(4) : QByteArray(); // without Qt's length prefix
}

} // namespace

QByteArray sheetPdf(const QImage& picture, QSizeF sheetPt, const QRectF& placePt)
{
    if (picture.isNull())
        return {};
    try {
        const QByteArray pixels = compressedRgb(picture);
        if (pixels.isEmpty())
            return {};
        // PDF's origin is the sheet's bottom-left corner.
        const double bottom = sheetPt.height() - placePt.bottom();
        const QByteArray content = "q " + num(placePt.width()) + " 0 0 " + num(placePt.height()) + ' ' +
                                   num(placePt.left()) + ' ' + num(bottom) + " cm /Im0 Do Q\n";
        QByteArray pdf;
        pdf.reserve(pixels.size() + 2048);
        pdf += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
        QList<qsizetype> offsets;
        // Objects are appended in place: the pixels, by far the biggest part, are copied once.
        const auto object = [&](const QByteArray& head, const QByteArray& stream = {}) {
            offsets << pdf.size();
            pdf += QByteArray::number(offsets.size()) + " 0 obj\n" + head;
            if (!head.endsWith(">>")) {
                pdf += stream;
                pdf += "\nendstream";
            }
            pdf += "\nendobj\n";
        };
        object("<< /Type /Catalog /Pages 2 0 R >>");
        object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
        object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + num(sheetPt.width()) + ' ' + num(sheetPt.height()) +
               "] /Resources << /XObject << /Im0 5 0 R >> >> /Contents 4 0 R >>");
        object("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n", content);
        object("<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(picture.width()) + " /Height " +
                   QByteArray::number(picture.height()) + " /ColorSpace /DeviceRGB /BitsPerComponent 8" +
                   " /Filter /FlateDecode /Length " + QByteArray::number(pixels.size()) + " >>\nstream\n",
               pixels);
        const qsizetype xref = pdf.size();
        const QByteArray count = QByteArray::number(offsets.size() + 1);
        pdf += "xref\n0 " + count + "\n0000000000 65535 f \n";
        for (qsizetype o : offsets)
            pdf += QByteArray::number(o).rightJustified(10, '0') + " 00000 n \n";
        pdf += "trailer\n<< /Size " + count + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
        return pdf;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace qv
