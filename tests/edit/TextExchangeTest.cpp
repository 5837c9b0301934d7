#include "EditFixture.h"
#include "TextExchange.h"

namespace qv::test {
namespace {

using TextExchange = EditFixture;

TEST_F(TextExchange, ValuesOfAHorizontalAndAVerticalItem)
{
    const int yoko = add(kKindText, 0, 0, 400, 35 + 53);
    item(yoko).lineCount = 2;
    item(yoko).text = "一行目\r\n二行目";
    const int tate = add(kKindText, 0, 0, 35 + 53 * 2, 400);
    item(tate).lineCount = 3;
    item(tate).fontName = "@IPAGothic";
    const struct { int index; bool vertical; const char* face; } table[] = {
        {yoko, false, "ＭＳ Ｐゴシック"}, {tate, true, "IPAGothic"},
    };
    for (const auto& c : table) {
        const TextDialogValues v = textDialogValuesFor(item(c.index));
        EXPECT_EQ(v.dialogText, item(c.index).text);
        EXPECT_EQ(v.dialogVertical, c.vertical);
        EXPECT_EQ(v.dialogFace, c.face);
        EXPECT_EQ(v.dialogCharSize, 35) << "the size across the lines, less the spacing";
        EXPECT_EQ(v.dialogLineSpacing, 53);
        EXPECT_TRUE(v.editing);
        EXPECT_FALSE(v.directionToggled);
    }
}

TEST_F(TextExchange, YesWritesTheItemAndATurnSwapsTheSize)
{
    const struct { bool toVertical, toggled; int angle; int32_t w, h; const char* font; } table[] = {
        {false, false, 0, 400, 42, "IPAGothic"},     // height follows the new size
        {true, true, 0, 42, 400, "@IPAGothic"},      // turned to vertical: sizes swapped, width set
        {true, true, 90, 35, 42, "@IPAGothic"},      // a quarter-turned item sets the other side
    };
    for (const auto& c : table) {
        doc.items.resize(1);
        const int i = add(kKindText, 0, 0, 400, 35, c.angle);
        TextDialogValues v = textDialogValuesFor(item(i));
        v.dialogText = "あ";
        v.dialogFace = "IPAGothic";
        v.dialogCharSize = 42;
        v.dialogLineSpacing = 63;
        v.dialogVertical = c.toVertical;
        v.directionToggled = c.toggled;
        EXPECT_TRUE(applyTextDialogValues(doc, i, v));
        EXPECT_EQ(QList<int>({item(i).width, item(i).height, item(i).fontSize, item(i).lineSpacing}),
                  QList<int>({c.w, c.h, 42, 63}));
        EXPECT_EQ(item(i).fontName, c.font);
        EXPECT_EQ(item(i).text, "あ");
    }
}

TEST_F(TextExchange, AnEmptyTextDeletesOnlyThatItem)
{
    add(kKindRect, 0, 0, 10, 10);
    const int text = add(kKindText, 0, 0, 400, 35);
    add(kKindRect, 0, 0, 20, 20);
    TextDialogValues v = textDialogValuesFor(item(text));
    v.dialogText.clear();
    EXPECT_FALSE(applyTextDialogValues(doc, text, v));
    ASSERT_EQ(doc.itemCount(), 2);
    EXPECT_EQ(QList<int>({item(1).width, item(2).width}), QList<int>({10, 20}));
}

TEST_F(TextExchange, DialogChecksProposalsAndStoring)
{
    EXPECT_EQ(sizeRowFor(35), 2);
    EXPECT_EQ(sizeRowFor(254), 15);
    EXPECT_EQ(sizeRowFor(46), 16) << "13 pt is no entry: その他";

    const struct { const char* size; const char* spacing; const char* face; QString message; } checks[] = {
        {"", "15", "F", kMsgSizeEmpty}, {"1x", "15", "F", kMsgSizeNotNumber}, {"-3", "15", "F", kMsgSizeNegative},
        {"10", "", "F", kMsgSpacingEmpty}, {"10", "z", "F", kMsgSpacingNotNumber},
        {"10", "-1", "F", kMsgSpacingNegative}, {"10", "15", "", kMsgNoFace}, {"その他", "15", "F", ""},
    };
    for (const auto& c : checks)
        EXPECT_EQ(checkTextDialog({"", c.size, c.spacing, c.face}), c.message) << c.size << "/" << c.spacing;

    TextDialogValues v;
    v.dialogCharSize = 46;
    const struct { const char* size; int spacing; int32_t charSize; } proposals[] = {
        {"その他", 20, 46}, {"12", 18, 42}, {"9", 14, 32}, {"11", 16, 39},
    };
    for (const auto& p : proposals) {
        EXPECT_EQ(proposeSpacing({"", p.size, "15", "F"}, v), p.spacing) << p.size;
        EXPECT_EQ(v.dialogCharSize, p.charSize) << p.size;
    }
    EXPECT_FALSE(proposeSpacing({"", "", "15", "F"}, v));
    EXPECT_EQ(script.messages, QStringList("message: " + kMsgSizeEmpty));

    storeTextDialog({"上\n下", "その他", "15", "IPAGothic", true}, v);
    EXPECT_EQ(v.dialogText, "上\r\n下");
    EXPECT_EQ(QList<int>({v.dialogCharSize, v.dialogLineSpacing}), QList<int>({39, 53}));
    EXPECT_TRUE(v.dialogVertical);
    storeTextDialog({"", "12", "0", "IPAGothic", false}, v);
    EXPECT_EQ(QList<int>({v.dialogCharSize, v.dialogLineSpacing}), QList<int>({42, 0}));
}

} // namespace
} // namespace qv::test
