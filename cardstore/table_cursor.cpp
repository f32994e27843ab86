#include "errors.h"
#include "table.h"

#include <algorithm>
#include <optional>

namespace cardstore {

void Table::checkBrowseMode()
{
    requireActive();
    switch (state_) {
    case DataSetState::Edit:
    case DataSetState::Insert:
        notify(DataEvent::UpdateRecord);
        if (modified_)
            post();
        else
            cancel();
        break;
    case DataSetState::SetKey:
        // Leaving key-entry mode keeps the key that was entered.
        state_ = DataSetState::Browse;
        notify(DataEvent::StateChange);
        break;
    default:
        break;
    }
}

void Table::first()
{
    checkBrowseMode();
    pos_ = 0;
    bof_ = true;
    eof_ = recordCount() == 0;
    notify(DataEvent::RecordChange);
}

void Table::last()
{
    checkBrowseMode();
    int count = recordCount();
    pos_ = count ? static_cast<std::size_t>(count - 1) : 0;
    eof_ = true;
    bof_ = count == 0;
    notify(DataEvent::RecordChange);
}

int Table::moveBy(int distance)
{
    checkBrowseMode();
    if (distance == 0 || (distance > 0 && eof_) || (distance < 0 && bof_))
        return 0;
    bof_ = eof_ = false;
    long count = recordCount();
    long target = static_cast<long>(pos_) + distance;
    if (target >= count) {
        target = count - 1;
        eof_ = true;
    } else if (target < 0) {
        target = 0;
        bof_ = true;
    }
    if (count == 0) {
        target = 0;
        bof_ = eof_ = true;
    }
    int moved = static_cast<int>(target - static_cast<long>(pos_));
    pos_ = static_cast<std::size_t>(target);
    prefetchAhead(distance);
    notify(DataEvent::RecordChange);
    return moved;
}

// An index order visits the records in no particular order in memory, so each step of a walk waited for the
// record, then its values, then their text to come from main memory. Each move asks for these a few moves
// ahead, one level per move, so that a walk finds the record it moves to in cache. Only what earlier moves
// fetched is read here.
void Table::prefetchAhead(int distance) const
{
    const auto& slots = activeOrder().slots();
    auto ahead = [&](long moves) -> const Row* {
        long position = static_cast<long>(pos_) + moves * distance;
        if (position < 0 || position >= static_cast<long>(slots.size()))
            return nullptr;
        return &rows_[slots[static_cast<std::size_t>(position)]];
    };
    constexpr std::size_t kCacheLine = 64;
    if (const Row* row = ahead(3))
        __builtin_prefetch(row);
    if (const Row* row = ahead(2)) {
        const auto* bytes = reinterpret_cast<const char*>(row->values.data());
        for (std::size_t offset = 0; offset < row->values.size() * sizeof(Value); offset += kCacheLine)
            __builtin_prefetch(bytes + offset);
    }
    if (const Row* row = ahead(1))
        for (const Value& value : row->values)
            if (const auto* text = std::get_if<std::string>(&value))
                __builtin_prefetch(text->data());
}

void Table::refresh()
{
    checkBrowseMode();
    if (file_->changedSinceLastLook()) {
        std::optional<Row> oldCurrent;
        const auto& slots = activeOrder().slots();
        if (pos_ < slots.size())
            oldCurrent = rows_[slots[pos_]];
        rows_ = file_->loadRows();
        live_.assign(rows_.size(), true);
        for (IndexOrder& order : orders_)
            order.invalidate();
        activeOrder();
        locateAfterReload(oldCurrent);
    }
    // After a re-read the cursor stands on a record and has passed neither end, so both ways are open again:
    // another program may have added records beyond either end.
    bof_ = eof_ = recordCount() == 0;
    notify(DataEvent::DataSetChange);
}

void Table::locateAfterReload(const std::optional<Row>& oldCurrent)
{
    const IndexOrder& order = activeOrder();
    const auto& slots = order.slots();
    pos_ = 0;
    if (!oldCurrent || slots.empty())
        return;
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (rows_[slots[i]].rowid == oldCurrent->rowid) {
            pos_ = i;
            return;
        }
    // The current record is gone: the record now following its place in the order, which may be one another
    // program added there, else the last one. Equal keys stand in insertion order, that is by rowid.
    const std::size_t keyFields = order.fieldPositions().size();
    const std::string oldKey = order.natural() ? std::string() : order.makeKey(oldCurrent->values, keyFields);
    const bool descending
        = !order.natural() && (indexDefs_[static_cast<std::size_t>(activeIndex_)].options & indexoption::kDescending);
    auto sortsAfterOld = [&](std::uint32_t slot) {
        const Row& row = rows_[slot];
        if (!order.natural()) {
            int result = order.makeKey(row.values, keyFields).compare(oldKey);
            if (result != 0)
                return descending ? result < 0 : result > 0;
        }
        return row.rowid > oldCurrent->rowid;
    };
    auto next
        = std::partition_point(slots.begin(), slots.end(), [&](std::uint32_t slot) { return !sortsAfterOld(slot); });
    pos_ = next == slots.end() ? slots.size() - 1 : static_cast<std::size_t>(next - slots.begin());
}

void Table::setIndexName(const std::string& name)
{
    if (!active()) {
        indexName_ = name;
        return;
    }
    checkBrowseMode();
    int wanted = name.empty() ? primaryIndexNumber() : indexNumber(name);
    if (wanted < 0 && !name.empty())
        throw DatabaseError::fromStatus(status::kIndexNotFound, { "Index: " + name });
    if (wanted < 0)
        wanted = static_cast<int>(orders_.size()) - 1;

    std::int64_t rowid = 0;
    const auto& oldSlots = activeOrder().slots();
    if (pos_ < oldSlots.size())
        rowid = rows_[oldSlots[pos_]].rowid;
    indexName_ = name;
    if (wanted != activeIndex_) {
        activeIndex_ = wanted;
        const auto& slots = orderFor(activeIndex_).slots();
        for (std::size_t i = 0; i < slots.size(); ++i)
            if (rows_[slots[i]].rowid == rowid) {
                pos_ = i;
                break;
            }
        // Each index keeps its own key; a new one starts empty.
        keyBuffer_.assign(fieldDefs_.size(), Value {});
        keyAssigned_.assign(fieldDefs_.size(), false);
        // The flags told of the ends of the old order; in the new one the record may have neighbours both ways.
        bof_ = eof_ = slots.empty();
    }
    notify(DataEvent::DataSetChange);
}

void Table::setKey()
{
    requireActive();
    keyBuffer_.assign(fieldDefs_.size(), Value {});
    keyAssigned_.assign(fieldDefs_.size(), false);
    editKey();
}

void Table::editKey()
{
    checkBrowseMode();
    savedKeyBuffer_ = keyBuffer_;
    savedKeyAssigned_ = keyAssigned_;
    state_ = DataSetState::SetKey;
    notify(DataEvent::StateChange);
}

bool Table::gotoKey()
{
    checkBrowseMode();
    const IndexOrder& order = activeOrder();
    std::size_t assigned = 0;
    for (std::size_t i = 0; i < order.fieldPositions().size(); ++i)
        if (keyAssigned_[static_cast<std::size_t>(order.fieldPositions()[i])])
            assigned = i + 1;
    long found = order.find(rows_, keyBuffer_, assigned);
    if (found < 0)
        return false;
    pos_ = static_cast<std::size_t>(found);
    bof_ = eof_ = false;
    notify(DataEvent::RecordChange);
    return true;
}

RecordNumbering Table::recordNumbering() const
{
    requireActive();
    return RecordNumbering::Sequence;
}

int Table::sequenceNumber() const
{
    requireActive();
    if (recordCount() == 0)
        return 0;
    return static_cast<int>(pos_) + 1;
}

std::int64_t Table::recordKey() const
{
    if (!active() || state_ == DataSetState::Insert)
        return 0;
    const auto& slots = activeOrder().slots();
    return pos_ < slots.size() ? rows_[slots[pos_]].rowid : 0;
}

void Table::visitRecords(const std::function<void(std::int64_t, const std::vector<Value>&)>& visit) const
{
    requireActive();
    int primary = primaryIndexNumber();
    const IndexOrder& order = orderFor(primary < 0 ? static_cast<int>(orders_.size()) - 1 : primary);
    for (std::uint32_t slot : order.slots())
        visit(rows_[slot].rowid, rows_[slot].values);
}

const std::vector<Value>* Table::recordValues(std::int64_t key) const
{
    if (!active() || key == 0)
        return nullptr;
    // Keys grow with every record added and a refresh reads the records in key order, so the natural order is
    // in key order; a search that misses looks at every record, in case a file broke that rule.
    const auto& slots = orderFor(static_cast<int>(orders_.size()) - 1).slots();
    auto found = std::lower_bound(
        slots.begin(), slots.end(), key, [&](std::uint32_t slot, std::int64_t k) { return rows_[slot].rowid < k; });
    if (found == slots.end() || rows_[*found].rowid != key)
        found = std::find_if(slots.begin(), slots.end(), [&](std::uint32_t slot) { return rows_[slot].rowid == key; });
    return found == slots.end() ? nullptr : &rows_[*found].values;
}

std::int64_t Table::physicalRecordNumber() const
{
    requireActive();
    const auto& slots = activeOrder().slots();
    return pos_ < slots.size() ? rows_[slots[pos_]].rowid : 0;
}

} // namespace cardstore
