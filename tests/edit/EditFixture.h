#pragma once
// A document and its view on a Palm page 1 (the right page), for the editing rules.
#include "PageRenderer.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "TestItems.h"
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace qv::test {

class EditFixture : public ::testing::Test {
public:
    ScriptedDialogs script;
    TMainState st;
    TForm2 doc{st, baseDir()};
    PageRenderer view{doc, st};

    EditFixture()
    {
        view.withoutEditor();
        doc.bookType = QStringLiteral("Palm");
        doc.currentPage = 1;
        doc.setQorType();
        st.editSide = 2;
    }

    /// @brief Appends a selected item; its list index is returned.
    int add(int32_t kind, int32_t x, int32_t y, int32_t w, int32_t h, int32_t angle = 0, bool selected = true)
    {
        TItemStatus it = makeItem(kind, x, y, w, h, 0, angle);
        it.selected = selected;
        if (kind == kKindText) {
            it.fontSize = 35;
            it.lineSpacing = 53;
        }
        doc.items.append(it);
        doc.setItemSelect();
        return doc.itemCount();
    }
    TItemStatus& item(int i) { return doc.items[i]; }
};

} // namespace qv::test
