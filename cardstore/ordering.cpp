#include "ordering.h"

#include "collation.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace cardstore {

namespace {

    constexpr char kNullMark = '\x01';
    constexpr char kValueMark = '\x02';

    // Big-endian bytes that compare with memcmp as the doubles compare numerically.
    void appendNumberKey(double value, std::string& out)
    {
        std::uint64_t bits = std::bit_cast<std::uint64_t>(value == 0.0 ? 0.0 : value);
        bits = (bits & (std::uint64_t(1) << 63)) ? ~bits : bits | (std::uint64_t(1) << 63);
        for (int shift = 56; shift >= 0; shift -= 8)
            out += static_cast<char>((bits >> shift) & 0xff);
    }

    double numberOf(const Value& value)
    {
        if (const auto* integer = std::get_if<std::int64_t>(&value))
            return static_cast<double>(*integer);
        if (const auto* real = std::get_if<double>(&value))
            return *real;
        return 0.0;
    }

    int compareKeys(const std::string& a, const std::string& b, std::size_t length)
    {
        std::size_t n = std::min({ a.size(), b.size(), length });
        int result = n ? std::memcmp(a.data(), b.data(), n) : 0;
        if (result != 0)
            return result;
        std::size_t la = std::min(a.size(), length), lb = std::min(b.size(), length);
        return la < lb ? -1 : la > lb ? 1 : 0;
    }

} // namespace

IndexOrder::IndexOrder(std::vector<int> fieldPositions, std::vector<FieldType> fieldTypes, unsigned options)
    : fieldPositions_(std::move(fieldPositions))
    , fieldTypes_(std::move(fieldTypes))
    , descending_(options & indexoption::kDescending)
    , caseInsensitive_(options & indexoption::kCaseInsensitive)
{
}

std::string IndexOrder::makeKey(const std::vector<Value>& values, std::size_t fieldCount) const
{
    std::string key;
    for (std::size_t i = 0; i < fieldCount && i < fieldPositions_.size(); ++i) {
        const Value& value = values[static_cast<std::size_t>(fieldPositions_[i])];
        if (isNull(value)) {
            key += kNullMark;
        } else if (const auto* text = std::get_if<std::string>(&value)) {
            key += kValueMark;
            appendSortKey(*text, caseInsensitive_, key);
        } else {
            key += kValueMark;
            appendNumberKey(numberOf(value), key);
        }
    }
    return key;
}

void IndexOrder::ensureKey(const std::vector<Row>& rows, std::uint32_t slot)
{
    if (keys_.size() < rows.size())
        keys_.resize(rows.size());
    keys_[slot] = makeKey(rows[slot].values, fieldPositions_.size());
}

bool IndexOrder::less(std::uint32_t a, std::uint32_t b) const
{
    if (natural())
        return a < b;
    int result = compareKeys(keys_[a], keys_[b], std::string::npos);
    if (result == 0)
        return a < b;
    return descending_ ? result > 0 : result < 0;
}

void IndexOrder::build(const std::vector<Row>& rows, const std::vector<bool>& live)
{
    order_.clear();
    order_.reserve(rows.size());
    keys_.assign(natural() ? 0 : rows.size(), std::string());
    for (std::uint32_t slot = 0; slot < rows.size(); ++slot) {
        if (!live[slot])
            continue;
        if (!natural())
            keys_[slot] = makeKey(rows[slot].values, fieldPositions_.size());
        order_.push_back(slot);
    }
    if (!natural())
        std::stable_sort(order_.begin(), order_.end(), [this](std::uint32_t a, std::uint32_t b) { return less(a, b); });
    valid_ = true;
}

void IndexOrder::insertSlot(const std::vector<Row>& rows, std::uint32_t slot)
{
    if (!valid_)
        return;
    if (!natural())
        ensureKey(rows, slot);
    auto place = std::upper_bound(order_.begin(), order_.end(), slot,
        [this](std::uint32_t a, std::uint32_t b) { return less(a, b); });
    order_.insert(place, slot);
}

void IndexOrder::removeSlot(std::uint32_t slot)
{
    if (!valid_)
        return;
    auto found = std::find(order_.begin(), order_.end(), slot);
    if (found != order_.end())
        order_.erase(found);
}

bool IndexOrder::exactlyEqual(const Value& stored, const Value& wanted) const
{
    if (isNull(stored) || isNull(wanted))
        return isNull(stored) && isNull(wanted);
    const auto* storedText = std::get_if<std::string>(&stored);
    const auto* wantedText = std::get_if<std::string>(&wanted);
    if (storedText && wantedText)
        return caseInsensitive_ || *storedText == *wantedText; // case-insensitive: equal keys suffice
    return numberOf(stored) == numberOf(wanted);
}

long IndexOrder::find(const std::vector<Row>& rows, const std::vector<Value>& keyValues, std::size_t fieldCount) const
{
    if (natural() || fieldCount == 0)
        return -1;
    fieldCount = std::min(fieldCount, fieldPositions_.size());
    std::string key = makeKey(keyValues, fieldCount);
    auto keyOf = [&](std::uint32_t slot) -> const std::string& { return keys_[slot]; };
    auto first = std::partition_point(order_.begin(), order_.end(), [&](std::uint32_t slot) {
        int result = compareKeys(keyOf(slot), key, key.size());
        return descending_ ? result > 0 : result < 0;
    });
    for (auto it = first; it != order_.end(); ++it) {
        if (compareKeys(keyOf(*it), key, key.size()) != 0)
            break;
        bool equal = true;
        for (std::size_t i = 0; i < fieldCount && equal; ++i) {
            auto position = static_cast<std::size_t>(fieldPositions_[i]);
            equal = exactlyEqual(rows[*it].values[position], keyValues[position]);
        }
        if (equal)
            return static_cast<long>(it - order_.begin());
    }
    return -1;
}

bool IndexOrder::hasDuplicate(const std::vector<Row>& rows, const std::vector<Value>& values, std::uint32_t ignoredSlot) const
{
    if (natural())
        return false;
    std::string key = makeKey(values, fieldPositions_.size());
    for (std::uint32_t slot = 0; slot < keys_.size() && slot < rows.size(); ++slot)
        if (slot != ignoredSlot && rows[slot].rowid != 0 && keys_[slot] == key)
            return true;
    return false;
}

} // namespace cardstore
