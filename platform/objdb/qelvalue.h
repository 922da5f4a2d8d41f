#pragma once
// A field's value as the store keeps it: null, an integer, a number or a text.
#include <cstdint>
#include <string>
#include <variant>

using TQelValue = std::variant<std::monostate, std::int64_t, double, std::string>;
