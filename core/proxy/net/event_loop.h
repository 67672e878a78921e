// OvEventLoop: one libevent base run by one thread of its own. Any thread may
// hand the loop a task; tasks run one after another, in the order they were
// handed in, on the loop thread. Every result the network runtime promises to
// deliver "on the loop" arrives through this queue, and other components put
// their own libevent events on the base (eventBase()).
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

struct event;
struct event_base;

class OvEventLoop {
  public:
    // A task must not throw: it runs inside a libevent callback.
    using Task = std::function<void()>;

    // Creates the base; the loop thread starts with start(). Throws
    // std::bad_alloc when the base cannot be created.
    OvEventLoop();
    // Stops the thread; tasks still pending are destroyed without running.
    ~OvEventLoop();
    OvEventLoop(const OvEventLoop &) = delete;
    OvEventLoop &operator=(const OvEventLoop &) = delete;

    // Starts the loop thread (nothing when it runs already). Tasks submitted
    // before run as soon as the thread runs the base.
    void start();
    // Makes the loop thread leave the base and waits for it. Tasks not yet
    // run stay pending until the next start(). Must not be called on the loop
    // thread itself.
    void stop();

    // Queues a task and returns its id (never 0). Any thread.
    uint32_t submit(Task task);
    // Drops every pending task with this id without running it; 0 and ids
    // of tasks already taken out for running are ignored. Any thread.
    void cancel(uint32_t id);
    event_base *eventBase() const { return base.get(); }

    // Runs `task` once on the loop thread after `seconds`. A timer still
    // pending when the loop is destroyed is destroyed with it, its task not
    // run (so what the task owns is freed). Returns 0, or libevent's nonzero
    // result when the timer cannot be set (the task is then destroyed).
    // Any thread. Throws std::bad_alloc when memory runs out.
    int runAfter(uint64_t seconds, Task task);

    // The loop whose base the calling thread runs, or null.
    static OvEventLoop *running();

  private:
    struct TaskRecord {
        uint32_t id;
        Task task;
    };
    struct BaseDeleter {
        void operator()(event_base *base) const;
    };
    struct EventDeleter {
        void operator()(event *ev) const;
    };
    struct Timer {
        OvEventLoop *loop;
        std::unique_ptr<event, EventDeleter> ev;
        Task task;
    };

    friend void ov_event_loop_drain(int fd, short events, void *arg);
    friend void ov_event_loop_timer(int fd, short events, void *arg);
    // Takes the oldest pending task out (clearing the drain request); false
    // when there is none.
    bool takeTask(Task *task);
    void run();

    std::unique_ptr<event_base, BaseDeleter> base;
    std::unique_ptr<event, EventDeleter> stopEvent;  // breaks the base loop
    std::thread thread;
    std::mutex taskLock;  // guards nextTaskId, drainScheduled, tasks
    uint32_t nextTaskId = 1;
    bool drainScheduled = false;
    std::list<TaskRecord> tasks;
    std::mutex timerLock;  // guards timers
    // Pending timers; destroyed (their events freed) before the base.
    std::list<std::unique_ptr<Timer>> timers;
};

// The libevent callback that runs the pending tasks of the calling thread's
// running loop; its arguments are ignored. Called on any other thread it
// reports a failed invariant and aborts.
void ov_event_loop_drain(int fd, short events, void *arg);

// The libevent callback of a timer set by runAfter(): `arg` is the timer.
void ov_event_loop_timer(int fd, short events, void *arg);
