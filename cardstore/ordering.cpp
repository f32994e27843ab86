#include "ordering.h"

#include "collation.h"

#include <algorithm>
#include <bit>
#include <cstdint>
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

int compareKeys(std::string_view a, std::string_view b, std::size_t length = std::string_view::npos)
{
    std::size_t n = std::min({ a.size(), b.size(), length });
    int result = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (result != 0)
        return result;
    std::size_t la = std::min(a.size(), length), lb = std::min(b.size(), length);
    return la < lb ? -1 : la > lb ? 1 : 0;
}

// Eight key bytes from offset on as a number that orders as they do. Past its end a key reads as zeros; where
// that decides, the shorter key is a prefix of the other and comes first anyway.
std::uint64_t keyChunk(std::string_view key, std::size_t offset)
{
    std::uint64_t chunk = 0;
    for (std::size_t i = offset; i < offset + 8; ++i)
        chunk = (chunk << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return chunk;
}

struct SortEntry
{
    std::uint64_t chunk; // key bytes at the current offset
    std::uint32_t rank; // among equal chunks: where a key that ends here goes, or kGoesOn
    std::uint32_t slot;
};

// Sorts entries whose keys share their first offset bytes and which are in slot order, by the rest of their
// keys and then by slot. Each pass sorts on eight key bytes held in the entry, so the sort itself never
// reaches into the key buffer; only entries still equal go on to the next eight bytes.
template <typename KeyOf>
void sortByKeyBytes(SortEntry* first, SortEntry* last, std::size_t offset, bool descending, const KeyOf& keyOf)
{
    while (last - first > 1) {
        // A key that ends within these bytes precedes the longer keys that share them (follows, descending);
        // keys that end at once are ordered by length.
        const std::uint32_t goesOn = descending ? 0 : UINT32_MAX;
        bool allEqual = true;
        for (SortEntry* entry = first; entry != last; ++entry) {
            std::string_view key = keyOf(entry->slot);
            std::uint64_t chunk = keyChunk(key, offset);
            entry->chunk = descending ? ~chunk : chunk;
            auto length = static_cast<std::uint32_t>(key.size());
            entry->rank = key.size() > offset + 8 ? goesOn : descending ? UINT32_MAX - length : length;
            allEqual = allEqual && entry->chunk == first->chunk && entry->rank == first->rank;
        }
        if (allEqual) {
            // Still in slot order: done if these keys are equal, otherwise the next bytes decide.
            if (first->rank != goesOn)
                return;
            offset += 8;
            continue;
        }
        std::sort(first, last, [](const SortEntry& a, const SortEntry& b) {
            if (a.chunk != b.chunk)
                return a.chunk < b.chunk;
            if (a.rank != b.rank)
                return a.rank < b.rank;
            return a.slot < b.slot;
        });
        for (SortEntry* run = first; run != last;) {
            SortEntry* end = run + 1;
            while (end != last && end->chunk == run->chunk && end->rank == run->rank)
                ++end;
            if (run->rank == goesOn)
                sortByKeyBytes(run, end, offset + 8, descending, keyOf);
            run = end;
        }
        return;
    }
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
    appendKey(values, fieldCount, key);
    return key;
}

void IndexOrder::appendKey(const std::vector<Value>& values, std::size_t fieldCount, std::string& key) const
{
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
}

std::string_view IndexOrder::keyOf(std::uint32_t slot) const
{
    const KeyRef& ref = keys_[slot];
    return std::string_view(keyBytes_.data() + ref.offset, ref.length);
}

void IndexOrder::ensureKey(const std::vector<Row>& rows, std::uint32_t slot)
{
    if (keys_.size() < rows.size())
        keys_.resize(rows.size());
    staleKeyBytes_ += keys_[slot].length;
    std::size_t offset = keyBytes_.size();
    appendKey(rows[slot].values, fieldPositions_.size(), keyBytes_);
    keys_[slot] = { offset, static_cast<std::uint32_t>(keyBytes_.size() - offset) };
    // Edits leave the replaced keys behind; once they are most of the buffer, it is rewritten.
    if (staleKeyBytes_ > 65536 && staleKeyBytes_ > keyBytes_.size() / 2) {
        std::string compacted;
        compacted.reserve(keyBytes_.size() - staleKeyBytes_);
        for (KeyRef& ref : keys_) {
            std::size_t start = compacted.size();
            compacted.append(keyBytes_, ref.offset, ref.length);
            ref.offset = start;
        }
        keyBytes_ = std::move(compacted);
        staleKeyBytes_ = 0;
    }
}

bool IndexOrder::less(std::uint32_t a, std::uint32_t b) const
{
    if (natural())
        return a < b;
    int result = compareKeys(keyOf(a), keyOf(b));
    if (result == 0)
        return a < b;
    return descending_ ? result > 0 : result < 0;
}

void IndexOrder::build(const std::vector<Row>& rows, const std::vector<bool>& live)
{
    order_.clear();
    order_.reserve(rows.size());
    keyBytes_.clear();
    staleKeyBytes_ = 0;
    keys_.assign(natural() ? 0 : rows.size(), KeyRef {});
    if (!natural())
        keyBytes_.reserve(rows.size() * 32);
    for (std::uint32_t slot = 0; slot < rows.size(); ++slot) {
        if (!live[slot])
            continue;
        if (!natural()) {
            std::size_t offset = keyBytes_.size();
            appendKey(rows[slot].values, fieldPositions_.size(), keyBytes_);
            keys_[slot] = { offset, static_cast<std::uint32_t>(keyBytes_.size() - offset) };
        }
        order_.push_back(slot);
    }
    if (!natural())
        sortOrder();
    valid_ = true;
}

void IndexOrder::sortOrder()
{
    // The same order as sorting with less(): by key, equal keys in slot order.
    std::vector<SortEntry> entries(order_.size());
    for (std::size_t i = 0; i < order_.size(); ++i)
        entries[i].slot = order_[i];
    sortByKeyBytes(entries.data(), entries.data() + entries.size(), 0, descending_,
        [this](std::uint32_t slot) { return keyOf(slot); });
    for (std::size_t i = 0; i < entries.size(); ++i)
        order_[i] = entries[i].slot;
}

void IndexOrder::insertSlot(const std::vector<Row>& rows, std::uint32_t slot)
{
    if (!valid_)
        return;
    if (!natural())
        ensureKey(rows, slot);
    auto place = std::upper_bound(
        order_.begin(), order_.end(), slot, [this](std::uint32_t a, std::uint32_t b) { return less(a, b); });
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

bool IndexOrder::hasDuplicate(
    const std::vector<Row>& rows, const std::vector<Value>& values, std::uint32_t ignoredSlot) const
{
    if (natural())
        return false;
    std::string key = makeKey(values, fieldPositions_.size());
    for (std::uint32_t slot = 0; slot < keys_.size() && slot < rows.size(); ++slot)
        if (slot != ignoredSlot && rows[slot].rowid != 0 && keyOf(slot) == key)
            return true;
    return false;
}

} // namespace cardstore
