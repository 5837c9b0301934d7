#include "JpegDecode.h"
#include "JpegSupport.h"
#include "TBigBitmap.h"
#include <algorithm>
#include <climits>
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
    ScanLimit scans;
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

qint64 roundUp(qint64 v, qint64 step) { return (v + step - 1) / step * step; }

// Blocks of all components, as the whole-image coefficient arrays of a multi-scan file hold
// them (padded to whole MCUs), and as each scan walks them.
qint64 blockCount(const jpeg_decompress_struct& ci, bool padded)
{
    qint64 blocks = 0;
    for (int c = 0; c < ci.num_components; ++c) {
        const jpeg_component_info& comp = ci.comp_info[c];
        blocks += padded ? roundUp(comp.width_in_blocks, comp.h_samp_factor) * roundUp(comp.height_in_blocks, comp.v_samp_factor)
                         : qint64(comp.width_in_blocks) * comp.height_in_blocks;
    }
    return blocks;
}

// libjpeg's own memory: the coefficient arrays of a multi-scan file, and rows of samples on
// their way through upsampling and colour conversion.
qint64 libjpegBytes(jpeg_decompress_struct& ci)
{
    const qint64 rows = qint64(ci.image_width) * ci.num_components * 48 + (1 << 20);
    return rows + (jpeg_has_multiple_scans(&ci) ? blockCount(ci, true) * qint64(sizeof(JBLOCK)) : 0);
}

int chooseScale(Session& s, const DecodeRequest& rq)
{
    const int n = rq.scaleFor ? rq.scaleFor(int(s.cinfo.image_width), int(s.cinfo.image_height)) : rq.scaleDenom;
    if (n != 1 && n != 2 && n != 4 && n != 8)
        fail(common(s), "invalid JPEG scale 1/%d", n);
    return n;
}

// Everything a decode refuses is refused here, from the header, before any pixel memory.
void checkClaims(Session& s, const DecodeRequest& rq)
{
    jpeg_decompress_struct& ci = s.cinfo;
    const qint64 pixels = qint64(ci.image_width) * ci.image_height;
    if (pixels > kMaxSourcePixels)
        fail(common(s), "JPEG image is too large (%u x %u pixels)", ci.image_width, ci.image_height);
    ci.scale_num = 1;
    ci.scale_denom = unsigned(s.out->scaleDenom = chooseScale(s, rq));
    jpeg_calc_output_dimensions(&ci);
    s.out->outputWidth = int(ci.output_width);
    s.out->outputHeight = int(ci.output_height);
    if (!pictureFits(ci.output_width, ci.output_height))
        fail(common(s), "JPEG image is too large to decode at this scale (%u x %u pixels)", ci.output_width,
             ci.output_height);
    const qint64 total = rq.fileSize > 0 ? rq.fileSize : qint64(rq.size);
    const qint64 data = total - (qint64(rq.size) - qint64(ci.src->bytes_in_buffer));
    if (!claimFitsData(pixels, data))
        fail(common(s), "JPEG claims %u x %u pixels but holds only %lld bytes of picture data", ci.image_width,
             ci.image_height, (long long)data);
    const qint64 bitmap = qint64(ci.output_width) * ci.output_height * (rq.bitsPerPixel / 8)
        + (s.cmyk ? qint64(ci.output_width) * 4 : 0);
    const qint64 own = libjpegBytes(ci);
    s.out->peakBytes = total + own + bitmap;
    if (!peakFits(s.out->peakBytes))
        fail(common(s), "JPEG needs %lld MiB to decode at 1/%d, more than the picture budget",
             (long long)(s.out->peakBytes >> 20), s.out->scaleDenom);
    // libjpeg's own limit as a second line: what the budget leaves beside the bytes and bitmap.
    ci.mem->max_memory_to_use = long(std::min<qint64>(pictureByteBudget() - total - bitmap, LONG_MAX));
    if (jpeg_has_multiple_scans(&ci))
        s.scans.maxScans = int(std::clamp<qint64>(kMaxBlockScans / std::max<qint64>(1, blockCount(ci, false)),
                                                  kMinScanLimit, kMaxScans));
}

// The libjpeg part: false on a fatal libjpeg error (message in s.err).
bool run(Session& s, const DecodeRequest& rq)
{
    jpeg_decompress_struct& ci = s.cinfo;
    if (setjmp(s.err.jump))
        return false;
    jpeg_create_decompress(&ci);
    s.created = true;
    installScanLimit(&ci, s.scans);
    jpeg_mem_src(&ci, rq.data, static_cast<unsigned long>(rq.size));
    const int status = jpeg_read_header(&ci, TRUE);
    if (status != JPEG_HEADER_OK)
        fail(common(s), "JPEG data holds no image");
    s.out->sourceWidth = int(ci.image_width);
    s.out->sourceHeight = int(ci.image_height);
    s.out->components = ci.num_components;
    if (rq.mode == Mode::Header)
        return true;
    s.cmyk = ci.jpeg_color_space == JCS_CMYK || ci.jpeg_color_space == JCS_YCCK;
    // BGRA, not BGRX: libjpeg leaves the X byte undefined, RGB32 needs 0xFF there.
    ci.out_color_space = s.cmyk ? JCS_CMYK : rq.bitsPerPixel == 32 ? JCS_EXT_BGRA : JCS_EXT_BGR;
    checkClaims(s, rq);
    if (rq.mode == Mode::Probe)
        return true;
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
        if (rq.mode == Mode::Decode) {
            fillMissingRows(s.image, s.rowsDone);
            out.image = std::move(s.image);
        }
    } else {
        out.endedInHeader = s.err.sawEnd && out.sourceWidth == 0;
        out.error = QString::fromLocal8Bit(s.err.message);
        if (out.error.isEmpty())
            out.error = QStringLiteral("JPEG decoding failed");
    }
    if (s.created)
        jpeg_destroy_decompress(&s.cinfo);
    return out;
}

} // namespace qv::jpeg
