#pragma once
// The photo pool's file kinds, messages and grid arithmetic, and reading a pool photo back for
// printing. The pool operations themselves are TForm2 members (FileExtSub, gaDelete, infosLoad).
#include "PoolFiles.h"
#include "QorDef.h"

namespace qv {

inline const QString kMsgPoolCopyFailed = QStringLiteral("画像が保存できませんでした(エラーコード:40)");
inline const QString kMsgPoolThumbFailed = QStringLiteral("画像が保存できませんでした(エラーコード:41)");
/// Shown, followed by the file's path, for a source that holds no picture that can be read.
inline const QString kMsgPoolSourceUnreadable = QStringLiteral("画像が読み込めませんでした。ファイル名=");
inline const QString kPoolBusyCaption = QStringLiteral("画像庫処理中..");

// photoFileKind results and FileExtSub hints.
constexpr int kFileKindOther = 0;
constexpr int kFileKindPhoto = 1;   // .jpg, .jpeg
constexpr int kFileKindPicture = 2; // .bmp

constexpr int kPoolGridColumns = 4; // the chosen-photo grid shows entry column + 4 x row
constexpr int kPoolJpegQuality = 90;

/// @brief 1 for a ".JPG" or ".JPEG" extension, 2 for ".BMP" (any case), else 0.
int photoFileKind(const QString& path);
/// @brief Rows the chosen-photo grid needs for a pool of that size.
constexpr int poolGridRows(int poolSize) { return (poolSize + kPoolGridColumns - 1) / kPoolGridColumns; }

// The steps of an import (TForm2::FileExtSub), also timed on their own by the benchmarks.

/// A source file read once: its decodes and its pool copy all come from these bytes, so that a
/// file changing meanwhile cannot give a copy that differs from its thumbnail.
struct PoolSource {
    QByteArray bytes;
    bool jpeg = false;
    QString error; // set when it holds no picture the pool can take
    bool ok() const { return error.isEmpty(); }
};

/// @brief Reads a source file within the picture budget and checks, from its header, that
/// every decode the import makes of it (screen scale and copy) stays within the budget.
PoolSource readPoolSource(const QString& path, bool jpeg);
/// @brief What an import of the source holds at its peak; not ok when the import would refuse
/// it. `bytes` may be the file's head (fileSize its size; 0: the bytes are the whole file).
PictureProbe probePoolSource(const QByteArray& bytes, qint64 fileSize, bool jpeg);
/// @brief The source as the pool sees it: a JPEG at its screen scale (32 bits) turned upright
/// by its EXIF orientation, a BMP at its own size. Empty when it cannot be decoded.
TBigBitmap decodePoolSource(const PoolSource& source);
/// @brief Writes the pool copy: a BMP's bytes as they are, a JPEG decoded at full (or half)
/// size, turned upright and encoded at quality 90. The pool's own copy met again by a rebuild
/// keeps its bytes unless it still has an orientation to turn. False when it failed (code 40).
bool makePoolCopy(const PoolSource& source, const QString& copy, bool rebuilding);

/// @brief The JPEG copy of a pool entry read with loadJpegFull, for the printer bitmap; an
/// empty bitmap with a reason when the index is outside the pool or the copy cannot be read.
ImageLoadResult loadPoolPhoto(const QString& imgFolder, const QVector<TInfos>& pool, int poolIndex);

} // namespace qv
