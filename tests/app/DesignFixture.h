#pragma once
// The real window in the design step on page folder 3 of a Palm book, shown, with helpers to
// place items and to reach the canvas as the user and the window system do.
#include "EditorCore.h"
#include "FakePrinter.h"
#include "FormFixture.h"
#include "Numbers.h"
#include "PaintBox.h"
#include <QLabel>
#include <QTest>
#include <QToolButton>

namespace qv::test {

class CanvasForm : public FormTest {
protected:
    FakePrinter printer;
    void TearDown() override { form.reset(); }   // before the printer it uses

    /// Palm in design on page folder 3, the window shown.
    TForm2& design()
    {
        makeForm();
        showForm();
        QTest::mouseClick(find<QLabel>("lblMenuPalm"), Qt::LeftButton);
        QTest::mouseClick(find<QLabel>("LabelH3"), Qt::LeftButton);
        TForm2& d = *form->Form2;
        d.switchPage(3);
        return d;
    }
    TForm2& doc() { return *form->Form2; }
    /// Canvas pixel of a spread point in page units.
    QPoint at(int32_t x, int32_t y) const
    {
        const double a = form->Form2->amp();
        return form->editor->origin() + QPoint(nearest(x * a), nearest(y * a));
    }
    QPoint centreOf(int i) { return at(doc().items[i].centerX, doc().items[i].centerY); }
    /// A rectangle of w x h page units centred at (x, y), unselected.
    int rect(int32_t x, int32_t y, int32_t w, int32_t h)
    {
        TForm2& d = doc();
        d.addRect(QRect(0, 0, 40, 40), true);
        TItemStatus& it = d.items.last();
        it.centerX = x;
        it.centerY = y;
        it.width = w;
        it.height = h;
        it.selected = false;
        d.setItemSelect();
        return d.itemCount();
    }
    /// A press or release that comes the way the window system delivers it, so that the window's
    /// own handling (the context menu on a right press, modal blocking) takes part.
    void windowMouse(QTest::MouseAction action, Qt::MouseButton button, QPoint canvasPoint,
                     Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseEvent(action, form->windowHandle(), button, mods, form->PBMain->mapTo(form.get(), canvasPoint));
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = {})
    {
        QTest::mousePress(form->PBMain, Qt::LeftButton, mods, from);
        QTest::mouseMove(form->PBMain, (from + to) / 2);
        QTest::mouseMove(form->PBMain, to);
        QTest::mouseRelease(form->PBMain, Qt::LeftButton, mods, to);
    }
    void clickTool(int n)
    {
        QTest::mouseClick(find<QToolButton>(QByteArray("ToolButton") + QByteArray::number(n)), Qt::LeftButton);
    }
    bool blueAt(QPoint p) { return (form->backBuffer.pixel(p) & 0xFFFFFF) == 0x0000FF; }
    /// Keys arrive where the focus is, as typed keys do.
    QWidget* keys() { return form->focusWidget() ? form->focusWidget() : form.get(); }
};

} // namespace qv::test
