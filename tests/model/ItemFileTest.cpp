// The item file: byte layout, round trip, the older layout, and damaged input.
#include "QorIO.h"
#include "Sjis.h"
#include "TestEnv.h"
#include <QDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <climits>
#include <csignal>
#include <sys/resource.h>
#include <random>

using namespace qv;

namespace {

int32_t intAt(const QByteArray& b, qsizetype offset)
{
    return qFromLittleEndian<int32_t>(b.constData() + offset);
}

void putInt(QByteArray& b, int32_t v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

TItemStatus textAb()
{
    TItemStatus t;
    t.kind = kKindText;
    t.selected = true;
    t.spareFlag = true;
    t.copyMark = true;
    t.textAlign = 4;
    t.angle = 90;
    t.centerX = -320;
    t.centerY = 500;
    t.width = 120;
    t.height = 35;
    t.screenX = 11;
    t.screenY = 12;
    t.color = 0x000000FF;
    t.lineColor = kColorBlue;
    t.fontName = kDefaultFontName;
    t.lineCount = 1;
    t.fontSize = 35;
    t.lineSpacing = 53;
    t.text = QStringLiteral("ab");
    return t;
}

TItemStatus rectangle3()
{
    TItemStatus r;
    r.kind = kKindRect;
    r.selected = false;
    r.fromPicture = true;
    r.centerX = 100;
    r.centerY = -200;
    r.width = 300;
    r.height = 400;
    r.color = 0x00123456;
    r.keyColor = kImageKeyColor;
    r.imageSlot = 7;
    r.text = kShapeCaption + QStringLiteral("3");
    r.poolIndex = 0xFFFFFFFEu; // unsigned values must survive the signed field
    return r;
}

TItemList sampleList()
{
    TItemList items(1); // scratch element, never written
    items[0].centerX = 999;
    items << textAb() << rectangle3();
    return items;
}

/// Reads every record the way a page load does: stop once no byte is left.
TItemList readAll(const QByteArray& bytes, ItemLayout layout = ItemLayout::Current, bool* opened = nullptr)
{
    ItemFileReader r(layout);
    TItemList out;
    const bool ok = r.openBytes(bytes);
    if (opened)
        *opened = ok;
    if (!ok)
        return out;
    for (int32_t k = 1; k <= r.count() && !r.atEnd(); ++k) {
        out.append(TItemStatus());
        r.readRecord(out.last());
    }
    return out;
}

TItemStatus withoutCopyMark(TItemStatus t)
{
    t.copyMark = false;
    return t;
}

} // namespace

TEST(ItemFile, TwoRecordsAre190BytesInTheDocumentedOrder)
{
    const QByteArray b = encodeItemFile(sampleList());
    ASSERT_EQ(toSjis(kDefaultFontName).size(), 15);
    ASSERT_EQ(toSjis(rectangle3().text).size(), 5);
    ASSERT_EQ(b.size(), 4 + (82 + 15 + 2) + (82 + 0 + 5));
    EXPECT_EQ(b.size(), 190);

    EXPECT_EQ(intAt(b, 0), 2);
    // First record: kind, flags (selected | spare), then the eleven fields.
    EXPECT_EQ(intAt(b, 4), kKindText);
    EXPECT_EQ(intAt(b, 8), 0b101);
    const int32_t eleven[] = { 90, -320, 500, 120, 35, 11, 12, 0xFF, int32_t(kColorBlue), 0, 0 };
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(intAt(b, 12 + 4 * i), eleven[i]) << "field " << i;
    EXPECT_EQ(intAt(b, 56), 15);
    EXPECT_EQ(b.mid(60, 15), toSjis(kDefaultFontName));
    EXPECT_EQ(b.at(75), '\0');
    EXPECT_EQ(intAt(b, 76), 1);  // lineCount
    EXPECT_EQ(intAt(b, 80), 35); // fontSize
    EXPECT_EQ(intAt(b, 84), 53); // lineSpacing
    EXPECT_EQ(intAt(b, 88), 4);  // textAlign
    EXPECT_EQ(intAt(b, 92), 2);
    EXPECT_EQ(b.mid(96, 3), QByteArray("ab\0", 3));
    EXPECT_EQ(intAt(b, 99), 0);
    // Second record starts at 103: flags carry only fromPicture; empty font is a lone 0 byte.
    EXPECT_EQ(intAt(b, 103), kKindRect);
    EXPECT_EQ(intAt(b, 107), 0b010);
    EXPECT_EQ(intAt(b, 103 + 48), 7); // imageSlot
    EXPECT_EQ(intAt(b, 103 + 52), 0);
    EXPECT_EQ(b.at(103 + 56), '\0');
    EXPECT_EQ(intAt(b, 103 + 73), 5);
    EXPECT_EQ(b.mid(103 + 77, 6), toSjis(rectangle3().text) + '\0');
    EXPECT_EQ(uint32_t(intAt(b, 186)), 0xFFFFFFFEu);

    // copyMark is not stored: clearing it changes no byte.
    TItemList unmarked = sampleList();
    unmarked[1].copyMark = false;
    EXPECT_EQ(encodeItemFile(unmarked), b);
}

TEST(ItemFile, ReadsBackWhatWasWrittenInBothLayouts)
{
    const TItemList items = sampleList();
    const QString path = test::baseDir() + "qor.dat";
    ASSERT_TRUE(writeItemFile(path, items));
    EXPECT_EQ(test::readFile(path), encodeItemFile(items));

    ItemFileReader r;
    ASSERT_TRUE(r.open(path));
    ASSERT_EQ(r.count(), 2);
    for (int k = 1; k <= 2; ++k) {
        TItemStatus got;
        got.fontName = "stale";
        ASSERT_TRUE(r.readRecord(got));
        EXPECT_EQ(got, withoutCopyMark(items[k])) << "record " << k;
    }
    EXPECT_TRUE(r.atEnd());

    // The older layout has no textAlign: 4 bytes less per record, and the field is not read.
    const QByteArray old = encodeItemFile(items, ItemLayout::V2000);
    EXPECT_EQ(old.size(), 190 - 8);
    const TItemList back = readAll(old, ItemLayout::V2000);
    ASSERT_EQ(back.size(), 2);
    TItemStatus expected = withoutCopyMark(items[1]);
    expected.textAlign = 0;
    EXPECT_EQ(back[0], expected);
    EXPECT_EQ(back[1], withoutCopyMark(items[2]));

    // An empty list is a lone zero count.
    EXPECT_EQ(encodeItemFile(TItemList(1)), QByteArray(4, '\0'));
    EXPECT_FALSE(writeItemFile(test::baseDir() + "missing/qor.dat", items));
}

TEST(ItemFile, StringIsTakenUpToItsFirstZeroByte)
{
    QByteArray b = encodeItemFile(sampleList());
    // Replace "ab\0" by "a\0b" (same length): the text ends at the zero.
    b[97] = '\0';
    b[98] = 'b';
    const TItemList back = readAll(b);
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0].text, "a");
    EXPECT_EQ(back[1], withoutCopyMark(rectangle3()));
}

TEST(ItemFile, FileCutAtEveryOffsetKeepsWhatCameBefore)
{
    const TItemList items = sampleList();
    const QByteArray full = encodeItemFile(items);
    const qsizetype secondStart = 103;
    for (qsizetype len = 0; len < full.size(); ++len) {
        SCOPED_TRACE(len);
        bool opened = false;
        const TItemList back = readAll(full.left(len), ItemLayout::Current, &opened);
        EXPECT_EQ(opened, len >= 4);
        if (len <= 4) {
            EXPECT_TRUE(back.isEmpty());
            continue;
        }
        ASSERT_EQ(back.size(), len > secondStart ? 2 : 1);
        const TItemStatus& first = back[0];
        if (len >= secondStart) {
            EXPECT_EQ(first, withoutCopyMark(items[1]));
        } else {
            // Fields before the cut stay; the rest keep their defaults, strings empty.
            EXPECT_EQ(first.kind, len >= 8 ? kKindText : kKindInvalid);
            EXPECT_EQ(first.centerX, len >= 20 ? -320 : 0);
            EXPECT_EQ(first.fontName, len >= 76 ? kDefaultFontName : QString());
            EXPECT_EQ(first.lineSpacing, len >= 88 ? 53 : 0);
            EXPECT_TRUE(first.text.isEmpty() || len >= 99);
        }
        if (back.size() == 2) {
            EXPECT_EQ(back[1].kind, len >= secondStart + 4 ? kKindRect : kKindInvalid);
            EXPECT_TRUE(back[1].text.isEmpty() || len >= 186);
        }
    }
}

TEST(ItemFile, BadLengthsAndCountsStayWithinTheBytesPresent)
{
    // A count far beyond the records present: one record, then the end.
    QByteArray huge = encodeItemFile(sampleList());
    qToLittleEndian<int32_t>(INT_MAX, huge.data());
    const TItemList fromHuge = readAll(huge);
    ASSERT_EQ(fromHuge.size(), 2);
    EXPECT_EQ(fromHuge[1], withoutCopyMark(rectangle3()));

    // Font length negative, beyond the end, and at the int32 limit: the record keeps the fields
    // before it, its strings stay empty, and nothing after it is read.
    for (int32_t badLength : { -1, -2147483647 - 1, 1000, INT_MAX }) {
        SCOPED_TRACE(badLength);
        QByteArray b = encodeItemFile(sampleList());
        qToLittleEndian<int32_t>(badLength, b.data() + 56);
        ItemFileReader r;
        ASSERT_TRUE(r.openBytes(b));
        TItemStatus rec;
        EXPECT_FALSE(r.readRecord(rec));
        EXPECT_EQ(rec.kind, kKindText);
        EXPECT_EQ(rec.imageSlot, 0);
        EXPECT_EQ(rec.centerY, 500);
        EXPECT_TRUE(rec.fontName.isEmpty());
        EXPECT_TRUE(rec.text.isEmpty());
        EXPECT_EQ(rec.fontSize, 0);
        EXPECT_TRUE(r.atEnd());
    }

    // Text length one short of its terminator.
    QByteArray b = encodeItemFile(sampleList());
    b.truncate(103 + 77 + 5);
    const TItemList cut = readAll(b);
    ASSERT_EQ(cut.size(), 2);
    EXPECT_EQ(cut[1].color, 0x00123456u);
    EXPECT_EQ(cut[1].imageSlot, 7);
    EXPECT_TRUE(cut[1].text.isEmpty());
    EXPECT_EQ(cut[1].poolIndex, 0u);
}

TEST(ItemFile, RandomBytesNeverMakeMoreRecordsThanFit)
{
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> size(0, 700);
    const QByteArray valid = encodeItemFile(sampleList());
    for (int round = 0; round < 3000; ++round) {
        QByteArray b;
        if (round % 3 == 0) {
            // A valid file with a few bytes flipped: damage in the middle of real records.
            b = valid + valid.mid(4);
            for (int i = 0; i < 4; ++i)
                b[std::uniform_int_distribution<int>(0, int(b.size()) - 1)(rng)] = char(byte(rng));
        } else {
            b.resize(size(rng));
            for (char& c : b)
                c = char(byte(rng));
            if (round % 3 == 1 && b.size() >= 4)
                qToLittleEndian<int32_t>(round % 2 ? INT_MAX : 3, b.data());
        }
        for (ItemLayout layout : { ItemLayout::Current, ItemLayout::V2000 }) {
            const qsizetype minRecord = layout == ItemLayout::Current ? 82 : 78;
            const TItemList back = readAll(b, layout);
            // Every record but the last takes at least a whole minimal record.
            const qsizetype bound = b.size() <= 4 ? 0 : (b.size() - 4 + minRecord - 1) / minRecord;
            ASSERT_LE(back.size(), bound) << "round " << round;
        }
    }
}

TEST(ItemFile, OpenNeedsAWholeCount)
{
    ItemFileReader r;
    EXPECT_FALSE(r.open(test::baseDir() + "none.dat"));
    EXPECT_FALSE(r.openBytes(QByteArray("\1\0\0", 3)));
    QByteArray zero;
    putInt(zero, 0);
    ASSERT_TRUE(r.openBytes(zero));
    EXPECT_EQ(r.count(), 0);
    EXPECT_TRUE(r.atEnd());
}

TEST(ItemFile, AWriteTheDiskCutsShortKeepsThePreviousFile)
{
    const QString path = test::baseDir() + "qor.dat";
    TItemList one = sampleList();
    one.resize(2);
    ASSERT_TRUE(writeItemFile(path, one));
    const QByteArray previous = test::readFile(path);
    ASSERT_LT(previous.size(), 150);

    // Files may grow to 150 bytes only: the 190-byte file is cut short as on a full disk.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 150;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeItemFile(path, sampleList());
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(test::readFile(path), previous);
    EXPECT_EQ(QDir(test::baseDir()).entryList(QDir::Files), QStringList{"qor.dat"});
}
