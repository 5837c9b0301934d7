#include "PictureBudget.h"
#include <algorithm>
#include <atomic>
#include <malloc.h>

namespace qv {
namespace {
constexpr qint64 kDefaultBudget = kMaxBitmapPixels * 4;
std::atomic<qint64> budget{kDefaultBudget};

// A budget bounds the process only if the memory a decode frees is there for the next one.
// glibc gives every thread an arena of its own, which keeps what its last picture took: 16
// thumbnail workers held twice what their shares allowed. One arena for all threads, set once
// at start-up, lets each decode reuse what the one before it freed, whatever the thread count.
const bool oneArena = ::mallopt(M_ARENA_MAX, 1) == 1;
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
