#pragma once
// Places a top-level window over the middle of the window it belongs to.
#include <QWidget>

namespace ordalis {

inline void CenterOnParent(QWidget* window) {
    const QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible()) return;
    window->move(owner->frameGeometry().center() - window->rect().center());
}

}  // namespace ordalis
