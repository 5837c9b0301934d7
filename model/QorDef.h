#pragma once
// Shared records and constants of the book model.
#include <QString>
#include <QVector>
#include <cstdint>

namespace qv {

// Item kinds.
constexpr int32_t kKindInvalid = 0;
constexpr int32_t kKindText = 1;
constexpr int32_t kKindImage = 2;
constexpr int32_t kKindEllipse = 3;
constexpr int32_t kKindRect = 4;
constexpr int32_t kKindBox = 5;

// Tool codes of the editor.
constexpr int32_t kToolSelect = 0;
constexpr int32_t kToolText = 1;
constexpr int32_t kToolRect = 2;
constexpr int32_t kToolEllipse = 3;
constexpr int32_t kToolScale = 4;
constexpr int32_t kToolRotate = 6;
constexpr int32_t kToolScroll = 9;

// Colours are 0x00BBGGRR.
constexpr uint32_t kColorWhite = 0x00FFFFFF;
constexpr uint32_t kColorBlue = 0x00FF0000;
constexpr uint32_t kImageKeyColor = 0x0200FF00;
constexpr uint32_t rgbColor(int r, int g, int b) { return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16); }

constexpr int kPageFolderCount = 17;     // folders 0..16
constexpr int kCacheSlots = 16;          // page image cache slots 1..16
constexpr int kMaxPageImages = 8;
constexpr int kMaxPageItems = 20;
constexpr int kMaxPoolEntries = 150;

inline const QString kDefaultFontName = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kNewTextCaption = QStringLiteral("新しい文字");
inline const QString kShapeCaption = QStringLiteral("図形");
inline const QString kPoolPictureName = QStringLiteral("画像");
inline const QString kPoolPhotoName = QStringLiteral("写真");
inline const QString kMsgMaxExceeded = QStringLiteral("最大数を超えました");

/// One item on a page (text, image, ellipse or rectangle).
struct TItemStatus {
    bool selected = true;
    bool fromPicture = false;
    bool spareFlag = false;
    bool copyMark = false;
    int32_t textAlign = 0;
    int32_t kind = kKindInvalid;
    int32_t angle = 0;
    int32_t centerX = 0;
    int32_t centerY = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t screenX = 0;
    int32_t screenY = 0;
    uint32_t color = 0;
    uint32_t lineColor = kColorBlue;
    uint32_t keyColor = 0;
    QString fontName;
    int32_t lineCount = 1;
    int32_t fontSize = 0;
    int32_t lineSpacing = 0;
    QString text;
    int32_t imageSlot = 0;
    uint32_t poolIndex = 0;

    bool operator==(const TItemStatus&) const = default;
};

/// One photo pool entry.
struct TInfos {
    QString name;
    bool isPicture = false;
    int32_t srcWidth = 0;
    int32_t srcHeight = 0;
};

using TItemList = QVector<TItemStatus>;

} // namespace qv
