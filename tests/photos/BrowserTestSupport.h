#pragma once
// Folders of photo files for the photo browser tests.
#include "BmpCodec.h"
#include "FormFixture.h"
#include "TestEnv.h"
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <functional>

namespace qv::test {

/// @brief A file of the browser's own test data (tests/data/browser).
inline QString photoData(const QString& relative) { return QStringLiteral(QV_SOURCE_DIR "/tests/data/browser/") + relative; }

/// @brief A fresh folder below the test's base directory, with a trailing '/'.
inline QString makeFolder(const QString& name)
{
    const QString dir = baseDir() + name + QLatin1Char('/');
    EXPECT_TRUE(QDir().mkpath(dir));
    return dir;
}

inline void copyTo(const QString& source, const QString& target)
{
    ASSERT_TRUE(QFile::copy(source, target)) << target.toStdString();
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
}

/// @brief A BMP of one colour.
inline void writeSolidBmp(const QString& path, int w, int h, QRgb colour)
{
    TBigBitmap b(w, h, 24);
    b.image().fill(QColor(colour));
    ASSERT_TRUE(writeBmpFile(b, path));
}

/// @brief Runs the event loop until `done` holds, at most 10 seconds; the final answer of `done`.
inline bool waitUntil(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace qv::test
