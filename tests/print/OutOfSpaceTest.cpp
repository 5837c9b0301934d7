// Saving, importing, switching pages and printing where the disk is full or read-only: each
// either succeeds and reads back, or shows its message with the book file, the pages and the
// pool as they were. One test makes the writes fail by putting folders where the files go (runs
// everywhere); one fills a small file system of its own in 20 levels and then makes it
// read-only (needs the right to mount one; skipped otherwise).
#include "BmpCodec.h"
#include "FakePrinter.h"
#include "FormFixture.h"
#include "PageNavigator.h"
#include "PageRenderer.h"
#include "PdfExport.h"
#include "PhotoPool.h"
#include "PrintPanel.h"
#include "ProjectFile.h"
#include "WorkFolder.h"
#include <QCheckBox>
#include <QMap>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace qv;
using namespace qv::test;

namespace {

const QString kSaveFailed = "message: " + kMsgSaveFailed;
constexpr int kLevels = 20;

using Files = QMap<QString, QByteArray>;

/// The files a book consists of below a work folder (page folders and pool), by relative path.
Files bookFiles(const QString& root)
{
    Files out;
    for (const QString& path : listTree(root)) {
        const QString rel = path.mid(root.size());
        const QString top = rel.section('/', 0, 0);
        bool page = false;
        top.toInt(&page);
        if ((page || top == "img") && QFileInfo(path).isFile())
            out.insert(rel, readFile(path));
    }
    return out;
}

/// The book as a user would miss it: the book file, the pages and the pool.
struct BookState {
    QByteArray book;
    Files files;
    int pool = 0;
};

/// What differs between two states, leaving out the files of one page folder.
QStringList differences(const BookState& a, const BookState& b, const QString& pageLeftOut)
{
    QStringList out;
    if (a.book != b.book)
        out << "the book file";
    if (a.pool != b.pool)
        out << QStringLiteral("the pool (%1 entries, then %2)").arg(a.pool).arg(b.pool);
    QStringList names = a.files.keys() + b.files.keys();
    names.removeDuplicates();
    for (const QString& name : names)
        if (!name.startsWith(pageLeftOut) && a.files.value(name) != b.files.value(name))
            out << name;
    return out;
}

class OutOfSpace : public FormTest {
protected:
    FakePrinter printer;
    int stripRow = 0;

    TForm2& doc() { return *form->Form2; }
    QString book() const { return baseDir() + "books/album.qvb"; }
    QString pdf() const { return baseDir() + "books/page1.pdf"; }

    void makeBookWindow()
    {
        printer.userPaper = true;
        printer.dpi = 25;
        makeForm();
        form->state.window.selectPageRect = [](int, bool) {};
        form->state.window.photoStripRow = [this] { return stripRow; };
        QDir().mkpath(baseDir() + "books");
    }

    /// Two photos in the pool, one on page 1 and one on page 3 with a rectangle each, saved.
    void makeBook()
    {
        form->pageNavigator()->buildNavigator();
        for (const char* name : {"photos/DSCN0010.jpg", "photos/Canon_40D.jpg"})
            ASSERT_TRUE(doc().FileExtSub(testData(name), 0));
        for (int page : {1, 3}) {
            ASSERT_TRUE(doc().switchPage(page));
            stripRow = page / 2;
            doc().addImg(0, 0);
            addRectangle(page);
        }
        ASSERT_TRUE(doc().switchPage(1));
        PrintHooks& h = form->state.print;
        doc().menuMode = 6;
        h.prepareSettings();
        h.PrintStart();
        doc().menuMode = 8;
        script.fileAnswers.push_back(book());
        ASSERT_TRUE(doc().SaveFile());
        script.messages.clear();
    }

    void addRectangle(int seed)
    {
        TItemStatus it;
        it.kind = kKindRect;
        it.selected = false;
        it.centerX = 300 + seed;
        it.width = it.height = 100;
        doc().items.append(it);
    }

    BookState state() { return {readFile(book()), bookFiles(work()), int(form->state.pool.size())}; }

    /// Messages other than the file dialog's question.
    QStringList shown() const
    {
        QStringList out;
        for (const QString& m : script.messages)
            if (!m.startsWith("save: "))
                out << m;
        return out;
    }

    /// Runs one operation: either it succeeds without a message and readsBack holds, or it
    /// shows one of its messages and the book is as it was (the page being edited may have been
    /// written, which loses nothing). Gives "ok" or "refused".
    template <class Op, class ReadsBack>
    QString attempt(const char* what, const QString& where, Op op, ReadsBack readsBack, const QStringList& messages)
    {
        script.messages.clear();
        const BookState before = state();
        const bool ok = op();
        const QStringList said = shown();
        if (ok && said.isEmpty()) {
            EXPECT_TRUE(readsBack()) << what << " " << where.toStdString();
            return "ok";
        }
        EXPECT_FALSE(ok) << what << " " << where.toStdString() << ": a message for a success";
        EXPECT_FALSE(said.isEmpty()) << what << " " << where.toStdString() << ": a failure without a message";
        for (const QString& m : said)
            EXPECT_TRUE(messages.contains(m)) << what << " " << where.toStdString() << ": " << m.toStdString();
        EXPECT_EQ(differences(before, state(), QString::number(doc().currentPage) + '/'), QStringList())
            << what << " " << where.toStdString() << ": the book changed";
        return "refused";
    }

    QString save(const QString& where)
    {
        return attempt(
            "save", where,
            [this] {
                script.fileAnswers.push_back(book());
                return doc().SaveFile();
            },
            [this] {
                QTemporaryDir out;
                return readProjectFile(book(), out.path()).code == kReadOk && bookFiles(out.path() + '/') == bookFiles(work());
            },
            {kSaveFailed, "message: バックアップファイルの作成に失敗しました"});
    }

    QString import(const QString& where)
    {
        const int n = int(form->state.pool.size());
        return attempt(
            "import", where, [this] { return doc().FileExtSub(testData("photos/DSCN0012.jpg"), 0); },
            [this, n] {
                const QString img = doc().work().imgFolder();
                return form->state.pool.size() == n + 1 && loadJpegFull(poolCopyPath(img, n, false)).ok()
                    && readBmpFile(poolThumbPath(img, n, false)).ok();
            },
            {"message: " + kMsgPoolCopyFailed, "message: " + kMsgPoolThumbFailed});
    }

    /// A rectangle more on the page, then a click on another page's picture in the navigator.
    QString switchPage(const QString& where)
    {
        addRectangle(doc().itemCount());
        const int from = doc().currentPage, to = from == 1 ? 3 : 1, count = doc().itemCount();
        return attempt(
            "page switch", where,
            [&] {
                form->pageNavigator()->pageClick(to, 100);
                const bool switched = doc().currentPage == to;
                EXPECT_TRUE(switched || doc().itemCount() == count) << "the page stays open as it was";
                return switched;
            },
            [&] {
                ItemFileReader r;
                return r.open(doc().work().pageFolder(from) + kItemFileName) && r.count() == count;
            },
            {kSaveFailed});
    }

    /// The odd pages on the scripted printer, then page 1 into a PDF file.
    QString print(const QString& where)
    {
        const qsizetype sheets = printer.sheets.size();
        find<QCheckBox>("chkPrintCont")->setChecked(true);
        find<QRadioButton>("rdoOdd")->setChecked(true);
        QString error;
        const QByteArray oldPdf = readFile(pdf());
        return attempt(
            "print", where,
            [&] {
                form->printPanel->printLabelClick();
                if (printer.sheets.size() != sheets + 15)
                    return false;
                const bool written = exportPdf(*form->renderer, pdf(), {1}, 50, {}, &error);
                if (!written)
                    script.messages << "pdf: " + error;
                EXPECT_TRUE(written || readFile(pdf()) == oldPdf) << "a PDF file cut short";
                return written;
            },
            [&] {
                const QByteArray bytes = readFile(pdf());
                return bytes.startsWith("%PDF") && bytes.trimmed().endsWith("%%EOF");
            },
            {kSaveFailed, "pdf: cannot write the PDF file"});
    }

    QStringList everything(const QString& where)
    {
        return {switchPage(where), save(where), import(where), print(where)};
    }
};

qint64 freeBytes(const QString& dir)
{
    struct statvfs s {};
    return ::statvfs(QFile::encodeName(dir).constData(), &s) == 0 ? qint64(s.f_bavail) * qint64(s.f_frsize) : -1;
}

/// Takes space until about keep bytes are left free; the space comes back when the file goes.
bool fillUntil(const QString& file, qint64 keep)
{
    const qint64 take = freeBytes(QFileInfo(file).path()) - keep;
    if (take <= 0)
        return true;
    const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok = fd >= 0 && ::posix_fallocate(fd, 0, take) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

} // namespace

TEST_F(OutOfSpace, WritesThatFailShowTheirMessageAndKeepTheBook)
{
    makeBookWindow();
    makeBook();
    // The preview of a spread's page reads the facing page: never before this one is written.
    ASSERT_TRUE(doc().switchPage(3));
    addRectangle(9);
    const int onPage3 = doc().itemCount();
    ASSERT_TRUE(QDir().mkpath(work() + "3/qor.dat.new/blocked"));
    form->state.editSide = 2;
    doc().menuMode = 6;
    form->state.print.PrintStart();
    doc().menuMode = 8;
    EXPECT_EQ(doc().itemCount(), onPage3) << "the page was read again over its changes";
    QDir(work() + "3/qor.dat.new").removeRecursively();
    ASSERT_TRUE(doc().switchPage(1));

    const QString page = work() + "1/";
    const auto nextPoolFile = [this](auto name) { return name(doc().work().imgFolder(), doc().gaCount(), false); };
    // Every file an operation writes first goes under a name of its own, then into place: a
    // folder under that name fails the write as a full disk would.
    const std::function<QString()> blockers[] = {
        [&] { return page + "qor.dat.new"; },
        [&] { return page + "2.bmp.new"; },
        [&] { return nextPoolFile(poolCopyPath); },
        [&] { return nextPoolFile(poolThumbPath); },
    };
    for (const auto& blockerFor : blockers) {
        const QString blocker = blockerFor();
        ASSERT_TRUE(QDir().mkpath(blocker + "/blocked")) << blocker.toStdString();
        if (blocker.contains("2.bmp")) { // only a page with a new picture writes one
            stripRow = 1;
            doc().addImg(0, 0);
        }
        const QStringList outcome = {switchPage(blocker), print(blocker), save(blocker), import(blocker)};
        EXPECT_EQ(outcome, blocker.contains("/img/") ? QStringList({"ok", "ok", "ok", "refused"})
                                                     : QStringList({"refused", "refused", "refused", "ok"}))
            << blocker.toStdString();
        QDir(blocker).removeRecursively();
    }
    EXPECT_EQ(everything("after the blockers went"), QStringList({"ok", "ok", "ok", "ok"}));
}

TEST_F(OutOfSpace, SmallFileSystemFilledInTwentyLevelsThenReadOnly)
{
    const QByteArray root = QFile::encodeName(baseDir());
    if (::mount("tmpfs", root.constData(), "tmpfs", 0, "size=24m") != 0)
        GTEST_SKIP() << "no small file system can be mounted here: " << std::strerror(errno);
    makeBookWindow();
    makeBook();
    const qint64 ample = freeBytes(baseDir());
    const QString ballast = baseDir() + "ballast";
    std::printf("  level  free bytes  page switch / save / import / print\n");
    QMap<QString, int> refusals;
    for (int level = 0; level < kLevels; ++level) {
        const qint64 keep = ample * (kLevels - 1 - level) / (kLevels - 1);
        ASSERT_TRUE(fillUntil(ballast, keep));
        const QString where = QStringLiteral("at level %1 (%2 bytes free)").arg(level).arg(freeBytes(baseDir()));
        const QStringList outcome = everything(where);
        std::printf("  %5d  %10lld  %s\n", level, freeBytes(baseDir()), qPrintable(outcome.join(" / ")));
        for (int k = 0; k < 4; ++k)
            refusals[QString::number(k)] += outcome[k] == "refused";
        QFile::remove(ballast);
    }
    EXPECT_GT(refusals.value("1"), 0) << "the last levels leave no room for a save";

    ASSERT_EQ(::mount(nullptr, root.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << std::strerror(errno);
    const QStringList readOnly = everything("on a read-only file system");
    std::printf("  read-only: %s\n", qPrintable(readOnly.join(" / ")));
    EXPECT_EQ(readOnly, QStringList(4, "refused"));
    ::mount(nullptr, root.constData(), nullptr, MS_REMOUNT, nullptr);
    form.reset();
    ::umount2(root.constData(), MNT_DETACH);
}
