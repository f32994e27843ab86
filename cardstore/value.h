#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace cardstore {

// One stored field value. An empty text is stored as no value.
using Value = std::variant<std::monostate, std::string, std::int64_t, double>;

inline bool isNull(const Value& value)
{
    return std::holds_alternative<std::monostate>(value);
}

struct Row
{
    std::int64_t rowid = 0;
    std::vector<Value> values;
};

} // namespace cardstore
