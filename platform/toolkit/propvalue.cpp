#include "toolkit/propvalue.h"

#include <charconv>
#include <cstdio>
#include <strings.h>

namespace {

long long ParseInteger(const std::string& s)
{
    long long v = 0;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    while (first < last && *first == ' ')
        ++first;
    if (first < last && *first == '+')
        ++first;
    auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || end == first)
        return 0;
    return v;
}

} // namespace

std::string TPropValue::AsString() const
{
    if (auto* s = std::get_if<std::string>(&v_))
        return *s;
    if (auto* b = std::get_if<bool>(&v_))
        return *b ? "True" : "False";
    if (auto* i = std::get_if<long long>(&v_))
        return std::to_string(*i);
    if (auto* d = std::get_if<double>(&v_)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", *d);
        return buf;
    }
    return {};
}

long long TPropValue::AsInteger() const
{
    if (auto* i = std::get_if<long long>(&v_))
        return *i;
    if (auto* b = std::get_if<bool>(&v_))
        return *b ? 1 : 0;
    if (auto* d = std::get_if<double>(&v_))
        return static_cast<long long>(*d);
    if (auto* s = std::get_if<std::string>(&v_))
        return strcasecmp(s->c_str(), "true") == 0 ? 1 : ParseInteger(*s);
    return 0;
}

double TPropValue::AsFloat() const
{
    if (auto* d = std::get_if<double>(&v_))
        return *d;
    if (auto* s = std::get_if<std::string>(&v_)) {
        double v = 0;
        auto [end, ec] = std::from_chars(s->data(), s->data() + s->size(), v);
        return ec == std::errc() ? v : 0.0;
    }
    return static_cast<double>(AsInteger());
}

bool TPropValue::AsBoolean() const
{
    if (auto* s = std::get_if<std::string>(&v_))
        return strcasecmp(s->c_str(), "true") == 0 || ParseInteger(*s) != 0;
    if (auto* d = std::get_if<double>(&v_))
        return *d != 0.0;
    return AsInteger() != 0;
}
