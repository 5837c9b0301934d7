#pragma once
// Internal to the JPEG codec: one decode from memory, header only or with pixels.
#include <QImage>
#include <QString>
#include <cstddef>

namespace qv::jpeg {

struct DecodeRequest {
    const unsigned char* data = nullptr;
    size_t size = 0;
    int scaleDenom = 1;      // 1, 2, 4 or 8
    int bitsPerPixel = 24;   // 24 (B,G,R) or 32 (B,G,R,0xFF)
    bool headerOnly = false;
};

struct DecodeOutcome {
    QImage image;            // null for a header-only read or a failure
    int sourceWidth = 0;
    int sourceHeight = 0;
    int components = 0;
    QString error;           // empty on success
};

/// @brief Runs libjpeg on the bytes; never exits, prints or allocates beyond the limits.
DecodeOutcome decode(const DecodeRequest& request);

} // namespace qv::jpeg
