#pragma once
// Runs the modal forms shown while it lives with a function instead of a user.
#include "toolkit/form.h"

#include <functional>
#include <utility>

class ModalScope {
public:
    explicit ModalScope(std::function<void(TCustomForm*)> drive)
        : previous_(TCustomForm::SetModalDriver(std::move(drive)))
    {
    }
    ~ModalScope() { TCustomForm::SetModalDriver(previous_); }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    TCustomForm::TModalDriver previous_;
};
