// Saving and loading a book through the document: dialogs, messages, captions, the window's
// panels and hooks, and the conversion of books of version 2.0.0.0.
#include "ProjectBook.h"
#include "ScriptedDialogs.h"
#include "Unit2.h"
#include "WorkFolder.h"
#include <QCoreApplication>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace qv;
using namespace qv::test;

namespace {

class ProjectFlow : public testing::Test {
protected:
    TMainState st;
    TForm2 doc{st, baseDir()};
    ScriptedDialogs dlg;
    QStringList events; // every hook call, in order
    QString savedAppName;

    void SetUp() override
    {
        savedAppName = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(QStringLiteral("Qorvale"));
        BusyHooks& b = st.busy;
        b.setCaption = [this](const QString& t) { events << "busy: " + t; };
        b.show = [this] { events << "busy shown"; };
        b.hide = [this] { events << "busy hidden"; };
        b.hourglass = [this](bool on) { events << QStringLiteral("hourglass %1").arg(on); };
        WindowHooks& w = st.window;
        w.setWindowCaption = [this](const QString& t) { events << "caption: " + t; };
        w.showQorPanel = [this](bool on) { events << QStringLiteral("panel shown %1").arg(on); };
        w.enableQorPanel = [this](bool on) { events << QStringLiteral("panel enabled %1").arg(on); };
        w.restoreWork = [this] { events << "restoreWork"; };
        w.closeMainWindow = [this] { events << "close"; };
        w.selectTypeInList = [this](const QString& key) { events << "type: " + key; };
        w.highlightCurrentPage = [this](bool on) { events << QStringLiteral("highlight %1").arg(on); };
        w.changeMenu = [this](int mode) { events << QStringLiteral("menu %1").arg(mode); };
    }
    void TearDown() override { QCoreApplication::setApplicationName(savedAppName); }

    QString work() const { return doc.work().root(); }
    QString books() const { return baseDir() + "books/"; }

    /// Saves the work folder through the save dialog; the path chosen is answered by the script.
    bool saveAs(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        dlg.fileAnswers.push_back(path);
        return doc.SaveFile();
    }

    QStringList shown() const { return dlg.messages.filter(QRegularExpression("^message: ")); }
    int count(const QString& event) const { return int(events.count(event)); }
    QString last(const QString& prefix) const
    {
        for (auto it = events.crbegin(); it != events.crend(); ++it)
            if (it->startsWith(prefix))
                return *it;
        return {};
    }
};

} // namespace

TEST_F(ProjectFlow, SaveThenLoadRestoresTheBookAndItsType)
{
    makeBook(work());
    doc.bookType = QStringLiteral("Cedar");
    st.modified = true;
    const QString path = books() + "mybook.qvb";
    ASSERT_TRUE(saveAs(path));
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();
    EXPECT_EQ(listing(books()), QStringList{"mybook.qvb"});
    EXPECT_EQ(readBytes(path).left(17), QByteArray("QorCEDAR        \0", 17));
    EXPECT_TRUE(events.contains("busy: 保存中..."));
    EXPECT_EQ(last("caption"), "caption: Qorvale " + path);
    EXPECT_EQ(last("panel shown"), "panel shown 1");
    EXPECT_EQ(last("hourglass"), "hourglass 0");
    EXPECT_FALSE(st.modified);
    EXPECT_EQ(doc.lastProjectPath, path);
    EXPECT_FALSE(QFileInfo::exists(work() + "undo")); // snapshots are dropped before saving
    EXPECT_EQ(doc.undoLevel, 0);
    EXPECT_EQ(readBytes(work() + "qor_std.dat"), QByteArray(1, '\1'));
    const QMap<QString, QByteArray> saved = bookFiles(work());

    deleteTree(work());
    writeFile(work() + "3/qor.dat", encodeItemFile(sampleItems(3))); // work that the load replaces
    doc.bookType = QStringLiteral("Palm");
    doc.items = sampleItems(42);
    st.editSide = 2;
    st.modified = true;
    events.clear();
    ASSERT_TRUE(doc.LoadFile(path));
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();
    EXPECT_TRUE(bookFiles(work()) == saved);
    EXPECT_EQ(doc.bookType, "Cedar");
    EXPECT_EQ(doc.knownVersion, kVersionConverted);
    EXPECT_EQ(doc.itemLayout, ItemLayout::Current);
    EXPECT_EQ(doc.items.size(), 1); // the page in memory belonged to the replaced work
    EXPECT_EQ(st.editSide, 0);
    EXPECT_FALSE(st.modified);
    EXPECT_EQ(events.filter(QRegularExpression("^(busy: |caption|type|restoreWork|close)")),
              (QStringList{"busy: 読み込み中...", "caption: Qorvale " + path, "type: Cedar", "restoreWork"}));
    EXPECT_EQ(last("panel shown"), "panel shown 1");
    EXPECT_EQ(last("panel enabled"), "panel enabled 1");
    EXPECT_EQ(last("hourglass"), "hourglass 0");
}

TEST_F(ProjectFlow, SaveDialogNamesCancelAndOverwrite)
{
    makeBook(work(), 5000);
    EXPECT_FALSE(doc.SaveFile()); // the dialog is cancelled
    EXPECT_EQ(dlg.messages, QStringList{"save: "});
    EXPECT_FALSE(QFileInfo::exists(books()));
    EXPECT_EQ(last("hourglass"), "hourglass 0");

    ASSERT_TRUE(saveAs(books() + "untitled")); // typed without an extension
    EXPECT_EQ(listing(books()), QStringList{"untitled.qvb"});
    EXPECT_EQ(doc.lastProjectPath, books() + "untitled.qvb");
    EXPECT_EQ(last("caption"), "caption: Qorvale " + books() + "untitled.qvb");

    writeFile(work() + "7/qor.dat", encodeItemFile(sampleItems(7)));
    ASSERT_TRUE(saveAs(books() + "untitled.qvb")); // over the existing file
    EXPECT_EQ(listing(books()), QStringList{"untitled.qvb"}); // no .BAK left behind
    QVector<ProjectEntry> entries;
    ASSERT_EQ(listProjectFile(books() + "untitled.qvb", &entries).code, kReadOk);
    EXPECT_EQ(entries[7].size, encodeItemFile(sampleItems(7)).size());
}

TEST_F(ProjectFlow, FailedSaveReportsAndKeepsThePreviousBook)
{
    makeBook(work());
    const QString path = books() + "book.qvb";
    ASSERT_TRUE(saveAs(path));
    const QByteArray previous = readBytes(path);
    writeFile(work() + "7/qor.dat", encodeItemFile(sampleItems(7)));

    struct Case {
        FailingOps::Kind kind;
        int at;
        const char* message;
        const char* keptAs;
    };
    const Case cases[] = {
        {FailingOps::Write, 2, "message: 保存できませんでした。", "book.qvb"},
        {FailingOps::Link, 1, "message: バックアップファイルの作成に失敗しました", "book.qvb"},
        {FailingOps::Rename, 1, "message: 保存できませんでした。", "book.qvb"},
    };
    for (const Case& c : cases) {
        st.modified = true;
        events.clear();
        dlg.messages.clear();
        {
            FailingOps ops(c.kind, c.at);
            EXPECT_FALSE(saveAs(path));
        }
        EXPECT_EQ(shown(), QStringList{c.message});
        EXPECT_TRUE(st.modified);
        EXPECT_EQ(listing(books()), QStringList{c.keptAs});
        EXPECT_EQ(readBytes(books() + c.keptAs), previous);
        EXPECT_EQ(last("caption"), QString());
        EXPECT_EQ(last("panel shown"), "panel shown 1");
        EXPECT_EQ(last("busy "), "busy hidden");
        QFile::rename(books() + c.keptAs, path); // the user takes the previous book back
    }
    // A .BAK file of the user's own stops the save before anything is touched.
    writeFile(books() + "book.BAK", "mine");
    dlg.messages.clear();
    EXPECT_FALSE(saveAs(path));
    EXPECT_EQ(shown(), QStringList{"message: バックアップファイルの作成に失敗しました"});
    EXPECT_EQ(readBytes(books() + "book.BAK"), "mine");
    EXPECT_EQ(readBytes(path), previous);
}

TEST_F(ProjectFlow, BookOfVersion2000IsRewrittenInTheCurrentItemLayout)
{
    const QString w = baseDir() + "old/", path = books() + "old.qvb";
    for (int p : {0, 1, 16})
        writeFile(w + QString::number(p) + "/qor.dat", encodeItemFile(sampleItems(p), ItemLayout::V2000));
    writeFile(w + "2/qor.dat", "xy"); // too short to hold a count: kept as it is
    QDir().mkpath(books());
    ASSERT_EQ(saveProjectFile(w, QStringLiteral("QorREED         "), path).outcome, SaveOutcome::Saved);
    QByteArray bytes = readBytes(path);
    bytes[25] = 2; // the first version number
    writeFile(path, bytes);

    ASSERT_TRUE(doc.LoadFile(path));
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();
    for (int p : {0, 1, 16}) {
        TItemList asRead = sampleItems(p);
        for (TItemStatus& it : asRead)
            it.textAlign = 0; // the old layout has no alignment; it reads as the default
        const QByteArray current = encodeItemFile(asRead);
        EXPECT_EQ(readBytes(work() + QString::number(p) + "/qor.dat"), current) << p;
        EXPECT_EQ(current.size() - encodeItemFile(asRead, ItemLayout::V2000).size(), 8); // two textAlign fields
    }
    EXPECT_EQ(readBytes(work() + "2/qor.dat"), "xy");
    EXPECT_EQ(doc.knownVersion, kVersionConverted);
    EXPECT_EQ(doc.itemLayout, ItemLayout::Current);
    EXPECT_EQ(doc.bookType, "Reed");
}

TEST_F(ProjectFlow, FilesThatAreNotBooks)
{
    makeBook(work(), 5000);
    const QString text = baseDir() + "notes.qvb";
    writeFile(text, "これは本のファイルではありません。just some text\n");
    dlg.fileAnswers.push_back(text);
    EXPECT_TRUE(doc.LoadFile(QString())); // chosen in the open dialog
    EXPECT_EQ(dlg.messages, (QStringList{"open: ", "message: 異なるバージョンのファイルです。"}));
    EXPECT_EQ(events.filter(QRegularExpression("^(restoreWork|close)")), (QStringList{"restoreWork", "close"}));
    EXPECT_TRUE(listing(work()).isEmpty());

    makeBook(work(), 5000);
    const QString tiny = baseDir() + "tiny.qvb";
    writeFile(tiny, "QorPALM   ");
    events.clear();
    dlg.messages.clear();
    doc.bookType = QStringLiteral("Maple");
    EXPECT_TRUE(doc.LoadFile(tiny));
    EXPECT_EQ(dlg.messages, QStringList{"message: Qorvale用のファイルではありません。"});
    EXPECT_EQ(count("close"), 0);
    EXPECT_EQ(count("restoreWork"), 1);
    EXPECT_TRUE(listing(work()).isEmpty()); // emptied before reading
    EXPECT_EQ(doc.bookType, "Maple");
    EXPECT_EQ(last("caption"), QString());

    makeBook(work(), 5000);
    const QMap<QString, QByteArray> kept = bookFiles(work());
    const QString missing = baseDir() + "gone.qvb";
    events.clear();
    dlg.messages.clear();
    EXPECT_FALSE(doc.LoadFile(missing));
    EXPECT_EQ(dlg.messages, QStringList{"message: 指定されたファイルが見つかりません。ファイル名=" + missing});
    EXPECT_TRUE(bookFiles(work()) == kept); // nothing changed
    EXPECT_EQ(count("restoreWork"), 0);
    EXPECT_EQ(last("panel enabled"), "panel enabled 1");
    EXPECT_EQ(last("hourglass"), "hourglass 0");
}

TEST_F(ProjectFlow, DamagedAndShortenedBooks)
{
    makeBook(baseDir() + "src", 5000);
    const QString path = books() + "book.qvb", cut = books() + "cut.qvb";
    QDir().mkpath(books());
    ASSERT_EQ(saveProjectFile(baseDir() + "src", QStringLiteral("QorFERNM        "), path).outcome, SaveOutcome::Saved);
    const QByteArray whole = readBytes(path);
    const qsizetype poolAt = whole.indexOf(QByteArray("OriginalImage\0", 14));

    writeFile(cut, whole.left(poolAt + 30)); // ends inside the pool
    EXPECT_TRUE(doc.LoadFile(cut));
    EXPECT_EQ(shown(), QStringList{"message: 読込みに失敗しました。"});
    EXPECT_TRUE(QFileInfo::exists(work() + "1/1.bmp")); // what came before the damage stays
    EXPECT_EQ(count("restoreWork"), 1);
    EXPECT_EQ(count("close"), 0);

    writeFile(cut, whole.left(whole.size() - 10)); // ends inside "Thumb"
    dlg.messages.clear();
    events.clear();
    EXPECT_TRUE(doc.LoadFile(cut));
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_EQ(last("caption"), "caption: Qorvale " + cut);
    EXPECT_EQ(doc.bookType, "Fern M"); // reached only through a book file
    EXPECT_TRUE(events.contains("type: Fern M"));

    QByteArray unknown = whole;
    unknown.replace(0, 16, QByteArray("QorOAK").leftJustified(16, ' '));
    writeFile(cut, unknown);
    doc.bookType = QStringLiteral("Maple");
    EXPECT_TRUE(doc.LoadFile(cut));
    EXPECT_EQ(doc.bookType, "Maple"); // an unknown code leaves the type as it was
}

TEST_F(ProjectFlow, LoadButtonAsksFirstAndGoesToPhotoSelection)
{
    doc.LabelLoadClick(); // answered No
    EXPECT_EQ(dlg.messages, QStringList{"question: 編集中のデータがある場合、そのデータは失われますがよろしいですか？"});
    EXPECT_EQ(events, (QStringList{"highlight 0", "menu 7"}));

    events.clear();
    dlg.messages.clear();
    dlg.confirmAnswers.push_back(true); // Yes, then the open dialog is cancelled
    doc.LabelLoadClick();
    EXPECT_EQ(dlg.messages.size(), 2);
    EXPECT_EQ(dlg.messages.value(1), "open: ");
    EXPECT_EQ(events.filter(QRegularExpression("^(highlight|menu)")), (QStringList{"highlight 0", "highlight 1", "menu 7"}));

    makeBook(baseDir() + "src", 5000);
    QDir().mkpath(books());
    ASSERT_EQ(saveProjectFile(baseDir() + "src", QStringLiteral("QorPALM         "), books() + "b.qvb").outcome,
              SaveOutcome::Saved);
    events.clear();
    dlg.confirmAnswers.push_back(true);
    dlg.fileAnswers.push_back(books() + "b.qvb");
    doc.LabelLoadClick();
    EXPECT_EQ(events.filter(QRegularExpression("^(highlight|menu|restoreWork)")),
              (QStringList{"highlight 0", "restoreWork", "menu 7"}));
    EXPECT_TRUE(QFileInfo::exists(work() + "img/2_.jpg"));
}
