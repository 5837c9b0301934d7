#pragma once
// The design photo strip's rules: which row a drag passing over it makes current, and putting
// the current row's photo onto the page. Widget-free.

namespace qv {

class TForm2;
struct TMainState;

constexpr int kStripRowHeight = 98;
/// Format of a drag that carries the strip's current photo.
inline constexpr char kStripDragFormat[] = "application/x-qorvale-strip-photo";

/// @brief The current row after a drag passes over the strip at y (pixels from its top, the
/// first visible row topRow): the row under the pointer when it holds a pool entry, else unchanged.
int stripDragRow(int y, int topRow, int poolSize, int currentRow);

enum class PhotoDrop { Added, PageFull, NoPhoto };

/// @brief Whether a drop of the strip's photo is accepted: its current row names a pool entry.
bool stripPhotoDroppable(const TMainState& st);

/// @brief Puts the strip's current photo onto the page at pixel x, y of the editor (0, 0: its
/// default place): refused with "最大数を超えました" when the edited side is full; otherwise the
/// selection tool, an undo snapshot of images and items, the new image item, `modified` set.
PhotoDrop dropStripPhoto(TForm2& doc, int x, int y);

} // namespace qv
