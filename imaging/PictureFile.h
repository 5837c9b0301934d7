#pragma once
// The one road from a picture file to a bitmap, for every format:
//  1. the file's bytes are read into memory, never mapped: a file that shrinks under a mapping
//     (rewritten by another program, a card or share that goes away) ends the process with
//     SIGBUS, a file read into memory only comes out short;
//  2. its header is checked before any pixel memory is taken: against the bytes present (a
//     header claiming far more than its data is refused) and against the picture budget, for
//     everything the decode will hold at its peak; with a shared budget, the call waits for its
//     share first, so that threads side by side stay within it;
//  3. the format's decoder makes the bitmap, turned upright when asked.
// A new format adds its name, probe and decoder here (PictureFile.cpp); callers stay as they are.
#include "TBigBitmap.h"
#include <functional>

namespace qv {

enum class PictureFormat { Unknown, Jpeg, Bmp };

/// @brief The format a file's name says (".jpg", ".jpeg", ".bmp", any case). The photo list and
/// the import go by the name; a file whose bytes are of another format is refused.
PictureFormat pictureFormatOfName(const QString& path);

struct PictureRequest {
    /// The JPEG decode scale (1, 2, 4 or 8) for the full size; empty: full size.
    std::function<int(int width, int height)> scaleFor;
    int bitsPerPixel = 24; // 24 or 32 for JPEG; a BMP always comes as 24 bits
    bool upright = false;  // turn the bitmap by the file's EXIF orientation
    qint64 maxPixels = 0;  // refuse a bitmap of more pixels (0: only the budget decides)
    int workBytesPerPixel = 0; // memory the caller's own work on the bitmap takes, in the peak
};

struct PictureBytes {
    QByteArray bytes;
    qint64 fileSize = 0;  // the file's size when it was opened
    QString error;        // empty when read
    bool missing = false; // no such file (any more)
    bool ok() const { return error.isEmpty(); }
};

/// Bytes read for a header: enough for every header the formats put before their pixels.
constexpr qint64 kPictureHeadBytes = 256 * 1024;

/// @brief The whole file, read into memory; refused when it alone would exceed the picture
/// budget, or when it is not a regular file (a pipe would never end).
PictureBytes readPictureFile(const QString& path);
/// @brief Only the file's first `bytes` bytes (its size in fileSize).
PictureBytes readPictureHead(const QString& path, qint64 bytes = kPictureHeadBytes);

/// @brief What decoding would take and whether it would be refused, from the header alone.
/// `bytes` may be the beginning of a file of `fileSize` bytes (0: the bytes are the whole file).
PictureProbe probePicture(const QByteArray& bytes, qint64 fileSize, PictureFormat format, const PictureRequest& request);
/// @brief Decodes bytes in memory after the same checks.
ImageLoadResult decodePicture(const QByteArray& bytes, PictureFormat format, const PictureRequest& request);
/// @brief Reads a file and decodes it; with `shared`, first waits for the share its peak needs,
/// which the caller may `keep` while it works on on the bitmap (else it goes with the return).
ImageLoadResult loadPicture(const QString& path, PictureFormat format, const PictureRequest& request,
                            SharedPictureBudget* shared = nullptr, SharedPictureBudget::Share* keep = nullptr);

} // namespace qv
