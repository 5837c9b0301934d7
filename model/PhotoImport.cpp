// Importing a photo file into the pool: the entry, its copy and its thumbnail.
#include "BmpCodec.h"
#include "BookTypes.h"
#include "Dialogs.h"
#include "ExifOrientation.h"
#include "JpegCodec.h"
#include "PhotoImportParallel.h"
#include "PhotoPool.h"
#include "ReplacingFile.h"
#include "Resize.h"
#include "Unit2.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qv {
namespace {

bool sameFile(const QString& a, const QString& b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

// The pool is dense, so files found at a new entry's index belong to no entry: left over from
// an interrupted delete or the like. They would otherwise be taken for the new entry's copy,
// or shadow it at the next rebuild (a picture copy wins over a photo copy there).
void clearNewIndex(const QString& img, int n, const QString& source)
{
    for (bool picture : {false, true}) {
        for (const QString& f : {poolCopyPath(img, n, picture), poolThumbPath(img, n, picture)}) {
            if (QFile::exists(f) && !sameFile(f, source))
                QFile::remove(f);
        }
    }
}

// Decodes the copy at full (or half) size, turns it upright and writes it back at quality 90.
// The new file replaces the copy only once it is complete, so a failure keeps the copy.
bool reencodeCopy(const QString& copy, int orientation)
{
    ImageLoadResult r = loadJpegFull(copy);
    return r.ok() && applyExifOrientation(r.bitmap, orientation)
        && writeJpegFile(r.bitmap, copy, kPoolJpegQuality);
}

/// An import whose files could not be written (a full disk, a folder that refuses them) adds
/// nothing: the message is shown, the new entry n and whatever it wrote go again, and the pool
/// is as before. An entry without its copy would stand for a photo the book does not have.
bool dropNewEntry(TMainState& main, const QString& img, int n, const QString& source, const QString& message)
{
    clearNewIndex(img, n, source);
    main.pool.resize(n);
    main.window.refreshPhotoStrip();
    main.busy.hide();
    ++main.poolWriteFailures;
    dialogs().showmess(message);
    return false;
}

int32_t typePageWidth(const QString& key)
{
    const auto sizes = bookSizes(key);
    return sizes ? sizes->pageWidth : 0;
}

} // namespace

// When the pool is rebuilt the source is the pool's own copy, already in its final form: it
// keeps its pixels, since re-encoding it at every restart or project load would wear it down
// and halve large copies again and again.
bool makePoolCopy(const QString& source, const QString& copy, bool jpeg, int orientation)
{
    if (sameFile(source, copy))
        return !jpeg || !orientationTurns(orientation) || reencodeCopy(copy, orientation);
    if (!QFile::copy(source, copy))
        return false;
    // A read-only source gives a read-only copy, which the pool must be able to replace.
    QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return !jpeg || reencodeCopy(copy, orientation);
}

// Empty on failure, so that nothing of the previous import is taken for this one.
TBigBitmap decodePoolSource(const QString& path, bool jpeg, int orientation)
{
    ImageLoadResult r = jpeg ? loadJpegScaled(path, 32) : readBmpFile(path);
    if (!r.ok() || !applyExifOrientation(r.bitmap, orientation))
        return {};
    return std::move(r.bitmap);
}

int photoFileKind(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toUpper();
    if (ext == QLatin1String("JPG") || ext == QLatin1String("JPEG"))
        return kFileKindPhoto;
    if (ext == QLatin1String("BMP"))
        return kFileKindPicture;
    return kFileKindOther;
}

bool TForm2::FileExtSub(const QString& path, int hint)
{
    const int kind = photoFileKind(path);
    if (kind == kFileKindOther)
        return false; // no pool names exist for it; the photo browser offers no such file
    const QString img = workFolder.imgFolder();
    if (!QDir().mkpath(img))
        return false; // nothing is added: an entry without files would only take a place
    const bool jpeg = kind == kFileKindPhoto;
    // Hint 0 decides by the extension, 1 makes a photo entry, 2 a picture entry.
    const bool picture = hint == 2 || (hint == 0 && !jpeg);
    const int n = int(main.pool.size());
    const QString copy = poolCopyPath(img, n, !jpeg);
    const bool rebuilding = sameFile(path, copy);

    main.busy.show();
    const int orientation = jpeg ? readExifOrientationFile(path) : 0;
    scratch = decodePoolSource(path, jpeg, orientation);
    // A file that holds no picture (text, empty, another format, a cut-off header) makes no
    // entry. The pool's own copy at a rebuild keeps its place, so that later numbers hold.
    if (scratch.isNull() && !rebuilding) {
        main.busy.hide();
        dialogs().showmess(kMsgPoolSourceUnreadable + QDir::toNativeSeparators(path));
        return false;
    }
    main.pool.append(TInfos{});
    TInfos& entry = main.pool[n];
    entry.name = picture ? kPoolPictureName : kPoolPhotoName;
    entry.isPicture = picture;
    entry.srcWidth = scratch.width();
    entry.srcHeight = scratch.height();
    main.window.refreshPhotoStrip();

    const int32_t pageWidth = typePageWidth(bookType);
    if (jpeg)
        fitLongSide(scratch, pageWidth, false, useMMX);
    if (!rebuilding)
        clearNewIndex(img, n, path);
    // At a rebuild the copy is the user's photo: its entry stays whatever else fails.
    if (!makePoolCopy(path, copy, jpeg, orientation)) {
        if (!rebuilding)
            return dropNewEntry(main, img, n, path, kMsgPoolCopyFailed);
        dialogs().showmess(kMsgPoolCopyFailed);
    }
    fitLongSide(scratch, pageWidth / 5, true, useMMX);
    if (scratch.isNull() || !writeBmpFile(scratch, poolThumbPath(img, n, !jpeg))) {
        if (!rebuilding)
            return dropNewEntry(main, img, n, path, kMsgPoolThumbFailed);
        dialogs().showmess(kMsgPoolThumbFailed);
    }
    main.busy.hide();
    return true;
}

} // namespace qv

// --- importing several photos at once (PhotoImportParallel.h) ---

namespace qv {

int32_t poolPageWidth(const QString& bookType) { return typePageWidth(bookType); }

// The same steps as FileExtSub's for a JPEG, on bitmaps and bytes that belong to no one else.
PreparedPhoto preparePoolPhoto(const QString& path, int32_t pageWidth, bool useMMX)
{
    PreparedPhoto p;
    const int orientation = readExifOrientationFile(path);
    TBigBitmap b = decodePoolSource(path, true, orientation);
    if (b.isNull())
        return p;
    p.srcWidth = b.width();
    p.srcHeight = b.height();
    fitLongSide(b, pageWidth, false, useMMX);
    fitLongSide(b, pageWidth / 5, true, useMMX);
    p.thumb = std::move(b);
    ImageLoadResult full = loadJpegFull(path);
    if (full.ok() && applyExifOrientation(full.bitmap, orientation))
        p.copy = encodeJpeg(full.bitmap, kPoolJpegQuality);
    return p;
}

bool commitPreparedPhoto(TForm2& doc, const QString& path, const PreparedPhoto& prepared)
{
    if (prepared.thumb.isNull())
        return doc.FileExtSub(path, 0);
    TMainState& main = doc.mainState();
    const QString img = doc.work().imgFolder();
    if (!QDir().mkpath(img))
        return false;
    main.pool.append(TInfos{kPoolPhotoName, false, prepared.srcWidth, prepared.srcHeight});
    const int n = int(main.pool.size()) - 1;
    const QString copy = poolCopyPath(img, n, false);
    main.busy.show();
    main.window.refreshPhotoStrip();
    if (!sameFile(path, copy))
        clearNewIndex(img, n, path);
    {
        ReplacingFile f(copy);
        if (prepared.copy.isEmpty() || !f.open() || !f.write(prepared.copy.constData(), prepared.copy.size())
            || !f.commit())
            return dropNewEntry(main, img, n, path, kMsgPoolCopyFailed);
    }
    if (!writeBmpFile(prepared.thumb, poolThumbPath(img, n, false)))
        return dropNewEntry(main, img, n, path, kMsgPoolThumbFailed);
    main.busy.hide();
    return true;
}

} // namespace qv
