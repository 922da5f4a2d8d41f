#pragma once
// Timer tasks: deferred work on the UI thread, keyed by handler.
//
// A task fires its handler `delay` ms after Start or Reset and then again every `delay` ms until it
// is stopped; handlers usually stop their own task when it fires. A task without event only
// measures time (Tell) and never fires.
//
// Handler identity. C++ has no bound method pointers that compare equal, so a handler is named by
// the address of its owner plus an id the owner chooses (one per handler method):
//
//     TQelTimerEvent ev{this, kReloadTimer, [this](TQelTaskId t, std::intptr_t) { on_reload(t); }};
//     if (auto t = tasks.FindTaskByEvent(ev)) tasks.Reset(t, 100); else tasks.Start(ev, 100);
//
// Two events are the same handler when Owner and Id are equal; `Call` is not part of the identity.
// Starting an event that already has a pending task resets that task instead of adding a second
// one ("a pending task is reset, not duplicated"). Tasks are referred to by TQelTaskId, a serial
// number that is never reused, so a stale id is harmless: operations on it do nothing.
//
// Owners stop their tasks in their destructors (StopAllOf(this) does all of them at once).
// Stopping, resetting or starting tasks from inside a handler is safe, and so is destroying the
// TQelTimerTasks from inside a handler.
//
// Time comes from a pluggable TQelClock; a TQelTimerDispatcher is asked to call RunDue() when the
// next task is due. The toolkit drives it from a single-shot QTimer; tests use TQelManualClock,
// which is both clock and dispatcher and fires due tasks exactly and synchronously in Advance().

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class TQelTimerTasks;

// Milliseconds on a monotonic clock.
using TQelTimeMs = std::int64_t;

class TQelClock {
public:
    virtual ~TQelClock() = default;
    virtual TQelTimeMs NowMs() const = 0;
};

// std::chrono::steady_clock; the default of every TQelTimerTasks.
class TQelSteadyClock : public TQelClock {
public:
    TQelTimeMs NowMs() const override;
};

class TQelTimerDispatcher {
public:
    virtual ~TQelTimerDispatcher() = default;
    // `tasks` wants RunDue() called once the clock reaches `dueMs` (which may already be past);
    // nullopt: nothing is pending. Each call replaces the previous request of the same `tasks`.
    virtual void Schedule(TQelTimerTasks& tasks, std::optional<TQelTimeMs> dueMs) = 0;
    // `tasks` no longer uses this dispatcher (it is destroyed or switched to another one).
    virtual void Detach(TQelTimerTasks& tasks) = 0;
};

class TQelTaskId {
public:
    constexpr TQelTaskId() = default;
    constexpr explicit TQelTaskId(std::uint64_t serial)
        : serial_(serial)
    {
    }
    constexpr explicit operator bool() const { return serial_ != 0; }
    constexpr std::uint64_t Serial() const { return serial_; }
    constexpr auto operator<=>(const TQelTaskId&) const = default;

private:
    std::uint64_t serial_ = 0;
};

struct TQelTimerEvent {
    using TCall = std::function<void(TQelTaskId task, std::intptr_t customData)>;

    const void* Owner = nullptr; // null: no event (a task that only measures time)
    int Id = 0;
    TCall Call;

    bool Empty() const { return Owner == nullptr; }
    bool SameHandler(const TQelTimerEvent& other) const { return Owner == other.Owner && Id == other.Id; }
};

class TQelTimerTasks {
public:
    // Clock and dispatcher are not owned; null means the built-in steady clock / no dispatcher
    // (then only explicit RunDue() calls fire tasks).
    explicit TQelTimerTasks(TQelClock* clock = nullptr, TQelTimerDispatcher* dispatcher = nullptr);
    ~TQelTimerTasks();
    TQelTimerTasks(const TQelTimerTasks&) = delete;
    TQelTimerTasks& operator=(const TQelTimerTasks&) = delete;

    // Switching the clock keeps each pending task's remaining delay.
    void set_Clock(TQelClock* clock);
    TQelClock& get_Clock() const;
    void set_Dispatcher(TQelTimerDispatcher* dispatcher);
    TQelTimerDispatcher* get_Dispatcher() const { return dispatcher_; }

    // Starts a task that fires after `delayMs` (values below 1 count as 1). With an event that
    // already has a pending task, that task is reset instead and takes the new call and data.
    TQelTaskId Start(const TQelTimerEvent& event, int delayMs, std::intptr_t customData = 0);
    // A task without event: it only measures time.
    TQelTaskId Start(int delayMs = 0, std::intptr_t customData = 0);
    // Restarts the delay (and the time Tell measures) of a pending task; false for an unknown task.
    bool Reset(TQelTaskId task, int delayMs);
    // Ends a task; false when it was not pending.
    bool Stop(TQelTaskId task);
    // Stops every task whose event belongs to `owner`; returns how many.
    int StopAllOf(const void* owner);
    void StopAll();

    // The pending task of a handler, or an empty id.
    TQelTaskId FindTaskByEvent(const TQelTimerEvent& event) const;
    TQelTaskId FindTaskByEvent(const void* owner, int id) const;
    bool IsPending(TQelTaskId task) const;

    // Milliseconds since the task was started or last reset; -1 for an unknown task.
    TQelTimeMs Tell(TQelTaskId task) const;
    std::intptr_t get_CustomData(TQelTaskId task) const; // 0 for an unknown task
    bool set_CustomData(TQelTaskId task, std::intptr_t data);
    int get_Delay(TQelTaskId task) const; // -1 for an unknown task

    int Count() const { return static_cast<int>(tasks_.size()); }
    // Expires when this list is destroyed (for holders that may outlive it).
    std::weak_ptr<const bool> get_LifeToken() const { return alive_; }

    // Runs every task due now, in order of due time, and returns the next due time (nullopt when
    // nothing is pending). Tasks started or rearmed meanwhile wait for the next call.
    std::optional<TQelTimeMs> RunDue();
    std::optional<TQelTimeMs> NextDue() const;

private:
    struct TTask {
        TQelTimerEvent Event;
        std::intptr_t Data = 0;
        int Delay = 1;
        TQelTimeMs Started = 0;
        TQelTimeMs Due = 0;
    };

    TTask* find(TQelTaskId task);
    const TTask* find(TQelTaskId task) const;
    void reschedule();

    TQelSteadyClock steady_;
    TQelClock* clock_;
    TQelTimerDispatcher* dispatcher_ = nullptr;
    std::map<TQelTaskId, TTask> tasks_; // ordered by serial: start order
    std::uint64_t nextSerial_ = 1;
    int running_ = 0; // RunDue depth: scheduling waits until the outermost run ends
    std::optional<TQelTimeMs> scheduled_;
    bool everScheduled_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Held by an owner of handlers (usually as a member): names its events, and stops all of the
// owner's tasks when it is destroyed. It notices when the task list is destroyed first (a database
// closed before its forms), so neither order of destruction touches a dead object.
class TQelTimerScope {
public:
    explicit TQelTimerScope(const void* owner, TQelTimerTasks* tasks = nullptr)
        : owner_(owner)
    {
        set_Tasks(tasks);
    }
    ~TQelTimerScope() { StopAll(); }
    TQelTimerScope(const TQelTimerScope&) = delete;
    TQelTimerScope& operator=(const TQelTimerScope&) = delete;

    // Switching lists stops the owner's tasks on the previous one.
    void set_Tasks(TQelTimerTasks* tasks);
    // The list, or null when none is set or it was destroyed.
    TQelTimerTasks* get_Tasks() const;

    TQelTimerEvent Event(int id, TQelTimerEvent::TCall call) const { return { owner_, id, std::move(call) }; }
    // Starts the owner's task `id`, or resets it when pending; an empty id without a list.
    TQelTaskId Start(int id, int delayMs, TQelTimerEvent::TCall call, std::intptr_t customData = 0);
    TQelTaskId Find(int id) const;
    bool Stop(int id);
    void StopAll();

private:
    const void* owner_;
    TQelTimerTasks* tasks_ = nullptr;
    std::weak_ptr<const bool> life_;
};

// A clock for tests that stands still until advanced, and the dispatcher of the task lists that
// use it: Advance() moves time to each due point in turn and runs what is due there, exactly and
// synchronously, taking no wall time.
class TQelManualClock : public TQelClock, public TQelTimerDispatcher {
public:
    explicit TQelManualClock(TQelTimeMs start = 0)
        : now_(start)
    {
    }
    ~TQelManualClock() override; // detaches from every task list still using it

    TQelTimeMs NowMs() const override { return now_; }
    void Schedule(TQelTimerTasks& tasks, std::optional<TQelTimeMs> dueMs) override;
    void Detach(TQelTimerTasks& tasks) override;

    // Advances by `ms` (not backwards), firing due tasks on the way; returns how many RunDue calls
    // were made.
    int Advance(TQelTimeMs ms);
    // The earliest due time of any attached task list.
    std::optional<TQelTimeMs> NextDue() const;

private:
    TQelTimeMs now_;
    std::map<TQelTimerTasks*, std::optional<TQelTimeMs>> due_;
};
