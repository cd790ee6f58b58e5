#include "link/qt/QtTimers.h"

namespace ordalis {

QtTimer::QtTimer()
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (OnTimeout)
            OnTimeout();
    });
}

void QtTimer::Start(int ms) { timer_.start(ms); }

void QtTimer::Stop() { timer_.stop(); }

bool QtTimer::IsActive() const { return timer_.isActive(); }

int QtTimer::Interval() const { return timer_.interval(); }

std::unique_ptr<LinkTimer> QtTimerFactory::CreateTimer() { return std::make_unique<QtTimer>(); }

}  // namespace ordalis
