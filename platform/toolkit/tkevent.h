#pragma once
// Event handlers of the toolkit (OnClick, OnChange, OnKeyDown, ...): a callable that can be
// compared, so that code can ask whether a menu item's handler is a given method.
#include <array>
#include <atomic>
#include <cstring>
#include <functional>
#include <type_traits>

class TObject;

template <class... Args> class TEvent {
public:
    TEvent() = default;
    TEvent(std::nullptr_t) { }

    // A method of an object: equal to every other handler made from the same object and method.
    template <class C, class M>
    requires std::is_base_of_v<M, C> TEvent(C* object, void (M::*method)(Args...))
        : fn_([object, method](Args... args) { (object->*method)(std::forward<Args>(args)...); })
        , object_(static_cast<const void*>(object))
    {
        static_assert(sizeof(method) <= sizeof(method_), "unexpected member pointer size");
        std::memcpy(method_.data(), &method, sizeof(method));
    }

    // Any other callable: equal only to copies of itself.
    template <class F>
    requires(
        std::is_invocable_v<F&,
            Args...> && !std::is_same_v<std::decay_t<F>, TEvent> && !std::is_same_v<std::decay_t<F>, std::nullptr_t>)
        TEvent(F f)
        : fn_(std::move(f))
        , serial_(NextSerial())
    {
    }

    explicit operator bool() const { return static_cast<bool>(fn_); }
    void operator()(Args... args) const
    {
        if (fn_)
            fn_(std::forward<Args>(args)...);
    }

    bool operator==(const TEvent& other) const
    {
        if (!fn_ || !other.fn_)
            return !fn_ && !other.fn_;
        if (serial_ != 0 || other.serial_ != 0)
            return serial_ == other.serial_;
        return object_ == other.object_ && method_ == other.method_;
    }
    bool operator==(std::nullptr_t) const { return !fn_; }

private:
    static unsigned long NextSerial()
    {
        static std::atomic<unsigned long> next { 1 };
        return next++;
    }

    std::function<void(Args...)> fn_;
    const void* object_ = nullptr;
    std::array<unsigned char, 2 * sizeof(void*)> method_ {};
    unsigned long serial_ = 0;
};

using TNotifyEvent = TEvent<TObject*>;
