// qorvale-tool run as a program: info, pack, unpack and items, their output and their errors.
#include "../model/ProjectBook.h"
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

using namespace qv;
using namespace qv::test;

namespace {

/// The tool built beside this test program (QORVALE_TOOL overrides).
QString toolPath()
{
    const QString env = qEnvironmentVariable("QORVALE_TOOL");
    return env.isEmpty() ? QCoreApplication::applicationDirPath() + "/../tools/qorvale-tool" : env;
}

struct ToolRun {
    int status = -1;
    QByteArray out;
    QString err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

ToolRun tool(const QStringList& args)
{
    QProcess p;
    p.start(toolPath(), args);
    ToolRun r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class Tool : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QFileInfo(toolPath()).isExecutable()) << "build qorvale-tool first: " << toolPath().toStdString(); }
};

/// "folder/name=size" for every entry of every section, tag by tag.
QStringList entriesOf(const QJsonObject& info)
{
    QStringList out;
    for (const QJsonValue& s : info["sections"].toArray()) {
        out << s["tag"].toString() + ':';
        for (const QJsonValue& e : s["entries"].toArray())
            out << QStringLiteral("%1/%2=%3").arg(e["folder"].toString(), e["name"].toString()).arg(e["size"].toInteger());
    }
    return out;
}

} // namespace

TEST_F(Tool, InfoListsExactlyWhatThePackedBookHolds)
{
    const QString w = baseDir() + "w/", book = baseDir() + "book.qvb";
    makeBook(w, 200000);
    const ToolRun pack = tool({"pack", w, book, "--type", "Fern S"});
    ASSERT_EQ(pack.status, 0) << pack.err.toStdString();

    const ToolRun info = tool({"info", book});
    ASSERT_EQ(info.status, 0) << info.err.toStdString();
    const QJsonObject j = info.json();
    EXPECT_EQ(j["typeCode"].toString(), "QorFERNS        ");
    EXPECT_EQ(j["bookType"].toString(), "Fern S");
    EXPECT_EQ(j["version"].toString(), "3.0.0.0");
    EXPECT_FALSE(j["thumbCutShort"].toBool());

    auto sized = [&](const QString& rel) {
        return QStringLiteral("%1=%2").arg(rel).arg(QFileInfo(w + rel).isFile() ? QFileInfo(w + rel).size() : 0);
    };
    QStringList expected{"PageInfo:"};
    for (int n = 0; n < 17; ++n)
        expected << sized(QStringLiteral("%1/qor.dat").arg(n));
    expected << "PageImage:";
    for (const char* rel : {"1/1.bmp", "1/2.bmp", "1/t1.bmp", "1/t2.bmp", "5/1.bmp", "5/t1.bmp"})
        expected << sized(rel);
    expected << "OriginalImage:";
    for (const char* rel : {"img/0_.jpg", "img/1.bmp", "img/2_.jpg", "img/t0_.bmp", "img/t1.bmp", "img/t2_.bmp"})
        expected << sized(rel);
    expected << "Thumb:" << sized("thumb/Thumbs_001.bmp") << sized("thumb/cache.db");
    EXPECT_EQ(entriesOf(j).join('\n').toStdString(), expected.join('\n').toStdString());
}

TEST_F(Tool, PackThenUnpackGivesTheSameFolder)
{
    const QString w = baseDir() + "w", book = baseDir() + "out/book.qvb", back = baseDir() + "back";
    makeBook(w);
    QDir().mkpath(baseDir() + "out");
    ASSERT_EQ(tool({"pack", w, book, "--type", "Palm"}).status, 0);
    ASSERT_EQ(tool({"pack", w, book, "--type", "Palm"}).status, 0); // over the first one
    EXPECT_EQ(listing(baseDir() + "out"), QStringList{"book.qvb"});
    const ToolRun unpack = tool({"unpack", book, back});
    ASSERT_EQ(unpack.status, 0) << unpack.err.toStdString();
    EXPECT_TRUE(bookFiles(back) == bookFiles(w));
    EXPECT_FALSE(QFileInfo::exists(back + "/undo"));
}

TEST_F(Tool, FailuresNameTheFileAndTheReason)
{
    const QString w = baseDir() + "w", book = baseDir() + "book.qvb";
    makeBook(w, 5000);
    ASSERT_EQ(tool({"pack", w, book, "--type", "Palm"}).status, 0);
    writeFile(baseDir() + "cut.qvb", readBytes(book).left(600));
    writeFile(baseDir() + "text.qvb", "just a text file that is long enough\n");
    writeFile(baseDir() + "locked.qvb", "a book no one may write");
    QFile::setPermissions(baseDir() + "locked.qvb", QFileDevice::ReadOwner);

    struct Case {
        QStringList args;
        QString mentions;
    };
    const Case cases[] = {
        {{"info", baseDir() + "missing.qvb"}, "missing.qvb"},
        {{"info", baseDir() + "text.qvb"}, "Version"},
        {{"unpack", baseDir() + "text.qvb", baseDir() + "x"}, "unsupported version"},
        {{"unpack", baseDir() + "cut.qvb", baseDir() + "x"}, "cut.qvb: at byte"},
        {{"pack", w, baseDir() + "b2.qvb", "--type", "Oak"}, "Oak: unknown book type"},
        {{"pack", baseDir() + "nowhere", baseDir() + "b2.qvb", "--type", "Palm"}, "nowhere: no such folder"},
        {{"pack", w, baseDir() + "no/folder/b.qvb", "--type", "Palm"}, "no/folder/b.qvb"},
        {{"pack", w, baseDir() + "b2.qvb"}, "usage: qorvale-tool pack"},
        {{"pack", w, baseDir() + "locked.qvb", "--type", "Palm"}, "locked.qvb is read-only"},
        {{"items", baseDir() + "missing.dat"}, "missing.dat"},
        {{"frobnicate"}, "unknown command"},
        {{}, "usage: qorvale-tool COMMAND"},
    };
    for (const Case& c : cases) {
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.status, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.mentions)) << c.args.join(' ').toStdString() << "\n" << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(baseDir() + "b2.qvb"));
    EXPECT_EQ(readBytes(baseDir() + "locked.qvb"), "a book no one may write");
    for (const char* command : {"info", "unpack", "pack", "items"}) {
        const ToolRun help = tool({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_TRUE(help.out.startsWith("usage: qorvale-tool " + QByteArray(command))) << command;
    }
}

TEST_F(Tool, ItemsPrintsEveryStoredField)
{
    const QString file = baseDir() + "qor.dat", old = baseDir() + "old.dat", cut = baseDir() + "cut.dat";
    const TItemList items = sampleItems(3);
    writeFile(file, encodeItemFile(items));
    writeFile(old, encodeItemFile(items, ItemLayout::V2000));
    writeFile(cut, encodeItemFile(items).chopped(3));

    const ToolRun r = tool({"items", file});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject j = r.json();
    EXPECT_EQ(j["count"].toInt(), 2);
    EXPECT_TRUE(j["complete"].toBool());
    const QJsonArray recs = j["records"].toArray();
    ASSERT_EQ(recs.size(), 2);
    const QJsonObject text = recs[0].toObject();
    const TItemStatus& t = items[1];
    EXPECT_EQ(text["kind"].toInt(), t.kind);
    EXPECT_EQ(text["centerX"].toInt(), t.centerX);
    EXPECT_EQ(text["fontName"].toString(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(text["text"].toString(), "写真3");
    EXPECT_EQ(text["textAlign"].toInt(), 2);
    EXPECT_EQ(text["lineColor"].toInteger(), qint64(t.lineColor));
    EXPECT_EQ(text.keys().size(), 22); // every stored field
    EXPECT_EQ(recs[1].toObject()["imageSlot"].toInt(), 1);
    EXPECT_EQ(recs[1].toObject()["poolIndex"].toInteger(), 0);

    const ToolRun v2 = tool({"items", old, "--v2"});
    ASSERT_EQ(v2.status, 0) << v2.err.toStdString();
    const QJsonObject oldText = v2.json()["records"].toArray()[0].toObject();
    EXPECT_FALSE(oldText.contains("textAlign"));
    EXPECT_EQ(oldText["text"].toString(), "写真3");

    const ToolRun damaged = tool({"items", cut});
    EXPECT_EQ(damaged.status, 2);
    EXPECT_TRUE(damaged.err.contains("cut.dat: the file ends inside record 2 of 2")) << damaged.err.toStdString();
    EXPECT_TRUE(damaged.json()["records"].toArray().last().toObject()["damaged"].toBool());
}

TEST_F(Tool, ImportAddsPhotosAndPicturesToAWorkFolder)
{
    const QString work = baseDir() + "work";
    const QString photo = testData("photos/Canon_40D.jpg");
    const QString picture = testData("bmp/good/rgb24.bmp");
    ASSERT_TRUE(QFileInfo::exists(photo));
    const ToolRun r = tool({"import", "--work", work, "--type", "Palm", photo, picture});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray pool = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(pool.size(), 2);
    EXPECT_EQ(pool[0]["name"].toString(), QStringLiteral("写真"));
    EXPECT_EQ(pool[1]["name"].toString(), QStringLiteral("画像"));
    for (const char* name : {"0_.jpg", "t0_.bmp", "1.bmp", "t1.bmp"})
        EXPECT_TRUE(QFileInfo::exists(work + "/img/" + name)) << name;
    EXPECT_EQ(readFile(work + "/img/1.bmp"), readFile(picture)) << "a picture is copied byte for byte";

    // A second run keeps the pool and appends; a file that is not a photo fails with its name.
    const ToolRun again = tool({"import", "--work", work, "--type", "Palm", baseDir() + "notes.txt"});
    EXPECT_EQ(again.status, 2);
    EXPECT_TRUE(again.err.contains("notes.txt")) << again.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(again.out).array().size(), 2);

    // A file named like a photo that holds none adds nothing and fails with its name.
    writeFile(baseDir() + "notes.jpg", "only words");
    const ToolRun text = tool({"import", "--work", work, "--type", "Palm", baseDir() + "notes.jpg"});
    EXPECT_EQ(text.status, 2);
    EXPECT_TRUE(text.err.contains("notes.jpg: cannot be read as a picture")) << text.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(text.out).array().size(), 2);
    EXPECT_EQ(QDir(work + "/img").entryList(QDir::Files).size(), 4);
}
