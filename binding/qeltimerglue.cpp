#include "binding/qeltimerglue.h"

#include "binding/qelremoteglue.h"

#include "toolkit/timers.h"

#include <map>
#include <memory>
#include <vector>

namespace {

class TQtTimerDispatcher final : public TQelTimerDispatcher {
public:
    TQtTimerDispatcher() = default;
    TQtTimerDispatcher(const TQtTimerDispatcher&) = delete;
    TQtTimerDispatcher& operator=(const TQtTimerDispatcher&) = delete;

    ~TQtTimerDispatcher() override
    {
        // Lists that outlive the package fall back to explicit RunDue calls.
        std::vector<TQelTimerTasks*> users;
        for (const auto& [tasks, entry] : entries_)
            users.push_back(tasks);
        for (TQelTimerTasks* tasks : users)
            if (tasks->get_Dispatcher() == this)
                tasks->set_Dispatcher(nullptr);
    }

    void Schedule(TQelTimerTasks& tasks, std::optional<TQelTimeMs> dueMs) override
    {
        collect();
        std::unique_ptr<TEntry>& entry = entries_[&tasks];
        if (!entry)
            entry = makeEntry(tasks);
        entry->due = dueMs;
        entry->driver->Reschedule();
    }

    void Detach(TQelTimerTasks& tasks) override
    {
        auto it = entries_.find(&tasks);
        if (it == entries_.end())
            return;
        std::unique_ptr<TEntry> entry = std::move(it->second);
        entries_.erase(it);
        entry->tasks = nullptr;
        entry->due.reset();
        // A list destroyed by one of its own handlers: the driver that runs it is still on the
        // stack, so it is freed later.
        if (entry->firing > 0)
            graveyard_.push_back(std::move(entry));
        collect();
    }

private:
    struct TEntry {
        TQelTimerTasks* tasks = nullptr;
        std::optional<TQelTimeMs> due;
        int firing = 0;
        std::unique_ptr<TTimerDriver> driver;
    };

    static std::unique_ptr<TEntry> makeEntry(TQelTimerTasks& tasks)
    {
        auto entry = std::make_unique<TEntry>();
        entry->tasks = &tasks;
        TEntry* e = entry.get();
        entry->driver = std::make_unique<TTimerDriver>(
            [e] {
                if (!e->tasks)
                    return;
                struct TFiring {
                    TEntry* e;
                    ~TFiring() { --e->firing; }
                } firing { e };
                ++e->firing;
                e->tasks->RunDue();
            },
            [e]() -> std::optional<long long> {
                if (!e->tasks || !e->due)
                    return std::nullopt;
                return *e->due - e->tasks->get_Clock().NowMs();
            });
        return entry;
    }

    // Frees the drivers of detached lists once none of them is running.
    void collect()
    {
        std::erase_if(graveyard_, [](const std::unique_ptr<TEntry>& e) { return e->firing == 0; });
    }

    std::map<TQelTimerTasks*, std::unique_ptr<TEntry>> entries_;
    std::vector<std::unique_ptr<TEntry>> graveyard_;
};

} // namespace

TQelTimerDispatcher* QelQtTimerDispatcher()
{
    static TQtTimerDispatcher dispatcher;
    return &dispatcher;
}

void QelInstallQtTimers(TQelDatabase* db)
{
    if (db && db->TimerTasks())
        db->TimerTasks()->set_Dispatcher(QelQtTimerDispatcher());
    QelWatchRemoteChanges(db);
}

TQelTimerTasks* QelEnsureTimerDispatcher(TQelTimerTasks* tasks)
{
    if (tasks && !tasks->get_Dispatcher())
        tasks->set_Dispatcher(QelQtTimerDispatcher());
    return tasks;
}

TQelTimerTasks* QelTimerTasksOf(TQelDatabase* db)
{
    if (!db)
        db = QelDatabase();
    return db ? QelEnsureTimerDispatcher(db->TimerTasks()) : nullptr;
}
