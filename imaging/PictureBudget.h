#pragma once
// The picture budget: what one picture file may cost while it is read, and what decodes running
// side by side share. Every decoder, filter and container asks here before it takes memory.
#include <QtGlobal>
#include <condition_variable>
#include <mutex>

namespace qv {

/// Largest pixel count any decoder or container will allocate (about 1.5 GiB at 32 bits).
constexpr qint64 kMaxBitmapPixels = 400LL * 1000 * 1000;

/// @brief The one gate for picture memory: true when a width x height picture may be
/// allocated, both sides positive and its pixels, at 4 bytes each, within the byte budget.
bool pictureFits(qint64 width, qint64 height);
/// @brief Sets the byte budget; 0 restores the default (kMaxBitmapPixels at 4 bytes). Tests
/// lower it to drive the refusals with ordinary files.
void setPictureByteBudget(qint64 bytes);
/// @brief The byte budget in force.
qint64 pictureByteBudget();
/// @brief True when everything one decode holds at its peak (the file's bytes, the decoder's
/// own buffers and the bitmap) fits the byte budget.
bool peakFits(qint64 bytes);

/// Pixels any picture may claim, whatever its data.
constexpr qint64 kFreeClaimPixels = 4LL * 1024 * 1024;
/// Pixels one byte of compressed data may describe above that: a run of a BMP gives at most 255
/// pixels per 2 bytes, a JPEG of one flat colour about 64 per byte, and a photo is never mostly
/// skipped or empty pixels.
constexpr qint64 kClaimPixelsPerByte = 128;

/// @brief The bytes-present rule: true when `dataBytes` of compressed data can honestly describe
/// `pixels`. A header claiming far more is a forgery, or a file cut off long before its end.
bool claimFitsData(qint64 pixels, qint64 dataBytes);

/// Memory that decodes on several threads share. Each takes its share before it reads a file
/// and gives it back when done; the total never exceeds the capacity, however many threads
/// there are. A share larger than the whole waits until it is alone.
class SharedPictureBudget {
public:
    /// `capacity` 0: the picture byte budget in force.
    explicit SharedPictureBudget(qint64 capacity = 0) : fixedCapacity(capacity) {}

    class Share {
    public:
        Share() = default;
        Share(Share&& o) noexcept : owner(o.owner), bytes(o.bytes) { o.owner = nullptr; }
        Share& operator=(Share&& o) noexcept;
        ~Share() { release(); }
        void release();
        qint64 size() const { return bytes; }

    private:
        friend class SharedPictureBudget;
        Share(SharedPictureBudget* b, qint64 n) : owner(b), bytes(n) {}
        SharedPictureBudget* owner = nullptr;
        qint64 bytes = 0;
    };

    /// @brief Waits until `bytes` (at most the capacity) are free and takes them.
    Share take(qint64 bytes);
    qint64 capacity() const;
    /// @brief The most ever taken at once (tests and benchmarks).
    qint64 peakTaken() const;

private:
    qint64 fixedCapacity;
    mutable std::mutex mutex;
    std::condition_variable freed;
    qint64 taken = 0;
    qint64 peak = 0;
    void give(qint64 bytes);
};

/// Memory all the thumbnail workers of the photo list share.
constexpr qint64 kThumbnailBudgetBytes = 192LL << 20;
/// @brief The thumbnail workers' shared budget (kThumbnailBudgetBytes, or the picture byte
/// budget when that is lower).
SharedPictureBudget& thumbnailBudget();

} // namespace qv
