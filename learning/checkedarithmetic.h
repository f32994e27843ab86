#pragma once

#include <concepts>
#include <optional>

// Integer arithmetic that tells an overflow instead of wrapping: nothing comes back when the exact result does not
// fit the type. Times and day counts computed from values read from a file go through these, whatever the file
// holds; the windows' CheckedInt raises its error on the same checks.
namespace checked {

template <std::integral Int> constexpr std::optional<Int> add(Int a, Int b)
{
    Int result;
    if (__builtin_add_overflow(a, b, &result))
        return std::nullopt;
    return result;
}

template <std::integral Int> constexpr std::optional<Int> subtract(Int a, Int b)
{
    Int result;
    if (__builtin_sub_overflow(a, b, &result))
        return std::nullopt;
    return result;
}

template <std::integral Int> constexpr std::optional<Int> multiply(Int a, Int b)
{
    Int result;
    if (__builtin_mul_overflow(a, b, &result))
        return std::nullopt;
    return result;
}

} // namespace checked
