#include "TestEnv.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace qv::test {
namespace {
std::unique_ptr<QTemporaryDir> currentDir;
}

void resetBaseDir()
{
    currentDir = std::make_unique<QTemporaryDir>();
    qputenv("QORVALE_BASE_DIR", currentDir->path().toLocal8Bit());
}

void dropBaseDir() { currentDir.reset(); }

QString baseDir()
{
    if (!currentDir)
        resetBaseDir();
    return currentDir->path() + '/';
}

QString testData(const QString& relative) { return QStringLiteral(QV_TESTDATA_DIR "/") + relative; }

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace qv::test
