#pragma once
// Windows-31J (Shift-JIS) at every file boundary; strings are QString in memory.
#include <QByteArray>
#include <QString>

namespace qv {

/// @brief Encodes text to Windows-31J bytes, twins first (withSjisTwins); a character
/// without a code becomes the bytes FC FC, which read back as U+FFFD.
QByteArray toSjis(const QString& text);
/// @brief Decodes Windows-31J bytes; invalid sequences become U+FFFD.
QString fromSjis(const QByteArray& bytes);

/// @brief The text with each character that Windows-31J lacks but holds a look-alike of
/// (U+2014 EM DASH and U+2015, U+301C and U+FF5E, ...) replaced by that look-alike.
QString withSjisTwins(const QString& text);
/// @brief The characters of the text that Windows-31J cannot hold even as a twin, each once,
/// in the order they first appear (U+FFFD among them: it stands for one already lost).
QString unstorableCharacters(const QString& text);

} // namespace qv
