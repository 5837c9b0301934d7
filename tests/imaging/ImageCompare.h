#pragma once
// Image comparison for the imaging tests: per-channel fuzz, a bounded number of differing
// pixels; on failure both images are saved under the temp folder for a look.
#include "TBigBitmap.h"
#include <QDir>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>
#include <cstdlib>

namespace qv::test {

inline QImage asRgb32(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

inline void saveFailure(const QImage& actual, const QImage& expected, const QString& name)
{
    const QString dir = QDir::tempPath() + "/qv-imaging-failures/";
    QDir().mkpath(dir);
    QString safe = name;
    safe.replace('/', '_');
    actual.save(dir + safe + ".actual.png");
    expected.save(dir + safe + ".expected.png");
}

/// @brief Same size, and at most `maxDiffering` pixels with a channel differing by more than `fuzz`.
inline testing::AssertionResult imagesMatch(const QImage& actualImage, const QImage& expectedImage, int fuzz = 0,
                                            qint64 maxDiffering = 0, const QString& name = QStringLiteral("image"))
{
    const QImage a = asRgb32(actualImage);
    const QImage e = asRgb32(expectedImage);
    if (a.size() != e.size())
        return testing::AssertionFailure() << name.toStdString() << ": size " << a.width() << "x" << a.height()
                                           << ", expected " << e.width() << "x" << e.height();
    qint64 differing = 0;
    QString first;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pe = reinterpret_cast<const QRgb*>(e.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int d = std::max({std::abs(qRed(pa[x]) - qRed(pe[x])), std::abs(qGreen(pa[x]) - qGreen(pe[x])),
                                    std::abs(qBlue(pa[x]) - qBlue(pe[x]))});
            if (d > fuzz && differing++ == 0)
                first = QStringLiteral("first at (%1,%2): %3, expected %4")
                            .arg(x).arg(y).arg(pa[x] & 0xFFFFFF, 6, 16, QChar('0')).arg(pe[x] & 0xFFFFFF, 6, 16, QChar('0'));
        }
    }
    if (differing > maxDiffering) {
        saveFailure(a, e, name);
        return testing::AssertionFailure() << name.toStdString() << ": " << differing << " pixels differ by more than "
                                           << fuzz << " (allowed " << maxDiffering << "); " << first.toStdString();
    }
    return testing::AssertionSuccess();
}

/// @brief Mean absolute difference per channel over the whole image (same size required).
inline double meanAbsDiff(const QImage& actualImage, const QImage& expectedImage)
{
    const QImage a = asRgb32(actualImage);
    const QImage e = asRgb32(expectedImage);
    if (a.size() != e.size() || a.isNull())
        return 1e9;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pe = reinterpret_cast<const QRgb*>(e.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(qRed(pa[x]) - qRed(pe[x])) + std::abs(qGreen(pa[x]) - qGreen(pe[x]))
                 + std::abs(qBlue(pa[x]) - qBlue(pe[x]));
    }
    return sum / (3.0 * a.width() * a.height());
}

/// @brief An image of the given size with a colour pattern that uses every channel.
inline QImage patternImage(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 255) / std::max(1, w - 1), (y * 255) / std::max(1, h - 1), (x * 7 + y * 13) & 255));
    return img.convertToFormat(format);
}

} // namespace qv::test
