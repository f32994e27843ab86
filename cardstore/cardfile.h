#pragma once

#include "definitions.h"
#include "filereplace.h"
#include "sqlitedb.h"
#include "value.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cardstore {

class ProtectedFile;

// Told how far a long write has come; returning false cancels it: the write raises Abort and is rolled back.
using WriteProgress = std::function<bool(std::size_t done, std::size_t total)>;

// One card set file on disk: a SQLite database that records its own field and index definitions and
// holds the records. Every write is one transaction; a failed write leaves the file as it was.
class CardFile
{
public:
    // Opens and checks a card set. Anything that is not one (missing, a directory, unreadable, empty,
    // random bytes, another program's database, damaged) raises a DatabaseError and is not modified. A
    // password-protected set opens with a password from the session's list, or raises the insufficient-rights
    // error when none fits.
    static CardFile open(const std::string& path, bool readOnly);
    // Creates a card set, beside path first and under its name only once it is complete (a ReplacementFile): with
    // fill, once fill has written into the new set at the path it is given what the set is to hold, so that the set
    // never appears without it. Placement::Replace replaces a file of that name; Placement::OnlyWhereNone returns
    // false, making nothing, when one is there. A new file gets the mode the file mode creation mask gives; a
    // replaced one keeps its own. Whatever fill raises is raised, and no new set is left.
    static bool create(const std::string& path, const std::vector<FieldDef>& fields,
        const std::vector<IndexDef>& indexes, const std::function<void(const std::string& newSet)>& fill = {},
        Placement placement = Placement::Replace);

    // Whether the file may be written by this user: its permission bits and its directory's.
    static bool isWritable(const std::string& path);

    const std::vector<FieldDef>& fields() const { return fields_; }
    const std::vector<IndexDef>& indexes() const { return indexes_; }
    bool readOnly() const { return readOnly_; }
    const std::string& path() const { return connection_.path(); }
    // A protected set is held in memory and every write seals the whole set into a new file.
    bool isProtected() const { return protected_ != nullptr; }

    ~CardFile();
    CardFile(CardFile&& other) noexcept;
    CardFile& operator=(CardFile&& other) noexcept;

    // The set's connection and, for a protected set, its sealing, for the study progress kept beside the cards.
    // Its writes go through the same connection, so that changedSinceLastLook does not take them for another
    // program's.
    sqlite::Connection& connection() { return connection_; }
    ProtectedFile* protectedFile() const { return protected_.get(); }

    std::vector<Row> loadRows();
    // Whether another connection has changed the file since the last call (always true at the first).
    bool changedSinceLastLook();

    std::int64_t insert(const std::vector<Value>& values);
    void insertMany(const std::vector<std::vector<Value>>& rows, std::vector<std::int64_t>& rowids,
        const WriteProgress& progress = {});
    // Inserts the records next gives, one at a time, until it returns false, in one transaction: so many records
    // need no more memory than one. total is how many are expected, for progress. Returns how many were added, and
    // their keys in rowids when given. Whatever next raises rolls every one of them back.
    std::size_t insertEach(const std::function<bool(std::vector<Value>& values)>& next, std::size_t total,
        const WriteProgress& progress = {}, std::vector<std::int64_t>* rowids = nullptr);
    void update(std::int64_t rowid, const std::vector<Value>& values);
    // false when the record was already gone
    bool remove(std::int64_t rowid);

private:
    CardFile();
    static CardFile openProtected(const std::string& path, bool readOnly);
    void readDefinitions();
    void checkRecordsTable();
    std::string columnList() const;

    sqlite::Connection connection_;
    std::vector<FieldDef> fields_;
    std::vector<IndexDef> indexes_;
    bool readOnly_ = false;
    std::int64_t lastDataVersion_ = -1;
    std::unique_ptr<ProtectedFile> protected_;
};

// Converts a value read from a file column to the declared type of its field.
Value valueFromColumn(const sqlite::Statement& statement, int column, FieldType type);

} // namespace cardstore
