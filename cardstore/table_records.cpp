#include "errors.h"
#include "studystore.h"
#include "table.h"
#include "textforms.h"

#include <algorithm>

namespace cardstore {

namespace {

std::string textOf(const Value& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* integer = std::get_if<std::int64_t>(&value))
        return std::to_string(*integer);
    if (const auto* real = std::get_if<double>(&value))
        return formatFloat(*real);
    return {};
}

} // namespace

int Table::fieldIndex(const std::string& name) const
{
    for (std::size_t i = 0; i < fieldDefs_.size(); ++i)
        if (sameName(fieldDefs_[i].name, name))
            return static_cast<int>(i);
    return -1;
}

int Table::fieldIndexOrThrow(const std::string& name) const
{
    int index = active() ? fieldIndex(name) : -1;
    if (index < 0)
        raiseDataset(messages::fieldNotFound(name));
    return index;
}

const std::vector<Value>& Table::currentValues() const
{
    static const std::vector<Value> kNoRecord;
    switch (state_) {
    case DataSetState::Edit:
    case DataSetState::Insert:
        return buffer_;
    case DataSetState::SetKey:
        return keyBuffer_;
    default:
        break;
    }
    const auto& slots = activeOrder().slots();
    return pos_ < slots.size() ? rows_[slots[pos_]].values : kNoRecord;
}

std::string Table::fieldText(const std::string& name) const
{
    return fieldText(fieldIndexOrThrow(name));
}

std::string Table::fieldText(int index) const
{
    requireActive();
    const auto& values = currentValues();
    return static_cast<std::size_t>(index) < values.size() ? textOf(values[static_cast<std::size_t>(index)])
                                                           : std::string();
}

bool Table::fieldIsNull(int index) const
{
    requireActive();
    const auto& values = currentValues();
    return static_cast<std::size_t>(index) >= values.size() || isNull(values[static_cast<std::size_t>(index)]);
}

bool Table::textSuitsField(const FieldDef& field, const std::string& text)
{
    switch (field.type) {
    case FieldType::Float:
        return text.empty() || parseFloat(text).has_value();
    case FieldType::Integer:
        return text.empty() || parseInteger(text).has_value();
    case FieldType::Text:
        break;
    }
    return true;
}

Value Table::convert(int index, const std::string& text) const
{
    const FieldDef& field = fieldDefs_[static_cast<std::size_t>(index)];
    if (text.empty())
        return {};
    switch (field.type) {
    case FieldType::Float:
        if (auto number = parseFloat(text))
            return *number;
        raiseDataset(messages::invalidFloat(text, field.name));
    case FieldType::Integer:
        if (auto number = parseInteger(text))
            return static_cast<std::int64_t>(*number);
        raiseDataset(messages::invalidIntegerForField(text, field.name));
    case FieldType::Text:
        break;
    }
    return field.size > 0 ? utf8Left(text, static_cast<std::size_t>(field.size)) : text;
}

void Table::setFieldText(const std::string& name, const std::string& text)
{
    setFieldText(fieldIndexOrThrow(name), text);
}

void Table::setFieldText(int index, const std::string& text)
{
    requireActive();
    auto position = static_cast<std::size_t>(index);
    if (state_ == DataSetState::SetKey) {
        const auto& keyFields = activeOrder().fieldPositions();
        if (std::find(keyFields.begin(), keyFields.end(), index) == keyFields.end())
            raiseDataset(messages::notIndexed(fieldDefs_[position].name));
        keyBuffer_[position] = convert(index, text);
        keyAssigned_[position] = true;
        notify(DataEvent::FieldChange, index);
        return;
    }
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        raiseDataset(messages::kNotEditing);
    buffer_[position] = convert(index, text);
    modified_ = true;
    notify(DataEvent::FieldChange, index);
}

void Table::edit()
{
    requireActive();
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert)
        return;
    checkBrowseMode();
    requireModifiable();
    if (recordCount() == 0) {
        insert();
        return;
    }
    buffer_ = currentValues();
    modified_ = false;
    state_ = DataSetState::Edit;
    notify(DataEvent::StateChange);
}

void Table::insert()
{
    checkBrowseMode();
    requireModifiable();
    buffer_.assign(fieldDefs_.size(), Value {});
    modified_ = false;
    savedBof_ = bof_;
    savedEof_ = eof_;
    bof_ = eof_ = false;
    state_ = DataSetState::Insert;
    notify(DataEvent::DataSetChange);
}

void Table::cancel()
{
    requireActive();
    switch (state_) {
    case DataSetState::Insert:
        bof_ = savedBof_;
        eof_ = savedEof_;
        [[fallthrough]];
    case DataSetState::Edit:
        buffer_.clear();
        modified_ = false;
        state_ = DataSetState::Browse;
        notify(DataEvent::DataSetChange);
        break;
    case DataSetState::SetKey:
        keyBuffer_ = savedKeyBuffer_;
        keyAssigned_ = savedKeyAssigned_;
        state_ = DataSetState::Browse;
        notify(DataEvent::StateChange);
        break;
    default:
        break;
    }
}

void Table::checkUnique(const std::vector<Value>& values, std::uint32_t ignoredSlot)
{
    for (std::size_t i = 0; i < indexDefs_.size(); ++i) {
        if (!(indexDefs_[i].options & indexoption::kUnique))
            continue;
        if (orderFor(static_cast<int>(i)).hasDuplicate(rows_, values, ignoredSlot))
            throw DatabaseError::fromStatus(status::kKeyViolation, { "Index: " + indexDefs_[i].name });
    }
}

void Table::storeRecord(std::uint32_t slot)
{
    for (IndexOrder& order : orders_) {
        if (&order == &orders_[static_cast<std::size_t>(activeIndex_)])
            continue;
        order.invalidate();
    }
    activeOrder().insertSlot(rows_, slot);
    const auto& slots = activeOrder().slots();
    pos_ = static_cast<std::size_t>(std::find(slots.begin(), slots.end(), slot) - slots.begin());
}

void Table::writePendingRecord()
{
    const auto noSlot = static_cast<std::uint32_t>(-1);
    if (state_ == DataSetState::Insert) {
        checkUnique(buffer_, noSlot);
        std::int64_t rowid = file_->insert(buffer_);
        auto slot = static_cast<std::uint32_t>(rows_.size());
        rows_.push_back(Row { rowid, buffer_ });
        live_.push_back(true);
        storeRecord(slot);
    } else {
        std::uint32_t slot = activeOrder().slots()[pos_];
        checkUnique(buffer_, slot);
        file_->update(rows_[slot].rowid, buffer_);
        activeOrder().removeSlot(slot);
        rows_[slot].values = buffer_;
        storeRecord(slot);
    }
}

void Table::post()
{
    requireActive();
    if (state_ == DataSetState::SetKey) {
        checkBrowseMode();
        return;
    }
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        return;
    notify(DataEvent::UpdateRecord);
    for (std::size_t i = 0; i < fieldDefs_.size(); ++i)
        if (fieldDefs_[i].required && isNull(buffer_[i]))
            raiseDataset(messages::fieldRequired(fieldDefs_[i].name));
    writePendingRecord();
    buffer_.clear();
    modified_ = false;
    state_ = DataSetState::Browse;
    bof_ = eof_ = false;
    notify(DataEvent::DataSetChange);
    if (afterPost)
        afterPost(*this);
}

void Table::deleteRecord()
{
    requireActive();
    if (state_ == DataSetState::Insert || state_ == DataSetState::SetKey) {
        cancel();
        return;
    }
    if (recordCount() == 0)
        raiseDataset(messages::kEmpty);
    requireModifiable();
    std::uint32_t slot = activeOrder().slots()[pos_];
    file_->remove(rows_[slot].rowid);
    if (study_)
        study_->cardRemoved(rows_[slot].rowid);
    buffer_.clear();
    modified_ = false;
    state_ = DataSetState::Browse;
    live_[slot] = false;
    rows_[slot].rowid = 0;
    rows_[slot].values.clear();
    for (IndexOrder& order : orders_)
        order.removeSlot(slot);
    std::size_t count = activeOrder().slots().size();
    if (pos_ >= count)
        pos_ = count ? count - 1 : 0;
    bof_ = eof_ = count == 0;
    notify(DataEvent::DataSetChange);
    if (afterDelete)
        afterDelete(*this);
}

void Table::firstAfterAppend()
{
    for (IndexOrder& order : orders_)
        order.invalidate();
    activeOrder();
    pos_ = 0;
    bof_ = true;
    eof_ = recordCount() == 0;
    notify(DataEvent::DataSetChange);
}

std::vector<Value> Table::recordValues(const std::vector<std::string>& texts) const
{
    std::vector<Value> values(fieldDefs_.size());
    for (std::size_t i = 0; i < fieldDefs_.size() && i < texts.size(); ++i)
        values[i] = convert(static_cast<int>(i), texts[i]);
    for (std::size_t i = 0; i < fieldDefs_.size(); ++i)
        if (fieldDefs_[i].required && isNull(values[i]))
            raiseDataset(messages::fieldRequired(fieldDefs_[i].name));
    return values;
}

void Table::appendRecords(const std::vector<std::vector<std::string>>& records, const WriteProgress& progress)
{
    checkBrowseMode();
    requireModifiable();
    std::vector<std::vector<Value>> rows;
    rows.reserve(records.size());
    for (const auto& texts : records)
        rows.push_back(recordValues(texts));
    std::vector<std::int64_t> rowids;
    file_->insertMany(rows, rowids, progress);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows_.push_back(Row { rowids[i], std::move(rows[i]) });
        live_.push_back(true);
    }
    firstAfterAppend();
}

std::size_t Table::appendEach(const std::function<bool(std::vector<std::string>& texts)>& next, std::size_t total,
    const WriteProgress& progress, AfterAppend after)
{
    checkBrowseMode();
    requireModifiable();
    std::vector<std::string> texts;
    std::size_t added = file_->insertEach(
        [&](std::vector<Value>& values) {
            texts.assign(fieldDefs_.size(), std::string());
            if (!next(texts))
                return false;
            values = recordValues(texts);
            return true;
        },
        total, progress);
    if (after == AfterAppend::Close) {
        close();
        return added;
    }
    // The old records go before the set is read again, so that the two are never in memory together.
    for (IndexOrder& order : orders_)
        order.invalidate();
    rows_.clear();
    rows_.shrink_to_fit();
    live_.clear();
    rows_ = file_->loadRows();
    live_.assign(rows_.size(), true);
    firstAfterAppend();
    return added;
}

} // namespace cardstore
