#pragma once
// Thumbnails of photo files for the folder list: decoded at the JPEG decoder's own reduced
// scale, turned upright by the EXIF orientation and fitted into a square box.
#include <QImage>
#include <QString>

namespace qv {

enum class ThumbOutcome {
    Ready,    // image holds the thumbnail
    Broken,   // damaged, hostile or too large: shown as a broken picture
    Vanished, // the file is gone
};

struct ThumbResult {
    ThumbOutcome outcome = ThumbOutcome::Broken;
    QImage image;    // Format_RGB32, fits the box, only when Ready
    QByteArray jpeg; // the thumbnail encoded for the disk cache, when asked for
};

/// Quality of thumbnails kept on disk.
constexpr int kThumbJpegQuality = 80;

/// Sources whose thumbnail would need more pixels than this are refused (shown broken):
/// a thumbnail never takes more than a few tens of megabytes, whatever the file claims.
constexpr qint64 kMaxThumbSourcePixels = 16LL * 1000 * 1000;

/// @brief The largest JPEG scale denominator (8, 4, 2 or 1) that still gives at least `box`
/// pixels on the longer side.
int thumbScaleFor(int width, int height, int box);

/// @brief Thumbnail of a JPEG (`jpeg` true) or BMP file fitting box x box pixels, read within
/// the thumbnail workers' shared budget (thumbnailBudget()).
ThumbResult makeThumbnail(const QString& path, bool jpeg, int box);
/// @brief The same from the file's bytes: Ready, or Broken when they make no thumbnail.
ThumbResult thumbnailOfBytes(const QByteArray& bytes, bool jpeg, int box);
/// @brief The thumbnail from bytes of the disk cache when they decode, else from the file; when
/// made from the file and `store` is set, its JPEG bytes for the cache come with it.
ThumbResult cachedThumbnail(const QByteArray& cached, const QString& path, bool jpeg, int box, bool store);

} // namespace qv
