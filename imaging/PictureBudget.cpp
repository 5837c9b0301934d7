#include "PictureBudget.h"
#include <algorithm>
#include <atomic>
#include <malloc.h>

namespace qv {
namespace {
constexpr qint64 kDefaultBudget = kMaxBitmapPixels * 4;
std::atomic<qint64> budget{kDefaultBudget};

// A budget bounds the process only if freed picture memory goes back to the system. By
// default glibc raises its mmap threshold to the size of the last large block freed, and the
// freed blocks after it then stay in each thread's own arena: 16 thumbnail workers kept twice
// what their shares allowed. Blocks of 4 MiB and more (coefficient arrays, file bytes,
// bitmaps) are mapped and unmapped on their own, set once at start-up.
constexpr int kOwnMappingBytes = 4 << 20;
const bool mappingThresholdSet = ::mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes) == 1;
} // namespace

bool pictureFits(qint64 width, qint64 height)
{
    const qint64 b = budget;
    // Each side alone within the budget first, so that the product cannot overflow.
    return width > 0 && height > 0 && width <= b && height <= b && width * height <= b / 4;
}

void setPictureByteBudget(qint64 bytes) { budget = bytes > 0 ? bytes : kDefaultBudget; }

qint64 pictureByteBudget() { return budget; }

bool peakFits(qint64 bytes) { return bytes >= 0 && bytes <= budget; }

bool claimFitsData(qint64 pixels, qint64 dataBytes)
{
    if (pixels <= kFreeClaimPixels)
        return true;
    // Pixels come from a header (at most two 32-bit sides): the division cannot mislead.
    return dataBytes > 0 && (pixels - kFreeClaimPixels + kClaimPixelsPerByte - 1) / kClaimPixelsPerByte <= dataBytes;
}

SharedPictureBudget::Share& SharedPictureBudget::Share::operator=(Share&& o) noexcept
{
    if (this != &o) {
        release();
        owner = o.owner;
        bytes = o.bytes;
        o.owner = nullptr;
    }
    return *this;
}

void SharedPictureBudget::Share::release()
{
    if (owner)
        owner->give(bytes);
    owner = nullptr;
    bytes = 0;
}

qint64 SharedPictureBudget::capacity() const
{
    const qint64 whole = pictureByteBudget();
    return fixedCapacity > 0 ? std::min(fixedCapacity, whole) : whole;
}

SharedPictureBudget::Share SharedPictureBudget::take(qint64 bytes)
{
    std::unique_lock lock(mutex);
    const qint64 n = std::clamp<qint64>(bytes, 0, capacity());
    // Re-read the capacity on every wake: a test may change the picture budget meanwhile.
    freed.wait(lock, [&] { return taken == 0 || taken + n <= capacity(); });
    taken += n;
    peak = std::max(peak, taken);
    return Share(this, n);
}

qint64 SharedPictureBudget::peakTaken() const
{
    std::lock_guard lock(mutex);
    return peak;
}

void SharedPictureBudget::give(qint64 bytes)
{
    {
        std::lock_guard lock(mutex);
        taken -= bytes;
    }
    freed.notify_all();
}

SharedPictureBudget& thumbnailBudget()
{
    static SharedPictureBudget shared(kThumbnailBudgetBytes);
    return shared;
}

} // namespace qv
