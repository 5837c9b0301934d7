// The editor canvas's input: the window translates mouse and key events into the editor's
// input records, forwards them, and applies the changes the editor reports.
#include "EditorCore.h"
#include "PageRenderer.h"
#include "PaintBox.h"
#include "Unit1.h"
#include "Unit2.h"
#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>

namespace qv {
namespace {

struct ToolSpec {
    int number;
    const char* caption;
    const char* hint;
    bool tool;   // one of the group of which one is down
};

const ToolSpec kTools[] = {
    {0, "選択", "選択ツール (F1)", true},
    {1, "文字", "文字ツール (F2)", true},
    {2, "四角", "四角ツール (F3)", true},
    {3, "丸", "丸ツール (F4)", true},
    {9, "移動", "スクロール（F5）", true},
    {4, "拡縮", "拡大・縮小", true},
    {5, "回転", "回転ツール", true},
    {7, "前面", "前面に移動 (Ctrl+f)", false},
    {14, "背面", "背面に移動 (Ctrl+b)", false},
    {6, "削除", "削除 (Del)", false},
    {8, "戻す", "やり直し（Ctrl+z）", false},
    {11, "拡大", "ページ全体を拡大", false},
    {12, "縮小", "ページ全体を縮小", false},
};

} // namespace

void TForm1::buildToolButtons()
{
    // Three rows of small buttons, so that the property panel beside them keeps its room in
    // the window's starting width.
    auto* box = new QWidget(ToolBar1);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(1, 2, 1, 2);
    grid->setSpacing(1);
    ToolBar1->addWidget(box);
    auto* group = new QButtonGroup(ToolBar1);
    group->setExclusive(true);
    QFont small = font();
    small.setPixelSize(10);
    int k = 0;
    for (const ToolSpec& t : kTools) {
        auto* b = new QToolButton(box);
        b->setFont(small);
        b->setFixedSize(28, 20);
        grid->addWidget(b, k / 5, k % 5);
        ++k;
        b->setObjectName(QStringLiteral("ToolButton%1").arg(t.number));
        b->setText(QString::fromUtf8(t.caption));
        b->setToolTip(QString::fromUtf8(t.hint));
        b->setAccessibleName(QString::fromUtf8(t.hint));
        b->setFocusPolicy(Qt::NoFocus);
        if (t.tool) {
            b->setCheckable(true);
            group->addButton(b);
        }
        ToolButton[t.number] = b;
        const int n = t.number;
        connect(b, &QToolButton::clicked, this, [this, n] { ToolButtonClick(n); });
    }
    ToolButton[0]->setChecked(true);
}

void TForm1::wireEditor()
{
    editor = std::make_unique<EditorCore>(*Form2, state, *renderer);
    // The document's selection changes reach the tool buttons through the editor.
    state.window.refreshToolButtons = [this] {
        editor->refreshToolButtons();
        syncToolButtons();
    };
    state.window.selectSelectionTool = [this] {
        editor->returnToSelectTool();
        syncToolButtons();
    };
    state.window.returnToSelectTool = state.window.selectSelectionTool;
    PBMain->setMouseTracking(true);
    PBMain->onMousePress = [this](QMouseEvent* e) { MPLabelMouseDown(e); };
    PBMain->onMouseMove = [this](QMouseEvent* e) { MPLabelMouseMove(e); };
    PBMain->onMouseRelease = [this](QMouseEvent* e) { MPLabelMouseUp(e); };
    PBMain->onDoubleClick = [this](QMouseEvent* e) { MPLabelDblClick(e); };
    qApp->installEventFilter(this);
    syncToolButtons();
}

PointerInput TForm1::pointerInput(QMouseEvent* e, bool dbl) const
{
    PointerInput in;
    in.pos = e->position().toPoint();
    in.shift = e->modifiers() & Qt::ShiftModifier;
    in.ctrl = e->modifiers() & Qt::ControlModifier;
    in.dbl = dbl;
    return in;
}

void TForm1::MPLabelMouseDown(QMouseEvent* e) { applyChanges(editor->MPLabelMouseDown(pointerInput(e))); }

void TForm1::MPLabelMouseMove(QMouseEvent* e)
{
    applyChanges(editor->MPLabelMouseMove(pointerInput(e), e->buttons() != Qt::NoButton));
}

void TForm1::MPLabelMouseUp(QMouseEvent* e) { applyChanges(editor->MPLabelMouseUp(pointerInput(e))); }

void TForm1::MPLabelDblClick(QMouseEvent* e)
{
    // The second press of a double-click is a press with the double-click bit, then the
    // double-click itself.
    ChangeSet c = editor->MPLabelMouseDown(pointerInput(e, true));
    c.merge(editor->MPLabelDblClick(pointerInput(e, true)));
    applyChanges(c);
}

void TForm1::ToolButtonClick(int button)
{
    if (!editor)
        return;
    applyChanges(editor->ToolButtonClick(button));
}

bool TForm1::FormKeyDown(QKeyEvent* e)
{
    const bool designing = Form2 && Form2->menuMode == 8 && main->isVisible() && PBMain->isEnabled();
    if (designing) {
        KeyInput in;
        in.key = e->key();
        in.shift = e->modifiers() & Qt::ShiftModifier;
        in.ctrl = e->modifiers() & Qt::ControlModifier;
        ChangeSet c;
        editor->FormKeyDown(in, c);
        applyChanges(c);
    }
    if (Form2 && Form2->menuMode == 7)
        return false;
    // Typed characters still reach an edit field (Backspace and Enter among them, which confirms
    // a field), and Tab still moves between fields; the other keys act on the page only.
    const QString text = e->text();
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool typed = (!text.isEmpty() && text.at(0).isPrint() && !ctrl) ||
                       QList<int>{Qt::Key_Backspace, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Tab, Qt::Key_Backtab}
                           .contains(e->key());
    return !typed;
}

void TForm1::FormKeyUp(QKeyEvent*)
{
    if (editor)
        applyChanges(editor->FormKeyUp());
}

bool TForm1::eventFilter(QObject* watched, QEvent* e)
{
    const bool key = e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease;
    // The window sees each key once, when it arrives at the control that has the focus (or at
    // the window itself), before that control does; on its way up to the parents it passes by.
    QWidget* first = focusWidget() ? focusWidget() : this;
    if (!key || watched != first || !editor)
        return QWidget::eventFilter(watched, e);
    if (e->type() == QEvent::KeyRelease) {
        FormKeyUp(static_cast<QKeyEvent*>(e));
        return false;
    }
    return FormKeyDown(static_cast<QKeyEvent*>(e));
}

void TForm1::syncToolButtons()
{
    if (!editor || !ToolButton[0])
        return;
    ToolButton[editor->downButton()]->setChecked(true);
    for (int n : {4, 6, 7, 14})
        ToolButton[n]->setEnabled(editor->itemToolsEnabled);
    ToolButton[5]->setEnabled(editor->itemToolsEnabled && editor->rotateEnabled);
    ToolButton[11]->setEnabled(Form2->zoomLevel < 8);
    ToolButton[12]->setEnabled(Form2->zoomLevel > 1);
}

void TForm1::applyChanges(const ChangeSet& in)
{
    ChangeSet c = in;
    c.merge(editor->takeChanges());
    if (c.tools || c.zoom)
        syncToolButtons();
    if (c.cursor)
        PBMain->setCursor(*c.cursor == EditorCursor::SizeDiagonal ? Qt::SizeFDiagCursor : Qt::ArrowCursor);
    if (c.alignMenu)
        state.window.attachAlignMenu(*c.alignMenu);
    if (c.focusStrip)
        DG->setFocus();
    if (c.canvas)
        PBMain->repaint();
    if (c.thumbnail)
        state.window.repaintThumbnail();
    if (c.properties)
        state.window.refreshPropertyPanel();
}

} // namespace qv
