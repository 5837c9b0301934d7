#pragma once
// Helpers shared by the fuzz targets.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace qv::fuzz {

inline QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

/// @brief A private scratch folder for this fuzzing process (created once, with a trailing '/').
const QString& scratchDir();

/// @brief Writes the input to a file in the scratch folder and returns its path.
QString writeInput(const uint8_t* data, size_t size);

} // namespace qv::fuzz
