#pragma once
// The bitmaps of the current page's image items: 16 full-size and 16 thumbnail slots.
#include "TBigBitmap.h"
#include <array>
#include <vector>

namespace qv {

class TPageImageCache {
public:
    /// @brief Filled full slots counted from slot 1 up to the first empty one.
    int imageCount() const;
    int THimageCount() const;
    /// @brief Puts a bitmap into slot imageCount()+1; nothing when all 16 are filled.
    void addImage(const TBigBitmap& bitmap);
    void THaddImage(const TBigBitmap& bitmap);
    /// @brief Empties slot 1..16; other numbers do nothing.
    void delImage(int slot);
    void THdelImage(int slot);
    /// @brief Full slot k (2..16) or thumbnail slot k (1..16); any other request gives full slot 1.
    const TBigBitmap& imageDrawing(int slot, bool thumbnail) const;
    /// @brief Removes slot k from full and thumbnail slots alike, moving the later ones down.
    void imgPopPush(int slot);
    /// @brief Pixel size of full slot k (2..16; any other value gives slot 1).
    int cacheWidth(int slot) const;
    int cacheHeight(int slot) const;
    /// @brief Puts a bitmap straight into a slot (1..16), as a page load does.
    void setImage(int slot, const TBigBitmap& bitmap);
    void setThumb(int slot, const TBigBitmap& bitmap);
    bool hasImage(int slot) const;
    bool hasThumb(int slot) const;
    /// @brief Empties all 32 slots. Pictures that nothing else shares are kept as spares, so
    /// that the page read that follows can reuse their memory instead of faulting in fresh pages.
    void clear();
    /// @brief A spare 24-bit picture of exactly this size, taken out of the spares; null when none.
    TBigBitmap takeSpare(QSize size);
    /// @brief Frees the spares (a page read is done with them).
    void dropSpares() { spares.clear(); }

private:
    std::array<TBigBitmap, 17> full;   // index 0 unused
    std::array<TBigBitmap, 17> thumbs; // index 0 unused
    std::vector<TBigBitmap> spares;    // at most the 32 pictures of one page
};

} // namespace qv
