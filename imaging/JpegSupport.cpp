#include "JpegSupport.h"
#include <cstdarg>
#include <cstring>
#include <jerror.h>

namespace qv::jpeg {
namespace {

void errorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0)
        ++err->warnings;
    if (err->pub.msg_code == JWRN_JPEG_EOF)
        err->sawEnd = true;
}

void outputMessage(j_common_ptr) {}

void scanLimitMonitor(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    const int limit = reinterpret_cast<ScanLimit*>(cinfo->progress)->maxScans;
    if (d->input_scan_number > limit)
        fail(cinfo, "JPEG has too many scans (more than %d)", limit);
}

void initDestination(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<ByteArrayDestination*>(cinfo->dest);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = sizeof d->buffer;
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<ByteArrayDestination*>(cinfo->dest);
    d->out->append(reinterpret_cast<const char*>(d->buffer), sizeof d->buffer);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = sizeof d->buffer;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<ByteArrayDestination*>(cinfo->dest);
    d->out->append(reinterpret_cast<const char*>(d->buffer), qsizetype(sizeof d->buffer - d->pub.free_in_buffer));
}

} // namespace

void installErrorManager(j_common_ptr cinfo, ErrorManager& err)
{
    cinfo->err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.emit_message = emitMessage;
    err.pub.output_message = outputMessage;
    err.message[0] = '\0';
    err.warnings = 0;
    err.sawEnd = false;
}

void fail(j_common_ptr cinfo, const char* format, ...)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    va_list args;
    va_start(args, format);
    std::vsnprintf(err->message, sizeof err->message, format, args);
    va_end(args);
    std::longjmp(err->jump, 1);
}

void installScanLimit(j_decompress_ptr cinfo, ScanLimit& limit)
{
    std::memset(&limit.pub, 0, sizeof limit.pub);
    limit.pub.progress_monitor = scanLimitMonitor;
    limit.maxScans = kMaxScans;
    cinfo->progress = &limit.pub;
}

void installDestination(j_compress_ptr cinfo, ByteArrayDestination& dest, QByteArray& out)
{
    dest.pub.init_destination = initDestination;
    dest.pub.empty_output_buffer = emptyOutputBuffer;
    dest.pub.term_destination = termDestination;
    dest.out = &out;
    cinfo->dest = &dest.pub;
}

} // namespace qv::jpeg
