#include "BookTypes.h"
#include "Numbers.h"
#include "Sjis.h"
#include "TestEnv.h"
#include "Unit2.h"
#include <gtest/gtest.h>

using namespace qv;

TEST(Helpers, NearestTruncDivNonZero)
{
    EXPECT_EQ(nearest(18.5), 18);
    EXPECT_EQ(nearest(19.5), 20);
    EXPECT_EQ(nearest(-0.5), 0);
    EXPECT_EQ(nearest(-1.5), -2);
    EXPECT_EQ(nearest(2.4999), 2);
    EXPECT_EQ(truncDiv(-7, 2), -3);
    EXPECT_EQ(truncDiv(7, 2), 3);
    EXPECT_DOUBLE_EQ(nonZero(0), 0.01);
    EXPECT_DOUBLE_EQ(nonZero(-3), -3);
}

TEST(Helpers, WindowsCodePageAtFileBoundaries)
{
    EXPECT_EQ(toSjis(QStringLiteral("ＭＳ Ｐゴシック")).size(), 15);
    EXPECT_EQ(toSjis(QStringLiteral("図形3")).size(), 5);
    // Vendor characters of the Windows code page survive a round trip.
    const QString mixed = QStringLiteral("①～－ab写真");
    EXPECT_EQ(fromSjis(toSjis(mixed)), mixed);
    EXPECT_EQ(toSjis(QStringLiteral("①")), QByteArray("\x87\x40"));
}

TEST(Helpers, LookAlikesOfOtherCodePagesAreWrittenAsTheirTwins)
{
    // Other code pages give these for what this one holds under a neighbouring code.
    const struct { char16_t typed, twin; const char* bytes; } table[] = {
        {u'\u2014', u'\u2015', "\x81\x5C"}, {u'\u301C', u'\uFF5E', "\x81\x60"}, {u'\u2212', u'\uFF0D', "\x81\x7C"},
        {u'\u2016', u'\u2225', "\x81\x61"}, {u'\u00A2', u'\uFFE0', "\x81\x91"}, {u'\u00A3', u'\uFFE1', "\x81\x92"},
        {u'\u00AC', u'\uFFE2', "\x81\xCA"},
    };
    for (const auto& c : table) {
        const QString typed(QChar(c.typed)), twin(QChar(c.twin));
        EXPECT_EQ(withSjisTwins(typed), twin) << int(c.typed);
        EXPECT_EQ(toSjis(typed), QByteArray(c.bytes)) << int(c.typed);
        EXPECT_EQ(fromSjis(toSjis(typed)), twin) << int(c.typed);
        EXPECT_EQ(unstorableCharacters(typed), QString()) << int(c.typed);
    }
    // Others have no twin: each is named once, in order; U+FFFD stands for one already lost.
    EXPECT_EQ(unstorableCharacters(QStringLiteral("a😀한éb𠮷😀\uFFFD¥")), QStringLiteral("😀한é𠮷\uFFFD¥"));
    EXPECT_EQ(unstorableCharacters(QStringLiteral("写真①ⅰ髙～－∥\\~ｶﾅ")), QString());
}

class BookGeometry : public testing::Test {
protected:
    TMainState st;
    TForm2 doc{st, test::baseDir()};
};

TEST_F(BookGeometry, PageSizesPerTypeAndPage)
{
    doc.bookType = "Reed";
    doc.currentPage = 0;
    doc.setQorType();
    EXPECT_EQ(doc.pageWidth, 1280);
    EXPECT_EQ(doc.pageHeight, 1340);
    doc.currentPage = 5;
    doc.setQorType();
    EXPECT_EQ(doc.pageWidth, 1280);
    EXPECT_EQ(doc.pageHeight, 1340);

    doc.bookType = "Palm";
    doc.currentPage = 0;
    doc.setQorType();
    EXPECT_EQ(doc.pageWidth, 2570);
    EXPECT_EQ(doc.pageHeight, 1820);
    doc.currentPage = 5;
    doc.setQorType();
    EXPECT_EQ(doc.pageWidth, 1480);
    EXPECT_EQ(doc.pageHeight, 1480);
}

TEST_F(BookGeometry, PageNumbersAndLastSpread)
{
    EXPECT_EQ(doc.whatPageNo(1), 1);
    st.editSide = 0;
    EXPECT_EQ(doc.whatPageNo(2), 2);
    st.editSide = 1;
    EXPECT_EQ(doc.whatPageNo(2), 2);
    EXPECT_EQ(doc.whatPageNo(16), 30);
    st.editSide = 2;
    EXPECT_EQ(doc.whatPageNo(2), 3);
    EXPECT_EQ(doc.whatPageNo(1), 1);

    for (int p : {0, 1, 15}) {
        doc.currentPage = p;
        EXPECT_FALSE(doc.isDblPMax()) << p;
    }
    doc.currentPage = 16;
    EXPECT_TRUE(doc.isDblPMax());
    EXPECT_TRUE(doc.isDouble());
    doc.currentPage = 0;
    EXPECT_FALSE(doc.isDouble());
}

TEST_F(BookGeometry, TypeCodesAndTable)
{
    doc.typeFromCode(QStringLiteral("QorFERNM        "));
    EXPECT_EQ(doc.bookType, "Fern M");
    doc.typeFromCode(QStringLiteral("QorNOTHING      "));
    EXPECT_EQ(doc.bookType, "Fern M");
    doc.currentPage = 3;
    doc.setQorType();
    EXPECT_EQ(doc.pageWidth, 1480);
    EXPECT_EQ(findBookType("Fern M")->navigatorRoutine, "Palm");
    EXPECT_EQ(findBookType("Fern M")->printRoutine, "Palm");
    EXPECT_FALSE(selectableBookTypes().contains("Fern M"));
    EXPECT_EQ(selectableBookTypes(), (QStringList{"Palm", "Cedar", "Maple", "Reed"}));

    doc.codeFromType("Cedar");
    EXPECT_EQ(doc.typeCode, QStringLiteral("QorCEDAR        "));
    EXPECT_EQ(doc.typeCode.size(), 16);
    doc.codeFromType("cedar"); // keys are case-sensitive
    EXPECT_EQ(doc.typeCode, QStringLiteral("QorCEDAR        "));
    EXPECT_EQ(findBookType("Maple")->bindingMargin, 80);
    EXPECT_DOUBLE_EQ(*navScale("Fern L"), 0.019);
}

TEST_F(BookGeometry, RescaleRoundsHalvesToEven)
{
    TItemList list(2);
    list[1].centerX = 37;
    list[1].centerY = 39;
    list[0].width = 37; // the scratch element is scaled too
    ASSERT_TRUE(rescaleItemList(list, 0.5));
    EXPECT_EQ(list[1].centerX, 18);
    EXPECT_EQ(list[1].centerY, 20);
    EXPECT_EQ(list[0].width, 18);

    TItemList huge(2);
    huge[1].width = 2000000000;
    huge[1].centerX = 5;
    EXPECT_FALSE(rescaleItemList(huge, 2.0));
    EXPECT_EQ(huge[1].centerX, 5) << "a failed rescale keeps the old list";
}

TEST_F(BookGeometry, PalmTextToCedarAndBack)
{
    doc.items.resize(2);
    TItemStatus& t = doc.items[1];
    t.kind = kKindText;
    t.centerX = 370;
    t.fontSize = 35;
    t.lineSpacing = 53;
    t.angle = 45;
    doc.rescaleItems("Palm", "Cedar");
    EXPECT_EQ(doc.items[1].centerX, 500);
    EXPECT_EQ(doc.items[1].fontSize, nearest(35 * 2000.0 / 1480));
    EXPECT_EQ(doc.items[1].angle, 45);
    doc.rescaleItems("Cedar", "Palm");
    EXPECT_EQ(doc.items[1].centerX, 370);
}

TEST_F(BookGeometry, ZoomTable)
{
    EXPECT_EQ(doc.zoomLevel, 5);
    EXPECT_DOUBLE_EQ(doc.amp(), 1.0 / 4.6);
    EXPECT_EQ(nearest(1480 * doc.amp()), 322);
    for (int i = 0; i < 10; ++i)
        doc.ampL();
    EXPECT_EQ(doc.zoomLevel, 8);
    for (int i = 0; i < 10; ++i)
        doc.ampS();
    EXPECT_EQ(doc.zoomLevel, 1);
}
