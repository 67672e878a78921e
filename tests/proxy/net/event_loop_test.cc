#include "core/proxy/net/event_loop.h"

#include <event2/event.h>
#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Records what ran, in order, from whichever thread runs it.
class Journal {
  public:
    void note(std::string entry) {
        std::lock_guard<std::mutex> guard(lock);
        entries.push_back(std::move(entry));
    }
    std::vector<std::string> read() {
        std::lock_guard<std::mutex> guard(lock);
        return entries;
    }

  private:
    std::mutex lock;
    std::vector<std::string> entries;
};

class EventLoopTest : public testing::Test {
  protected:
    // Waits until every task submitted so far has run: tasks run in order.
    void Settle() {
        std::promise<void> done;
        loop.submit([&done] { done.set_value(); });
        done.get_future().wait();
    }
    // A libevent callback queued on the base behind whatever is active now:
    // it shows whether tasks ran in the drain that was already requested.
    void Mark() { event_base_once(loop.eventBase(), -1, EV_TIMEOUT, OnMark, this, nullptr); }
    static void OnMark(evutil_socket_t, short, void *arg) {
        auto *self = static_cast<EventLoopTest *>(arg);
        self->journal.note("mark");
        self->marked.set_value();
    }
    void WaitForMark() { marked.get_future().wait(); }
    auto Note(std::string entry) {
        return [this, entry] { journal.note(entry); };
    }

    OvEventLoop loop;
    Journal journal;
    std::promise<void> marked;
};

TEST_F(EventLoopTest, TasksFromAnotherThreadRunInOrderInOneDrain) {
    std::thread producer([this] {
        for (int i = 0; i < 10; ++i) {
            loop.submit(Note("task " + std::to_string(i)));
            if (i == 4) {
                Mark();
            }
        }
    });
    producer.join();
    // A burst costs one wake-up: one drain request, beside the mark.
    EXPECT_EQ(event_base_get_num_events(loop.eventBase(), EVENT_BASE_COUNT_ACTIVE), 2);
    loop.start();
    WaitForMark();
    // One drain was requested for the burst, before the mark: it ran all ten.
    std::vector<std::string> expected;
    for (int i = 0; i < 10; ++i) {
        expected.push_back("task " + std::to_string(i));
    }
    expected.push_back("mark");
    EXPECT_EQ(journal.read(), expected);
}

TEST_F(EventLoopTest, TaskSubmittedByATaskRunsInTheSameDrain) {
    loop.submit([this] {
        journal.note("outer");
        Mark();
        loop.submit(Note("inner"));
    });
    loop.start();
    WaitForMark();
    EXPECT_EQ(journal.read(), (std::vector<std::string>{"outer", "inner", "mark"}));
}

TEST_F(EventLoopTest, CancelDropsOnlyThePendingTaskWithThatId) {
    uint32_t first = loop.submit(Note("first"));
    uint32_t second = loop.submit(Note("second"));
    loop.submit(Note("third"));
    loop.cancel(second);
    loop.cancel(0);
    loop.cancel(second + 100);
    loop.start();
    Settle();
    loop.cancel(first);  // already ran: nothing to do
    Settle();
    EXPECT_EQ(journal.read(), (std::vector<std::string>{"first", "third"}));
}

TEST_F(EventLoopTest, IdsIncreaseByOne) {
    uint32_t previous = loop.submit([] {});
    EXPECT_NE(previous, 0u);
    for (int i = 0; i < 5; ++i) {
        uint32_t id = loop.submit([] {});
        EXPECT_EQ(id, previous + 1);
        previous = id;
    }
}

TEST_F(EventLoopTest, StartAndStop) {
    EXPECT_EQ(OvEventLoop::running(), nullptr);
    loop.start();
    loop.start();  // already running: the same thread goes on
    std::promise<OvEventLoop *> seen;
    loop.submit([&seen] { seen.set_value(OvEventLoop::running()); });
    EXPECT_EQ(seen.get_future().get(), &loop);
    loop.stop();
    EXPECT_EQ(OvEventLoop::running(), nullptr);

    // Stopped: tasks wait for the next start.
    loop.submit(Note("after restart"));
    EXPECT_TRUE(journal.read().empty());
    loop.start();
    Settle();
    EXPECT_EQ(journal.read(), (std::vector<std::string>{"after restart"}));
    loop.stop();
    loop.stop();  // not running: nothing to do
}

TEST_F(EventLoopTest, StopRightAfterStartIsNotLost) {
    for (int i = 0; i < 20; ++i) {
        loop.start();
        loop.stop();
    }
}

TEST_F(EventLoopTest, PendingTasksAreDestroyedWithTheLoop) {
    auto held = std::make_shared<int>(0);
    {
        OvEventLoop idle;
        idle.submit([held] {});
        EXPECT_EQ(held.use_count(), 2);
    }
    EXPECT_EQ(held.use_count(), 1);
}

// A timer's task runs on the loop thread once its time has come; timers
// set from inside a task work too.
TEST_F(EventLoopTest, TimersRunTheirTaskOnceOnTheLoopThread) {
    loop.start();
    std::promise<std::thread::id> ran;
    std::promise<void> nested;
    ASSERT_EQ(loop.runAfter(1,
                            [&] {
                                ran.set_value(std::this_thread::get_id());
                                loop.runAfter(0, [&] { nested.set_value(); });
                            }),
              0);
    std::thread::id loop_thread = ran.get_future().get();
    EXPECT_NE(loop_thread, std::this_thread::get_id());
    nested.get_future().wait();
    loop.stop();
}

// A timer still pending when its loop goes is destroyed with it, unrun: what
// its task holds is freed.
TEST_F(EventLoopTest, PendingTimersAreDestroyedWithTheLoop) {
    auto held = std::make_shared<int>(0);
    {
        OvEventLoop running;
        running.start();
        ASSERT_EQ(running.runAfter(3600, [held] { *held = 1; }), 0);
        EXPECT_EQ(held.use_count(), 2);
    }
    EXPECT_EQ(held.use_count(), 1);
    EXPECT_EQ(*held, 0);
}

TEST(EventLoopDeathTest, DrainOffTheLoopThreadAborts) {
    EXPECT_DEATH(ov_event_loop_drain(-1, EV_TIMEOUT, nullptr),
                 "core/proxy/net/src/OvEventLoop:147 assertion \\(runningLoop != nullptr\\) "
                 "failed!");
}

}  // namespace
