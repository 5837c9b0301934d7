#pragma once
// The item property panel without its widgets: what the fields show for the selected items,
// and how the confirmed fields are written back to every selected item.
#include "PageRenderer.h"
#include <optional>

namespace qv {

inline const QString kMsgPanelFailed = QStringLiteral("ボックスのプロパティ設定に失敗しました");
inline const QString kMsgNoTurnPrefix = QStringLiteral("幅または高さが");
inline const QString kMsgNoTurnSuffix = QStringLiteral("mmを超える画像は回転できません。");
/// A photo item bigger than this (page units) on either side is never turned.
constexpr int32_t kMaxTurnablePhoto = 2000;

/// Writing direction shown by the two direction buttons (None: both up).
enum class Direction { None, Horizontal, Vertical };
/// The text alignment button that is down.
enum class AlignButton { None = -1, Start = 0, Centre = 1, End = 2 };

/// The panel's field contents. Empty texts mean "several items" when read and "leave the
/// property as it is" when applied.
struct PanelFields {
    QString x, y, width, height, angle;
    std::optional<uint32_t> color;   // 0x00BBGGRR; none chosen when empty
    bool sizeEnabled = true;         // width and height (off while a text item is selected)
    bool textEnabled = false;        // face, size, spacing, direction, alignment
    QString face;                    // without "@"; empty: no entry chosen
    QString fontSize, lineSpacing;   // whole points
    Direction direction = Direction::None;
    AlignButton align = AlignButton::None;
};

/// @brief The fields for the current selection; nothing while no item is selected.
std::optional<PanelFields> readPanel(const TForm2& doc, const PageRenderer& view);

struct ApplyOutcome {
    bool applied = false;       // false: a value could not be stored or drawn; nothing changed
    bool turnRefused = false;   // a photo over 200 mm kept angle 0
};

/// @brief Writes the fields to every selected item. Every item is worked out first: a field
/// that holds no whole number of the 32-bit range, or a value that would make an item that
/// cannot be stored or drawn (a size of 0, a photo beyond the picture budget), changes no item
/// and shows the warning. Shows the panel's messages.
ApplyOutcome applyPanel(TForm2& doc, const PageRenderer& view, const PanelFields& fields);

/// @brief The textAlign code of a button for horizontal or vertical writing, and back.
int32_t alignCode(AlignButton button, bool vertical);
AlignButton alignButtonFor(int32_t code, bool vertical);

/// Below this a photo is marked as printing coarsely.
constexpr int kLowPpi = 150;
/// @brief Pixels per inch the selected photo prints at (the pool copy's pixels over the box's
/// size; the lower of the two axes); for several photos the lowest. Empty without a photo.
std::optional<double> selectedPhotoPpi(const TForm2& doc);
/// @brief The warning for the low-resolution mark, or empty when the photo prints well enough.
QString lowResolutionWarning(const TForm2& doc);

} // namespace qv
