#pragma once
// Timers on the Qt event loop: TTimer (interval, enabled, OnTimer) and TTimerDriver, which runs
// the due tasks of another scheduler (the object database's timer tasks) at the right time.
#include "toolkit/component.h"
#include "toolkit/tkevent.h"

#include <functional>
#include <memory>
#include <optional>

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    // Milliseconds between two OnTimer calls (default 1000; 0 stops the timer).
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    // Runs while enabled (default true); setting Enabled or Interval restarts the period.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    bool Active() const;

    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    void Update();
    unsigned interval_ = 1000;
    bool enabled_ = true;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Drives a scheduler that knows its tasks but has no event loop: after every change of its
// tasks the scheduler calls Reschedule(); the driver asks NextDue and arms one timer for it;
// when the timer fires it calls RunDue and re-arms.
class TTimerDriver {
public:
    // Milliseconds until the earliest pending task is due (0 or less: due now); nothing when no
    // task is pending.
    using TNextDue = std::function<std::optional<long long>()>;
    // Runs every task that is due now.
    using TRunDue = std::function<void()>;

    TTimerDriver(TRunDue runDue, TNextDue nextDue);
    ~TTimerDriver();
    TTimerDriver(const TTimerDriver&) = delete;
    TTimerDriver& operator=(const TTimerDriver&) = delete;

    void Reschedule();
    bool Armed() const;
    // The delay the timer was last armed with, in milliseconds.
    long long ArmedDelay() const { return armedDelay_; }

private:
    void Fire();
    TRunDue runDue_;
    TNextDue nextDue_;
    long long armedDelay_ = -1;
    bool running_ = false;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
