#pragma once
// Lets the event loop run until a condition holds, with a deadline.
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>

namespace ordalis::simtest {

// Lets the event loop run until done() holds; false when the deadline passed first.
inline bool RunUntil(const std::function<bool()>& done,
                     std::chrono::milliseconds deadline = std::chrono::seconds(20))
{
    const auto until = std::chrono::steady_clock::now() + deadline;
    if (done()) return true;
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || std::chrono::steady_clock::now() >= until) loop.quit();
    });
    tick.start();
    loop.exec();
    return done();
}

}  // namespace ordalis::simtest
