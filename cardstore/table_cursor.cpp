#include "errors.h"
#include "table.h"

#include <unordered_map>

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

void Table::setFlagsForPosition()
{
    bool empty = recordCount() == 0;
    if (empty)
        pos_ = 0;
    bof_ = empty;
    eof_ = empty;
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
    notify(DataEvent::RecordChange);
    return moved;
}

void Table::refresh()
{
    checkBrowseMode();
    if (file_->changedSinceLastLook()) {
        std::int64_t oldRowid = 0;
        std::vector<std::int64_t> oldOrderRowids;
        const auto& slots = activeOrder().slots();
        oldOrderRowids.reserve(slots.size());
        for (std::uint32_t slot : slots)
            oldOrderRowids.push_back(rows_[slot].rowid);
        if (pos_ < oldOrderRowids.size())
            oldRowid = oldOrderRowids[pos_];
        std::size_t oldPos = pos_;
        rows_ = file_->loadRows();
        live_.assign(rows_.size(), true);
        for (IndexOrder& order : orders_)
            order.invalidate();
        activeOrder();
        locateAfterReload(oldRowid, oldOrderRowids, oldPos);
    }
    notify(DataEvent::DataSetChange);
}

void Table::locateAfterReload(std::int64_t oldRowid, const std::vector<std::int64_t>& oldOrderRowids, std::size_t oldPos)
{
    const auto& slots = activeOrder().slots();
    std::unordered_map<std::int64_t, std::size_t> positionOf;
    positionOf.reserve(slots.size());
    for (std::size_t i = 0; i < slots.size(); ++i)
        positionOf.emplace(rows_[slots[i]].rowid, i);

    auto stays = positionOf.find(oldRowid);
    if (stays != positionOf.end()) {
        pos_ = stays->second;
        if (slots.empty())
            setFlagsForPosition();
        return;
    }
    // The current record is gone: the next surviving one in the old order, else the one before.
    std::optional<std::size_t> found;
    for (std::size_t i = oldPos + 1; i < oldOrderRowids.size() && !found; ++i)
        if (auto it = positionOf.find(oldOrderRowids[i]); it != positionOf.end())
            found = it->second;
    for (std::size_t i = std::min(oldPos, oldOrderRowids.size()); i-- > 0 && !found;)
        if (auto it = positionOf.find(oldOrderRowids[i]); it != positionOf.end())
            found = it->second;
    pos_ = found.value_or(0);
    bof_ = eof_ = false;
    if (slots.empty())
        setFlagsForPosition();
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

std::int64_t Table::physicalRecordNumber() const
{
    requireActive();
    const auto& slots = activeOrder().slots();
    return pos_ < slots.size() ? rows_[slots[pos_]].rowid : 0;
}

} // namespace cardstore
