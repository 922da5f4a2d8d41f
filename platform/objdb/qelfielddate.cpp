// Date and time fields: stored as ISO text, typed and shown in German notation.
#include "objdb/qelfield.h"
#include "objdb/qelstrings.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

struct Stamp {
    int y = 0, m = 0, d = 0, hh = 0, mi = 0, ss = 0;
};

bool leap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m)
{
    static const int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

// Days since 1970-01-01 (proleptic Gregorian).
long daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long z, int& y, int& m, int& d)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const long kDelphiEpoch = -25569; // 1899-12-30 in days since 1970-01-01

bool allDigits(const std::string& s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

bool readDate(const std::string& t, Stamp& s)
{
    if (t.size() == 10 && t[4] == '-' && t[7] == '-' && allDigits(t.substr(0, 4)) && allDigits(t.substr(5, 2))
        && allDigits(t.substr(8, 2))) {
        s.y = std::stoi(t.substr(0, 4));
        s.m = std::stoi(t.substr(5, 2));
        s.d = std::stoi(t.substr(8, 2));
    } else {
        auto parts = SplitString(t, ".");
        if (parts.size() == 3 && parts[2].empty())
            parts.pop_back(); // "17.05."
        if (parts.size() < 2 || parts.size() > 3)
            return false;
        for (const auto& p : parts)
            if (!allDigits(p) || p.size() > 4)
                return false;
        if (parts[0].size() > 2 || parts[1].size() > 2)
            return false;
        s.d = std::stoi(parts[0]);
        s.m = std::stoi(parts[1]);
        if (parts.size() == 3) {
            s.y = std::stoi(parts[2]);
            if (parts[2].size() <= 2)
                s.y += s.y < 50 ? 2000 : 1900;
            else if (parts[2].size() != 4)
                return false;
        } else {
            std::time_t now = std::time(nullptr);
            std::tm tm {};
            localtime_r(&now, &tm);
            s.y = tm.tm_year + 1900;
        }
    }
    return s.y >= 1 && s.y <= 9999 && s.m >= 1 && s.m <= 12 && s.d >= 1 && s.d <= daysInMonth(s.y, s.m);
}

bool readTime(const std::string& t, Stamp& s)
{
    auto parts = SplitString(t, ":");
    if (parts.empty() || parts.size() > 3)
        return false;
    for (const auto& p : parts)
        if (!allDigits(p) || p.size() > 2)
            return false;
    s.hh = std::stoi(parts[0]);
    s.mi = parts.size() > 1 ? std::stoi(parts[1]) : 0;
    s.ss = parts.size() > 2 ? std::stoi(parts[2]) : 0;
    return s.hh <= 23 && s.mi <= 59 && s.ss <= 59;
}

bool readIso(const std::string& v, Stamp& s)
{
    std::size_t sp = v.find(' ');
    std::string date = v, time;
    if (v.find('-') == std::string::npos) {
        date.clear();
        time = v;
    } else if (sp != std::string::npos) {
        date = v.substr(0, sp);
        time = v.substr(sp + 1);
    }
    if (!date.empty() && !readDate(date, s))
        return false;
    return time.empty() || readTime(time, s);
}

// Could `t` still grow into a valid number sequence "a<sep>b<sep>c" with the given limits?
bool prefixOk(const std::string& t, char sep, const int* maxDigits, const int* maxValue, int parts)
{
    auto items = SplitString(t, std::string(1, sep));
    if (static_cast<int>(items.size()) > parts)
        return false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string& p = items[i];
        if (p.empty())
            continue;
        if (!allDigits(p) || static_cast<int>(p.size()) > maxDigits[i])
            return false;
        if (maxValue[i] > 0) {
            // The first digit must allow a value within the limit.
            int v = std::stoi(p);
            int scaled = v;
            for (std::size_t k = p.size(); k < 2 && maxDigits[i] == 2; ++k)
                scaled *= 10;
            if (v > maxValue[i] || (p.size() == 1 && scaled > maxValue[i] + 9))
                return false;
        }
    }
    return true;
}

} // namespace

bool TQelDateTimeField::HasDate() const
{
    return !def_->type->IsA(qelft::TimeMinutes) && !def_->type->IsA(qelft::TimeSeconds);
}

bool TQelDateTimeField::HasTime() const
{
    return !def_->type->IsA(qelft::Date);
}

bool TQelDateTimeField::HasSeconds() const
{
    const TQelFeldtyp* t = def_->type;
    if (t->IsA(qelft::TimeSeconds) || t->IsA(qelft::DateTimeSeconds))
        return true;
    return t->id != qelft::DateTime && !t->IsA(qelft::Date) && !t->IsA(qelft::TimeMinutes);
}

bool TQelDateTimeField::parse(const std::string& text, TQelValue& out) const
{
    const std::string t = Trim(text);
    if (t.empty()) {
        out = std::monostate {};
        return true;
    }
    Stamp s;
    if (HasDate()) {
        std::size_t sp = t.find_first_of(" T");
        std::string date = Trim(t.substr(0, sp)),
                    time = sp == std::string::npos ? "" : Trim(t.substr(sp + 1));
        if (!readDate(date, s))
            return false;
        if (!time.empty() && (!HasTime() || !readTime(time, s)))
            return false;
    } else if (!readTime(t, s)) {
        return false;
    }
    if (!HasSeconds())
        s.ss = 0;
    char buf[40];
    if (HasDate() && HasTime())
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", s.y, s.m, s.d, s.hh, s.mi, s.ss);
    else if (HasDate())
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", s.y, s.m, s.d);
    else
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s.hh, s.mi, s.ss);
    out = std::string(buf);
    return true;
}

std::string TQelDateTimeField::format(const TQelValue& v) const
{
    const std::string* iso = std::get_if<std::string>(&v);
    Stamp s;
    if (!iso || !readIso(*iso, s))
        return iso ? *iso : std::string();
    char buf[40];
    std::string out;
    if (HasDate()) {
        std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", s.d, s.m, s.y);
        out = buf;
    }
    if (HasTime()) {
        if (HasSeconds())
            std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s.hh, s.mi, s.ss);
        else
            std::snprintf(buf, sizeof buf, "%02d:%02d", s.hh, s.mi);
        out += (out.empty() ? "" : " ") + std::string(buf);
    }
    return out;
}

std::string TQelDateTimeField::GetFormatted(int flags) const
{
    std::string s = AsString();
    if ((flags & 1) && HasDate() && HasTime() && !syntaxError_) {
        std::size_t sp = s.find(' ');
        if (sp != std::string::npos)
            s.erase(sp);
    }
    return s;
}

bool TQelDateTimeField::DeadEnd(const std::string& text) const
{
    std::string t = TrimRight(text);
    static const int dateDigits[] = { 2, 2, 4 }, dateMax[] = { 31, 12, 0 };
    static const int timeDigits[] = { 2, 2, 2 }, timeMax[] = { 23, 59, 59 };
    if (!HasDate())
        return !prefixOk(t, ':', timeDigits, timeMax, HasSeconds() ? 3 : 2);
    std::size_t sp = t.find(' ');
    std::string date = t.substr(0, sp);
    if (!prefixOk(date, '.', dateDigits, dateMax, 3))
        return true;
    if (sp == std::string::npos)
        return false;
    if (!HasTime())
        return true;
    return !prefixOk(Trim(t.substr(sp + 1)), ':', timeDigits, timeMax, 3);
}

double TQelDateTimeField::AsDateTime() const
{
    const std::string* iso = std::get_if<std::string>(&value_);
    Stamp s;
    if (!iso || !readIso(*iso, s))
        return 0;
    double days = HasDate() ? static_cast<double>(daysFromCivil(s.y, s.m, s.d) - kDelphiEpoch) : 0;
    return days + (s.hh * 3600 + s.mi * 60 + s.ss) / 86400.0;
}

void TQelDateTimeField::set_AsDateTime(double dt)
{
    long days = static_cast<long>(std::floor(dt));
    long secs = std::lround((dt - static_cast<double>(days)) * 86400.0);
    if (secs >= 86400) {
        ++days;
        secs -= 86400;
    }
    Stamp s;
    civilFromDays(days + kDelphiEpoch, s.y, s.m, s.d);
    s.hh = static_cast<int>(secs / 3600);
    s.mi = static_cast<int>(secs / 60 % 60);
    s.ss = static_cast<int>(secs % 60);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", s.y, s.m, s.d, s.hh, s.mi, s.ss);
    TQelValue v;
    if (parse(buf, v))
        assign(v, false, {});
}

double QelToday()
{
    std::time_t now = std::time(nullptr);
    std::tm tm {};
    localtime_r(&now, &tm);
    return static_cast<double>(daysFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) - kDelphiEpoch);
}

std::string QelIsoDate(double dt)
{
    int y, m, d;
    civilFromDays(static_cast<long>(std::floor(dt)) + kDelphiEpoch, y, m, d);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    return buf;
}
