#pragma once
// Internal to the JPEG codec: libjpeg error handling without exit() or stderr, limits for
// hostile input, and memory source/destination glue.
#include <QByteArray>
#include <csetjmp>
#include <cstddef>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>

namespace qv::jpeg {

/// Files with more scans than this are refused (real encoders write about 10, libjpeg-turbo's
/// own fuzzers stop at 500).
constexpr int kMaxScans = 500;
/// Every scan of a multi-scan file walks all of its blocks again: a file may take at most this
/// many block visits in all (about a second), but always kMinScanLimit scans.
constexpr long long kMaxBlockScans = 1LL << 27;
constexpr int kMinScanLimit = 64;
/// Sources with more pixels than this are refused at any scale.
constexpr long long kMaxSourcePixels = 1LL << 31;

/// Fatal errors jump to `jump` with the message in `message`; warnings are counted, not shown.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    long warnings;
    bool sawEnd; // the data ended early (libjpeg then makes up an end marker)
};

/// @brief Points cinfo->err at `err`; call before jpeg_create_(de)compress.
void installErrorManager(j_common_ptr cinfo, ErrorManager& err);
/// @brief Ends the libjpeg call in progress like a libjpeg error, with our own text
/// (printf-style).
[[noreturn]] void fail(j_common_ptr cinfo, const char* format, ...) __attribute__((format(printf, 2, 3)));

/// A progress monitor that stops a decode after `maxScans` scans.
struct ScanLimit {
    jpeg_progress_mgr pub;
    int maxScans;
};
/// @brief Installs the monitor with kMaxScans; the decode lowers it once it knows the blocks.
void installScanLimit(j_decompress_ptr cinfo, ScanLimit& limit);

/// Destination manager that appends the compressed bytes to a QByteArray.
struct ByteArrayDestination {
    jpeg_destination_mgr pub;
    QByteArray* out;
    JOCTET buffer[64 * 1024];
};
void installDestination(j_compress_ptr cinfo, ByteArrayDestination& dest, QByteArray& out);

} // namespace qv::jpeg
