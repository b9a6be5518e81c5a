#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>

#include <map>

#include "support/device_doubles.h"
#include "platform/timer_set.h"

namespace kestrion::test {
namespace {

// Generous bounds: the tests wait for events, they do not measure speed.
constexpr int kWaitMs = 5000;

class TimerSetTest : public ::testing::Test {
protected:
    void SetUp() override { ensureCoreApp(); }

    std::map<int, int> fired;
};

TEST_F(TimerSetTest, OneShotFiresOnceWithItsId)
{
    TimerSet timers([this](int id) { ++fired[id]; });
    timers.setTimer(1011, 1, true);
    EXPECT_TRUE(timers.isActive(1011));
    EXPECT_TRUE(QTest::qWaitFor([this] { return fired[1011] == 1; }, kWaitMs));
    QTest::qWait(30);
    EXPECT_EQ(fired[1011], 1);
    EXPECT_FALSE(timers.isActive(1011));
}

TEST_F(TimerSetTest, PeriodicFiresUntilKilled)
{
    TimerSet timers([this](int id) { ++fired[id]; });
    timers.setTimer(1000, 1, false);
    EXPECT_TRUE(QTest::qWaitFor([this] { return fired[1000] >= 3; }, kWaitMs));
    timers.killTimer(1000);
    const int count = fired[1000];
    QTest::qWait(30);
    EXPECT_EQ(fired[1000], count);
    EXPECT_FALSE(timers.isActive(1000));
}

// The main window's pattern: every timer is killed first, then handled and perhaps re-armed.
TEST_F(TimerSetTest, HandlerMayKillAndRearmItsOwnTimer)
{
    TimerSet* self = nullptr;
    TimerSet timers([&](int id) {
        self->killTimer(id);
        if (++fired[id] < 3)
            self->setTimer(id, 1, false);
    });
    self = &timers;
    timers.setTimer(1031, 1, false);
    EXPECT_TRUE(QTest::qWaitFor([this] { return fired[1031] == 3; }, kWaitMs));
    QTest::qWait(30);
    EXPECT_EQ(fired[1031], 3);
}

TEST_F(TimerSetTest, TimersAreIndependentAndResettingRestarts)
{
    TimerSet timers([this](int id) { ++fired[id]; });
    timers.setTimer(1, 60000, true);
    timers.setTimer(2, 1, true);
    EXPECT_TRUE(QTest::qWaitFor([this] { return fired[2] == 1; }, kWaitMs));
    EXPECT_EQ(fired[1], 0);
    EXPECT_TRUE(timers.isActive(1));
    timers.setTimer(1, 1, true);
    EXPECT_TRUE(QTest::qWaitFor([this] { return fired[1] == 1; }, kWaitMs));
}

TEST_F(TimerSetTest, NegativePeriodStopsInsteadOfSpinning)
{
    TimerSet timers([this](int id) { ++fired[id]; });
    timers.setTimer(1008, 60000, false);
    timers.setTimer(1008, -10000, false);
    EXPECT_FALSE(timers.isActive(1008));
    QTest::qWait(30);
    EXPECT_EQ(fired[1008], 0);
}

TEST_F(TimerSetTest, NothingFiresAfterTheSetIsGone)
{
    {
        TimerSet timers([this](int id) { ++fired[id]; });
        timers.setTimer(5, 0, false);
        timers.setTimer(6, 1, true);
    }
    QTest::qWait(30);
    EXPECT_TRUE(fired.empty());
}

}  // namespace
}  // namespace kestrion::test
