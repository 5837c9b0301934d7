// The project file: byte layout, counts, round trip, hostile input, and saves that fail.
#include "MemoryFileOps.h"
#include "ProjectBook.h"
#include "ProjectFile.h"
#include "WorkFolder.h"
#include <QDirIterator>
#include <algorithm>
#include <gtest/gtest.h>
#include <climits>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qv;
using namespace qv::test;

namespace {

const QString kPalm = QStringLiteral("QorPALM         ");

QString base() { return baseDir(); }

ProjectSaveResult saveBook(const QString& work, const QString& path, const QString& code = kPalm)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return saveProjectFile(work, code, path);
}

/// "name=size" of a folder's entries in one section, in file order, separated by blanks.
std::string names(const QVector<ProjectEntry>& entries, ProjectSection section, const QString& folder)
{
    QStringList out;
    for (const ProjectEntry& e : entries) {
        if (e.section == section && e.folder == folder)
            out << QStringLiteral("%1=%2").arg(e.name).arg(e.size);
    }
    return out.join(' ').toStdString();
}

qint64 sizeOf(const QString& path) { return QFileInfo(path).size(); }

/// Caps the address space at what is in use plus headroom, so that any allocation the size
/// of a declared length makes the test fail instead of passing unnoticed.
class AddressSpaceCap {
public:
    explicit AddressSpaceCap(qint64 headroom)
    {
        getrlimit(RLIMIT_AS, &saved);
        rlimit cap = saved;
        cap.rlim_cur = rlim_t(inUse() + headroom);
        setrlimit(RLIMIT_AS, &cap);
    }
    ~AddressSpaceCap() { setrlimit(RLIMIT_AS, &saved); }

private:
    rlimit saved{};
    static qint64 inUse()
    {
        const QByteArray status = readBytes(QStringLiteral("/proc/self/status"));
        const qsizetype at = status.indexOf("VmSize:");
        return status.mid(at + 7, status.indexOf('\n', at) - at - 7).trimmed().split(' ').first().toLongLong() * 1024;
    }
};

} // namespace

TEST(ProjectFile, SaveThenLoadGivesTheSameFolder)
{
    const QString a = base() + "a", b = base() + "b", book = base() + "out/book.qvb";
    makeBook(a);
    const ProjectSaveResult saved = saveBook(a, book, QStringLiteral("QorMAPLE        "));
    ASSERT_EQ(saved.outcome, SaveOutcome::Saved) << saved.reason.toStdString();
    EXPECT_EQ(listing(base() + "out"), QStringList{"book.qvb"}); // no scratch or backup left

    const ProjectReadResult read = readProjectFile(book, b);
    ASSERT_EQ(read.code, kReadOk) << read.reason.toStdString();
    EXPECT_EQ(read.typeCode, QStringLiteral("QorMAPLE        "));
    EXPECT_EQ(read.version, kVersionWritten);
    EXPECT_FALSE(read.thumbCutShort);
    const QMap<QString, QByteArray> before = bookFiles(a), after = bookFiles(b);
    EXPECT_EQ(after.keys(), before.keys());
    EXPECT_TRUE(after == before);

    // Pages without qor.dat are stored empty and do not come back; undo and qor_std.dat stay out.
    EXPECT_EQ(names(saved.entries, ProjectSection::PageInfo, "9"), "qor.dat=0");
    EXPECT_EQ(names(saved.entries, ProjectSection::PageInfo, "2"), "qor.dat=0");
    for (const char* gone : {"9", "2", "undo", "qor_std.dat"})
        EXPECT_FALSE(QFileInfo::exists(b + '/' + gone)) << gone;

    const std::string pageOne = QStringLiteral("1.bmp=%1 2.bmp=%2 t1.bmp=%3 t2.bmp=%4")
                                  .arg(sizeOf(a + "/1/1.bmp")).arg(sizeOf(a + "/1/2.bmp"))
                                  .arg(sizeOf(a + "/1/t1.bmp")).arg(sizeOf(a + "/1/t2.bmp")).toStdString();
    EXPECT_EQ(names(saved.entries, ProjectSection::PageImage, "1"), pageOne);
    EXPECT_EQ(names(saved.entries, ProjectSection::OriginalImage, "img"),
              QStringLiteral("0_.jpg=%1 1.bmp=%2 2_.jpg=%3 t0_.bmp=%4 t1.bmp=%5 t2_.bmp=%6")
                  .arg(sizeOf(a + "/img/0_.jpg")).arg(sizeOf(a + "/img/1.bmp")).arg(sizeOf(a + "/img/2_.jpg"))
                  .arg(sizeOf(a + "/img/t0_.bmp")).arg(sizeOf(a + "/img/t1.bmp")).arg(sizeOf(a + "/img/t2_.bmp"))
                  .toStdString());
    EXPECT_EQ(names(saved.entries, ProjectSection::Thumb, "thumb"),
              QStringLiteral("Thumbs_001.bmp=%1 cache.db=4321").arg(sizeOf(a + "/thumb/Thumbs_001.bmp")).toStdString());

    QVector<ProjectEntry> listed;
    ASSERT_EQ(listProjectFile(book, &listed).code, kReadOk);
    EXPECT_EQ(listed, saved.entries);
}

TEST(ProjectFile, ReadsAndUnpacksThroughTheFileOperationsAlone)
{
    const QString a = base() + "a", book = base() + "book.qvb";
    makeBook(a);
    const ProjectSaveResult saved = saveBook(a, book);
    ASSERT_EQ(saved.outcome, SaveOutcome::Saved) << saved.reason.toStdString();

    MemoryFileOps memory; // nothing below /qv-memory exists on disk
    memory.addFolder("/qv-memory");
    memory.addFile("/qv-memory/book.qvb", readBytes(book));
    setProjectFileOps(&memory);
    QVector<ProjectEntry> listed;
    const int listCode = listProjectFile("/qv-memory/book.qvb", &listed).code;
    const ProjectReadResult read = readProjectFile("/qv-memory/book.qvb", "/qv-memory/work/deep");
    setProjectFileOps(nullptr);

    EXPECT_EQ(listCode, kReadOk);
    EXPECT_EQ(listed, saved.entries);
    ASSERT_EQ(read.code, kReadOk) << read.reason.toStdString();
    QMap<QString, QByteArray> unpacked;
    const std::string work = "/qv-memory/work/deep/";
    for (const auto& [path, node] : memory.tree())
        if (!node.folder && path.rfind(work, 0) == 0)
            unpacked[QString::fromStdString(path.substr(work.size()))] = node.data;
    EXPECT_TRUE(unpacked == bookFiles(a));
    EXPECT_EQ(memory.openCount(), 0);
    EXPECT_FALSE(QFileInfo::exists("/qv-memory"));
}

TEST(ProjectFile, ByteLayoutOfASmallBook)
{
    const QString w = base() + "w/", book = base() + "book.qvb";
    writeFile(w + "0/qor.dat", "ABCDE");
    writeFile(w + "2/1.bmp", "XY");
    writeFile(w + "2/t1.bmp", "Z");
    writeFile(w + "img/0_.jpg", "JPG!");
    writeFile(w + "img/t0_.bmp", "tb");
    writeFile(w + "thumb/c.db", "cc");
    ASSERT_EQ(saveBook(w, book, QStringLiteral("QorCEDAR        ")).outcome, SaveOutcome::Saved);

    QByteArray expected = headerFor("QorCEDAR");
    putTag(expected, "PageInfo");
    for (int n = 0; n < 17; ++n) {
        putInt(expected, n);
        putEntry(expected, "qor.dat", n == 0 ? "ABCDE" : "");
    }
    putTag(expected, "PageImage");
    for (int n = 0; n < 17; ++n) {
        putInt(expected, n);
        putInt(expected, n == 2 ? 1 : 0);
        if (n == 2) {
            putEntry(expected, "1.bmp", "XY");
            putEntry(expected, "t1.bmp", "Z");
        }
    }
    putTag(expected, "OriginalImage");
    putInt(expected, 1);
    putEntry(expected, "0_.jpg", "JPG!");
    putEntry(expected, "t0_.bmp", "tb");
    putTag(expected, "Thumb");
    putInt(expected, 1);
    putEntry(expected, "c.db", "cc");

    const QByteArray file = readBytes(book);
    EXPECT_EQ(file.size(), 653);
    EXPECT_EQ(file, expected);
    EXPECT_EQ(file.left(17), QByteArray("QorCEDAR        \0", 17));
}

TEST(ProjectFile, BookWithoutPlacedImagesWritesZeroCounts)
{
    const QString w = base() + "w/", book = base() + "book.qvb";
    for (int p = 0; p < 17; ++p)
        writeFile(w + QString::number(p) + "/qor.dat", encodeItemFile(sampleItems(p)));
    writeFile(w + "img/0_.jpg", patternBytes(5000, 1));
    writeFile(w + "img/t0_.bmp", bmpBytes(10, 8, 2));
    const ProjectSaveResult saved = saveBook(w, book);
    ASSERT_EQ(saved.outcome, SaveOutcome::Saved);

    const QByteArray file = readBytes(book);
    const qsizetype at = file.indexOf(QByteArray("PageImage\0", 10));
    ASSERT_GT(at, 0);
    QByteArray expected;
    for (int n = 0; n < 17; ++n) {
        putInt(expected, n);
        putInt(expected, 0);
    }
    putTag(expected, "OriginalImage");
    EXPECT_EQ(file.mid(at + 10, expected.size()), expected);
    for (const ProjectEntry& e : saved.entries)
        EXPECT_NE(e.section, ProjectSection::PageImage) << e.name.toStdString();
}

TEST(ProjectFile, CountsAreHalfTheFilesRoundedToEvenAndKeepEveryNumberedFile)
{
    const QString w = base() + "w/", book = base() + "book.qvb";
    auto put = [&](const QString& rel) { writeFile(w + rel, patternBytes(100, int(qHash(rel)))); };
    for (const char* f : {"1/1.bmp", "1/t1.bmp", "1/x.bmp"})                      // 3 files: k = 2
        put(f);
    for (const char* f : {"2/1.bmp", "2/2.bmp", "2/t1.bmp", "2/t2.bmp", "2/x.bmp"}) // 5 files: k = 2
        put(f);
    for (const char* f : {"3/1.bmp", "3/2.bmp", "3/3.bmp", "3/t1.bmp", "3/t2.bmp", "3/t3.bmp", "3/x.bmp"})
        put(f);                                                                      // 7 files: k = 4
    for (const char* f : {"4/1.bmp", "4/2.bmp", "4/3.bmp", "4/t1.bmp", "4/t2.bmp"}) // 5 files, slot 3 present
        put(f);
    put("5/t1.bmp"); // one thumbnail alone: half of 1 rounds to 0, but the file is kept
    for (const char* f : {"img/0_.jpg", "img/t0_.bmp", "img/1.bmp", "img/1_.jpg", "img/t1.bmp", "img/3_.jpg", "img/t3_.bmp"})
        put(f);
    const ProjectSaveResult saved = saveBook(w, book);
    ASSERT_EQ(saved.outcome, SaveOutcome::Saved);

    const QVector<ProjectEntry>& e = saved.entries;
    EXPECT_EQ(names(e, ProjectSection::PageImage, "1"), "1.bmp=100 2.bmp=0 t1.bmp=100 t2.bmp=0");
    EXPECT_EQ(names(e, ProjectSection::PageImage, "2"), "1.bmp=100 2.bmp=100 t1.bmp=100 t2.bmp=100");
    EXPECT_EQ(names(e, ProjectSection::PageImage, "3"),
              "1.bmp=100 2.bmp=100 3.bmp=100 4.bmp=0 t1.bmp=100 t2.bmp=100 t3.bmp=100 t4.bmp=0");
    EXPECT_EQ(names(e, ProjectSection::PageImage, "4"),
              "1.bmp=100 2.bmp=100 3.bmp=100 t1.bmp=100 t2.bmp=100 t3.bmp=0");
    EXPECT_EQ(names(e, ProjectSection::PageImage, "5"), "1.bmp=0 t1.bmp=100");
    // A picture's .bmp wins over a stray .jpg of the same number; the gap at 2 keeps its place.
    EXPECT_EQ(names(e, ProjectSection::OriginalImage, "img"),
              "0_.jpg=100 1.bmp=100 2_.jpg=0 3_.jpg=100 t0_.bmp=100 t1.bmp=100 t2_.bmp=0 t3_.bmp=100");

    const QString b = base() + "b/";
    ASSERT_EQ(readProjectFile(book, b).code, kReadOk);
    EXPECT_EQ(listing(b + "img").join(QLatin1Char(' ')).toStdString(), "0_.jpg 1.bmp 3_.jpg t0_.bmp t1.bmp t3_.bmp");
    EXPECT_EQ(listing(b + "5"), QStringList{"t1.bmp"});
}

TEST(ProjectFile, HeaderAndVersionDecideTheFirstCodes)
{
    const QString w = base() + "w", file = base() + "f.qvb";
    QByteArray pageInfo0;
    putEntry(pageInfo0, "qor.dat", "ABCDE");
    const QByteArray rest = handMadeBook(pageInfo0).mid(17 + 24); // the sections after the version
    const QByteArray header = QByteArray("QorPALM").leftJustified(16, ' ') + '\0';
    auto withVersion = [&](ProjectVersion v) {
        QByteArray b = header;
        putTag(b, "Version");
        for (int32_t x : v)
            putInt(b, x);
        return b;
    };
    struct Case {
        const char* what;
        QByteArray bytes;
        int code;
    };
    const Case cases[] = {
        {"empty", QByteArray(), kReadNoHeader},
        {"16 bytes", header.left(16), kReadNoHeader},
        {"text", "This is a plain text file, not a book at all.\n", kReadBadVersion},
        {"header only", header, kReadBadVersion},
        {"lower-case tag", header + QByteArray("version\0", 8) + withVersion({3, 0, 0, 0}).mid(25), kReadBadVersion},
        {"version 4", withVersion({4, 0, 0, 0}) + rest, kReadBadVersion},
        {"version 3.0.0.1", withVersion({3, 0, 0, 1}) + rest, kReadBadVersion},
        {"version 2.0.1.0", withVersion({2, 0, 1, 0}) + rest, kReadBadVersion},
        {"version cut short", withVersion({3, 0, 0, 0}).left(17 + 8 + 12), kReadFailed},
        {"version 2", withVersion({2, 0, 0, 0}) + rest, kReadOk},
        {"version 3", withVersion({3, 0, 0, 0}) + rest, kReadOk},
    };
    for (const Case& c : cases) {
        deleteTree(w);
        writeFile(file, c.bytes);
        const ProjectReadResult r = readProjectFile(file, w);
        EXPECT_EQ(r.code, c.code) << c.what << ": " << r.reason.toStdString();
        EXPECT_EQ(QFileInfo::exists(w + "/0/qor.dat"), c.code == kReadOk) << c.what;
        if (c.code == kReadOk) {
            EXPECT_EQ(readBytes(w + "/0/qor.dat"), "ABCDE");
            EXPECT_EQ(r.typeCode, kPalm);
            EXPECT_EQ(r.version[0], c.bytes.at(25)) << c.what;
        }
    }
    EXPECT_EQ(readProjectFile(base() + "missing.qvb", w).code, kReadFailed);
}

TEST(ProjectFile, DamagedSectionsFailAndKeepWhatWasUnpacked)
{
    const QString w = base() + "w/", file = base() + "f.qvb";
    QByteArray page0;
    putEntry(page0, "qor.dat", "ABCDE");
    const QByteArray good = handMadeBook(page0);
    const qsizetype pageInfoAt = 17 + 24;
    const qsizetype page3Index = pageInfoAt + 9 + (4 + 4 + 8 + 4 + 5) + 2 * 20;
    const qsizetype pageImageAt = good.indexOf(QByteArray("PageImage\0", 10));
    const qsizetype poolAt = good.indexOf(QByteArray("OriginalImage\0", 14));
    const qsizetype thumbAt = good.indexOf(QByteArray("Thumb\0", 6));
    ASSERT_EQ(good.mid(page3Index, 4), QByteArray("\3\0\0\0", 4));

    struct Case {
        const char* what;
        QByteArray bytes;
        bool pageKept;
    };
    auto patched = [&](qsizetype at, const QByteArray& with) { return QByteArray(good).replace(at, with.size(), with); };
    QByteArray hugeK;
    putInt(hugeK, INT_MAX);
    const Case cases[] = {
        {"wrong PageInfo tag", patched(pageInfoAt, "PageInfX"), false},
        {"folder 3 numbered 4", patched(page3Index, QByteArray("\4\0\0\0", 4)), true},
        {"image count beyond the file", patched(pageImageAt + 10 + 4, hugeK), true},
        {"ends inside OriginalImage", good.left(poolAt + 14 + 2), true},
        {"ends before OriginalImage", good.left(poolAt), true},
        {"wrong Thumb tag", patched(thumbAt, "Thumx"), true},
    };
    for (const Case& c : cases) {
        deleteTree(w);
        writeFile(file, c.bytes);
        const ProjectReadResult r = readProjectFile(file, w);
        EXPECT_EQ(r.code, kReadFailed) << c.what;
        EXPECT_FALSE(r.reason.isEmpty()) << c.what;
        EXPECT_EQ(QFileInfo::exists(w + "0/qor.dat"), c.pageKept) << c.what;
    }
}

TEST(ProjectFile, ThumbCutShortStillCountsAsRead)
{
    const QString a = base() + "a/", b = base() + "b/", book = base() + "book.qvb", cut = base() + "cut.qvb";
    makeBook(a);
    const ProjectSaveResult saved = saveBook(a, book);
    ASSERT_EQ(saved.outcome, SaveOutcome::Saved);
    const QByteArray whole = readBytes(book);
    // Offsets from the end: the two thumbnail entries, their count and the tag.
    const qint64 cacheEntry = 4 + 9 + 4 + 4321;
    const qint64 firstEntry = 4 + 15 + 4 + sizeOf(a + "thumb/Thumbs_001.bmp");
    const qint64 thumbAt = whole.size() - cacheEntry - firstEntry - 4 - 6;
    ASSERT_EQ(whole.mid(thumbAt, 6), QByteArray("Thumb\0", 6));

    struct Case {
        const char* what;
        qint64 length;
        QStringList thumbs;
    };
    const Case cases[] = {
        {"ends before the tag", thumbAt, {}},
        {"ends inside the tag", thumbAt + 3, {}},
        {"ends inside the count", thumbAt + 6 + 2, {}},
        {"ends inside the first name", thumbAt + 10 + 4 + 5, {}},
        {"ends inside the second file", whole.size() - 100, {"Thumbs_001.bmp"}},
    };
    QMap<QString, QByteArray> expected = bookFiles(a);
    for (auto it = expected.begin(); it != expected.end();)
        it = it.key().startsWith("thumb/") ? expected.erase(it) : std::next(it);
    for (const Case& c : cases) {
        deleteTree(b);
        writeFile(cut, whole.left(c.length));
        const ProjectReadResult r = readProjectFile(cut, b);
        EXPECT_EQ(r.code, kReadOk) << c.what << ": " << r.reason.toStdString();
        EXPECT_TRUE(r.thumbCutShort) << c.what;
        QMap<QString, QByteArray> got = bookFiles(b);
        for (auto it = got.begin(); it != got.end();)
            it = it.key().startsWith("thumb/") ? got.erase(it) : std::next(it);
        EXPECT_TRUE(got == expected) << c.what;
        EXPECT_EQ(listing(b + "thumb"), c.thumbs) << c.what; // no half-written file
    }
}

TEST(ProjectFile, AStoredFileNamedLikeTheUnpackScratchSurvives)
{
    const QString w = base() + "w/", file = base() + "book.qvb";
    QByteArray page0, thumbs;
    putEntry(page0, "qor.dat", {});
    putEntry(thumbs, ".qvb-unpack.part", "first");
    putEntry(thumbs, ".qvb-unpack.1.part", "second");
    putEntry(thumbs, "cache.db", "third");
    writeFile(file, handMadeBook(page0, {}, 0, thumbs, 3));
    ASSERT_EQ(readProjectFile(file, w).code, kReadOk);
    EXPECT_EQ(listing(w + "thumb"), (QStringList{".qvb-unpack.1.part", ".qvb-unpack.part", "cache.db"}));
    EXPECT_EQ(readBytes(w + "thumb/.qvb-unpack.part"), "first");
    EXPECT_EQ(readBytes(w + "thumb/.qvb-unpack.1.part"), "second");
}

TEST(ProjectFile, EntryNamesThatLeaveTheirFolderAreRefused)
{
    const QString w = base() + "w/", file = base() + "evil.qvb";
    const QString outside = QStringLiteral("/tmp/qv-evil-%1").arg(::getpid());
    const QByteArray names[] = {"../evil", outside.toUtf8(), "..\\x", "C:x", "a/b", ".", "..", "", "evil/"};
    for (const QByteArray& name : names) {
        for (int place = 0; place < 3; ++place) {
            QByteArray entry;
            putEntry(entry, name, "EVIL");
            QByteArray page0;
            putEntry(page0, "qor.dat", "ABCDE");
            const QByteArray bytes = place == 0 ? handMadeBook(entry)
                : place == 1                    ? handMadeBook(page0, entry + entry, 1)
                                                : handMadeBook(page0, {}, 0, entry, 1);
            deleteTree(w);
            QDir().mkpath(w);
            writeFile(file, bytes);
            const QStringList parentBefore = listing(base());
            const ProjectReadResult r = readProjectFile(file, w);
            // In the thumbnail cache a bad entry ends the section and the file still counts as read.
            EXPECT_EQ(r.code, place == 2 ? kReadOk : kReadFailed) << name.toStdString() << " in section " << place;
            EXPECT_EQ(r.thumbCutShort, place == 2) << name.toStdString();
            EXPECT_EQ(listing(base()), parentBefore);
            EXPECT_FALSE(QFileInfo::exists(outside));
            QDirIterator it(base(), QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                EXPECT_NE(readBytes(it.next()), "EVIL") << it.filePath().toStdString();
        }
    }
    // The name's terminating byte must be zero.
    QByteArray bad;
    putInt(bad, 7);
    bad.append("qor.datX");
    putInt(bad, 0);
    writeFile(file, handMadeBook(bad));
    EXPECT_EQ(readProjectFile(file, w).code, kReadFailed);
}

TEST(ProjectFile, LinksInTheWorkFolderAreReplacedNotFollowed)
{
    const QString w = base() + "w/", out = base() + "outside/", file = base() + "f.qvb";
    writeFile(out + "secret.txt", "keep");
    QDir().mkpath(w + "thumb");
    QDir().mkpath(out + "pool");
    QDir().mkpath(out + "page");
    ASSERT_TRUE(QFile::link(out + "secret.txt", w + "thumb/cache.db"));
    ASSERT_TRUE(QFile::link(out + "pool", w + "img"));
    ASSERT_TRUE(QFile::link(out + "page", w + "0"));

    QByteArray page0, pool, thumbs;
    putEntry(page0, "qor.dat", "ABCDE");
    putEntry(pool, "0_.jpg", "JPEG");
    putEntry(pool, "t0_.bmp", "BMP");
    putEntry(thumbs, "cache.db", "new");
    writeFile(file, handMadeBook(page0, pool, 1, thumbs, 1));
    ASSERT_EQ(readProjectFile(file, w).code, kReadOk);

    EXPECT_EQ(readBytes(out + "secret.txt"), "keep");
    EXPECT_TRUE(listing(out + "pool").isEmpty());
    EXPECT_TRUE(listing(out + "page").isEmpty());
    for (const char* rel : {"thumb/cache.db", "img", "0"})
        EXPECT_FALSE(QFileInfo(w + rel).isSymLink()) << rel;
    EXPECT_EQ(readBytes(w + "thumb/cache.db"), "new");
    EXPECT_EQ(readBytes(w + "img/0_.jpg"), "JPEG");
    EXPECT_EQ(readBytes(w + "0/qor.dat"), "ABCDE");
}

TEST(ProjectFile, ReadsWhatTheFormatAllows)
{
    const QString w = base() + "w/", file = base() + "f.qvb";
    auto named = [](int32_t length, const QByteArray& nameBytes, const QByteArray& content) {
        QByteArray b;
        putInt(b, length);
        b.append(nameBytes);
        putInt(b, int32_t(content.size()));
        b.append(content);
        return b;
    };
    QByteArray thumbs;
    putEntry(thumbs, "a.db", "kept");
    thumbs += named(7, QByteArray("../evil\0", 8), "x"); // unsafe: ends the cache, not the load
    struct Case {
        const char* what;
        QByteArray page0, pool;
        int poolCount;
        const char* page0File; // content of 0/qor.dat, or nullptr for no page folder
    };
    const Case cases[] = {
        {"bytes after the name's zero", named(10, QByteArray("qor.dat\0xyz", 11), "ABCDE"), {}, 0, "ABCDE"},
        {"empty name, size 0", named(0, QByteArray("\0", 1), {}), {}, 0, nullptr},
        {"negative pool count", named(7, QByteArray("qor.dat\0", 8), "AB"), {}, -4, "AB"},
    };
    for (const Case& c : cases) {
        deleteTree(w);
        writeFile(file, handMadeBook(c.page0, c.pool, c.poolCount, thumbs, 2));
        const ProjectReadResult r = readProjectFile(file, w);
        EXPECT_EQ(r.code, kReadOk) << c.what << ": " << r.reason.toStdString();
        EXPECT_TRUE(r.thumbCutShort) << c.what;
        if (c.page0File)
            EXPECT_EQ(readBytes(w + "0/qor.dat"), c.page0File) << c.what;
        else
            EXPECT_FALSE(QFileInfo::exists(w + "0")) << c.what;
        EXPECT_TRUE(listing(w + "img").isEmpty()) << c.what;
        EXPECT_EQ(listing(w + "thumb"), QStringList{"a.db"}) << c.what;
        EXPECT_FALSE(QFileInfo::exists(base() + "evil")) << c.what;
    }
}

TEST(ProjectFile, DeclaredLengthsBeyondTheFileAllocateNothing)
{
    const QString w = base() + "w/", file = base() + "f.qvb";
    auto entryWith = [](int32_t nameLength, const QByteArray& name, int32_t size) {
        QByteArray b;
        putInt(b, nameLength);
        b.append(name);
        putInt(b, size);
        b.append("abc");
        return b;
    };
    struct Case {
        const char* what;
        QByteArray page0;
    };
    const Case cases[] = {
        {"size INT_MAX", entryWith(7, QByteArray("qor.dat\0", 8), INT_MAX)},
        {"size just past the end", entryWith(7, QByteArray("qor.dat\0", 8), 4000)},
        {"negative size", entryWith(7, QByteArray("qor.dat\0", 8), -5)},
        {"name length INT_MAX", entryWith(INT_MAX, "qor.dat", 3)},
        {"name length 300", entryWith(300, "qor.dat", 3)},
        {"negative name length", entryWith(-1, "qor.dat", 3)},
        {"zero name length", entryWith(0, QByteArray("\0", 1), 3)},
    };
    const AddressSpaceCap cap(256LL << 20);
    for (const Case& c : cases) {
        deleteTree(w);
        writeFile(file, handMadeBook(c.page0));
        const ProjectReadResult r = readProjectFile(file, w);
        EXPECT_EQ(r.code, kReadFailed) << c.what;
        EXPECT_TRUE(listing(w + "0").isEmpty()) << c.what;
    }
    // Inside "Thumb" a size past the end is a file cut short: read, without that file.
    QByteArray page0, thumbs;
    putEntry(page0, "qor.dat", "ABCDE");
    thumbs = entryWith(4, QByteArray("a.db\0", 5), INT_MAX);
    deleteTree(w);
    writeFile(file, handMadeBook(page0, {}, 0, thumbs, 1));
    const ProjectReadResult r = readProjectFile(file, w);
    EXPECT_EQ(r.code, kReadOk);
    EXPECT_TRUE(r.thumbCutShort);
    EXPECT_TRUE(listing(w + "thumb").isEmpty());
    EXPECT_EQ(readBytes(w + "0/qor.dat"), "ABCDE");
}

// --- saving safely ---

namespace {

struct Injection {
    const char* what;
    FailingOps::Kind kind;
    int at;
    const char* leftBehind; // what the book's folder holds afterwards
    int error = ENOSPC;
    bool noLinks = false;
};

void PrintTo(const Injection& i, std::ostream* os) { *os << i.what; }

class ProjectSaveFailure : public testing::TestWithParam<Injection> {};

} // namespace

TEST_P(ProjectSaveFailure, LeavesThePreviousBookWhole)
{
    const Injection& inj = GetParam();
    const QString w = base() + "w/", dir = base() + "books/", book = dir + "book.qvb";
    makeBook(w);
    ASSERT_EQ(saveBook(w, book).outcome, SaveOutcome::Saved);
    const QByteArray previous = readBytes(book);
    const QMap<QString, QByteArray> previousFiles = bookFiles(w);
    writeFile(w + "7/qor.dat", encodeItemFile(sampleItems(7))); // the change being saved

    ProjectSaveResult r;
    {
        FailingOps ops(inj.kind, inj.at, inj.error);
        ops.noLinks = inj.noLinks;
        r = saveProjectFile(w, kPalm, book);
        if (inj.kind == FailingOps::Write) {
            EXPECT_EQ(ops.calls[FailingOps::Write], 2) << "the failure comes after a first piece was written";
        }
    }
    if (inj.kind == FailingOps::Write) { // a full disk is the book's, not a photo's
        EXPECT_TRUE(r.reason.startsWith(book + ": ")) << r.reason.toStdString();
    }
    EXPECT_NE(r.outcome, SaveOutcome::Saved);
    const bool backupStep = inj.kind == FailingOps::Link || (inj.noLinks && inj.kind == FailingOps::Rename && inj.at == 1);
    EXPECT_EQ(r.outcome == SaveOutcome::BackupFailed, backupStep);
    EXPECT_FALSE(r.reason.isEmpty());
    EXPECT_EQ(listing(dir).join(' '), QString::fromLatin1(inj.leftBehind));

    // The previous book is there, byte for byte, and loads.
    const QString kept = QFileInfo::exists(dir + "book.qvp") ? dir + "book.qvp" : book;
    EXPECT_EQ(readBytes(kept), previous);
    const QString back = base() + "back/";
    ASSERT_EQ(readProjectFile(kept, back).code, kReadOk);
    EXPECT_TRUE(bookFiles(back) == previousFiles);
    if (listing(dir).size() == 2) { // switched, then the folder flush failed: the new book is whole too
        deleteTree(back);
        ASSERT_EQ(readProjectFile(book, back).code, kReadOk);
        EXPECT_TRUE(QFileInfo::exists(back + "7/qor.dat"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    AtEveryStep, ProjectSaveFailure,
    testing::Values(Injection{"second write", FailingOps::Write, 2, "book.qvb"},
                    Injection{"file flush", FailingOps::Fsync, 1, "book.qvb"},
                    Injection{"folder flush", FailingOps::Fsync, 2, "book.qvb"},
                    Injection{"backup link", FailingOps::Link, 1, "book.qvb"},
                    Injection{"switch rename", FailingOps::Rename, 1, "book.qvb"},
                    Injection{"folder flush after the switch", FailingOps::Fsync, 3, "book.qvb book.qvp"},
                    Injection{"second write on a read only disk", FailingOps::Write, 2, "book.qvb", EROFS},
                    Injection{"backup link on a read only disk", FailingOps::Link, 1, "book.qvb", EROFS},
                    Injection{"switch rename on a read only disk", FailingOps::Rename, 1, "book.qvb", EROFS},
                    Injection{"backup rename without links", FailingOps::Rename, 1, "book.qvb", ENOSPC, true},
                    Injection{"switch rename without links", FailingOps::Rename, 2, "book.qvp", ENOSPC, true}),
    [](const testing::TestParamInfo<Injection>& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(ProjectSave, ShortWritesSaveAndChangedBytesAreCaught)
{
    const QString w = base() + "w/", dir = base() + "books/", book = dir + "book.qvb";
    makeBook(w, 1500000);
    {
        FailingOps ops(FailingOps::None, 0);
        ops.maxWrite = 1000; // a disk that takes small pieces
        ASSERT_EQ(saveBook(w, book).outcome, SaveOutcome::Saved);
    }
    ASSERT_EQ(readProjectFile(book, base() + "b").code, kReadOk);
    EXPECT_TRUE(bookFiles(base() + "b") == bookFiles(w));
    const QByteArray previous = readBytes(book);

    writeFile(w + "7/qor.dat", encodeItemFile(sampleItems(7)));
    FailingOps ops(FailingOps::None, 0);
    ops.flipAByte = true; // stored wrongly, reported as written
    const ProjectSaveResult r = saveProjectFile(w, kPalm, book);
    EXPECT_EQ(r.outcome, SaveOutcome::WriteFailed);
    EXPECT_EQ(readBytes(book), previous);
    EXPECT_EQ(listing(dir), QStringList{"book.qvb"});
}

TEST(ProjectSave, RefusesMissingFoldersAndFolderNames)
{
    const QString w = base() + "w/", dir = base() + "books/";
    makeBook(w, 1000);
    EXPECT_EQ(saveProjectFile(w, kPalm, base() + "no/such/folder/book.qvb").outcome, SaveOutcome::WriteFailed);
    EXPECT_FALSE(QFileInfo::exists(base() + "no"));
    QDir().mkpath(dir + "folder.qvb/inside");
    EXPECT_EQ(saveProjectFile(w, kPalm, dir + "folder.qvb").outcome, SaveOutcome::WriteFailed);
    EXPECT_TRUE(QFileInfo(dir + "folder.qvb/inside").isDir());
    EXPECT_EQ(listing(dir), QStringList{"folder.qvb"});
}

TEST(ProjectSave, ReplacesNoFileItDidNotMake)
{
    const QString w = base() + "w/", dir = base() + "books/", book = dir + "book.qvb";
    makeBook(w, 1000);
    ASSERT_EQ(saveBook(w, book).outcome, SaveOutcome::Saved);
    const QByteArray previous = readBytes(book);
    writeFile(w + "7/qor.dat", encodeItemFile(sampleItems(7)));

    // The user's own book.BAK stops the save before anything changes.
    writeFile(dir + "book.BAK", "mine");
    EXPECT_EQ(saveProjectFile(w, kPalm, book).outcome, SaveOutcome::BackupFailed);
    EXPECT_EQ(listing(dir), (QStringList{"book.BAK", "book.qvb"}));
    EXPECT_EQ(readBytes(dir + "book.BAK"), "mine");
    EXPECT_EQ(readBytes(book), previous);

    // A failed switch beside the user's own book.qvp keeps the previous book as .BAK where it
    // had to be renamed (no links), and under its own name where it was linked.
    ASSERT_TRUE(QFile::rename(dir + "book.BAK", dir + "book.qvp"));
    for (const bool noLinks : {true, false}) {
        {
            FailingOps ops(FailingOps::Rename, noLinks ? 2 : 1);
            ops.noLinks = noLinks;
            EXPECT_EQ(saveProjectFile(w, kPalm, book).outcome, SaveOutcome::WriteFailed);
        }
        const QString kept = noLinks ? "book.BAK" : "book.qvb";
        EXPECT_EQ(listing(dir), (QStringList{kept, "book.qvp"})) << noLinks;
        EXPECT_EQ(readBytes(dir + "book.qvp"), "mine");
        EXPECT_EQ(readBytes(dir + kept), previous);
        if (noLinks) {
            ASSERT_TRUE(QFile::rename(dir + kept, book));
        }
    }

    // A save killed after linking leaves book.BAK as a second name of the book itself: the next
    // save takes it away rather than refusing. At every moment book.qvb held a whole book.
    ASSERT_TRUE(QFile::remove(dir + "book.qvp"));
    ASSERT_EQ(::link(QFile::encodeName(book).constData(), QFile::encodeName(dir + "book.BAK").constData()), 0);
    EXPECT_EQ(saveProjectFile(w, kPalm, book).outcome, SaveOutcome::Saved);
    EXPECT_EQ(listing(dir), QStringList{"book.qvb"});
    EXPECT_NE(readBytes(book), previous);
}

TEST(ProjectSave, WritesThroughLinksKeepsModesAndClearsCrashedScratch)
{
    const QString w = base() + "w/", dir = base() + "books/", book = dir + "book.qvb";
    makeBook(w, 1000);
    ASSERT_EQ(saveBook(w, book).outcome, SaveOutcome::Saved);
    const auto mode = [](const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0u;
    };
    writeFile(dir + ".book.qvb.1f2e.part", "left by a crash");
    writeFile(dir + ".other.qvb.1f2e.part", "another book's");
    ASSERT_EQ(::chmod(QFile::encodeName(book).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(book, dir + "link.qvb"));
    writeFile(w + "7/qor.dat", encodeItemFile(sampleItems(7)));

    ASSERT_EQ(saveProjectFile(w, kPalm, dir + "link.qvb").outcome, SaveOutcome::Saved);
    EXPECT_EQ(listing(dir), (QStringList{".other.qvb.1f2e.part", "book.qvb", "link.qvb"}));
    EXPECT_TRUE(QFileInfo(dir + "link.qvb").isSymLink());
    EXPECT_EQ(mode(book), 0600u);
    ASSERT_EQ(readProjectFile(book, base() + "back/").code, kReadOk);
    EXPECT_TRUE(QFileInfo::exists(base() + "back/7/qor.dat"));

    // A read-only book is refused, not replaced.
    const QByteArray saved = readBytes(book);
    ASSERT_EQ(::chmod(QFile::encodeName(book).constData(), 0444), 0);
    const ProjectSaveResult r = saveProjectFile(w, kPalm, book);
    EXPECT_EQ(r.outcome, SaveOutcome::WriteFailed);
    EXPECT_TRUE(r.reason.contains("read-only")) << r.reason.toStdString();
    EXPECT_EQ(readBytes(book), saved);
    EXPECT_EQ(mode(book), 0444u);
}

TEST(ProjectSave, BackupAndFailureNamesReplaceTheExtension)
{
    EXPECT_EQ(withExtension("/b/book.qvb", ".BAK"), "/b/book.BAK");
    EXPECT_EQ(withExtension("/b/my.book.qvb", ".qvp"), "/b/my.book.qvp");
    EXPECT_EQ(withExtension("/b.d/book", ".qvp"), "/b.d/book.qvp");
    EXPECT_EQ(withExtension("/b/.hidden", ".BAK"), "/b/.hidden.BAK");
}
