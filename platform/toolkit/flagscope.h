#pragma once
// TFlagScope: sets a flag for the life of a scope and restores its old value, also when the scope
// is left by an exception. Used for every re-entry and echo guard instead of setting and clearing
// flags by hand.

class TFlagScope {
public:
    explicit TFlagScope(bool& flag, bool value = true)
        : flag_(flag)
        , old_(flag)
    {
        flag_ = value;
    }
    ~TFlagScope() { flag_ = old_; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};
