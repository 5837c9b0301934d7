// File names as bytes: every name survives the trip through the program's text, and people see
// it as well as its bytes allow.
#include "FileNames.h"
#include <gtest/gtest.h>

using namespace qv;

TEST(FileNames, EveryNameComesBackByteForByte)
{
    struct Case {
        QByteArray native;
        QString display;
    } const cases[] = {
        {"/photos/plain.jpg", "/photos/plain.jpg"},
        {"/写真/夏.jpg", QString::fromUtf8("/写真/夏.jpg")},        // valid UTF-8: the same text
        {"caf\xe9.jpg", QString::fromUtf8("caf\xef\xbf\xbd.jpg")},  // Latin-1: a replacement mark
        {"\x8e\xca\x90^.jpg", QString::fromUtf8("写真.jpg")},        // Windows-31J
        {"\xed\xa0\x80.jpg", QString::fromUtf8("\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd.jpg")}, // an encoded surrogate
        {"\xc0\xaf\xf5\xff", QString::fromUtf8("\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd")}, // overlong, too high
    };
    for (const Case& c : cases) {
        const QString text = pathFromNative(c.native);
        EXPECT_EQ(nativePath(text), c.native) << c.native.toHex().constData();
        EXPECT_EQ(displayFileName(text), c.display) << c.native.toHex().constData();
    }
    EXPECT_EQ(pathFromNative("/a/夏"), QString::fromUtf8("/a/夏")) << "valid UTF-8 needs no escapes";
    EXPECT_EQ(fileUrl(pathFromNative("/tmp/caf\xe9 x.jpg")), "file:///tmp/caf%E9 x.jpg");
    EXPECT_EQ(fileUrl(QString::fromUtf8("/tmp/写真.jpg")), QString::fromUtf8("file:///tmp/写真.jpg"));
}
