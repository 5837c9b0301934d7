#pragma once
// Internal to the JPEG codec: one decode from memory, header only, checked, or with pixels.
#include <QImage>
#include <QString>
#include <cstddef>
#include <functional>

namespace qv::jpeg {

enum class Mode {
    Header, // size and components only
    Probe,  // the header and every check a decode makes first, with its memory; no pixels
    Decode,
};

struct DecodeRequest {
    const unsigned char* data = nullptr;
    size_t size = 0;
    /// Bytes of the whole file when `data` holds only its beginning (a probe); 0: `size`.
    qint64 fileSize = 0;
    int scaleDenom = 1;                        // 1, 2, 4 or 8
    std::function<int(int w, int h)> scaleFor; // when set, chooses the scale from the full size
    int bitsPerPixel = 24;                     // 24 (B,G,R) or 32 (B,G,R,0xFF)
    Mode mode = Mode::Decode;
};

struct DecodeOutcome {
    QImage image;            // null for a header read, a probe or a failure
    int sourceWidth = 0;
    int sourceHeight = 0;
    int components = 0;
    int scaleDenom = 1;      // the scale used (or a decode would use)
    int outputWidth = 0;     // the bitmap at that scale
    int outputHeight = 0;
    qint64 peakBytes = 0;    // the decode's peak memory: the bytes, libjpeg's buffers, the bitmap
    QString error;           // empty on success
    bool endedInHeader = false; // the bytes ended before the header did
};

/// @brief Runs libjpeg on the bytes; never exits, prints or allocates beyond the limits.
DecodeOutcome decode(const DecodeRequest& request);

} // namespace qv::jpeg
