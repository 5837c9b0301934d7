#pragma once
// Controls of the editing panels carry the name the tests and handlers find them by, and the
// name a screen reader announces.
#include <QLabel>
#include <QWidget>

namespace qv {

/// @brief A new widget of type W in parent with an object name and an accessible name.
template <class W>
W* named(QWidget* parent, const char* name, const QString& accessible)
{
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setAccessibleName(accessible);
    return w;
}

/// @brief A caption label, announced by its text.
inline QLabel* captionLabel(QWidget* parent, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setAccessibleName(text.trimmed());
    return l;
}

} // namespace qv
