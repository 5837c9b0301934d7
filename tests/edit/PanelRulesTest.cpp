#include "EditFixture.h"
#include "FaceList.h"
#include "FontSetup.h"
#include "PanelRules.h"
#include "PointSizes.h"

namespace qv::test {
namespace {

TEST(PointSizes, ConvertsWithTheElevenDecimalFactorAndHalvesToEven)
{
    const struct { int points, units; } table[] = {
        {8, 28}, {9, 32}, {10, 35}, {12, 42}, {15, 53}, {18, 63}, {36, 127}, {72, 254},
    };
    for (const auto& c : table) {
        EXPECT_EQ(pointsToUnits(c.points), c.units) << c.points << " pt";
        EXPECT_EQ(unitsToPoints(c.units), c.points) << c.units << " units";
    }
    EXPECT_EQ(unitsToPoints(46), 13);
}

using PanelRules = EditFixture;

// A 30 x 20 mm rectangle whose corner is 10 mm right of and 15 mm below the page's corner.
constexpr int32_t kRectX = 100 + 150, kRectY = 150 + 100 - 740;

TEST_F(PanelRules, ShowsOneItemInMillimetresOfThePage)
{
    EXPECT_FALSE(readPanel(doc, view)) << "nothing selected: the fields keep their contents";
    add(kKindRect, kRectX, kRectY, 300, 200, 30);
    item(1).color = 0x0000FF;
    const auto f = readPanel(doc, view);
    ASSERT_TRUE(f);
    EXPECT_EQ(QStringList({f->x, f->y, f->width, f->height, f->angle}), QStringList({"10", "15", "30", "20", "30"}));
    EXPECT_EQ(f->color, 0x0000FFu);
    EXPECT_TRUE(f->sizeEnabled);
    EXPECT_FALSE(f->textEnabled);
}

TEST_F(PanelRules, MixedAndTextSelections)
{
    const int text = add(kKindText, 0, 0, 300, 35);
    item(text).fontName = QStringLiteral("@IPAGothic");
    item(text).textAlign = 3;
    item(text).fontSize = 42;
    auto f = readPanel(doc, view);
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->textEnabled);
    EXPECT_FALSE(f->sizeEnabled);
    EXPECT_EQ(QStringList({f->width, f->height, f->face, f->fontSize, f->lineSpacing}),
              QStringList({"", "", "IPAGothic", "12", "15"}));
    EXPECT_EQ(f->direction, Direction::Vertical);
    EXPECT_EQ(f->align, AlignButton::End);

    add(kKindText, 500, 0, 300, 35);
    f = readPanel(doc, view);
    EXPECT_TRUE(f->textEnabled);
    EXPECT_EQ(QStringList({f->x, f->angle, f->fontSize, f->face}), QStringList({"", "", "", ""}));
    EXPECT_EQ(f->direction, Direction::None);
    EXPECT_EQ(f->align, AlignButton::None);
    EXPECT_FALSE(f->color);

    add(kKindRect, 0, 0, 100, 100);
    f = readPanel(doc, view);
    EXPECT_FALSE(f->textEnabled);
    EXPECT_FALSE(f->sizeEnabled) << "a text item among them";
}

TEST_F(PanelRules, AppliesEachFieldToEverySelectedItem)
{
    struct Case {
        const char* what;
        PanelFields in;
        int32_t left1, left2, w1, w2, angle;   // left edges in spread units
    };
    PanelFields x5;
    x5.x = "5";
    PanelFields width;
    width.width = "50";
    PanelFields big;
    big.width = "10000000";   // 10 km: no range check
    big.angle = "999";        // stored as typed, not as a turn of 0..359
    const Case cases[] = {
        {"left edges at 5 mm, each with its own width", x5, 50, 50, 300, 100, 10},
        {"width", width, 150 - 250, 600 - 250, 500, 500, 10},
        {"width and angle as typed", big, 150 - 50'000'000, 600 - 50'000'000, 100'000'000, 100'000'000, 999},
    };
    for (const Case& c : cases) {
        doc.items.resize(1);
        add(kKindRect, 150, 0, 300, 200, 10);
        add(kKindEllipse, 600, 90, 100, 40, 10);
        const ApplyOutcome out = applyPanel(doc, view, c.in);
        EXPECT_TRUE(out.applied) << c.what;
        EXPECT_EQ(item(1).centerX - item(1).width / 2, c.left1) << c.what;
        EXPECT_EQ(item(2).centerX - item(2).width / 2, c.left2) << c.what;
        EXPECT_EQ(item(1).width, c.w1) << c.what;
        EXPECT_EQ(item(2).width, c.w2) << c.what;
        EXPECT_EQ(item(1).angle, c.angle) << c.what;
        EXPECT_EQ(item(2).centerY, 90) << c.what << ": an empty field leaves its property";
        EXPECT_EQ(item(2).height, 40) << c.what;
    }
    EXPECT_TRUE(script.messages.isEmpty());
}

TEST_F(PanelRules, ValuesThatCannotBeStoredOrDrawnChangeNoItem)
{
    add(kKindRect, 150, 0, 300, 200);
    add(kKindImage, 600, 0, 10000, 400);   // a photo 1 m wide
    const TItemList before = doc.items;
    const struct { const char* what; QString PanelFields::*field; const char* text; } table[] = {
        {"a lone minus", &PanelFields::height, "-"},
        {"letters", &PanelFields::height, "abc"},
        {"a minus inside", &PanelFields::x, "1-2"},
        {"beyond 32 bits", &PanelFields::width, "2147483648"},
        {"32 bits that overflow as page units", &PanelFields::width, "300000000"},
        {"a place beyond 32 bits as page units", &PanelFields::y, "-300000000"},
        {"a width of 0", &PanelFields::width, "0"},
        {"a photo beyond the picture budget at print resolution", &PanelFields::height, "900"},
        {"an angle beyond 32 bits", &PanelFields::angle, "99999999999"},
    };
    for (const auto& c : table) {
        script.messages.clear();
        PanelFields f;
        f.x = "7";
        f.*c.field = QString::fromLatin1(c.text);
        EXPECT_FALSE(applyPanel(doc, view, f).applied) << c.what;
        EXPECT_EQ(doc.items, before) << c.what;
        EXPECT_EQ(script.messages, QStringList("error: " + kMsgPanelFailed)) << c.what;
    }
    PanelFields photo;   // 100 x 70 cm still fits the budget at print resolution
    photo.width = "1000";
    photo.height = "700";
    EXPECT_TRUE(applyPanel(doc, view, photo).applied);
    EXPECT_EQ(QList<int>({doc.items[2].width, doc.items[2].height}), QList<int>({10000, 7000}));

    doc.items.resize(1);
    const int text = add(kKindText, 0, 0, 300, 35);
    for (const char* size : {"0", "1000"}) {
        PanelFields f;
        f.textEnabled = true;
        f.sizeEnabled = false;
        f.fontSize = QString::fromLatin1(size);
        EXPECT_FALSE(applyPanel(doc, view, f).applied) << size << " pt";
        EXPECT_EQ(item(text).fontSize, 35) << size << " pt";
    }
}

TEST_F(PanelRules, ColourAlsoBecomesTheNextShapesColour)
{
    add(kKindImage, 0, 0, 500, 500);
    PanelFields f;
    f.color = 0x00FF00;
    applyPanel(doc, view, f);
    EXPECT_EQ(item(1).color, 0x00FF00u);
    EXPECT_EQ(doc.shapeColor, 0x00FF00u);
}

TEST_F(PanelRules, TextSettingsGoToTextItemsOnly)
{
    const int text = add(kKindText, 0, 0, 300, 35);
    PanelFields f;
    f.textEnabled = true;
    f.sizeEnabled = false;
    f.fontSize = "9";
    f.lineSpacing = "18";
    f.face = "IPAGothic";
    f.direction = Direction::Vertical;
    f.align = AlignButton::Start;
    applyPanel(doc, view, f);
    EXPECT_EQ(item(text).fontSize, 32);
    EXPECT_EQ(item(text).lineSpacing, 63);
    EXPECT_EQ(item(text).fontName, "@IPAGothic");
    EXPECT_EQ(item(text).textAlign, 2);
    EXPECT_EQ(item(text).width, 300) << "the direction buttons swap the size before, not here";

    // With a photo among the selection the text controls are off: their stale texts stay out.
    add(kKindImage, 0, 0, 500, 500);
    f.textEnabled = false;
    f.fontSize = "72";
    applyPanel(doc, view, f);
    EXPECT_EQ(item(text).fontSize, 32);
}

TEST_F(PanelRules, PhotosOver200MmAreNotTurned)
{
    const int big = add(kKindImage, 0, 0, 2500, 1000);
    const int small = add(kKindImage, 0, 0, 1000, 1000);
    PanelFields f;
    f.angle = "45";
    const ApplyOutcome out = applyPanel(doc, view, f);
    EXPECT_TRUE(out.turnRefused);
    EXPECT_EQ(item(big).angle, 0);
    EXPECT_EQ(item(small).angle, 45);
    EXPECT_EQ(script.messages, QStringList("message: 幅または高さが200mmを超える画像は回転できません。"));
}

TEST_F(PanelRules, LowResolutionMarkBelow150Ppi)
{
    st.cache.setImage(1, TBigBitmap(1490, 3000, 24));
    st.cache.setImage(2, TBigBitmap(1510, 3000, 24));
    // 2540 units are 10 inches: 1490 pixels print at 149 ppi.
    const int coarse = add(kKindImage, 0, 0, 2540, 2540, 0, false);
    item(coarse).imageSlot = 1;
    const int fine = add(kKindImage, 0, 0, 2540, 2540);
    item(fine).imageSlot = 2;
    EXPECT_EQ(lowResolutionWarning(doc), "") << "151 ppi";
    EXPECT_DOUBLE_EQ(*selectedPhotoPpi(doc), 151.0);
    item(coarse).selected = true;
    EXPECT_EQ(lowResolutionWarning(doc), "解像度が低いため、印刷が粗くなる可能性があります(約 149 ppi)");
}

} // namespace
} // namespace qv::test

namespace qv::test {
namespace {

TEST(FaceList, OffersEachFaceOnceWithoutVerticalVariants)
{
    EXPECT_EQ(offeredFaces({"IPAPGothic", "@IPAPGothic", "IPAGothic", "@Noto Sans CJK JP", "나눔고딕", "Caf\u00e9"},
                           {"ＭＳ Ｐゴシック", "IPAGothic"}),
              QStringList({"IPAGothic", "IPAPGothic", "ＭＳ Ｐゴシック"}))
        << "a face whose name a page file cannot spell is not offered";
}

TEST(FaceList, ThisMachineOffersTheProgramsStandardFaces)
{
    installFontSubstitutions();
    const QStringList faces = japaneseFaces();
    for (const char* face : {"ＭＳ Ｐゴシック", "ＭＳ ゴシック", "MS UI Gothic", "IPAPGothic", "IPAGothic"})
        EXPECT_TRUE(faces.contains(QString::fromUtf8(face))) << face << " in " << faces.join(", ").toStdString();
    EXPECT_FALSE(faces.contains(QStringLiteral("ｍｓ ｐゴシック"), Qt::CaseSensitive));
    EXPECT_EQ(faces.filter(QStringLiteral("@")), QStringList());
}

} // namespace
} // namespace qv::test

namespace qv::test {
namespace {

TEST_F(PanelRules, FieldsStillShowingTheItemsValuesKeepTheExactValues)
{
    const int rect = add(kKindRect, 153, 0, 304, 196);
    PanelFields f = *readPanel(doc, view);
    f.angle = "15";
    applyPanel(doc, view, f);
    EXPECT_EQ(QList<int>({item(rect).centerX, item(rect).centerY, item(rect).width, item(rect).height, item(rect).angle}),
              QList<int>({153, 0, 304, 196, 15}));

    item(rect).selected = false;
    const int text = add(kKindText, 0, 0, 300, 37);
    item(text).fontSize = 37;   // 10.5 pt, shown as 10
    f = *readPanel(doc, view);
    f.direction = Direction::Vertical;
    applyPanel(doc, view, f);
    EXPECT_EQ(item(text).fontSize, 37);
    EXPECT_EQ(item(text).fontName, "@ＭＳ Ｐゴシック");
}

} // namespace
} // namespace qv::test
