// Importing a photo file into the pool: the entry, its copy and its thumbnail.
#include "BmpCodec.h"
#include "BookTypes.h"
#include "Dialogs.h"
#include "ExifOrientation.h"
#include "FileNames.h"
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

PictureRequest screenRequest()
{
    PictureRequest rq = jpegScreenRequest(32);
    rq.upright = true;
    return rq;
}

PictureRequest copyRequest()
{
    PictureRequest rq = jpegFullRequest(24);
    rq.upright = true;
    return rq;
}

// The copy's encoded bytes grow beside the full bitmap while it is encoded.
constexpr qint64 kEncodedShare = 2; // at most half of the bitmap's bytes

// Decodes the copy's bytes at full (or half) size upright and writes them at quality 90. The
// new file replaces the copy only once it is complete, so a failure keeps the copy.
bool writeCopy(const PoolSource& source, const QString& copy)
{
    ImageLoadResult r = decodePicture(source.bytes, PictureFormat::Jpeg, copyRequest());
    return r.ok() && writeJpegFile(r.bitmap, copy, kPoolJpegQuality);
}

bool writeBytes(const QByteArray& bytes, const QString& path)
{
    ReplacingFile f(path);
    return f.open() && f.write(bytes.constData(), bytes.size()) && f.commit();
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

PictureProbe probePoolSource(const QByteArray& bytes, qint64 fileSize, bool jpeg)
{
    if (!jpeg)
        return probePicture(bytes, fileSize, PictureFormat::Bmp, {});
    // The screen picture is shrunk and kept while the copy is decoded, turned and encoded.
    const PictureProbe screen = probePicture(bytes, fileSize, PictureFormat::Jpeg, screenRequest());
    if (!screen.ok())
        return screen;
    PictureProbe copy = probePicture(bytes, fileSize, PictureFormat::Jpeg, copyRequest());
    if (!copy.ok())
        return copy;
    const qint64 bitmap = qint64(copy.outputWidth) * copy.outputHeight * 3;
    copy.peakBytes += qint64(screen.outputWidth) * screen.outputHeight * 4 + bitmap / kEncodedShare;
    if (!peakFits(copy.peakBytes))
        copy.error = QStringLiteral("importing the photo needs %1 MiB, more than the picture budget").arg(copy.peakBytes >> 20);
    return copy;
}

PoolSource readPoolSource(const QString& path, bool jpeg)
{
    PictureBytes in = readPictureFile(path);
    PoolSource s{std::move(in.bytes), jpeg, in.error};
    if (s.ok())
        s.error = probePoolSource(s.bytes, 0, jpeg).error;
    return s;
}

// Empty on failure, so that nothing of the previous import is taken for this one.
TBigBitmap decodePoolSource(const PoolSource& source)
{
    if (!source.ok())
        return {};
    ImageLoadResult r = source.jpeg ? decodePicture(source.bytes, PictureFormat::Jpeg, screenRequest())
                                    : decodePicture(source.bytes, PictureFormat::Bmp, {});
    return r.ok() ? std::move(r.bitmap) : TBigBitmap();
}

// When the pool is rebuilt the source is the pool's own copy, already in its final form: it
// keeps its pixels, since re-encoding it at every restart or project load would wear it down
// and halve large copies again and again.
bool makePoolCopy(const PoolSource& source, const QString& copy, bool rebuilding)
{
    if (rebuilding)
        return !source.jpeg || !orientationTurns(readExifOrientation(source.bytes)) || writeCopy(source, copy);
    if (QFile::exists(copy))
        return false; // never over a file that belongs to no one we know
    return source.jpeg ? writeCopy(source, copy) : writeBytes(source.bytes, copy);
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
    const PoolSource source = readPoolSource(path, jpeg);
    scratch = decodePoolSource(source);
    // A file that holds no picture (text, empty, another format, a cut-off header, a header
    // claiming more than its data or than the budget) makes no entry. The pool's own copy at a
    // rebuild keeps its place, so that later numbers hold.
    if (scratch.isNull()) {
        main.busy.hide();
        dialogs().showmess(kMsgPoolSourceUnreadable + displayFileName(QDir::toNativeSeparators(path)));
        if (!rebuilding)
            return false;
        main.pool.append(TInfos{picture ? kPoolPictureName : kPoolPhotoName, picture, 0, 0});
        main.window.refreshPhotoStrip();
        return true;
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
    if (!makePoolCopy(source, copy, rebuilding)) {
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

// The import workers' shared budget: the picture budget, however many of them there are.
SharedPictureBudget& importBudget()
{
    static SharedPictureBudget shared;
    return shared;
}

// The same steps as FileExtSub's for a JPEG, on bitmaps and bytes that belong to no one else.
// The import's peak is told from the file's head and taken from the shared budget before the
// file is read; a photo that cannot be prepared is left to FileExtSub, which says why.
PreparedPhoto preparePoolPhoto(const QString& path, int32_t pageWidth, bool useMMX)
{
    PreparedPhoto p;
    const PictureBytes head = readPictureHead(path);
    const PictureProbe probe = head.ok() ? probePoolSource(head.bytes, head.fileSize, true) : PictureProbe{};
    if (!head.ok() || !probe.ok())
        return p;
    const SharedPictureBudget::Share share = importBudget().take(probe.peakBytes);
    const PoolSource source = readPoolSource(path, true);
    TBigBitmap b = decodePoolSource(source);
    if (b.isNull())
        return p;
    p.srcWidth = b.width();
    p.srcHeight = b.height();
    fitLongSide(b, pageWidth, false, useMMX);
    fitLongSide(b, pageWidth / 5, true, useMMX);
    p.thumb = std::move(b);
    const ImageLoadResult full = decodePicture(source.bytes, PictureFormat::Jpeg, copyRequest());
    if (full.ok())
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
