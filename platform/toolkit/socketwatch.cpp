#include "toolkit/socketwatch.h"

#include <QSocketNotifier>

struct TSocketWatch::Impl {
    QSocketNotifier* notifier = nullptr; // deleted later: it may be the one emitting
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

TSocketWatch::TSocketWatch(int fd, std::function<void()> onReadable)
    : fd_(fd)
    , impl_(std::make_unique<Impl>())
{
    auto* n = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read);
    impl_->notifier = n;
    std::weak_ptr<bool> alive = impl_->alive;
    QObject::connect(n, &QSocketNotifier::activated, n, [n, alive, call = std::move(onReadable)] {
        if (alive.expired())
            return;
        n->setEnabled(false);
        call();
        if (!alive.expired())
            n->setEnabled(true);
    });
}

TSocketWatch::~TSocketWatch()
{
    impl_->notifier->setEnabled(false);
    impl_->notifier->deleteLater();
}
