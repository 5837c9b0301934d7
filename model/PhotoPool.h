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

/// @brief The source as the pool sees it: a JPEG at its screen scale (32 bits) turned upright
/// by `orientation`, a BMP at its own size. Empty when it cannot be decoded.
TBigBitmap decodePoolSource(const QString& path, bool jpeg, int orientation);
/// @brief Makes the pool copy: the source's bytes, a JPEG then decoded at full (or half) size,
/// turned upright and re-encoded at quality 90. The pool's own copy met again by a rebuild
/// keeps its bytes unless it still has an orientation to turn. False when it failed (code 40).
bool makePoolCopy(const QString& source, const QString& copy, bool jpeg, int orientation);

/// @brief The JPEG copy of a pool entry read with loadJpegFull, for the printer bitmap; an
/// empty bitmap with a reason when the index is outside the pool or the copy cannot be read.
ImageLoadResult loadPoolPhoto(const QString& imgFolder, const QVector<TInfos>& pool, int poolIndex);

} // namespace qv
