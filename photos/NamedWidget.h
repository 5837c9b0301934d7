#pragma once
// Controls carry the names the window's tests and handlers find them by.
#include <QWidget>

namespace qv {

/// @brief A new widget of type W in parent, with the given object name.
template <class W>
W* named(QWidget* parent, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

} // namespace qv
