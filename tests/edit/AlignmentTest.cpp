#include "Alignment.h"
#include "EditFixture.h"

namespace qv::test {
namespace {

using Alignment = EditFixture;

TEST_F(Alignment, EdgesAndCentresMeetTheKeyItem)
{
    // b is turned a quarter, and still measured by its own 40 x 200, as the panel shows it.
    const struct { AlignCommand command; int32_t a, b, c; bool horizontal; } table[] = {
        {AlignCommand::Left, 320, 290, 300, true},     // key c, left edge 270
        {AlignCommand::Right, 770, 800, 790, true},    // key b, right edge 820
        {AlignCommand::CentreH, 550, 550, 550, true},  // midway between c and b
        {AlignCommand::Top, 400, 470, 400, false},     // key a, top edge 370
        {AlignCommand::Bottom, 1000, 930, 1000, false}, // key c, bottom edge 1030
        {AlignCommand::CentreV, 700, 700, 700, false},
    };
    for (const auto& c : table) {
        doc.items.resize(1);
        const int a = add(kKindRect, 500, 400, 100, 60);
        const int b = add(kKindImage, 800, 700, 40, 200, 90);
        const int other = add(kKindRect, 0, 0, 10, 10, 0, false);
        const int cc = add(kKindText, 300, 1000, 60, 60);
        runAlignCommand(doc.items, c.command);
        const auto at = [&](int i) { return c.horizontal ? item(i).centerX : item(i).centerY; };
        const auto across = [&](int i) { return c.horizontal ? item(i).centerY : item(i).centerX; };
        EXPECT_EQ(QList<int>({at(a), at(b), at(cc)}), QList<int>({c.a, c.b, c.c})) << int(c.command);
        EXPECT_EQ(QList<int>({across(a), across(b), across(cc)}),
                  c.horizontal ? QList<int>({400, 700, 1000}) : QList<int>({500, 800, 300}));
        EXPECT_EQ(QList<int>({item(other).centerX, item(other).centerY, item(b).width, item(b).angle}),
                  QList<int>({0, 0, 40, 90}));
    }
}

TEST_F(Alignment, DistributesWithEqualGaps)
{
    const struct { const char* what; QList<int> lefts; QList<int> expected; } table[] = {
        {"two items stay", {0, 300}, {50, 350}},
        {"three over 0..1000", {0, 700, 900}, {50, 500, 950}},
        // Given out of order; the fourth is turned, and counts by its own 30-unit width.
        {"seven", {1200, 0, 333, 50, 700, 910, 980}, {1250, 50, 404, 227, 616, 828, 1040}},
    };
    for (const auto& c : table) {
        doc.items.resize(1);
        for (int left : c.lefts)
            add(kKindRect, left + 50, 0, 100, 30);
        if (c.lefts.size() > 3) {
            item(4).width = 30;
            item(4).height = 100;
            item(4).angle = 270;
        }
        runAlignCommand(doc.items, AlignCommand::DistributeH);
        QList<int> got;
        for (int i = 1; i <= doc.itemCount(); ++i)
            got << item(i).centerX;
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST_F(Alignment, DistributionDropsAnItemThatSpansOthers)
{
    const int wide = add(kKindRect, 0, 500, 10, 1000);
    const int top = add(kKindRect, 0, 100, 10, 40);
    const int mid = add(kKindRect, 0, 250, 10, 100);
    const int low = add(kKindRect, 0, 800, 10, 40);
    runAlignCommand(doc.items, AlignCommand::DistributeV);
    EXPECT_FALSE(item(wide).selected);
    EXPECT_EQ(item(wide).centerY, 500);
    // 80..820 holds 180 of items: gaps of 280.
    EXPECT_EQ(QList<int>({item(top).centerY, item(mid).centerY, item(low).centerY}), QList<int>({100, 450, 800}));
}

} // namespace
} // namespace qv::test
