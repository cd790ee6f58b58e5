#include "link/qt/QtTimers.h"

#include <QTest>
#include <gtest/gtest.h>

namespace ordalis {
namespace {

TEST(QtTimers, FiresOnceAndRestartReplacesInterval)
{
    QtTimerFactory factory;
    auto timer = factory.CreateTimer();
    int fired = 0;
    timer->OnTimeout = [&] { ++fired; };
    EXPECT_FALSE(timer->IsActive());

    timer->Start(60000);
    timer->Start(5);
    EXPECT_TRUE(timer->IsActive());
    EXPECT_EQ(timer->Interval(), 5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fired > 0; }, 5000));
    EXPECT_FALSE(timer->IsActive());

    // A later, longer timer firing shows the first one stayed single-shot.
    auto later = factory.CreateTimer();
    bool laterFired = false;
    later->OnTimeout = [&] { laterFired = true; };
    later->Start(30);
    ASSERT_TRUE(QTest::qWaitFor([&] { return laterFired; }, 5000));
    EXPECT_EQ(fired, 1);
}

TEST(QtTimers, StoppedTimerNeverFires)
{
    QtTimerFactory factory;
    auto stopped = factory.CreateTimer();
    auto witness = factory.CreateTimer();
    bool stoppedFired = false;
    bool witnessFired = false;
    stopped->OnTimeout = [&] { stoppedFired = true; };
    witness->OnTimeout = [&] { witnessFired = true; };
    stopped->Start(1);
    witness->Start(20);
    stopped->Stop();
    EXPECT_FALSE(stopped->IsActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return witnessFired; }, 5000));
    EXPECT_FALSE(stoppedFired);
}

TEST(QtTimers, TimerMayRestartItselfFromItsHandler)
{
    QtTimerFactory factory;
    auto timer = factory.CreateTimer();
    int fired = 0;
    timer->OnTimeout = [&] {
        if (++fired < 3)
            timer->Start(1);
    };
    timer->Start(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fired == 3; }, 5000));
    EXPECT_FALSE(timer->IsActive());
}

}  // namespace
}  // namespace ordalis
