// The editor canvas of the main window: the paint box shows the current page, drawn off screen
// into the window's back buffer and copied in one block.
#include "PageRenderer.h"
#include "PaintBox.h"
#include "Unit1.h"
#include <QLabel>
#include <QPainter>
#include <utility>

namespace qv {

void TForm1::MPaint(int target)
{
    if (!renderer)
        return;
    renderer->paintBox = PBMain->size();
    // The window owns the back buffer; the renderer draws into it for the length of one paint.
    std::swap(renderer->backBuffer, backBuffer);
    renderer->MPaint(target);
    std::swap(renderer->backBuffer, backBuffer);
}

void TForm1::PBMainPaint(QPainter& p)
{
    MPaint(kTargetEditor);
    if (!backBuffer.isNull())
        p.drawImage(0, 0, backBuffer);
}

void TForm1::showHintStrip(int strip)
{
    PanelNote->setVisible(strip == 1);
    PanelNote2->setVisible(strip != 1);
}

} // namespace qv
