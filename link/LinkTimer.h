#pragma once
// Timers behind an interface so tests can fire them without real time passing.
#include <functional>
#include <memory>

namespace ordalis {

class LinkTimer {
public:
    virtual ~LinkTimer() = default;
    virtual void Start(int ms) = 0;  // (re)starts; fires once unless restarted
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    virtual int Interval() const = 0;
    std::function<void()> OnTimeout;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<LinkTimer> CreateTimer() = 0;
};

}  // namespace ordalis
