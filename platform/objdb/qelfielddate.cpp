// Date and time fields: stored as ISO text, typed and shown in German notation.
#include "objdb/qelfield.h"
#include "objdb/qelstrings.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

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

bool digitsUpTo(const std::string& s, std::size_t maxDigits)
{
    return s.size() <= maxDigits && s.find_first_not_of("0123456789") == std::string::npos;
}

// The values 1..hi that a day or month item can still become: with a delimiter after it the
// item as it stands ("5" or "05"), else every value whose one- or two-digit form starts with it.
std::vector<int> dayOrMonthValues(const std::string& p, bool complete, int hi)
{
    std::vector<int> out;
    if (!digitsUpTo(p, 2) || (complete && p.empty()))
        return out;
    auto fits
        = [&](const std::string& form) { return complete ? form == p : form.compare(0, p.size(), p) == 0; };
    for (int v = 1; v <= hi; ++v) {
        char two[8];
        std::snprintf(two, sizeof two, "%02d", v);
        if (fits(std::to_string(v)) || fits(two))
            out.push_back(v);
    }
    return out;
}

// Whether the typed start of a year can still become a valid year, and whether one of those
// years is a leap year. A year of one or two digits reads as 1950..2049, four digits as they are;
// with nothing typed the year may also stay away (the current year).
void possibleYears(const std::string& p, bool& any, bool& anyLeap)
{
    any = anyLeap = false;
    if (!digitsUpTo(p, 4))
        return;
    auto take = [&](int y) {
        if (y < 1 || y > 9999)
            return;
        any = true;
        anyLeap = anyLeap || leap(y);
    };
    const int typed = p.empty() ? 0 : std::stoi(p);
    for (int len : { 1, 2, 4 }) {
        const int missing = len - static_cast<int>(p.size());
        if (missing < 0)
            continue;
        int span = 1, base = typed;
        for (int k = 0; k < missing; ++k) {
            span *= 10;
            base *= 10;
        }
        for (int rest = 0; rest < span; ++rest) {
            int y = base + rest;
            if (len <= 2)
                y += y < 50 ? 2000 : 1900;
            take(y);
        }
    }
}

// Could the typed date (German notation, day and month of one or two digits) still be completed
// to a valid date by typing on?
bool datePrefixOk(const std::string& t)
{
    const auto items = SplitString(t, ".");
    if (items.size() > 3)
        return false;
    const std::size_t n = items.size();
    const auto days = dayOrMonthValues(n > 0 ? items[0] : std::string(), n > 1, 31);
    const auto months = dayOrMonthValues(n > 1 ? items[1] : std::string(), n > 2, 12);
    bool anyYear = false, anyLeap = false;
    possibleYears(n > 2 ? items[2] : std::string(), anyYear, anyLeap);
    if (days.empty() || months.empty() || !anyYear)
        return false;
    // Days and months are ascending: the smallest day must fit into some month of some year.
    for (int m : months) {
        const int longest = m == 2 ? (anyLeap ? 29 : 28) : daysInMonth(2001, m);
        if (days.front() <= longest)
            return true;
    }
    return false;
}

// Could the typed time "h[:m[:s]]" (items of one or two digits) still be completed to a valid time?
bool timePrefixOk(const std::string& t, std::size_t maxItems)
{
    static const int maxValue[] = { 23, 59, 59 };
    const auto items = SplitString(t, ":");
    if (items.size() > maxItems)
        return false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string& p = items[i];
        const bool complete = i + 1 < items.size();
        if (!digitsUpTo(p, 2) || (complete && p.empty()))
            return false;
        // One digit is a value of its own (9 reads as 09); two must be within the limit.
        if (!p.empty() && std::stoi(p) > maxValue[i])
            return false;
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
    const std::string t = Trim(text);
    if (!HasDate())
        return !timePrefixOk(t, HasSeconds() ? 3 : 2);
    const std::size_t sp = t.find_first_of(" T");
    if (sp == std::string::npos)
        return !datePrefixOk(t);
    // A time follows: the date before it is complete.
    Stamp s;
    if (!HasTime() || !readDate(t.substr(0, sp), s))
        return true;
    return !timePrefixOk(Trim(t.substr(sp + 1)), 3);
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
