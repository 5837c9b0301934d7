// The print step in the main window: the settings column and the preview frame inside prt,
// and the panel behind them once the document exists.
#include "PrintPanel.h"
#include "Unit1.h"
#include "Unit3.h"
#include <QBoxLayout>

namespace qv {

QFrame* TForm1::setUpPrintPanel()
{
    prt = new QFrame(MainPanel);
    prt->setObjectName(QStringLiteral("prt"));
    prt->hide();
    auto* row = new QHBoxLayout(prt);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    Panel16 = new QFrame(prt);
    Panel16->setObjectName(QStringLiteral("Panel16"));
    Panel16->setFixedWidth(200);
    printColumn = std::make_unique<TPrintColumn>(buildPrintColumn(Panel16));
    PrtFrame = new TPrtFrame(prt);
    row->addWidget(Panel16);
    row->addWidget(PrtFrame, 1);
    return prt;
}

void TForm1::connectPrintPanel()
{
    printPanel = std::make_unique<TPrintPanel>(*Form2, state, *renderer, *printColumn,
                                               *static_cast<TPrtFrame*>(PrtFrame), this);
    printPanel->wireHooks(state.print);
}

} // namespace qv
