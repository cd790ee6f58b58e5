#pragma once
// QTimer-backed link timers for the running program.
#include <QTimer>

#include "link/LinkTimer.h"

namespace ordalis {

// A single-shot QTimer; Start restarts it. Precise timing, since the 20 ms
// frame reset is shorter than a coarse timer's slack.
class QtTimer : public LinkTimer {
public:
    QtTimer();
    void Start(int ms) override;
    void Stop() override;
    bool IsActive() const override;
    int Interval() const override;

private:
    QTimer timer_;
};

class QtTimerFactory : public TimerFactory {
public:
    std::unique_ptr<LinkTimer> CreateTimer() override;
};

}  // namespace ordalis
