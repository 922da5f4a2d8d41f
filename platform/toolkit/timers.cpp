#include "toolkit/timers.h"
#include "toolkit/flagscope.h"

#include <QTimer>
#include <algorithm>
#include <climits>

struct TTimer::Impl {
    QTimer timer;
};

TTimer::TTimer(TComponent* owner)
    : TComponent(owner)
    , impl_(std::make_unique<Impl>())
{
    impl_->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&impl_->timer, &QTimer::timeout, &impl_->timer, [this] { Timer(); });
    Publish<&TTimer::Interval, &TTimer::SetInterval>("Interval");
    Publish<&TTimer::Enabled, &TTimer::SetEnabled>("Enabled");
    Update();
}

TTimer::~TTimer()
{
    impl_->timer.stop();
}

void TTimer::SetInterval(unsigned ms)
{
    interval_ = ms;
    Update();
}

void TTimer::SetEnabled(bool v)
{
    enabled_ = v;
    Update();
}

bool TTimer::Active() const
{
    return impl_->timer.isActive();
}

void TTimer::Update()
{
    impl_->timer.stop();
    if (enabled_ && interval_ > 0)
        impl_->timer.start(static_cast<int>(std::min<unsigned>(interval_, INT_MAX)));
}

void TTimer::Timer()
{
    OnTimer(this);
}

struct TTimerDriver::Impl {
    QTimer timer;
};

TTimerDriver::TTimerDriver(TRunDue runDue, TNextDue nextDue)
    : runDue_(std::move(runDue))
    , nextDue_(std::move(nextDue))
    , impl_(std::make_unique<Impl>())
{
    impl_->timer.setSingleShot(true);
    impl_->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&impl_->timer, &QTimer::timeout, &impl_->timer, [this] { Fire(); });
}

TTimerDriver::~TTimerDriver()
{
    impl_->timer.stop();
}

void TTimerDriver::Reschedule()
{
    if (running_)
        return; // Fire re-arms when the due tasks have run
    impl_->timer.stop();
    armedDelay_ = -1;
    const std::optional<long long> due = nextDue_ ? nextDue_() : std::nullopt;
    if (!due)
        return;
    armedDelay_ = std::clamp<long long>(*due, 0, INT_MAX);
    impl_->timer.start(static_cast<int>(armedDelay_));
}

bool TTimerDriver::Armed() const
{
    return impl_->timer.isActive();
}

void TTimerDriver::Fire()
{
    TFlagScope running(running_);
    if (runDue_)
        runDue_();
    running_ = false;
    Reschedule();
}
