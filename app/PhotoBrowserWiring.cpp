// The photo browser panel in the window: built into imgFrame1, with the hooks the pool calls.
#include "PaintBox.h"
#include "PoolBrowser.h"
#include "Unit1.h"
#include "Unit11.h"
#include "Unit2.h"
#include <QBoxLayout>
#include <QDropEvent>
#include <QTableWidget>

namespace qv {
void TForm1::setUpPhotoBrowser()
{
    photoBrowser = new TimgFrame(state, [this] { return Form2.get(); }, imgFrame1);
    auto* l = new QVBoxLayout(imgFrame1);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(photoBrowser);
    state.window.setPoolGridRows = [this](int rows) { photoBrowser->setPoolGridRows(rows); };
}

} // namespace qv
