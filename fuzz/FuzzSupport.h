#pragma once
// Helpers shared by the fuzz targets.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace qv::fuzz {

inline QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

/// Picture memory a fuzz target may take: 1 megapixel at 4 bytes. A header claiming a huge
/// picture is refused at once instead of costing a large allocation on every input.
constexpr qint64 kFuzzPictureBytes = 4LL << 20;

/// @brief Lowers the picture budget to kFuzzPictureBytes (call from LLVMFuzzerInitialize).
void limitPictures();

} // namespace qv::fuzz
