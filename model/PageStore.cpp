// The page store: writing and reading a page folder, the one-level undo snapshot and the
// deletion of work folders.
#include "BmpCodec.h"
#include "Dialogs.h"
#include "SlotFiles.h"
#include "Unit2.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace qv {
namespace {

constexpr int kOlderNumberingSlots = 8; // files 0..7 of the older numbering

/// The page folder of the current page for a level: -1 the page itself, otherwise its snapshot.
QString pageFolderFor(const WorkFolder& work, int level, int32_t page)
{
    if (page < 0 || page >= kPageFolderCount)
        return {};
    return level == -1 ? work.pageFolder(page) : work.undoPageFolder(page);
}

/// The busy caption while record k is read: a dot that blinks from record to record.
QString loadCaption(int k)
{
    return QStringLiteral("ページ処理中") + (k % 2 ? QStringLiteral(". ") : QStringLiteral("  "));
}

/// Highest slot an image item refers to: normally countImages, but a damaged page may refer
/// further, and those pictures must not be lost on the next write.
int slotsInUse(const TItemList& items, int imageCount)
{
    int c = imageCount;
    for (int k = 1; k < items.size(); ++k) {
        if (items[k].kind == kKindImage)
            c = std::max(c, items[k].imageSlot);
    }
    return std::min(c, kCacheSlots);
}

void moveOver(const QString& from, const QString& to)
{
    if (!QFileInfo::exists(from))
        return;
    QFile::remove(to);
    QFile::rename(from, to);
}

/// Folders written by older versions number their slot files from 0.
void renumberOlderSlots(const QString& folder)
{
    if (!QFileInfo::exists(folder + WorkFolder::slotName(0)))
        return;
    for (int m = kOlderNumberingSlots - 1; m >= 0; --m) {
        moveOver(folder + WorkFolder::slotName(m), folder + WorkFolder::slotName(m + 1));
        moveOver(folder + WorkFolder::thumbSlotName(m), folder + WorkFolder::thumbSlotName(m + 1));
    }
}

TBigBitmap readSlotFile(SlotFileLedger& ledger, TPageImageCache& cache, const QString& path)
{
    if (!QFileInfo::exists(path))
        return {};
    ImageLoadResult r = readSlotBitmap(path, [&cache](QSize size) { return cache.takeSpare(size); });
    if (!r.ok() || !r.bitmap.convertTo(24))
        return {};
    ledger.noteRead(r.bitmap, path);
    return std::move(r.bitmap);
}

/// Shares the file of another folder that holds the same picture (the undo snapshot of a page
/// just read): a hard link. Safe because slot files are only ever replaced by rename, never
/// rewritten in place.
bool linkSameFile(const QString& from, const QString& path)
{
    QFile::remove(path);
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(path).constData()) == 0;
}

/// The name a file of a page write takes until the whole page is written.
QString stagedName(const QString& path) { return path + QStringLiteral(".new"); }

bool replaceBy(const QString& staged, const QString& path)
{
    return std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(path).constData()) == 0;
}

} // namespace

/// The files of one page write, each first written under its staged name: only when every one
/// of them is complete do they replace the page's files, so a full disk or a failing write
/// leaves the previous page whole instead of new pictures under an old item file.
class StagedPage {
public:
    StagedPage(SlotFileLedger& ledger, FileReaper& reaper) : ledger(ledger), reaper(reaper) {}
    ~StagedPage()
    {
        for (const Staged& s : files)
            QFile::remove(stagedName(s.path));
    }

    /// @brief Stages a slot picture unless the file already holds exactly these pixels: a page
    /// switch or an undo snapshot would otherwise rewrite every unchanged photo of the page.
    bool addSlot(const TBigBitmap& bitmap, const QString& path)
    {
        if (ledger.holds(path, bitmap))
            return true;
        const QString staged = stagedName(path);
        const QString same = ledger.fileHolding(bitmap);
        if ((same.isEmpty() || !linkSameFile(same, staged)) && !writeSlotBitmap(bitmap, staged)) {
            QFile::remove(staged);
            return false;
        }
        files.append({path, bitmap});
        return true;
    }

    bool addItemFile(const QString& path, const TItemList& items)
    {
        if (!writeItemFile(stagedName(path), items))
            return false;
        files.append({path, {}});
        return true;
    }

    /// @brief Puts every staged file in place, the item file last.
    bool commit()
    {
        bool ok = true;
        for (const Staged& s : files) {
            ledger.forgetFile(s.path);
            reaper.keepAside(s.path);
            if (!replaceBy(stagedName(s.path), s.path)) {
                ok = false;
                continue;
            }
            if (!s.bitmap.isNull())
                ledger.noteWritten(s.bitmap, s.path);
        }
        files.clear();
        return ok;
    }

private:
    struct Staged {
        QString path;
        TBigBitmap bitmap; // null for the item file
    };
    SlotFileLedger& ledger;
    FileReaper& reaper;
    QVector<Staged> files;
};

namespace {

bool isUnreadableImage(const TItemStatus& it, int filledSlots)
{
    return it.kind == kKindImage && (it.imageSlot < 1 || it.imageSlot > filledSlots);
}

} // namespace

bool TForm2::PbfSave(int level)
{
    const auto clearBusy = qScopeGuard([this] { itemFileBusy = false; });
    const QString folder = pageFolderFor(workFolder, level, currentPage);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return false;
    StagedPage page(slotFiles, discards);
    if ((level != 1 && !stageSlots(folder, page)) || !page.addItemFile(folder + kItemFileName, items)
        || !page.commit())
        return false;
    if (level != 1)
        removeSlotsAfter(folder, slotsInUse(items, countImages()));
    return true;
}

bool TForm2::stageSlots(const QString& folder, StagedPage& page)
{
    const TPageImageCache& cache = main.cache;
    const int c = slotsInUse(items, countImages());
    for (int k = 1; k <= c; ++k) {
        if (cache.hasImage(k) && !page.addSlot(cache.imageDrawing(k, false), folder + WorkFolder::slotName(k)))
            return false;
        if (cache.hasThumb(k) && !page.addSlot(cache.imageDrawing(k, true), folder + WorkFolder::thumbSlotName(k)))
            return false;
    }
    return true;
}

void TForm2::removeSlotsAfter(const QString& folder, int c)
{
    main.busy.hourglass(true);
    for (int k = c + 1; k <= kCacheSlots; ++k) {
        QFile::remove(folder + WorkFolder::slotName(k));
        QFile::remove(folder + WorkFolder::thumbSlotName(k));
    }
    main.busy.hourglass(false);
}

bool TForm2::PbfLoad(int level)
{
    // Whatever the outcome, the released pictures are not kept past this read.
    const auto dropSpares = qScopeGuard([this] { main.cache.dropSpares(); });
    items.resize(1);
    anySelected = false;
    // The snapshot belongs to the page being left; a full load takes a fresh one.
    if (level == -1)
        undoLevel = 0;
    const QString folder = pageFolderFor(workFolder, level, currentPage);
    if (folder.isEmpty() || !QFileInfo(folder + kItemFileName).isFile())
        return false;
    // Loads and writes all run on this thread, one after the other, so there is nothing to
    // wait for here; the flag only records that a load has begun.
    itemFileBusy = true;
    const std::optional<bool> read = readItems(folder + kItemFileName);
    if (!read)
        return false;
    // A page without items still gets its picture slots and snapshot: an undo back to an empty
    // page must empty the cache, and a load always leaves the book modified.
    if (level != 1) {
        readSlots(folder);
        afterLoadCleanup();
    }
    return *read;
}

std::optional<bool> TForm2::readItems(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    ItemFileReader reader(itemLayout);
    // A file too short for its count holds no items, like a count below one.
    if (!reader.openBytes(bytes))
        return false;
    const int32_t n = reader.count();
    TItemStatus fresh;
    // Records are only added while bytes remain, so a huge count in a small file cannot
    // make millions of empty items.
    for (int32_t k = 1; k <= n && !reader.atEnd(); ++k) {
        main.busy.setCaption(loadCaption(k));
        // addItem deselects every item first, which would make a long file quadratic; the
        // items read so far are already deselected, so a copy of its fresh item is the same.
        if (k == 1) {
            addItem();
            fresh = items.last();
        } else {
            items.append(fresh);
        }
        reader.readRecord(items.last());
        items.last().selected = false;
    }
    reader.close();
    anySelected = false;
    return n >= 1;
}

void TForm2::readSlots(const QString& folder)
{
    TPageImageCache& cache = main.cache;
    cache.clear();
    slotFiles.forgetBitmaps();
    renumberOlderSlots(folder);
    for (int k = 1; k <= kCacheSlots; ++k)
        cache.setImage(k, readSlotFile(slotFiles, cache, folder + WorkFolder::slotName(k)));
    for (int k = 1; k <= kCacheSlots; ++k)
        cache.setThumb(k, readSlotFile(slotFiles, cache, folder + WorkFolder::thumbSlotName(k)));
    // Slots after a missing picture belong to no item (the cleanup drops such items); left
    // filled they would shift the slot that the next added image takes.
    for (int k = cache.imageCount() + 1; k <= kCacheSlots; ++k) {
        cache.delImage(k);
        cache.THdelImage(k);
    }
}

void TForm2::afterLoadCleanup()
{
    const int filled = main.cache.imageCount();
    bool dropped = false;
    for (int k = 1; k < items.size(); ++k) {
        TItemStatus& it = items[k];
        it.selected = false;
        if (it.kind == kKindInvalid || isUnreadableImage(it, filled)) {
            if (it.kind == kKindImage)
                it.kind = kKindText; // so that deleting it leaves the image cache alone
            it.selected = true;
            dropped = true;
        }
    }
    deleteItem();
    // deleteItem's snapshot still holds the dropped records; undo must give the page as opened.
    if (dropped)
        mement(2);
}

void TForm2::mement(int level)
{
    if (level != 1 && level != 2)
        return;
    main.modified = true;
    // A snapshot that could not be written completely must not be restored.
    undoLevel = PbfSave(level) ? level : 0;
}

void TForm2::undo(int level)
{
    const QString snapshot = pageFolderFor(workFolder, level, currentPage) + kItemFileName;
    // Loading a missing snapshot would empty the page.
    if ((level == 1 || level == 2) && QFileInfo(snapshot).isFile())
        PbfLoad(level);
    main.window.selectSelectionTool();
    undoLevel = 0;
}

bool TForm2::saveData()
{
    QDir().mkpath(workFolder.root());
    QFile f(workFolder.stdFile());
    const char one = 1;
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(&one, 1) == 1) {
        f.close();
        if (f.error() == QFileDevice::NoError)
            return true;
    }
    dialogs().showmess(kMsgSaveFailed);
    return false;
}

void TForm2::deleteTmpFolder()
{
    discards.drain();
    deleteTree(workFolder.root());
    slotFiles.clear();
}

void TForm2::deleteUndoFolder()
{
    deleteTree(workFolder.undoFolder());
    slotFiles.clear();
    undoLevel = 0;
}

void TForm2::ListFilesDeleteWork(const QString& subPath)
{
    const QString root = QDir::cleanPath(workFolder.root());
    const QString target = QDir::cleanPath(root + QLatin1Char('/') + subPath);
    discards.drain();
    if (target != root && !target.startsWith(root + QLatin1Char('/')))
        return; // a path leaving the work folder is never emptied
    deleteTree(target, false);
    slotFiles.clear();
}

bool TForm2::writeCurrentPage()
{
    if (PbfSave(-1))
        return true;
    dialogs().showmess(kMsgSaveFailed);
    return false;
}

void TForm2::openPage(int32_t n)
{
    currentPage = n;
    setQorType();
    main.cache.clear();
    PbfLoad(-1);
}

bool TForm2::switchPage(int32_t n)
{
    if (n < 0 || n >= kPageFolderCount || !writeCurrentPage())
        return false;
    openPage(n);
    return true;
}

} // namespace qv
