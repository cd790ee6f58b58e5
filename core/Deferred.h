#pragma once
// Runs a step on the event loop once the current handler has returned. Every modal
// window or message box that a link callback wants goes through here, so no nested event
// loop ever runs inside the link's receive or time-out handling.
#include <QMetaObject>
#include <QObject>
#include <functional>
#include <utility>

namespace ordalis {

// Nothing runs when context is destroyed first.
inline void RunDeferred(QObject* context, std::function<void()> step) {
    QMetaObject::invokeMethod(context, std::move(step), Qt::QueuedConnection);
}

}  // namespace ordalis
