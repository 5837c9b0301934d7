#pragma once
// Internal to the JPEG codec: libjpeg error handling without exit() or stderr, limits for
// hostile input, and memory source/destination glue.
#include <QByteArray>
#include <csetjmp>
#include <cstddef>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>

namespace qv::jpeg {

/// Progressive files with more scans than this are refused (real encoders write about 10).
constexpr int kMaxScans = 1000;
/// Memory libjpeg may take for its own buffers, mostly the whole-image coefficient arrays of
/// progressive files: 1 GiB is enough for a progressive 4:2:0 photo of about 300 megapixels.
constexpr long kMaxLibjpegMemory = 1L << 30;
/// Sources with more pixels than this are refused at any scale.
constexpr long long kMaxSourcePixels = 1LL << 31;

/// Fatal errors jump to `jump` with the message in `message`; warnings are counted, not shown.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    long warnings;
};

/// @brief Points cinfo->err at `err`; call before jpeg_create_(de)compress.
void installErrorManager(j_common_ptr cinfo, ErrorManager& err);
/// @brief Ends the libjpeg call in progress like a libjpeg error, with our own text
/// (printf-style).
[[noreturn]] void fail(j_common_ptr cinfo, const char* format, ...) __attribute__((format(printf, 2, 3)));

/// @brief Installs a progress monitor that stops a decode after kMaxScans scans.
void installScanLimit(j_decompress_ptr cinfo, jpeg_progress_mgr& progress);

/// Destination manager that appends the compressed bytes to a QByteArray.
struct ByteArrayDestination {
    jpeg_destination_mgr pub;
    QByteArray* out;
    JOCTET buffer[64 * 1024];
};
void installDestination(j_compress_ptr cinfo, ByteArrayDestination& dest, QByteArray& out);

} // namespace qv::jpeg
