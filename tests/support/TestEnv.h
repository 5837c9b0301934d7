#pragma once
// Per-test environment: a fresh temporary base directory and scripted seams.
#include <QString>

namespace qv::test {

/// @brief The base directory of the running test (fresh and empty at the test's start),
/// with a trailing '/'. Also exported as QORVALE_BASE_DIR.
QString baseDir();
/// @brief A path below the test data folder tests/data.
QString testData(const QString& relative);
/// @brief Writes bytes to a file, creating folders; fails the test on error.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

} // namespace qv::test
