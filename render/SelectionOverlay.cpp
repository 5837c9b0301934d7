#include "SelectionOverlay.h"
#include "ItemGeometry.h"
#include "Numbers.h"
#include "SelectionGeometry.h"
#include "Unit2.h"
#include <QPolygon>
#include <cmath>
#include <numbers>

namespace qv {
namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

QColor colorOf(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

// Everything is drawn with whole-pixel lines, as on the page itself.
struct Pens {
    QPen dotted, outline;
    QBrush mark;
};

void outlineBox(QPainter& p, const Pens& pens, QPoint centre, double halfW, double halfH, double angleDeg)
{
    const double c = std::cos(angleDeg * kDegToRad), s = std::sin(angleDeg * kDegToRad);
    const double corners[4][2] = {{-halfW, -halfH}, {halfW, -halfH}, {halfW, halfH}, {-halfW, halfH}};
    QPolygon poly;
    for (const auto& k : corners)
        poly << QPoint(nearest(centre.x() + k[0] * c + k[1] * s), nearest(centre.y() - k[0] * s + k[1] * c));
    p.setPen(pens.outline);
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(poly);
}

void filledEllipse(QPainter& p, const Pens& pens, QPoint from, QPoint to)
{
    p.setPen(Qt::NoPen);
    p.setBrush(pens.mark);
    p.drawEllipse(QRect(from, to - QPoint(1, 1)));
}

void dottedPolygon(QPainter& p, const Pens& pens, const QPolygon& poly)
{
    p.setPen(pens.dotted);
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(poly);
}

struct Overlay {
    QPainter& p;
    const TForm2& doc;
    const TMainState& st;
    const EditorView& v;
    int ox, oy;
    double s;
    SelBounds b;
    double gx = 0, gy = 0;
    Pens pens;

    bool scaleTool() const { return doc.currentTool == kToolScale; }
    // The rotate tool turns about the middle of the selection, before and during the drag.
    QPoint turnCentre() const { return rotationCentre(b, s, ox, oy); }
    bool rotateDrag() const { return doc.currentTool == kToolRotate && doc.buttonDown; }

    void itemOutlines()
    {
        for (int i = 1; i < doc.items.size(); ++i) {
            const TItemStatus& it = doc.items[i];
            if (!it.selected)
                continue;
            const double hw = nearest(it.width / 2.0 * s), hh = nearest(it.height / 2.0 * s);
            if (rotateDrag()) {
                const QPoint c = turnAbout(QPointF(it.centerX * s + ox, it.centerY * s + oy), turnCentre(),
                                           v.rotationDelta);
                outlineBox(p, pens, c, hw, hh, it.angle + v.rotationDelta);
            } else {
                const QPoint c(nearest(it.centerX * s + ox), nearest(it.centerY * s + oy));
                outlineBox(p, pens, c, hw, hh, it.angle);
            }
        }
    }

    void selectionBox()
    {
        double dx = 0, dy = 0;
        if (doc.currentTool == kToolSelect && doc.buttonDown) {
            dx = (doc.pressPoint.x() - doc.pointerPoint.x()) / s;
            dy = (doc.pressPoint.y() - doc.pointerPoint.y()) / s;
        }
        const int xl = nearest((b.L - dx) * s + ox), xr = nearest((b.R - gx - dx) * s + ox);
        const int yt = nearest(s * (b.T - dy)) + oy, yb = nearest(s * (b.B - gy - dy)) + oy;
        dottedPolygon(p, pens, QPolygon({QPoint(xl, yt), QPoint(xl, yb), QPoint(xr, yb), QPoint(xr, yt)}));
    }

    void turningBox()
    {
        QPolygon poly;
        for (QPointF c : {QPointF(b.L, b.T), QPointF(b.R, b.T), QPointF(b.R, b.B), QPointF(b.L, b.B)})
            poly << turnAbout(QPointF(c.x() * s + ox, c.y() * s + oy), turnCentre(), v.rotationDelta);
        dottedPolygon(p, pens, poly);
    }

    void gesturePreview()
    {
        const int px = doc.pressPoint.x() + ox, py = doc.pressPoint.y() + oy;
        const int qx = doc.pointerPoint.x() + ox, qy = doc.pointerPoint.y() + oy;
        if (doc.currentTool == kToolRect) {
            p.setPen(pens.outline);
            p.setBrush(Qt::NoBrush);
            p.drawPolygon(QPolygon({QPoint(px, py), QPoint(px, qy), QPoint(qx, qy), QPoint(qx, py)}));
        } else if (doc.currentTool == kToolEllipse) {
            p.setPen(pens.outline);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(spanRect(QPoint(px, py), QPoint(qx, qy)));
        } else if (doc.currentTool == kToolSelect && doc.bandArmed) {
            dottedPolygon(p, pens, QPolygon({QPoint(px, py), QPoint(qx, py), QPoint(qx, qy), QPoint(px, qy)}));
        }
    }

    void scaleHandle()
    {
        filledEllipse(p, pens, v.handlePoint - QPoint(3, 3), v.handlePoint + QPoint(6, 6));
        const int cx2 = nearest((b.R - gx) * s) + ox, cy2 = nearest((b.B - gy) * s) + oy;
        p.setPen(Qt::NoPen);
        p.fillRect(QRect(QPoint(cx2 - 13, cy2 - 13), QSize(15, 15)), pens.mark);
        const int S = nearest((b.R - gx) * s - 3) + ox, U = nearest((b.B - gy) * s - 3) + oy;
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygon({QPoint(S, U), QPoint(S - 4, U), QPoint(S - 4, U - 1), QPoint(S - 1, U - 4),
                                QPoint(S, U - 4)}));
        p.drawPolygon(QPolygon({QPoint(S - 7, U - 7), QPoint(S - 3, U - 7), QPoint(S - 3, U - 6),
                                QPoint(S - 6, U - 3), QPoint(S - 7, U - 3)}));
    }

    void draw()
    {
        if (doc.currentTool == kToolScale && doc.buttonDown) {
            gx = (b.R - b.L) * (1 - v.scaleRatioX);
            gy = (b.B - b.T) * (1 - v.scaleRatioY);
        }
        if (doc.anySelected && doc.currentTool == kToolRotate)
            filledEllipse(p, pens, turnCentre() - QPoint(4, 4), turnCentre() + QPoint(5, 5));
        if (rotateDrag() && doc.anySelected)
            turningBox();
        itemOutlines();
        if (!rotateDrag())
            selectionBox();
        if (doc.buttonDown)
            gesturePreview();
        if (scaleTool() && doc.anySelected)
            scaleHandle();
    }
};

} // namespace

void drawSelection(QPainter& p, const TForm2& doc, const TMainState& st, int ox, int oy)
{
    const QColor c = colorOf(doc.defaultItemColor);
    QPen dotted(c, 1, Qt::DotLine);
    dotted.setCosmetic(true);
    QPen outline(c, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    Overlay o{p, doc, st, st.view, ox, oy, doc.amp(), selectionBoundsOf(doc), 0, 0, {dotted, outline, QBrush(c)}};
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    o.draw();
    p.restore();
}

} // namespace qv
