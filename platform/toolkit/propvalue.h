#pragma once
// The value of a published property read or written by name: empty, boolean, integer, floating
// or text, with the usual conversions between them.
#include <string>
#include <type_traits>
#include <variant>

class TPropValue {
public:
    TPropValue() = default;
    TPropValue(bool v)
        : v_(v)
    {
    }
    TPropValue(int v)
        : v_(static_cast<long long>(v))
    {
    }
    TPropValue(long v)
        : v_(static_cast<long long>(v))
    {
    }
    TPropValue(long long v)
        : v_(v)
    {
    }
    TPropValue(double v)
        : v_(v)
    {
    }
    TPropValue(std::string v)
        : v_(std::move(v))
    {
    }
    TPropValue(const char* v)
        : v_(std::string(v ? v : ""))
    {
    }

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(v_); }
    bool IsString() const { return std::holds_alternative<std::string>(v_); }
    // Booleans read "True"/"False"; numbers in C locale.
    std::string AsString() const;
    // A text that is no integer reads 0; "True" reads 1.
    long long AsInteger() const;
    double AsFloat() const;
    // Non-zero numbers and the texts "True"/"1" (any case) are true.
    bool AsBoolean() const;

    template <class T> static TPropValue From(const T& v)
    {
        if constexpr (std::is_same_v<T, bool>)
            return TPropValue(v);
        else if constexpr (std::is_enum_v<T>)
            return TPropValue(static_cast<long long>(v));
        else if constexpr (std::is_integral_v<T>)
            return TPropValue(static_cast<long long>(v));
        else if constexpr (std::is_floating_point_v<T>)
            return TPropValue(static_cast<double>(v));
        else
            return TPropValue(std::string(v));
    }
    template <class T> T To() const
    {
        if constexpr (std::is_same_v<T, bool>)
            return AsBoolean();
        else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>)
            return static_cast<T>(AsInteger());
        else if constexpr (std::is_floating_point_v<T>)
            return static_cast<T>(AsFloat());
        else
            return T(AsString());
    }

    bool operator==(const TPropValue&) const = default;

private:
    std::variant<std::monostate, bool, long long, double, std::string> v_;
};
