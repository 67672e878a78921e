#include "core/proxy/net/event_loop.h"

#include <event2/event.h>

#include <algorithm>
#include <new>

#include "core/commons/logger.h"
#include "core/proxy/net/net_runtime.h"

namespace {

thread_local OvEventLoop *runningLoop = nullptr;

// The invariant check names the loop's home in the source tree, which log
// readers know it by, rather than wherever this file is compiled from.
OvEventLoop *current_loop() {
    if (runningLoop == nullptr) {
        logger_assert_failed("core/proxy/net/src/OvEventLoop", 147, "runningLoop != nullptr");
    }
    return runningLoop;
}

void on_stop(evutil_socket_t, short, void *arg) {
    event_base_loopbreak(static_cast<event_base *>(arg));
}

}  // namespace

void OvEventLoop::BaseDeleter::operator()(event_base *b) const {
    event_base_free(b);
}

void OvEventLoop::EventDeleter::operator()(event *ev) const {
    event_free(ev);
}

OvEventLoop::OvEventLoop() {
    ov_net_runtime_init();
    base.reset(event_base_new());
    if (!base) {
        throw std::bad_alloc();
    }
    stopEvent.reset(event_new(base.get(), -1, 0, on_stop, base.get()));
    if (!stopEvent) {
        throw std::bad_alloc();
    }
}

OvEventLoop::~OvEventLoop() {
    stop();
}

void OvEventLoop::start() {
    if (!thread.joinable()) {
        thread = std::thread(&OvEventLoop::run, this);
    }
}

// An activated event stays active until the base runs it, so a stop()
// that comes before the thread has entered the base is not lost (a
// loopbreak would be: the base clears that flag when it starts).
void OvEventLoop::stop() {
    if (!thread.joinable()) {
        return;
    }
    OV_ASSERT(thread.get_id() != std::this_thread::get_id());
    event_active(stopEvent.get(), EV_TIMEOUT, 0);
    thread.join();
}

void OvEventLoop::run() {
    runningLoop = this;
    event_base_loop(base.get(), EVLOOP_NO_EXIT_ON_EMPTY);
    runningLoop = nullptr;
}

OvEventLoop *OvEventLoop::running() {
    return runningLoop;
}

uint32_t OvEventLoop::submit(Task task) {
    TaskRecord record{0, std::move(task)};
    uint32_t id;
    {
        std::lock_guard<std::mutex> guard(taskLock);
        id = nextTaskId++;
        if (id == 0) {  // wrapped around: 0 means "no task" to callers
            id = nextTaskId++;
        }
        record.id = id;
        tasks.push_back(std::move(record));
        if (drainScheduled) {
            return id;
        }
        drainScheduled = true;
    }
    // One drain request per burst of submissions; the lock is not held here
    // because libevent takes the base's own lock.
    event_base_once(base.get(), -1, EV_TIMEOUT, ov_event_loop_drain, nullptr, nullptr);
    return id;
}

void OvEventLoop::cancel(uint32_t id) {
    if (id == 0) {
        return;
    }
    std::lock_guard<std::mutex> guard(taskLock);
    tasks.remove_if([id](const TaskRecord &record) { return record.id == id; });
}

bool OvEventLoop::takeTask(Task *task) {
    std::lock_guard<std::mutex> guard(taskLock);
    drainScheduled = false;
    if (tasks.empty()) {
        return false;
    }
    *task = std::move(tasks.front().task);
    tasks.pop_front();
    return true;
}

int OvEventLoop::runAfter(uint64_t seconds, Task task) {
    auto timer = std::make_unique<Timer>(Timer{this, nullptr, std::move(task)});
    timer->ev.reset(event_new(base.get(), -1, 0, ov_event_loop_timer, timer.get()));
    if (!timer->ev) {
        throw std::bad_alloc();
    }
    timeval delay{static_cast<time_t>(seconds), 0};
    std::lock_guard<std::mutex> guard(timerLock);
    int rc = event_add(timer->ev.get(), &delay);
    if (rc == 0) {
        timers.push_back(std::move(timer));
    }
    return rc;
}

// Takes the timer out of its loop's list, then runs its task.
void ov_event_loop_timer(int, short, void *arg) {
    auto *fired = static_cast<OvEventLoop::Timer *>(arg);
    OvEventLoop *loop = fired->loop;
    std::unique_ptr<OvEventLoop::Timer> timer;
    {
        std::lock_guard<std::mutex> guard(loop->timerLock);
        auto found = std::find_if(loop->timers.begin(), loop->timers.end(),
                                  [fired](const auto &t) { return t.get() == fired; });
        timer = std::move(*found);
        loop->timers.erase(found);
    }
    timer->task();
}

void ov_event_loop_drain(int, short, void *) {
    OvEventLoop::Task task;
    while (current_loop()->takeTask(&task)) {
        task();
        task = nullptr;
    }
}
