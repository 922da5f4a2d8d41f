// Amounts in German notation: "1.234,56" (thousands "." and decimal ","); "1234.5" with a single
// point and no comma is read as a decimal point, a point followed by exactly three digits as thousands.
#include "objdb/qelfield.h"
#include "objdb/qelstrings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool readAmount(const std::string& in, double& out)
{
    std::string t = Trim(in);
    if (t.empty())
        return false;
    std::string sign;
    if (t[0] == '-' || t[0] == '+') {
        sign = t[0] == '-' ? "-" : "";
        t = Trim(t.substr(1));
    }
    if (t.empty())
        return false;
    std::string digits;
    const std::size_t comma = t.find(',');
    if (comma != std::string::npos) {
        if (t.find(',', comma + 1) != std::string::npos)
            return false;
        std::string intPart = t.substr(0, comma), frac = t.substr(comma + 1);
        for (char c : intPart)
            if (c != '.')
                digits += c;
        digits += '.';
        digits += frac;
    } else {
        const std::size_t dots = static_cast<std::size_t>(std::count(t.begin(), t.end(), '.'));
        const std::size_t last = t.rfind('.');
        const bool thousands = dots > 1 || (dots == 1 && t.size() - last - 1 == 3);
        for (char c : t)
            digits += (c == '.' && thousands) ? std::string() : std::string(1, c);
    }
    if (digits.empty() || digits == ".")
        return false;
    for (char c : digits)
        if ((c < '0' || c > '9') && c != '.')
            return false;
    out = std::strtod((sign + digits).c_str(), nullptr);
    return std::isfinite(out);
}

} // namespace

bool TQelAmountField::parse(const std::string& text, TQelValue& out) const
{
    if (Trim(text).empty()) {
        out = std::monostate {};
        return true;
    }
    double v = 0;
    if (!readAmount(text, v))
        return false;
    const double scale = std::pow(10.0, Decimals());
    out = std::round(v * scale) / scale;
    return true;
}

std::string TQelAmountField::format(const TQelValue& v) const
{
    const double* d = std::get_if<double>(&v);
    if (!d)
        return {};
    // Digits with a point, then regrouped in one pass: thousands by ".", decimals after ",".
    // to_chars writes what "%.*f" writes, without the locale and stream machinery of printf.
    char digits[64];
    const int decimals = Decimals();
    int written = -1;
    if (decimals >= 0) {
        const auto [end, ec] = std::to_chars(
            digits, digits + sizeof digits - 1, std::fabs(*d), std::chars_format::fixed, decimals);
        if (ec == std::errc())
            written = static_cast<int>(end - digits);
    }
    if (written < 0)
        written = std::snprintf(digits, sizeof digits, "%.*f", decimals, std::fabs(*d));
    const std::size_t n
        = std::min<std::size_t>(written < 0 ? 0 : static_cast<std::size_t>(written), sizeof digits - 1);
    const char* point = static_cast<const char*>(std::memchr(digits, '.', n));
    const std::size_t intLen = point ? static_cast<std::size_t>(point - digits) : n;
    char out[96];
    std::size_t pos = 0;
    if (*d < 0 && std::round(*d * std::pow(10.0, Decimals())) != 0)
        out[pos++] = '-';
    for (std::size_t i = 0; i < intLen; ++i) {
        if (i > 0 && (intLen - i) % 3 == 0)
            out[pos++] = '.';
        out[pos++] = digits[i];
    }
    if (point && intLen + 1 < n) {
        out[pos++] = ',';
        for (std::size_t i = intLen + 1; i < n; ++i)
            out[pos++] = digits[i];
    }
    return std::string(out, pos);
}

bool TQelAmountField::DeadEnd(const std::string& text) const
{
    // What users type after an amount ("1250,-", "12,50 %", "99 €") can still be completed: the
    // edit strips it when it is left.
    std::string t = Trim(text);
    static const std::string euro = "€";
    if (t.size() >= euro.size() && t.compare(t.size() - euro.size(), euro.size(), euro) == 0)
        t = Trim(t.substr(0, t.size() - euro.size()));
    else if (!t.empty() && t.back() == '%')
        t = Trim(t.substr(0, t.size() - 1));
    if (t.size() >= 2 && t.back() == '-' && (t[t.size() - 2] == ',' || t[t.size() - 2] == '.'))
        t.resize(t.size() - 2);
    int commas = 0, fracDigits = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if ((c == '-' || c == '+') && i == 0)
            continue;
        if (c == ',') {
            if (++commas > 1)
                return true;
            continue;
        }
        if (c == '.' && commas == 0)
            continue;
        if (c < '0' || c > '9')
            return true;
        if (commas)
            ++fracDigits;
    }
    return fracDigits > Decimals();
}
