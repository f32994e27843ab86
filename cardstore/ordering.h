#pragma once

#include "definitions.h"
#include "value.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cardstore {

// The records of a table in the order of one index, kept in memory so that moves, sequence numbers and the
// record count are O(1) and key search is O(log n). Records are addressed by slot (their place in the table's
// record store); equal keys keep insertion order, which is slot order.
class IndexOrder
{
public:
    // fieldPositions empty: the natural order of the records (no index).
    IndexOrder(std::vector<int> fieldPositions, std::vector<FieldType> fieldTypes, unsigned options);

    bool natural() const { return fieldPositions_.empty(); }
    bool valid() const { return valid_; }
    void invalidate() { valid_ = false; }
    const std::vector<std::uint32_t>& slots() const { return order_; }
    const std::vector<int>& fieldPositions() const { return fieldPositions_; }

    // Builds the order over every live slot.
    void build(const std::vector<Row>& rows, const std::vector<bool>& live);
    // Keeps a valid order up to date after a record was added, changed or removed.
    void insertSlot(const std::vector<Row>& rows, std::uint32_t slot);
    void removeSlot(std::uint32_t slot);

    // The key of a record's values, for the first fieldCount fields of the index.
    std::string makeKey(const std::vector<Value>& values, std::size_t fieldCount) const;
    // Position of the first record whose key fields equal the given values exactly; -1 when none.
    long find(const std::vector<Row>& rows, const std::vector<Value>& keyValues, std::size_t fieldCount) const;
    // Whether another live record has the same full key (for unique indexes).
    bool hasDuplicate(const std::vector<Row>& rows, const std::vector<Value>& values, std::uint32_t ignoredSlot) const;

private:
    // Where a slot's key lies in keyBytes_.
    struct KeyRef
    {
        std::size_t offset = 0;
        std::uint32_t length = 0;
    };

    bool less(std::uint32_t a, std::uint32_t b) const;
    void appendKey(const std::vector<Value>& values, std::size_t fieldCount, std::string& out) const;
    void ensureKey(const std::vector<Row>& rows, std::uint32_t slot);
    void sortOrder();
    std::string_view keyOf(std::uint32_t slot) const;
    bool exactlyEqual(const Value& stored, const Value& wanted) const;

    std::vector<int> fieldPositions_;
    std::vector<FieldType> fieldTypes_;
    bool descending_;
    bool caseInsensitive_;
    bool valid_ = false;
    // Every slot's key back to back in one buffer: a hundred thousand separately allocated keys cost more to
    // make and, scattered over the heap, far more to compare while sorting.
    std::string keyBytes_;
    std::vector<KeyRef> keys_; // by slot
    std::size_t staleKeyBytes_ = 0; // bytes of keys that were replaced since the buffer was last compacted
    std::vector<std::uint32_t> order_;
};

} // namespace cardstore
