#pragma once
// What the photo browser does with the pool, without its widgets: adding the chosen files in
// order with progress and the pool limit, deleting an entry only while no page holds a
// picture, and where a pool thumbnail sits in a cell of the chosen-photo grid.
#include "WorkFolder.h"
#include <QRect>
#include <QVector>
#include <functional>

namespace qv {

class TForm2;
struct TMainState;

inline const QString kLoadingCaption = QStringLiteral("読み込み中...");
inline const QString kMsgNoDeleteWhileDesigning = QStringLiteral(
    "デザイン中は画像/写真を削除できません。(不要な画像/写真が残っていても問題はありません。)");

constexpr int kPoolCellWidth = 89;
constexpr int kPoolCellHeight = 98;

/// One entry of the folder list as adding sees it.
struct BrowserEntry {
    QString path;
    bool selected = false;
    bool photo = false; // a BMP or JPEG file
};

struct PoolAddOutcome {
    int added = 0;
    bool poolFull = false;    // stopped by the pool limit (the message was shown)
    bool writeFailed = false; // stopped at a photo whose files could not be written (its message was shown)
};

/// @brief Adds the selected photos of `entries` in their order: the busy caption counts
/// "読み込み中...k+1/m" over the m selected entries, a full pool stops with "最大数を超えました"
/// (what was added stays), so does the first photo whose files cannot be written (a full disk
/// would otherwise give the same message for every photo), and `deselect(i)` is called for every selected entry that is no photo.
PoolAddOutcome addPhotosToPool(TForm2& doc, const QVector<BrowserEntry>& entries,
                               const std::function<void(int)>& deselect);

/// @brief True when any page folder 0..16 holds a ".bmp" file (a picture placed on a page).
bool pageFoldersHoldImages(const WorkFolder& work);
/// @brief Writes the current page, then deletes pool entry `index` unless a page holds a
/// picture (then the warning is shown and the pool stays). True when deleted.
bool deletePoolEntryChecked(TForm2& doc, int index);

/// @brief Where the pool thumbnail of a photo of w x h pixels is drawn in a grid cell.
QRect poolCellPictureRect(const QRect& cell, int w, int h);
/// @brief The thumbnail file of pool entry n: "tn_.bmp" if present, else "tn.bmp" if present,
/// else empty.
QString poolCellThumbFile(const QString& imgFolder, int n);

} // namespace qv
