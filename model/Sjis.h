#pragma once
// Windows-31J (Shift-JIS) at every file boundary; strings are QString in memory.
#include <QByteArray>
#include <QString>

namespace qv {

/// @brief Encodes text to Windows-31J bytes; characters without a code become '?'.
QByteArray toSjis(const QString& text);
/// @brief Decodes Windows-31J bytes; invalid sequences become U+FFFD.
QString fromSjis(const QByteArray& bytes);

} // namespace qv
