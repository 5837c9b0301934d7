// Text typed into the real text dialog: what it accepts survives the page file and the book
// file byte for byte; what no page file can hold is refused by name, and nothing is stored.
#include "DesignFixture.h"
#include "Sjis.h"
#include "Unit14.h"
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>

namespace qv::test {
namespace {

class TextStorage : public CanvasForm {
protected:
    /// Double-clicks text item 1, types `typed` into the real dialog and presses OK; when the
    /// dialog refuses, presses Cancel after it. Returns whether OK closed it.
    bool editText(const QString& typed)
    {
        bool closedByOk = false;
        script.onTextEntry = [&](TextDialogValues& v) {
            onNextModal([&](QWidget*) {
                Tmoji& d = *form->moji;
                d.Memo->setPlainText(typed);
                d.Label3->click();
                closedByOk = !d.isVisible();
                if (!closedByOk)
                    d.Label_0->click();
            });
            return form->runTextDialog(v);
        };
        QTest::mouseDClick(form->PBMain, Qt::LeftButton, {}, centreOf(1));
        return closedByOk;
    }
    QString storedText() { return doc().items[1].text; }
};

TEST_F(TextStorage, LookAlikesAreStoredAsTheirTwinsAndSurvivePageAndBook)
{
    TForm2& d = design();
    d.addText(0, 0, QStringLiteral("仮"));
    d.notSelect();
    // The usual look-alikes of other code pages, and characters the page file holds as they are.
    const QString typed = QStringLiteral("A—B〜C−D‖E¢£¬\n漢字かなカナｶﾅ①ⅰ髙﨑～－∥―￠＼~\\");
    const QString twins = QStringLiteral("A―B～C－D∥E￠￡￢\r\n漢字かなカナｶﾅ①ⅰ髙﨑～－∥―￠＼~\\");
    ASSERT_TRUE(editText(typed));
    EXPECT_EQ(storedText(), twins);
    const QByteArray bytes = toSjis(twins);
    EXPECT_FALSE(bytes.contains("\xFC\xFC")) << "no character became the code of a lost one";

    d.switchPage(4);
    d.switchPage(3);
    ASSERT_EQ(d.itemCount(), 1);
    EXPECT_EQ(storedText(), twins) << "after a page switch";

    const QString book = baseDir() + "saved/book.qvb";
    QDir().mkpath(baseDir() + "saved");
    script.fileAnswers = {book};
    ASSERT_TRUE(d.SaveFile());
    ASSERT_TRUE(d.LoadFile(book));
    d.switchPage(3);
    ASSERT_EQ(d.itemCount(), 1);
    EXPECT_EQ(toSjis(storedText()), bytes) << "after saving and opening the book";
    EXPECT_EQ(storedText(), twins);
}

TEST_F(TextStorage, CharactersNoPageFileHoldsAreNamedAndNothingIsStored)
{
    TForm2& d = design();
    d.addText(0, 0, QStringLiteral("元の文字"));
    d.notSelect();
    EXPECT_FALSE(editText(QStringLiteral("夏😀한é𠮷—😀")));
    EXPECT_EQ(storedText(), QStringLiteral("元の文字"));
    EXPECT_EQ(script.messages.filter("message: "),
              QStringList("message: 次の文字はページに保存できません。削除するか、ほかの文字に置き換えてください："
                          "「😀」「한」「é」「𠮷」"));
}

} // namespace
} // namespace qv::test
