#pragma once
// File names as the file system holds them: bytes. Qt reads them as UTF-8 and leaves out, or
// cannot open again, a name that is not valid UTF-8 (a card written by another system, an
// archive made on Windows). These keep every name: a byte that is not part of valid UTF-8
// becomes a lone surrogate U+DC80..U+DCFF in the program's text and the same byte again on the
// way back to the file system.
#include <QByteArray>
#include <QString>

namespace qv {

/// @brief The program's text for a path or name the file system gave; lossless.
QString pathFromNative(const QByteArray& native);
/// @brief The bytes of a path for the file system (the inverse of pathFromNative).
QByteArray nativePath(const QString& path);
/// @brief The file: address of a path, byte for byte (a name that is not UTF-8 keeps its bytes
/// percent-encoded), for handing a file or folder to the system.
QString fileUrl(const QString& path);
/// @brief A name for people: as it is when valid UTF-8, else read as Windows-31J when the bytes
/// are that, else UTF-8 with U+FFFD for each byte that is not.
QString displayFileName(const QString& name);

} // namespace qv
