#include "PageImageCache.h"
#include <algorithm>

namespace qv {
namespace {
bool inRange(int slot) { return slot >= 1 && slot <= 16; }
int countFilled(const std::array<TBigBitmap, 17>& arr)
{
    int n = 0;
    while (n < 16 && !arr[n + 1].isNull())
        ++n;
    return n;
}
} // namespace

int TPageImageCache::imageCount() const { return countFilled(full); }
int TPageImageCache::THimageCount() const { return countFilled(thumbs); }

void TPageImageCache::addImage(const TBigBitmap& bitmap)
{
    const int n = imageCount();
    if (n < 16)
        full[n + 1] = bitmap;
}

void TPageImageCache::THaddImage(const TBigBitmap& bitmap)
{
    const int n = THimageCount();
    if (n < 16)
        thumbs[n + 1] = bitmap;
}

void TPageImageCache::delImage(int slot)
{
    if (inRange(slot))
        full[slot] = TBigBitmap();
}

void TPageImageCache::THdelImage(int slot)
{
    if (inRange(slot))
        thumbs[slot] = TBigBitmap();
}

const TBigBitmap& TPageImageCache::imageDrawing(int slot, bool thumbnail) const
{
    if (thumbnail && inRange(slot))
        return thumbs[slot];
    if (!thumbnail && slot >= 2 && slot <= 16)
        return full[slot];
    return full[1];
}

void TPageImageCache::imgPopPush(int slot)
{
    if (!inRange(slot))
        return;
    for (int j = slot; j <= 15; ++j) {
        full[j] = full[j + 1];
        thumbs[j] = thumbs[j + 1];
    }
    full[16] = TBigBitmap();
    thumbs[16] = TBigBitmap();
}

int TPageImageCache::cacheWidth(int slot) const { return imageDrawing(slot, false).width(); }
int TPageImageCache::cacheHeight(int slot) const { return imageDrawing(slot, false).height(); }

void TPageImageCache::setImage(int slot, const TBigBitmap& bitmap)
{
    if (inRange(slot))
        full[slot] = bitmap;
}

void TPageImageCache::setThumb(int slot, const TBigBitmap& bitmap)
{
    if (inRange(slot))
        thumbs[slot] = bitmap;
}

bool TPageImageCache::hasImage(int slot) const { return inRange(slot) && !full[slot].isNull(); }
bool TPageImageCache::hasThumb(int slot) const { return inRange(slot) && !thumbs[slot].isNull(); }

void TPageImageCache::clear()
{
    // Spares left from a clear without a page read are replaced by the newer ones.
    const auto filled = [](const TBigBitmap& b) { return !b.isNull(); };
    if (std::any_of(full.begin(), full.end(), filled) || std::any_of(thumbs.begin(), thumbs.end(), filled))
        spares.clear();
    for (auto* slotArray : {&full, &thumbs}) {
        for (TBigBitmap& b : *slotArray) {
            if (!b.isNull() && b.bitsPerPixel() == 24 && b.image().isDetached())
                spares.push_back(std::move(b));
            b = TBigBitmap();
        }
    }
}

TBigBitmap TPageImageCache::takeSpare(QSize size)
{
    for (auto it = spares.begin(); it != spares.end(); ++it) {
        if (it->width() == size.width() && it->height() == size.height()) {
            TBigBitmap b = std::move(*it);
            spares.erase(it);
            return b;
        }
    }
    return {};
}

} // namespace qv
