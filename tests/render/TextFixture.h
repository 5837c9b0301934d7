#pragma once
// Text items drawn alone on a white editor canvas, and the ink they leave.
#include "FontSetup.h"
#include "RenderFixture.h"
#include <QPainter>

namespace qv::test {

inline const QString kGothicP = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kGothic = QStringLiteral("ＭＳ ゴシック");
inline const QString kUiGothic = QStringLiteral("MS UI Gothic");

/// Pixels darker than mid grey in any channel count as ink.
inline bool isInk(QRgb c) { return qRed(c) < 128 || qGreen(c) < 128 || qBlue(c) < 128; }

/// @brief Bounding box of the ink inside `area` (null when there is none).
inline QRect inkBounds(const QImage& img, QRect area)
{
    area &= img.rect();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (isInk(img.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

inline int inkCount(const QImage& img, QRect area)
{
    area &= img.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += isInk(img.pixel(x, y));
    return n;
}

class TextFixture : public RenderFixture {
protected:
    void SetUp() override
    {
        installFontSubstitutions();
        open("Palm", 0, 8); // the cover: spread (0, 0) is the middle of the paint box
        doc.hideGuides = true;
    }

    /// A text item in spread coordinates with the defaults of a new text.
    TItemStatus& addTextItem(const QString& text, const QString& font = kGothicP, int32_t x = 0, int32_t y = 0)
    {
        TItemStatus it;
        it.kind = kKindText;
        it.text = text;
        it.fontName = font;
        it.fontSize = 35;
        it.lineSpacing = 53;
        it.height = 35;
        it.width = 100;
        it.centerX = x;
        it.centerY = y;
        it.selected = false;
        doc.items.append(it);
        return doc.items.last();
    }

    TItemStatus& item(int i = 1) { return doc.items[i]; }

    /// @brief Clears the editor canvas to white and draws item i alone on it.
    void drawAlone(int i = 1)
    {
        r.fitBackBuffer();
        r.backBuffer.fill(Qt::white);
        st.originX = cx = r.cPosX();
        st.originY = cy = r.cPosY();
        r.drawTextItem(kTargetEditor, i);
    }

    QRect ink(QRect area = {}) const { return inkBounds(r.backBuffer, area.isNull() ? r.backBuffer.rect() : area); }

    /// @brief Saves the canvas to /tmp when the test failed or QV_KEEP_IMAGES is set.
    void keep(const QString& name) const
    {
        if (HasFailure() || qEnvironmentVariableIsSet("QV_KEEP_IMAGES"))
            r.backBuffer.save(QStringLiteral("/tmp/") + name + QStringLiteral(".png"));
    }
};

} // namespace qv::test
