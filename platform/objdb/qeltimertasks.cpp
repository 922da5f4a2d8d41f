#include "objdb/qeltimertasks.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace {
int clamp_delay(int delayMs)
{
    return delayMs < 1 ? 1 : delayMs;
}
} // namespace

TQelTimeMs TQelSteadyClock::NowMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// --- TQelTimerTasks ------------------------------------------------------------------------------

TQelTimerTasks::TQelTimerTasks(TQelClock* clock, TQelTimerDispatcher* dispatcher)
    : clock_(clock ? clock : &steady_)
{
    set_Dispatcher(dispatcher);
}

TQelTimerTasks::~TQelTimerTasks()
{
    *alive_ = false; // a RunDue below us on the stack stops touching this object
    if (dispatcher_)
        dispatcher_->Detach(*this);
}

void TQelTimerTasks::set_Clock(TQelClock* clock)
{
    TQelClock* next = clock ? clock : &steady_;
    if (next == clock_)
        return;
    TQelTimeMs oldNow = clock_->NowMs();
    TQelTimeMs newNow = next->NowMs();
    for (auto& [id, task] : tasks_) {
        task.Started += newNow - oldNow;
        task.Due += newNow - oldNow;
    }
    clock_ = next;
    everScheduled_ = false; // due times changed their meaning: tell the dispatcher again
    reschedule();
}

TQelClock& TQelTimerTasks::get_Clock() const
{
    return *clock_;
}

void TQelTimerTasks::set_Dispatcher(TQelTimerDispatcher* dispatcher)
{
    if (dispatcher == dispatcher_)
        return;
    if (dispatcher_)
        dispatcher_->Detach(*this);
    dispatcher_ = dispatcher;
    everScheduled_ = false;
    reschedule();
}

TQelTaskId TQelTimerTasks::Start(const TQelTimerEvent& event, int delayMs, std::intptr_t customData)
{
    if (!event.Empty()) {
        if (TQelTaskId existing = FindTaskByEvent(event)) {
            TTask& task = tasks_.at(existing);
            task.Event.Call = event.Call;
            task.Data = customData;
            Reset(existing, delayMs);
            return existing;
        }
    }
    TQelTaskId id(nextSerial_++);
    TQelTimeMs now = clock_->NowMs();
    int delay = clamp_delay(delayMs);
    tasks_.emplace(id, TTask { event, customData, delay, now, now + delay });
    if (!event.Empty())
        reschedule();
    return id;
}

TQelTaskId TQelTimerTasks::Start(int delayMs, std::intptr_t customData)
{
    return Start(TQelTimerEvent {}, delayMs, customData);
}

bool TQelTimerTasks::Reset(TQelTaskId task, int delayMs)
{
    TTask* t = find(task);
    if (!t)
        return false;
    TQelTimeMs now = clock_->NowMs();
    t->Delay = clamp_delay(delayMs);
    t->Started = now;
    t->Due = now + t->Delay;
    reschedule();
    return true;
}

bool TQelTimerTasks::Stop(TQelTaskId task)
{
    auto it = tasks_.find(task);
    if (it == tasks_.end())
        return false;
    // Keep the handler alive while it may be running (a handler stopping its own task).
    TQelTimerEvent::TCall keep = std::move(it->second.Event.Call);
    tasks_.erase(it);
    reschedule();
    return true;
}

int TQelTimerTasks::StopAllOf(const void* owner)
{
    if (!owner)
        return 0;
    std::vector<TQelTaskId> ids;
    for (const auto& [id, task] : tasks_)
        if (task.Event.Owner == owner)
            ids.push_back(id);
    for (TQelTaskId id : ids)
        Stop(id);
    return static_cast<int>(ids.size());
}

void TQelTimerTasks::StopAll()
{
    std::map<TQelTaskId, TTask> old;
    old.swap(tasks_);
    reschedule();
}

TQelTaskId TQelTimerTasks::FindTaskByEvent(const TQelTimerEvent& event) const
{
    return FindTaskByEvent(event.Owner, event.Id);
}

TQelTaskId TQelTimerTasks::FindTaskByEvent(const void* owner, int id) const
{
    if (!owner)
        return {};
    for (const auto& [taskId, task] : tasks_)
        if (task.Event.Owner == owner && task.Event.Id == id)
            return taskId;
    return {};
}

bool TQelTimerTasks::IsPending(TQelTaskId task) const
{
    return find(task) != nullptr;
}

TQelTimeMs TQelTimerTasks::Tell(TQelTaskId task) const
{
    const TTask* t = find(task);
    return t ? clock_->NowMs() - t->Started : -1;
}

std::intptr_t TQelTimerTasks::get_CustomData(TQelTaskId task) const
{
    const TTask* t = find(task);
    return t ? t->Data : 0;
}

bool TQelTimerTasks::set_CustomData(TQelTaskId task, std::intptr_t data)
{
    TTask* t = find(task);
    if (t)
        t->Data = data;
    return t != nullptr;
}

int TQelTimerTasks::get_Delay(TQelTaskId task) const
{
    const TTask* t = find(task);
    return t ? t->Delay : -1;
}

std::optional<TQelTimeMs> TQelTimerTasks::NextDue() const
{
    std::optional<TQelTimeMs> next;
    for (const auto& [id, task] : tasks_)
        if (!task.Event.Empty() && (!next || task.Due < *next))
            next = task.Due;
    return next;
}

std::optional<TQelTimeMs> TQelTimerTasks::RunDue()
{
    TQelTimeMs now = clock_->NowMs();
    std::vector<std::pair<TQelTimeMs, TQelTaskId>> due;
    for (const auto& [id, task] : tasks_)
        if (!task.Event.Empty() && task.Due <= now)
            due.emplace_back(task.Due, id);
    std::sort(due.begin(), due.end());

    // On every way out (also when a handler throws) the dispatcher hears of the next due time
    // again: its last request was used up by this run.
    struct TRunGuard {
        TQelTimerTasks* self;
        std::shared_ptr<bool> alive;
        ~TRunGuard()
        {
            if (!*alive)
                return; // destroyed by a handler
            --self->running_;
            self->everScheduled_ = false;
            self->reschedule();
        }
    } guard { this, alive_ };
    ++running_;
    for (const auto& [when, id] : due) {
        TTask* t = find(id);
        // An earlier handler may have stopped or reset this task.
        if (!t || t->Due > now)
            continue;
        // Rearm first, so that a handler which neither stops nor resets its task fires again one
        // period later; a copy of the call survives the handler stopping its own task.
        t->Due = now + t->Delay;
        TQelTimerEvent::TCall call = t->Event.Call;
        if (call)
            call(id, t->Data);
        if (!*guard.alive)
            return std::nullopt;
    }
    return NextDue();
}

TQelTimerTasks::TTask* TQelTimerTasks::find(TQelTaskId task)
{
    auto it = tasks_.find(task);
    return it == tasks_.end() ? nullptr : &it->second;
}

const TQelTimerTasks::TTask* TQelTimerTasks::find(TQelTaskId task) const
{
    auto it = tasks_.find(task);
    return it == tasks_.end() ? nullptr : &it->second;
}

void TQelTimerTasks::reschedule()
{
    if (running_ > 0 || !dispatcher_)
        return;
    std::optional<TQelTimeMs> next = NextDue();
    if (everScheduled_ && next == scheduled_)
        return;
    scheduled_ = next;
    everScheduled_ = true;
    dispatcher_->Schedule(*this, next);
}

// --- TQelTimerScope ------------------------------------------------------------------------------

void TQelTimerScope::set_Tasks(TQelTimerTasks* tasks)
{
    if (tasks == get_Tasks())
        return;
    StopAll();
    tasks_ = tasks;
    life_ = tasks ? tasks->get_LifeToken() : std::weak_ptr<const bool> {};
}

TQelTimerTasks* TQelTimerScope::get_Tasks() const
{
    auto alive = life_.lock();
    return alive && *alive ? tasks_ : nullptr;
}

TQelTaskId TQelTimerScope::Start(int id, int delayMs, TQelTimerEvent::TCall call, std::intptr_t customData)
{
    TQelTimerTasks* tasks = get_Tasks();
    return tasks ? tasks->Start(Event(id, std::move(call)), delayMs, customData) : TQelTaskId {};
}

TQelTaskId TQelTimerScope::Find(int id) const
{
    TQelTimerTasks* tasks = get_Tasks();
    return tasks ? tasks->FindTaskByEvent(owner_, id) : TQelTaskId {};
}

bool TQelTimerScope::Stop(int id)
{
    TQelTimerTasks* tasks = get_Tasks();
    return tasks && tasks->Stop(tasks->FindTaskByEvent(owner_, id));
}

void TQelTimerScope::StopAll()
{
    if (TQelTimerTasks* tasks = get_Tasks())
        tasks->StopAllOf(owner_);
}

// --- TQelManualClock -----------------------------------------------------------------------------

TQelManualClock::~TQelManualClock()
{
    std::vector<TQelTimerTasks*> users;
    for (const auto& [tasks, due] : due_)
        users.push_back(tasks);
    for (TQelTimerTasks* tasks : users) {
        if (tasks->get_Dispatcher() == this)
            tasks->set_Dispatcher(nullptr);
        if (&tasks->get_Clock() == this)
            tasks->set_Clock(nullptr);
    }
}

void TQelManualClock::Schedule(TQelTimerTasks& tasks, std::optional<TQelTimeMs> dueMs)
{
    due_[&tasks] = dueMs;
}

void TQelManualClock::Detach(TQelTimerTasks& tasks)
{
    due_.erase(&tasks);
}

std::optional<TQelTimeMs> TQelManualClock::NextDue() const
{
    std::optional<TQelTimeMs> next;
    for (const auto& [tasks, due] : due_)
        if (due && (!next || *due < *next))
            next = due;
    return next;
}

int TQelManualClock::Advance(TQelTimeMs ms)
{
    TQelTimeMs target = now_ + std::max<TQelTimeMs>(ms, 0);
    int runs = 0;
    for (;;) {
        // The earliest list due within the window; time steps to exactly that point.
        TQelTimerTasks* first = nullptr;
        TQelTimeMs when = 0;
        for (const auto& [tasks, due] : due_) {
            if (due && *due <= target && (!first || *due < when)) {
                first = tasks;
                when = *due;
            }
        }
        if (!first)
            break;
        now_ = std::max(now_, when);
        // Mark the request consumed: RunDue schedules again if anything stays pending.
        due_[first] = std::nullopt;
        first->RunDue();
        ++runs;
    }
    now_ = target;
    return runs;
}
