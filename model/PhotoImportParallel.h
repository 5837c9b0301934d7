#pragma once
// Importing several JPEG photos at once: the decoding and encoding of each photo run on worker
// threads, while the entries are appended and their files written on the calling thread, in the
// order of the selection, exactly as a one-by-one import would leave them.
#include "TBigBitmap.h"
#include <QByteArray>

namespace qv {

class TForm2;

/// The heavy part of importing one JPEG photo.
struct PreparedPhoto {
    TBigBitmap thumb;  // the pool thumbnail; null when the source could not be decoded
    int srcWidth = 0;  // the source as decoded for the screen
    int srcHeight = 0;
    QByteArray copy;   // the re-encoded pool copy; empty when it could not be made
};

/// @brief Decodes, turns and shrinks a JPEG photo and encodes its pool copy; safe on any thread.
PreparedPhoto preparePoolPhoto(const QString& path, int32_t pageWidth, bool useMMX);
/// @brief Appends the pool entry of a prepared photo and writes its copy and thumbnail, with the
/// busy panel and the messages of an import. A photo that could not be decoded is handed to
/// FileExtSub, which decides what becomes of it. True when an entry was added.
bool commitPreparedPhoto(TForm2& doc, const QString& path, const PreparedPhoto& prepared);
/// @brief The page width of a book type, which the pool's copies and thumbnails are fitted to.
int32_t poolPageWidth(const QString& bookType);

} // namespace qv
