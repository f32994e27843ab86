#pragma once

#include "checkedarithmetic.h"
#include "errors.h"

#include <limits>

namespace karte {

// An integer overflow in window arithmetic, which raises instead of wrapping.
class IntOverflow : public cardstore::Error
{
public:
    IntOverflow()
        : Error("Integer overflow")
    {
    }
    const char* kind() const noexcept override { return "EIntOverflow"; }
};

// Window coordinates computed with checked arithmetic: +, - and * raise IntOverflow rather than wrap, and
// division truncates toward zero (div).
class CheckedInt
{
public:
    constexpr CheckedInt(int value)
        : value_(value)
    {
    }
    constexpr int value() const { return value_; }

    friend CheckedInt operator+(CheckedInt a, CheckedInt b) { return orRaise(checked::add(a.value_, b.value_)); }
    friend CheckedInt operator-(CheckedInt a, CheckedInt b) { return orRaise(checked::subtract(a.value_, b.value_)); }
    friend CheckedInt operator*(CheckedInt a, CheckedInt b) { return orRaise(checked::multiply(a.value_, b.value_)); }
    // Integer division truncating toward zero; the one quotient that does not fit (the smallest value
    // divided by -1) raises IntOverflow too.
    friend CheckedInt div(CheckedInt a, CheckedInt b)
    {
        if (b.value_ == 0)
            throw cardstore::Error("Division by zero");
        if (b.value_ == -1 && a.value_ == std::numeric_limits<int>::min())
            throw IntOverflow();
        return a.value_ / b.value_;
    }

private:
    static int orRaise(std::optional<int> result)
    {
        if (!result)
            throw IntOverflow();
        return *result;
    }

    int value_;
};

} // namespace karte
