// The PDF document of one printed sheet.
#include "SheetPdf.h"
#include <QList>
#include <cstring>
#include <new>
#include <zlib.h>

namespace qv {

namespace {

QByteArray num(double v) { return QByteArray::number(v, 'f', 4); }

/// Appends the picture's pixels as rows of R, G, B bytes, deflated (the PDF's Flate filter),
/// a row at a time: no second copy of the picture is made. False when zlib fails.
bool appendDeflatedRgb(const QImage& picture, QByteArray& out)
{
    const QImage rgb = picture.format() == QImage::Format_RGB888 || picture.format() == QImage::Format_BGR888
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        return false;
    const bool swap = rgb.format() == QImage::Format_BGR888;
    const qsizetype rowBytes = qsizetype(rgb.width()) * 3;
    QByteArray row(rowBytes, Qt::Uninitialized);
    z_stream z{};
    // Quick compression: the white margins shrink at once, photos hardly at any level.
    if (deflateInit(&z, 1) != Z_OK)
        return false;
    qsizetype at = out.size();
    int status = Z_OK;
    for (int y = 0; y < rgb.height() && status != Z_STREAM_ERROR; ++y) {
        const uchar* s = rgb.constScanLine(y);
        uchar* d = reinterpret_cast<uchar*>(row.data());
        if (swap) {
            for (qsizetype x = 0; x < rowBytes; x += 3) {
                d[x] = s[x + 2];
                d[x + 1] = s[x + 1];
                d[x + 2] = s[x];
            }
        } else {
            std::memcpy(d, s, size_t(rowBytes));
        }
        z.next_in = d;
        z.avail_in = uInt(rowBytes);
        const int flush = y + 1 == rgb.height() ? Z_FINISH : Z_NO_FLUSH;
        do {
            const qsizetype room = std::max<qsizetype>(rowBytes, 65536);
            out.resize(at + room);
            z.next_out = reinterpret_cast<Bytef*>(out.data() + at);
            z.avail_out = uInt(room);
            status = deflate(&z, flush);
            at += room - qsizetype(z.avail_out);
        } while (z.avail_out == 0 && status != Z_STREAM_ERROR);
    }
    deflateEnd(&z);
    out.resize(at);
    return status == Z_STREAM_END;
}

} // namespace

QByteArray sheetPdf(const QImage& picture, QSizeF sheetPt, const QRectF& placePt)
{
    if (picture.isNull())
        return {};
    try {
        // PDF's origin is the sheet's bottom-left corner.
        const double bottom = sheetPt.height() - placePt.bottom();
        const QByteArray content = "q " + num(placePt.width()) + " 0 0 " + num(placePt.height()) + ' ' +
                                   num(placePt.left()) + ' ' + num(bottom) + " cm /Im0 Do Q\n";
        QByteArray pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
        QList<qsizetype> offsets;
        const auto begin = [&] {
            offsets << pdf.size();
            pdf += QByteArray::number(offsets.size()) + " 0 obj\n";
        };
        const auto object = [&](const QByteArray& body) {
            begin();
            pdf += body + "\nendobj\n";
        };
        object("<< /Type /Catalog /Pages 2 0 R >>");
        object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
        object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + num(sheetPt.width()) + ' ' + num(sheetPt.height()) +
               "] /Resources << /XObject << /Im0 5 0 R >> >> /Contents 4 0 R >>");
        object("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "endstream");
        // The picture, deflated straight into the document; its length follows as object 6.
        begin();
        pdf += "<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(picture.width()) + " /Height " +
               QByteArray::number(picture.height()) +
               " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode /Length 6 0 R >>\nstream\n";
        const qsizetype streamStart = pdf.size();
        if (!appendDeflatedRgb(picture, pdf))
            return {};
        const qsizetype streamLength = pdf.size() - streamStart;
        pdf += "\nendstream\nendobj\n";
        object(QByteArray::number(streamLength));
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
