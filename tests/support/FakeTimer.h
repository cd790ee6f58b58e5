#pragma once
// Timers that never fire by themselves. A test fires one by hand (Fire) or moves a fake
// clock forward (FakeTimerFactory::Advance), which fires due timers in deadline order.
#include <algorithm>
#include <memory>
#include <vector>

#include "link/LinkTimer.h"

namespace ordalis::test {

class FakeTimer;

struct FakeClock {
    long long now = 0;  // ms
    std::vector<FakeTimer*> timers;
};

class FakeTimer : public LinkTimer {
public:
    explicit FakeTimer(std::shared_ptr<FakeClock> clock) : clock_(std::move(clock)) { clock_->timers.push_back(this); }
    ~FakeTimer() override {
        auto& t = clock_->timers;
        t.erase(std::remove(t.begin(), t.end(), this), t.end());
    }

    void Start(int ms) override {
        interval_ = ms;
        active_ = true;
        deadline_ = clock_->now + ms;
        ++starts;
    }
    void Stop() override { active_ = false; }
    bool IsActive() const override { return active_; }
    int Interval() const override { return interval_; }
    long long Deadline() const { return deadline_; }

    // Fires as if the interval had elapsed; false (and nothing happens) when not active.
    bool Fire() {
        if (!active_) return false;
        active_ = false;
        ++fired;
        if (OnTimeout) OnTimeout();
        return true;
    }

    int starts = 0;
    int fired = 0;

private:
    std::shared_ptr<FakeClock> clock_;
    int interval_ = 0;
    bool active_ = false;
    long long deadline_ = 0;
};

class FakeTimerFactory : public TimerFactory {
public:
    std::unique_ptr<LinkTimer> CreateTimer() override { return std::make_unique<FakeTimer>(clock_); }

    long long Now() const { return clock_->now; }
    // Moves the clock forward by ms, firing every timer that falls due on the way (a timer
    // restarted by a handler fires again if its new deadline is still within the step).
    void Advance(long long ms) {
        const long long target = clock_->now + ms;
        for (;;) {
            FakeTimer* next = nullptr;
            for (FakeTimer* t : clock_->timers)
                if (t->IsActive() && t->Deadline() <= target && (!next || t->Deadline() < next->Deadline())) next = t;
            if (!next) break;
            clock_->now = std::max(clock_->now, next->Deadline());
            next->Fire();
        }
        clock_->now = target;
    }
    const std::vector<FakeTimer*>& Timers() const { return clock_->timers; }

private:
    std::shared_ptr<FakeClock> clock_ = std::make_shared<FakeClock>();
};

// The fake behind a LinkTimer& handed out by the link (e.g. link.AnswerTimer()).
inline FakeTimer& AsFake(LinkTimer& t) { return static_cast<FakeTimer&>(t); }

}  // namespace ordalis::test
