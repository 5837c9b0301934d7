#pragma once
// A document, its renderer and the editor core on a Palm spread at zoom 2 (1 pixel per mm,
// 0.1 pixel per page unit) on a 632 x 411 canvas, whose spread origin is pixel (316, 205).
#include "EditorCore.h"
#include "HookRecorder.h"
#include "PageRenderer.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "TestItems.h"
#include "Unit2.h"
#include <QDir>
#include <gtest/gtest.h>

namespace qv::test {

class EditorFixture : public ::testing::Test {
public:
    ScriptedDialogs script;
    HookRecorder hooks;
    TMainState st;
    TForm2 doc{st, baseDir()};
    PageRenderer view{doc, st};
    EditorCore ed{doc, st, view};
    const QPoint origin{316, 205};

    void SetUp() override
    {
        hooks.install(st);
        QDir().mkpath(doc.work().root());
        doc.bookType = QStringLiteral("Palm");
        doc.currentPage = 2;
        doc.setQorType();
        doc.zoomLevel = 2;
        st.editSide = 2;
        view.paintBox = QSize(632, 411);
        doc.textWidthPx = [](const QString& s) { return int(s.size()) * 10; };
    }

    /// @brief Adds an unselected item; position and size in page units.
    int add(int32_t kind, int32_t x, int32_t y, int32_t w, int32_t h, int32_t angle = 0)
    {
        doc.items.append(makeItem(kind, x, y, w, h, 0, angle));
        return doc.itemCount();
    }

    /// Canvas pixel of spread point (x, y) in page units.
    QPoint px(int32_t x, int32_t y) const { return origin + QPoint(x / 10, y / 10); }

    PointerInput at(QPoint p, bool shift = false, bool ctrl = false) const
    {
        PointerInput in;
        in.pos = p;
        in.shift = shift;
        in.ctrl = ctrl;
        return in;
    }

    /// @brief Press at a, move through to b with the button held, release at b.
    void drag(QPoint a, QPoint b, bool shift = false, bool ctrl = false)
    {
        ed.MPLabelMouseDown(at(a, shift, ctrl));
        ed.MPLabelMouseMove(at((a + b) / 2, shift, ctrl), true);
        ed.MPLabelMouseMove(at(b, shift, ctrl), true);
        ed.MPLabelMouseUp(at(b, shift, ctrl));
    }
    void click(QPoint p, bool shift = false, bool ctrl = false) { drag(p, p, shift, ctrl); }

    bool selected(int i) const { return doc.items[i].selected; }
    void key(int k, bool ctrl = false)
    {
        ChangeSet c;
        ed.FormKeyDown({k, false, ctrl}, c);
        ed.FormKeyUp();
    }
};

} // namespace qv::test
