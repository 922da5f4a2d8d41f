#include "objdb/qeltimertasks.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

struct Fixture : ::testing::Test {
    TQelManualClock clock { 1000 };
    TQelTimerTasks tasks { &clock, &clock };
    std::vector<TQelTimeMs> fired; // clock time of every call

    // An event of this fixture that records the time and stops its task unless told otherwise.
    TQelTimerEvent event(int id, bool stopItself = true)
    {
        return { this, id, [this, stopItself](TQelTaskId t, std::intptr_t) {
                    fired.push_back(clock.NowMs());
                    if (stopItself)
                        tasks.Stop(t);
                } };
    }
};

using TimerTasks = Fixture;

TEST_F(TimerTasks, FiresExactlyAfterItsDelayAndStopsItself)
{
    TQelTaskId t = tasks.Start(event(1), 100);
    clock.Advance(99);
    EXPECT_TRUE(fired.empty());
    clock.Advance(1);
    EXPECT_EQ(fired, (std::vector<TQelTimeMs> { 1100 }));
    EXPECT_FALSE(tasks.IsPending(t));
    EXPECT_EQ(tasks.Count(), 0);
    clock.Advance(1000);
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(TimerTasks, TaskThatIsNotStoppedFiresEveryPeriod)
{
    tasks.Start(event(1, false), 100);
    EXPECT_EQ(clock.Advance(350), 3);
    EXPECT_EQ(fired, (std::vector<TQelTimeMs> { 1100, 1200, 1300 }));
    EXPECT_EQ(clock.NowMs(), 1350);
}

TEST_F(TimerTasks, PendingTaskIsResetNotDuplicated)
{
    TQelTaskId first = tasks.Start(event(1), 100, 7);
    clock.Advance(60);
    // The usual caller pattern: find the handler's task, reset it, else start one.
    TQelTaskId found = tasks.FindTaskByEvent(event(1));
    ASSERT_EQ(found, first);
    tasks.Reset(found, 100);
    // Starting the same handler again also resets and takes the new data.
    TQelTaskId again = tasks.Start(event(1), 100, 9);
    EXPECT_EQ(again, first);
    EXPECT_EQ(tasks.Count(), 1);
    EXPECT_EQ(tasks.get_CustomData(first), 9);
    clock.Advance(99);
    EXPECT_TRUE(fired.empty());
    clock.Advance(1);
    EXPECT_EQ(fired, (std::vector<TQelTimeMs> { 1160 }));
}

TEST_F(TimerTasks, HandlerIdentityIsOwnerAndId)
{
    int other = 0;
    TQelTaskId a = tasks.Start(event(1), 100);
    TQelTaskId b = tasks.Start(event(2), 100);
    TQelTaskId c = tasks.Start({ &other, 1, [](TQelTaskId, std::intptr_t) {} }, 100);
    EXPECT_NE(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(tasks.FindTaskByEvent(this, 2), b);
    EXPECT_EQ(tasks.FindTaskByEvent(&other, 1), c);
    EXPECT_FALSE(tasks.FindTaskByEvent(&other, 2));
    EXPECT_EQ(tasks.StopAllOf(this), 2);
    EXPECT_EQ(tasks.Count(), 1);
}

TEST_F(TimerTasks, TaskWithoutEventOnlyMeasuresTime)
{
    TQelTaskId watch = tasks.Start();
    TQelTaskId watch2 = tasks.Start();
    EXPECT_NE(watch, watch2);
    EXPECT_EQ(tasks.Tell(watch), 0);
    clock.Advance(99);
    EXPECT_EQ(tasks.Tell(watch), 99);
    EXPECT_FALSE(clock.NextDue()); // nothing to fire
    EXPECT_FALSE(tasks.FindTaskByEvent(nullptr, 0));
    tasks.Reset(watch, 0);
    clock.Advance(5);
    EXPECT_EQ(tasks.Tell(watch), 5);
    EXPECT_EQ(tasks.Tell(watch2), 104);
    tasks.Stop(watch);
    EXPECT_EQ(tasks.Tell(watch), -1);
    // A stale id stays harmless, even after new tasks were started.
    tasks.Start(event(1), 10);
    EXPECT_FALSE(tasks.Stop(watch));
    EXPECT_FALSE(tasks.Reset(watch, 10));
    EXPECT_EQ(tasks.Count(), 2);
}

TEST_F(TimerTasks, HandlerReceivesCustomData)
{
    std::intptr_t seen = -1;
    tasks.Start({ this, 1,
                    [&](TQelTaskId t, std::intptr_t data) {
                        seen = data;
                        tasks.Stop(t);
                    } },
        100, 1);
    clock.Advance(100);
    EXPECT_EQ(seen, 1);
}

TEST_F(TimerTasks, HandlersMayStopStartAndResetDuringARun)
{
    std::vector<int> order;
    TQelTaskId second;
    tasks.Start({ this, 1,
                    [&](TQelTaskId t, std::intptr_t) {
                        order.push_back(1);
                        tasks.Stop(t);
                        tasks.Stop(second); // due at the same time, must not run
                        tasks.Start({ this, 3,
                                        [&](TQelTaskId t3, std::intptr_t) {
                                            order.push_back(3);
                                            EXPECT_EQ(clock.NowMs(), 1101); // not in the same run
                                            tasks.Stop(t3);
                                        } },
                            0);
                    } },
        100);
    second = tasks.Start(event(2), 100);
    clock.Advance(100);
    EXPECT_EQ(order, (std::vector<int> { 1 }));
    clock.Advance(1);
    EXPECT_EQ(order, (std::vector<int> { 1, 3 }));
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(tasks.Count(), 0);
}

TEST_F(TimerTasks, OwnerThatStopsItsTasksOnDestructionIsNeverCalledLater)
{
    struct Owner {
        TQelTimerTasks& tasks;
        int calls = 0;
        explicit Owner(TQelTimerTasks& t)
            : tasks(t)
        {
            tasks.Start({ this, 1, [this](TQelTaskId, std::intptr_t) { ++calls; } }, 50);
        }
        ~Owner() { tasks.StopAllOf(this); }
    };
    auto owner = std::make_unique<Owner>(tasks);
    clock.Advance(50);
    EXPECT_EQ(owner->calls, 1);
    owner.reset();
    clock.Advance(500); // under ASan a call into the dead owner would be reported
    EXPECT_EQ(tasks.Count(), 0);
}

TEST(TimerTasksLifetime, ScopeIsSafeInEitherOrderOfDestruction)
{
    TQelManualClock clock;
    auto tasks = std::make_unique<TQelTimerTasks>(&clock, &clock);
    int calls = 0;
    {
        TQelTimerScope scope(&calls, tasks.get());
        scope.Start(1, 100, [&](TQelTaskId, std::intptr_t) { ++calls; });
        scope.Start(1, 100, [&](TQelTaskId, std::intptr_t) { calls += 10; }); // reset, not duplicated
        EXPECT_EQ(tasks->Count(), 1);
        clock.Advance(100);
        EXPECT_EQ(calls, 10);
    }
    EXPECT_EQ(tasks->Count(), 0); // the owner went away first
    {
        TQelTimerScope scope(&calls, tasks.get());
        scope.Start(2, 100, [&](TQelTaskId, std::intptr_t) { ++calls; });
        tasks.reset(); // the list went away first
        EXPECT_EQ(scope.get_Tasks(), nullptr);
        EXPECT_FALSE(scope.Start(2, 100, [](TQelTaskId, std::intptr_t) {}));
        EXPECT_FALSE(scope.Stop(2));
    }
    clock.Advance(1000);
    EXPECT_EQ(calls, 10);
}

TEST(TimerTasksLifetime, ListDestroyedByItsOwnHandlerStopsTheRun)
{
    TQelManualClock clock;
    auto tasks = std::make_unique<TQelTimerTasks>(&clock, &clock);
    int calls = 0;
    tasks->Start({ &calls, 1,
                     [&](TQelTaskId, std::intptr_t) {
                         ++calls;
                         tasks.reset();
                     } },
        10);
    tasks->Start({ &calls, 2, [&](TQelTaskId, std::intptr_t) { ++calls; } }, 10);
    clock.Advance(100);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(clock.NextDue());
}

TEST(TimerTasksLifetime, ClockDestroyedFirstLeavesTheListUsable)
{
    TQelTimerTasks tasks;
    {
        TQelManualClock clock(500);
        tasks.set_Clock(&clock);
        tasks.set_Dispatcher(&clock);
        tasks.Start({ &tasks, 1, [](TQelTaskId, std::intptr_t) {} }, 100);
        clock.Advance(40);
    }
    EXPECT_EQ(tasks.get_Dispatcher(), nullptr);
    TQelTaskId t = tasks.FindTaskByEvent(&tasks, 1);
    ASSERT_TRUE(t);
    // The remaining 60 ms carried over to the steady clock.
    TQelTimeMs left = *tasks.NextDue() - tasks.get_Clock().NowMs();
    EXPECT_GT(left, 0);
    EXPECT_LE(left, 60);
}

TEST_F(TimerTasks, ExceptionFromHandlerPropagatesAndTheListKeepsWorking)
{
    tasks.Start({ this, 1, [](TQelTaskId, std::intptr_t) { throw std::runtime_error("kaputt"); } }, 100);
    tasks.Start(event(2), 150);
    EXPECT_THROW(clock.Advance(100), std::runtime_error);
    EXPECT_EQ(clock.NextDue(), 1150);
    tasks.Stop(tasks.FindTaskByEvent(this, 1));
    clock.Advance(100);
    EXPECT_EQ(fired, (std::vector<TQelTimeMs> { 1150 }));
}

TEST(TimerTasksDispatch, DispatcherIsToldTheNextDueTime)
{
    struct Recorder : TQelTimerDispatcher {
        std::vector<std::optional<TQelTimeMs>> requests;
        void Schedule(TQelTimerTasks&, std::optional<TQelTimeMs> due) override { requests.push_back(due); }
        void Detach(TQelTimerTasks&) override { requests.push_back(-1); }
    } recorder;
    TQelManualClock clock;
    {
        TQelTimerTasks tasks(&clock, &recorder);
        TQelTaskId a = tasks.Start({ &clock, 1, [](TQelTaskId, std::intptr_t) {} }, 300);
        tasks.Start({ &clock, 2, [](TQelTaskId, std::intptr_t) {} }, 100);
        tasks.Start(); // a stopwatch asks for nothing
        EXPECT_EQ(recorder.requests.back(), 100);
        clock.Advance(100); // no dispatcher call-back: the driver calls RunDue itself
        EXPECT_EQ(tasks.RunDue(), 200); // task 2 rearmed one period later
        tasks.StopAllOf(&clock);
        EXPECT_EQ(recorder.requests.back(), std::nullopt);
        EXPECT_FALSE(tasks.IsPending(a));
    }
    EXPECT_EQ(recorder.requests.back(), -1);
}

TEST(TimerTasksDispatch, OneClockDrivesSeveralListsInTimeOrder)
{
    TQelManualClock clock;
    TQelTimerTasks a(&clock, &clock);
    TQelTimerTasks b(&clock, &clock);
    std::vector<char> order;
    a.Start({ &order, 1,
                [&](TQelTaskId t, std::intptr_t) {
                    order.push_back('a');
                    a.Stop(t);
                } },
        30);
    b.Start({ &order, 1,
                [&](TQelTaskId t, std::intptr_t) {
                    order.push_back('b');
                    b.Stop(t);
                } },
        20);
    a.Start({ &order, 2,
                [&](TQelTaskId t, std::intptr_t) {
                    order.push_back('A');
                    a.Stop(t);
                } },
        10);
    clock.Advance(30);
    EXPECT_EQ(std::string(order.begin(), order.end()), "Aba");
}

} // namespace
