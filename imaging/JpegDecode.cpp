#include "JpegDecode.h"
#include "JpegSupport.h"
#include "TBigBitmap.h"
#include <algorithm>
#include <cstring>
#include <vector>

namespace qv::jpeg {
namespace {

constexpr int kRowBatch = 16;
constexpr uchar kMissingGray = 0x80; // what libjpeg itself shows for missing data

// Everything a decode changes after setjmp lives here, in the caller's frame, so that a
// longjmp out of libjpeg skips no destructor and no value is lost.
struct Session {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    bool created = false;
    bool cmyk = false;
    QImage image;
    std::vector<uchar> cmykRow;
    int rowsDone = 0;
    DecodeOutcome* out = nullptr;
};

j_common_ptr common(Session& s) { return reinterpret_cast<j_common_ptr>(&s.cinfo); }

// CMYK to B,G,R(,0xFF). Adobe files store the inks inverted (255 = no ink).
void cmykToBgr(const uchar* src, uchar* dst, int width, int pixelBytes, bool adobeInverted)
{
    for (int x = 0; x < width; ++x, src += 4, dst += pixelBytes) {
        int c = src[0], m = src[1], y = src[2], k = src[3];
        if (!adobeInverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        dst[0] = uchar((y * k + 127) / 255);
        dst[1] = uchar((m * k + 127) / 255);
        dst[2] = uchar((c * k + 127) / 255);
        if (pixelBytes == 4)
            dst[3] = 0xFF;
    }
}

// Reads the scanlines straight into the image rows (CMYK through one row of its own).
void readRows(Session& s)
{
    jpeg_decompress_struct& ci = s.cinfo;
    const int h = int(ci.output_height);
    uchar* const base = s.image.bits();
    const qsizetype bpl = s.image.bytesPerLine();
    JSAMPROW rows[kRowBatch];
    while (int(ci.output_scanline) < h) {
        const int y = int(ci.output_scanline);
        JDIMENSION got = 0;
        if (s.cmyk) {
            rows[0] = s.cmykRow.data();
            got = jpeg_read_scanlines(&ci, rows, 1);
            if (got == 1)
                cmykToBgr(rows[0], base + y * bpl, int(ci.output_width), s.image.depth() / 8, ci.saw_Adobe_marker);
        } else {
            const int n = std::min(kRowBatch, h - y);
            for (int i = 0; i < n; ++i)
                rows[i] = base + (y + i) * bpl;
            got = jpeg_read_scanlines(&ci, rows, JDIMENSION(n));
        }
        if (got == 0)
            return; // a memory source never suspends; this only guards against a loop
        s.rowsDone = int(ci.output_scanline);
    }
}

void checkSizes(Session& s)
{
    jpeg_decompress_struct& ci = s.cinfo;
    if ((long long)ci.image_width * ci.image_height > kMaxSourcePixels)
        fail(common(s), "JPEG image is too large (%u x %u pixels)", ci.image_width, ci.image_height);
    jpeg_calc_output_dimensions(&ci);
    if (!pictureFits(ci.output_width, ci.output_height))
        fail(common(s), "JPEG image is too large to decode at this scale (%u x %u pixels)", ci.output_width,
             ci.output_height);
}

// The libjpeg part: false on a fatal libjpeg error (message in s.err).
bool run(Session& s, const DecodeRequest& rq)
{
    jpeg_decompress_struct& ci = s.cinfo;
    if (setjmp(s.err.jump))
        return false;
    jpeg_create_decompress(&ci);
    s.created = true;
    ci.mem->max_memory_to_use = kMaxLibjpegMemory;
    installScanLimit(&ci, s.progress);
    jpeg_mem_src(&ci, rq.data, static_cast<unsigned long>(rq.size));
    if (jpeg_read_header(&ci, TRUE) != JPEG_HEADER_OK)
        fail(common(s), "JPEG data holds no image");
    s.out->sourceWidth = int(ci.image_width);
    s.out->sourceHeight = int(ci.image_height);
    s.out->components = ci.num_components;
    if (rq.headerOnly)
        return true;
    ci.scale_num = 1;
    ci.scale_denom = unsigned(rq.scaleDenom);
    s.cmyk = ci.jpeg_color_space == JCS_CMYK || ci.jpeg_color_space == JCS_YCCK;
    // BGRA, not BGRX: libjpeg leaves the X byte undefined, RGB32 needs 0xFF there.
    ci.out_color_space = s.cmyk ? JCS_CMYK : rq.bitsPerPixel == 32 ? JCS_EXT_BGRA : JCS_EXT_BGR;
    checkSizes(s);
    const QImage::Format format = rq.bitsPerPixel == 32 ? QImage::Format_RGB32 : QImage::Format_BGR888;
    s.image = QImage(int(ci.output_width), int(ci.output_height), format);
    if (s.image.isNull())
        fail(common(s), "not enough memory for a %u x %u bitmap", ci.output_width, ci.output_height);
    if (s.cmyk)
        s.cmykRow.resize(size_t(ci.output_width) * 4);
    jpeg_start_decompress(&ci);
    readRows(s);
    return true;
}

void fillMissingRows(QImage& image, int fromRow)
{
    for (int y = fromRow; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        if (image.depth() == 32)
            std::fill_n(reinterpret_cast<QRgb*>(row), image.width(), qRgb(kMissingGray, kMissingGray, kMissingGray));
        else
            std::memset(row, kMissingGray, size_t(image.width()) * 3);
    }
}

} // namespace

DecodeOutcome decode(const DecodeRequest& rq)
{
    DecodeOutcome out;
    if (rq.scaleDenom != 1 && rq.scaleDenom != 2 && rq.scaleDenom != 4 && rq.scaleDenom != 8)
        out.error = QStringLiteral("invalid JPEG scale 1/%1").arg(rq.scaleDenom);
    else if (rq.bitsPerPixel != 24 && rq.bitsPerPixel != 32)
        out.error = QStringLiteral("invalid bitmap depth %1").arg(rq.bitsPerPixel);
    else if (!rq.data || rq.size == 0)
        out.error = QStringLiteral("empty JPEG data");
    if (!out.error.isEmpty())
        return out;

    Session s;
    s.out = &out;
    installErrorManager(common(s), s.err);
    const bool finished = run(s, rq);
    // A fatal error after some rows came out still leaves a picture worth showing, as a
    // truncated file does.
    if (finished || s.rowsDone > 0) {
        if (!rq.headerOnly) {
            fillMissingRows(s.image, s.rowsDone);
            out.image = std::move(s.image);
        }
    } else {
        out.error = QString::fromLocal8Bit(s.err.message);
        if (out.error.isEmpty())
            out.error = QStringLiteral("JPEG decoding failed");
    }
    if (s.created)
        jpeg_destroy_decompress(&s.cinfo);
    return out;
}

} // namespace qv::jpeg
