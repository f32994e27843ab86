#include "table.h"

#include "collation.h"
#include "errors.h"
#include "readingstore.h"
#include "session.h"
#include "studystore.h"

#include <algorithm>
#include <exception>
#include <filesystem>

namespace cardstore {

namespace fs = std::filesystem;

namespace {

std::string upperExtension(const std::string& name)
{
    std::string extension = fs::path(name).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension;
}

} // namespace

Table::Table() = default;

Table::~Table()
{
    // Listeners belong to objects that may already be gone; closing quietly tells nobody.
    listeners_.clear();
    // A destructor has no one to tell of a failure, so the windows close their tables and see it there; this only
    // keeps what it can of answers a table destroyed open still holds.
    try {
        if (study_)
            study_->seal();
    } catch (const Error&) {
    }
    study_.reset();
    reading_.reset();
    file_.reset();
}

void Table::setDatabaseName(const std::string& alias)
{
    requireInactive();
    databaseName_ = alias;
}

void Table::setTableName(const std::string& name)
{
    requireInactive();
    tableName_ = name;
}

void Table::setTableType(TableType type)
{
    requireInactive();
    tableType_ = type;
}

void Table::setReadOnly(bool readOnly)
{
    requireInactive();
    readOnlySetting_ = readOnly;
}

int Table::addListener(Listener listener)
{
    listeners_.emplace_back(nextListenerId_, std::move(listener));
    return nextListenerId_++;
}

void Table::removeListener(int id)
{
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void Table::notify(DataEvent event, int fieldIndex)
{
    // A listener may add or remove listeners while it runs, so walk a copy.
    auto listeners = listeners_;
    for (auto& [id, listener] : listeners)
        listener(event, fieldIndex);
}

void Table::requireActive() const
{
    if (!active())
        raiseDataset(messages::kClosed);
}

void Table::requireInactive() const
{
    if (active())
        raiseDataset(messages::kOpen);
}

void Table::requireModifiable() const
{
    if (!canModify())
        raiseDataset(messages::kReadOnly);
}

bool Table::canModify() const
{
    return active() && !file_->readOnly();
}

bool Table::isProtected() const
{
    return active() && file_->isProtected();
}

bool Table::isBuiltInSet() const
{
    return tableName_ == Session::kBuiltInTable;
}

bool Table::takesCards() const
{
    return active() && !isBuiltInSet() && !Session::instance().isBuiltInSet(filePath());
}

std::string Table::filePath() const
{
    if (tableName_.find('/') != std::string::npos)
        return tableName_;
    std::string directory = Session::instance().aliasDirectory(databaseName_);
    return findFileIgnoringCase(directory, tableName_);
}

void Table::open()
{
    if (active())
        return;
    sqlite::initialise();
    initialiseCollation();
    for (;;) {
        try {
            openFile();
            break;
        } catch (const DatabaseError& error) {
            if (error.code() == status::kInsufficientRights && onPasswordRequired && onPasswordRequired())
                continue;
            throw;
        }
    }
    notify(DataEvent::DataSetChange);
}

void Table::openFile()
{
    if (tableName_.empty())
        throw DatabaseError::fromStatus(status::kTableNotFound, { "Table: (no name)" });
    TableType type = tableType_;
    if (type == TableType::Default) {
        std::string extension = upperExtension(tableName_);
        type = extension == ".DBF" ? TableType::DBase : extension == ".TXT" ? TableType::AsciiText : TableType::Paradox;
    }
    if (type != TableType::Paradox)
        throw DatabaseError::fromStatus(status::kUnsupportedTableType,
            { type == TableType::DBase ? "dBASE tables are not offered" : "Text tables are not offered",
                "Table: " + tableName_ });

    auto file = std::make_unique<CardFile>(CardFile::open(filePath(), readOnlySetting_));
    std::vector<FieldDef> fields = file->fields();
    std::vector<IndexDef> indexes = file->indexes();
    file->changedSinceLastLook();
    std::vector<Row> rows = file->loadRows();

    file_ = std::move(file);
    fieldDefs_ = std::move(fields);
    indexDefs_ = std::move(indexes);
    rows_ = std::move(rows);
    live_.assign(rows_.size(), true);
    rebuildOrders();
    int wanted = indexName_.empty() ? primaryIndexNumber() : indexNumber(indexName_);
    if (wanted < 0 && !indexName_.empty()) {
        std::string name = indexName_;
        file_.reset();
        state_ = DataSetState::Inactive;
        throw DatabaseError::fromStatus(status::kIndexNotFound, { "Index: " + name });
    }
    activeIndex_ = wanted < 0 ? static_cast<int>(orders_.size()) - 1 : wanted;
    orderFor(activeIndex_);
    keyBuffer_.assign(fieldDefs_.size(), Value {});
    keyAssigned_.assign(fieldDefs_.size(), false);
    buffer_.clear();
    modified_ = false;
    state_ = DataSetState::Browse;
    pos_ = 0;
    bof_ = true;
    eof_ = recordCount() == 0;
}

void Table::close()
{
    if (!active())
        return;
    // Answers waiting to be sealed into a protected set are sealed now. Should that fail the table closes all the
    // same, so that a window can always move on to another set, and the failure is raised after.
    std::exception_ptr sealFailure;
    if (study_) {
        try {
            study_->seal();
        } catch (const Error&) {
            sealFailure = std::current_exception();
        }
    }
    study_.reset();
    reading_.reset();
    // A pending edit is abandoned, never written, by closing.
    file_.reset();
    rows_.clear();
    live_.clear();
    orders_.clear();
    buffer_.clear();
    modified_ = false;
    state_ = DataSetState::Inactive;
    pos_ = 0;
    bof_ = eof_ = true;
    notify(DataEvent::Closed);
    if (sealFailure)
        std::rethrow_exception(sealFailure);
}

void Table::createTable()
{
    requireInactive();
    sqlite::initialise();
    if (fieldDefs_.empty())
        throw DatabaseError::fromStatus(status::kCorruptFile, { "A card set needs at least one field" });
    for (const IndexDef& index : indexDefs_) {
        if (index.options & indexoption::kExpression)
            throw DatabaseError::fromStatus(status::kUnsupportedTableType, { "Expression indexes are not offered" });
        for (const std::string& name : index.fieldNames())
            if (std::none_of(
                    fieldDefs_.begin(), fieldDefs_.end(), [&](const FieldDef& f) { return sameName(f.name, name); }))
                throw DatabaseError(status::kDataset, messages::fieldNotFound(name));
    }
    std::string path;
    if (tableName_.find('/') != std::string::npos)
        path = tableName_;
    else
        path = (fs::path(Session::instance().aliasDirectory(databaseName_)) / tableName_).string();
    CardFile::create(path, fieldDefs_, indexDefs_);
}

void Table::rebuildOrders()
{
    orders_.clear();
    for (const IndexDef& index : indexDefs_) {
        std::vector<int> positions;
        std::vector<FieldType> types;
        for (const std::string& name : index.fieldNames()) {
            int position = fieldIndex(name);
            positions.push_back(position);
            types.push_back(fieldDefs_[static_cast<std::size_t>(position)].type);
        }
        orders_.emplace_back(std::move(positions), std::move(types), index.options);
    }
    orders_.emplace_back(std::vector<int> {}, std::vector<FieldType> {}, 0);
}

IndexOrder& Table::orderFor(int indexNumber) const
{
    IndexOrder& order = orders_[static_cast<std::size_t>(indexNumber)];
    if (!order.valid())
        order.build(rows_, live_);
    return order;
}

IndexOrder& Table::activeOrder()
{
    return orderFor(activeIndex_);
}

const IndexOrder& Table::activeOrder() const
{
    return orders_[static_cast<std::size_t>(activeIndex_)];
}

int Table::indexNumber(const std::string& name) const
{
    for (std::size_t i = 0; i < indexDefs_.size(); ++i)
        if (sameName(indexDefs_[i].name, name))
            return static_cast<int>(i);
    return -1;
}

int Table::primaryIndexNumber() const
{
    for (std::size_t i = 0; i < indexDefs_.size(); ++i)
        if (indexDefs_[i].isPrimary())
            return static_cast<int>(i);
    return -1;
}

StudyStore& Table::study()
{
    requireActive();
    if (!study_) {
        // The table holds every card's key already, in key order in the natural order.
        std::vector<std::int64_t> keys;
        const auto& slots = orderFor(static_cast<int>(orders_.size()) - 1).slots();
        keys.reserve(slots.size());
        for (std::uint32_t slot : slots)
            keys.push_back(rows_[slot].rowid);
        if (!std::is_sorted(keys.begin(), keys.end()))
            std::sort(keys.begin(), keys.end());
        study_ = std::make_unique<StudyStore>(*file_, std::move(keys));
    }
    return *study_;
}

ReadingStore& Table::reading()
{
    requireActive();
    if (!reading_)
        reading_ = std::make_unique<ReadingStore>(*file_);
    return *reading_;
}

int Table::recordCount() const
{
    requireActive();
    return static_cast<int>(activeOrder().slots().size());
}

} // namespace cardstore
