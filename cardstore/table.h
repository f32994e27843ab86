#pragma once

#include "cardfile.h"
#include "definitions.h"
#include "ordering.h"
#include "value.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cardstore {

class ReadingStore;
class StudyStore;

// What a table tells the controls bound to it.
enum class DataEvent {
    DataSetChange, // opened, refreshed, posted, deleted, insert started or cancelled, index switched
    RecordChange, // the cursor moved
    FieldChange, // one field of the current record was written
    StateChange, // the record state changed
    UpdateRecord, // bound controls are to write their pending text into the record now
    Closed, // the table was closed
};

// The table component: one card set and one cursor over it, with record states, key search and
// notifications. Every operation runs on the caller's thread; notifications are delivered synchronously,
// inside the operation that caused them, after the table's own state is complete.
class Table
{
public:
    using Listener = std::function<void(DataEvent event, int fieldIndex)>;

    Table();
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Settings; changing the name, alias or type requires a closed table.
    void setDatabaseName(const std::string& alias);
    const std::string& databaseName() const { return databaseName_; }
    void setTableName(const std::string& name);
    const std::string& tableName() const { return tableName_; }
    void setTableType(TableType type);
    TableType tableType() const { return tableType_; }
    void setReadOnly(bool readOnly);
    bool readOnly() const { return readOnlySetting_; }
    // Field and index definitions used by createTable; after open they hold the open set's definitions.
    std::vector<FieldDef>& fieldDefs() { return fieldDefs_; }
    std::vector<IndexDef>& indexDefs() { return indexDefs_; }
    const std::vector<FieldDef>& fieldDefs() const { return fieldDefs_; }
    const std::vector<IndexDef>& indexDefs() const { return indexDefs_; }

    // Asked when a table needs a password the session does not hold; true means try the open again.
    std::function<bool()> onPasswordRequired;
    std::function<void(Table&)> afterPost;
    std::function<void(Table&)> afterDelete;
    int addListener(Listener listener);
    void removeListener(int id);

    // The file the table name and alias resolve to.
    std::string filePath() const;

    void open();
    // Abandons a pending edit. Study answers still waiting to be sealed into a protected set are sealed first;
    // when that fails the table closes all the same and the error is raised (those answers stay in the answer
    // journal beside the set, for the next opening to take in).
    void close();
    bool active() const { return file_ != nullptr; }
    void createTable();

    DataSetState state() const { return state_; }
    bool canModify() const;
    // Whether the open set is password-protected (kept encrypted, sealed whole at each write).
    bool isProtected() const;
    // Whether the table is the built-in set: the one opened under its own short name. The same file opened by its
    // full path counts as a set of the user's own; the name is compared exactly, byte for byte.
    bool isBuiltInSet() const;
    // Whether the open set takes cards of the user's own: not the built-in set's file, by whatever name it was opened.
    bool takesCards() const;
    bool modified() const { return modified_; }
    void checkBrowseMode();

    void first();
    void last();
    int moveBy(int distance);
    void next() { moveBy(1); }
    void prior() { moveBy(-1); }
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    void refresh();
    int recordCount() const;

    // Fields of the current record (the record being edited or inserted, or the key in key-entry mode).
    int fieldCount() const { return static_cast<int>(fieldDefs_.size()); }
    int fieldIndex(const std::string& name) const; // -1 when there is no such field
    int fieldIndexOrThrow(const std::string& name) const;
    std::string fieldText(const std::string& name) const;
    std::string fieldText(int index) const;
    bool fieldIsNull(int index) const;
    void setFieldText(const std::string& name, const std::string& text);
    void setFieldText(int index, const std::string& text);
    // Whether text would be accepted by a field of that type (numbers must parse).
    static bool textSuitsField(const FieldDef& field, const std::string& text);

    void edit();
    void insert();
    void post();
    void cancel();
    void deleteRecord();

    // Index selection; empty is the primary index (or the records' natural order when there is none).
    void setIndexName(const std::string& name);
    const std::string& indexName() const { return indexName_; }
    // Key-entry mode: setKey clears the key first, editKey keeps the earlier key values.
    void setKey();
    void editKey();
    bool gotoKey();

    // The key of the current record: its SQLite rowid, which stays with the record through edits and is not given
    // to another record (the study progress is kept by it). 0 when no record is current, while inserting, or
    // when the table is closed.
    std::int64_t recordKey() const;
    // Every stored record in the set's primary order (the primary index when the set has one, else the order the
    // records were added), as its key and field values. The cursor does not move and listeners are not told;
    // values are valid during the call only, and visit must not change the table.
    void visitRecords(const std::function<void(std::int64_t key, const std::vector<Value>& values)>& visit) const;
    // The stored field values of the record with key, null when there is none. Valid until the table changes.
    const std::vector<Value>* recordValues(std::int64_t key) const;
    // The study progress kept in the set, opened at first use (StudyStore's constructor tells what it may raise).
    // It is sealed and closed with the table: the reference is valid while the table stays open.
    StudyStore& study();
    // Where the learner was and what was read, kept in the set (see ReadingStore); valid while the table stays open.
    ReadingStore& reading();

    RecordNumbering recordNumbering() const;
    int sequenceNumber() const; // place from 1 in the current order; 0 when no record is current
    std::int64_t physicalRecordNumber() const;

    // Appends records given as field texts in field order, in one transaction, through the fields' text
    // forms. The cursor ends on the first record. A cancelled progress raises Abort and adds nothing.
    void appendRecords(const std::vector<std::vector<std::string>>& records, const WriteProgress& progress = {});
    // What the table does once appendEach has written its records.
    enum class AfterAppend {
        ReadAgain, // reads the set again, the cursor on the first record
        Close, // closes, for a caller that only wanted the records written: the set is not read into memory
    };
    // Appends the records next gives as field texts in field order, one at a time until it returns false, in one
    // transaction, through the fields' text forms: however many they are, they take the memory of one. total is
    // how many are expected, for progress. Whatever next raises, and a cancelled progress (Abort), adds nothing.
    // Returns how many were added.
    std::size_t appendEach(const std::function<bool(std::vector<std::string>& texts)>& next, std::size_t total,
        const WriteProgress& progress = {}, AfterAppend after = AfterAppend::ReadAgain);

private:
    void requireActive() const;
    void requireInactive() const;
    void requireModifiable() const;
    void notify(DataEvent event, int fieldIndex = -1);
    void openFile();
    void loadRecords();
    void rebuildOrders();
    IndexOrder& activeOrder();
    const IndexOrder& activeOrder() const;
    IndexOrder& orderFor(int indexNumber) const;
    int indexNumber(const std::string& name) const; // -1: natural order
    int primaryIndexNumber() const;
    void locateAfterReload(const std::optional<Row>& oldCurrent);
    const std::vector<Value>& currentValues() const;
    void prefetchAhead(int distance) const;
    Value convert(int index, const std::string& text) const;
    std::vector<Value> recordValues(const std::vector<std::string>& texts) const;
    // After records were appended: the orders built anew, the cursor on the first record, the listeners told.
    void firstAfterAppend();
    void storeRecord(std::uint32_t slot);
    void writePendingRecord();
    void checkUnique(const std::vector<Value>& values, std::uint32_t ignoredSlot);
    void resetCursorState();

    std::string databaseName_ = "";
    std::string tableName_;
    TableType tableType_ = TableType::Default;
    bool readOnlySetting_ = false;
    std::vector<FieldDef> fieldDefs_;
    std::vector<IndexDef> indexDefs_;
    std::string indexName_;

    std::unique_ptr<CardFile> file_;
    std::vector<Row> rows_; // by slot; a removed record keeps its slot with rowid 0
    std::vector<bool> live_;
    // One per index, then the natural order last. Built when first needed, so also by a const look at the records.
    mutable std::vector<IndexOrder> orders_;
    int activeIndex_ = -1; // position in orders_
    std::size_t pos_ = 0;
    bool bof_ = true;
    bool eof_ = true;

    DataSetState state_ = DataSetState::Inactive;
    std::vector<Value> buffer_; // the record being edited or inserted
    bool modified_ = false;
    bool savedBof_ = true, savedEof_ = true;
    std::vector<Value> keyBuffer_;
    std::vector<bool> keyAssigned_;
    std::vector<Value> savedKeyBuffer_;
    std::vector<bool> savedKeyAssigned_;

    std::unique_ptr<StudyStore> study_; // declared after file_: it goes first
    std::unique_ptr<ReadingStore> reading_; // as study_

    std::vector<std::pair<int, Listener>> listeners_;
    int nextListenerId_ = 1;
};

} // namespace cardstore
