// qorvale-tool render run as a program: the picture of a page from a work folder and from a
// book, every target's size, the source left untouched, and its errors.
#include "TestEnv.h"
#include "Unit2.h"
#include "WorkFolder.h"
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

using namespace qv;
using namespace qv::test;

namespace {

QString renderToolPath()
{
    const QString env = qEnvironmentVariable("QORVALE_TOOL");
    return env.isEmpty() ? QCoreApplication::applicationDirPath() + "/../tools/qorvale-tool" : env;
}

struct RenderRun {
    int status = -1;
    QJsonObject json;
    QString err;
};

RenderRun render(const QStringList& args)
{
    QProcess p;
    p.start(renderToolPath(), QStringList{"render"} + args);
    RenderRun r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.json = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

/// Every file below dir with its size and modification time.
QStringList snapshot(const QString& dir)
{
    QStringList out;
    for (const QString& path : listTree(dir)) {
        const QFileInfo f(path);
        out << path + ' ' + QString::number(f.size()) + ' ' + f.lastModified().toString(Qt::ISODateWithMs);
    }
    return out;
}

class RenderCommand : public testing::Test {
protected:
    QString base = baseDir() + "book/";
    QString work = base + kWorkFolderName + '/';

    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(renderToolPath()).isExecutable()) << "build qorvale-tool first";
        // Palm spread 5 with a red rectangle on the right page: 40 x 20 mm around (50, 0) mm.
        TMainState st;
        TForm2 doc(st, base);
        doc.currentPage = 5;
        doc.setQorType();
        TItemStatus it;
        it.kind = kKindRect;
        it.centerX = 500;
        it.width = 400;
        it.height = 200;
        it.color = rgbColor(255, 0, 0);
        it.selected = false;
        doc.items.append(it);
        ASSERT_TRUE(doc.PbfSave(-1));
        doc.currentPage = 0; // an empty cover
        doc.setQorType();
        doc.items.resize(1);
        ASSERT_TRUE(doc.PbfSave(-1));
    }
};

QRgb px(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

} // namespace

TEST_F(RenderCommand, EditorCanvasOfAWorkFolderPage)
{
    const QStringList before = snapshot(work);
    const QString out = baseDir() + "p5.png";
    const RenderRun r = render({"--work", work, "--type", "Palm", "--page", "5", "--zoom", "2", "--size", "400x300", "--out", out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.json["items"].toInt(), 1);
    EXPECT_EQ(r.json["width"].toInt(), 400);
    const QImage image(out);
    ASSERT_EQ(image.size(), QSize(400, 300));
    // At 1 pixel per mm the spread is 270 x 148 pixels around (200, 150).
    EXPECT_EQ(px(image, 200 + 135, 150), 0x000000u);  // frame on the right edge
    EXPECT_EQ(px(image, 200 + 50, 150 + 5), 0xFF0000u); // the item
    EXPECT_EQ(px(image, 200 + 50, 150 + 12), 0xFFFFFFu);
    EXPECT_EQ(px(image, 200, 150 - 30), 0xA6CAF0u);     // spine
    EXPECT_EQ(px(image, 5, 5), 0x666666u);
    EXPECT_EQ(snapshot(work), before); // the work folder is only read
}

TEST_F(RenderCommand, EveryTargetFromABook)
{
    const QString book = baseDir() + "b.qvb";
    QProcess pack;
    pack.start(renderToolPath(), {"pack", work, book, "--type", "Palm"});
    ASSERT_TRUE(pack.waitForFinished(60000));
    ASSERT_EQ(pack.exitCode(), 0);

    const RenderRun thumb = render({"--book", book, "--page", "5", "--target", "1", "--out", baseDir() + "t.png"});
    ASSERT_EQ(thumb.status, 0) << thumb.err.toStdString();
    EXPECT_EQ(thumb.json["type"].toString(), "Palm"); // from the book's type code
    EXPECT_EQ(QImage(baseDir() + "t.png").size(), QSize(2 * 31 + 8, 2 * 17 + 8));

    const RenderRun preview = render({"--book", book, "--page", "0", "--target", "5", "--out", baseDir() + "c.png"});
    ASSERT_EQ(preview.status, 0) << preview.err.toStdString();
    EXPECT_EQ(QImage(baseDir() + "c.png").size(), QSize(514, 364));

    // The printer bitmap of the right page at 127 dpi: 0.5 pixels per unit, the item 50 mm
    // right of the spine, the spine 65 pixels in, behind the white binding strip.
    const RenderRun printer = render({"--book", book, "--page", "5", "--side", "2", "--target", "6", "--dpi", "127",
                                      "--out", baseDir() + "p.png"});
    ASSERT_EQ(printer.status, 0) << printer.err.toStdString();
    const QImage page(baseDir() + "p.png");
    ASSERT_EQ(page.size(), QSize(740, 740));
    EXPECT_EQ(px(page, 65 + 250, 370), 0xFF0000u);
    EXPECT_EQ(px(page, 65 + 250, 370 + 60), 0xFFFFFFu);
}

TEST_F(RenderCommand, ErrorsNameTheInputAndTheReason)
{
    const QString out = baseDir() + "x.png";
    const RenderRun noType = render({"--work", work, "--out", out});
    EXPECT_EQ(noType.status, 2);
    EXPECT_TRUE(noType.err.contains("--type")) << noType.err.toStdString();
    EXPECT_TRUE(noType.err.contains("usage: qorvale-tool render"));

    const RenderRun missing = render({"--book", baseDir() + "none.qvb", "--out", out});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.contains("none.qvb: no such file")) << missing.err.toStdString();

    // A page without an item file is drawn empty, as the editor shows it.
    QDir().mkpath(work + "/7");
    const RenderRun page = render({"--work", work, "--type", "Palm", "--page", "7", "--out", out});
    EXPECT_EQ(page.status, 0) << page.err.toStdString();
    EXPECT_FALSE(QImage(out).isNull());
    QFile::remove(out);

    for (const QStringList& bad : {QStringList{"--target", "3"}, {"--zoom", "9"}, {"--size", "10x"}, {"--page", "17"}}) {
        const RenderRun r = render(QStringList{"--work", work, "--type", "Palm", "--out", out} + bad);
        EXPECT_EQ(r.status, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(bad[0] + ": must be")) << r.err.toStdString();
    }
    const RenderRun unwritable = render({"--work", work, "--type", "Palm", "--page", "5", "--out", baseDir() + "no/dir/x.png"});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_TRUE(unwritable.err.contains("cannot write the PNG file")) << unwritable.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));

    QProcess help;
    help.start(renderToolPath(), {"render", "--help"});
    ASSERT_TRUE(help.waitForFinished(60000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("--target T"));
}
