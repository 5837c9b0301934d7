#pragma once
// A document with recorded window hooks and dialogs, and source photos made from real ones.
#include "BmpCodec.h"
#include "JpegCodec.h"
#include "PhotoPool.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "Unit2.h"
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <cmath>

namespace qv::test {

inline const QString kCopyFailed = QStringLiteral("message: 画像が保存できませんでした(エラーコード:40)");
inline const QString kThumbFailed = QStringLiteral("message: 画像が保存できませんでした(エラーコード:41)");

class PoolTest : public testing::Test {
protected:
    ScriptedDialogs dialogs;
    TMainState st;
    TForm2 doc{st, baseDir()};
    QStringList hooks; // every busy-panel and window call, in order

    void SetUp() override
    {
        st.busy.setCaption = [this](const QString& c) { hooks << "caption " + c; };
        st.busy.show = [this] { hooks << "show"; };
        st.busy.hide = [this] { hooks << "hide"; };
        st.busy.showProgress = [this](int max) { hooks << QStringLiteral("progress 0..%1").arg(max); };
        st.busy.setProgress = [this](int pos) { hooks << QStringLiteral("progress %1").arg(pos); };
        st.busy.hideProgress = [this] { hooks << "hide progress"; };
        st.busy.hourglass = [this](bool on) { hooks << (on ? "hourglass" : "arrow"); };
        st.window.refreshPhotoStrip = [this] { hooks << "strip"; };
        st.window.setPoolGridRows = [this](int rows) { hooks << QStringLiteral("rows %1").arg(rows); };
    }

    QString img() const { return doc.work().imgFolder(); }
    QString copyOf(int n, bool picture) const { return poolCopyPath(img(), n, picture); }
    QString thumbOf(int n, bool picture) const { return poolThumbPath(img(), n, picture); }
    QStringList imgFiles() const { return QDir(img()).entryList(QDir::Files, QDir::Name); }
    QStringList messages() const { return dialogs.messages; }

    /// @brief Imports and asserts that an entry was added.
    void import(const QString& path)
    {
        const qsizetype before = st.pool.size();
        ASSERT_TRUE(doc.FileExtSub(path, 0)) << path.toStdString();
        ASSERT_EQ(st.pool.size(), before + 1);
    }
};

/// @brief Size of a thumbnail as the import makes it: c = 296 / long side as a 32-bit float.
inline QSize thumbSizeFor(int w, int h, int L = 296)
{
    const float c = float(L) / float(std::max(w, h));
    if (c >= 1.0f)
        return {w, h};
    return {std::max(1, int(double(w) * c)), std::max(1, int(double(h) * c))};
}

/// @brief Source column / row that a nearest-pixel shrink from n to m pixels reads for output
/// i: 16.16 steps of trunc(n * 65535 / m), rows starting 1/65536 in.
inline int nearestColumn(int i, int n, int m) { return int((int64_t(i) * (int64_t(n) * 65535 / m)) >> 16); }
inline int nearestRow(int j, int n, int m) { return int((1 + int64_t(j) * (int64_t(n) * 65535 / m)) >> 16); }

/// @brief A thumbnail against the picture it was shrunk from (nearest pixel): equal pixels on a
/// 9 x 9 grid of samples, corners included; the whole picture when no shrink was needed.
inline testing::AssertionResult thumbnailSamples(const TBigBitmap& thumb, const TBigBitmap& from)
{
    const int w = thumb.width(), h = thumb.height(), n = from.width(), m = from.height();
    if (w == 0 || h == 0)
        return testing::AssertionFailure() << "no thumbnail";
    if (w == n && h == m)
        return thumb.image().convertToFormat(QImage::Format_RGB32) == from.image().convertToFormat(QImage::Format_RGB32)
            ? testing::AssertionSuccess() : testing::AssertionFailure() << "thumbnail differs from its picture";
    for (int a = 0; a <= 8; ++a) {
        for (int b = 0; b <= 8; ++b) {
            const int i = (w - 1) * a / 8, j = (h - 1) * b / 8;
            const int x = nearestColumn(i, n, w), y = nearestRow(j, m, h);
            if (thumb.pixel(i, j) != from.pixel(x, y))
                return testing::AssertionFailure() << "thumbnail (" << i << "," << j << ") = " << std::hex
                                                   << thumb.pixel(i, j) << ", source (" << std::dec << x << "," << y
                                                   << ") = " << std::hex << from.pixel(x, y);
        }
    }
    return testing::AssertionSuccess();
}

/// @brief A real photo stretched to w x h and written as a quality-90 JPEG.
inline QString makeJpeg(const QString& name, int w, int h, const QString& from = QStringLiteral("photos/DSCN0010.jpg"))
{
    const ImageLoadResult r = decodeJpegFile(testData(from));
    EXPECT_TRUE(r.ok());
    const TBigBitmap big = TBigBitmap::fromImage(r.bitmap.image().scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    const QString path = baseDir() + "src/" + name;
    QDir().mkpath(baseDir() + "src");
    EXPECT_TRUE(writeJpegFile(big, path, 90));
    return path;
}

/// @brief A real photo scaled to w x h and written as a 24-bit BMP.
inline QString makeBmp(const QString& name, int w, int h)
{
    const ImageLoadResult r = decodeJpegFile(testData("photos/canon-ixus.jpg"));
    EXPECT_TRUE(r.ok());
    const QString path = baseDir() + "src/" + name;
    writeFile(path, encodeBmp24(TBigBitmap::fromImage(r.bitmap.image().scaled(w, h))));
    return path;
}

/// @brief Copies a test data file into the test's own folder (sources are never written).
inline QString copyTestData(const QString& relative, const QString& as = {})
{
    const QString path = baseDir() + "src/" + (as.isEmpty() ? QFileInfo(relative).fileName() : as);
    writeFile(path, readFile(testData(relative)));
    return path;
}

inline QSize jpegSize(const QString& path)
{
    const JpegHeader h = readJpegHeaderFile(path);
    return {h.width, h.height};
}

} // namespace qv::test
