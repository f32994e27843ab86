#pragma once

#include "value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;

namespace cardstore::sqlite {

// Makes sure SQLite is initialised; raises the engine-start error otherwise.
void initialise();

class Statement;

// A column's value as SQLite holds it, of whatever type, kept to be bound again: the place a read stopped at.
class ColumnValue
{
public:
    ColumnValue() = default;
    explicit operator bool() const { return value_ != nullptr; }

private:
    friend class Statement;
    struct Free
    {
        void operator()(sqlite3_value* value) const;
    };
    std::unique_ptr<sqlite3_value, Free> value_;
};

// One SQLite connection to one card set file. Failures raise DatabaseError naming the file.
class Connection
{
public:
    Connection() = default;
    Connection(const std::string& path, bool readOnly, bool create);
    // A database held in memory, made from a file image it takes over (allocated with sqlite3_malloc64, freed
    // by SQLite even on failure); path only names it in messages. Protected sets live this way, so their plain
    // text never touches the disk.
    static Connection fromImage(const std::string& path, unsigned char* image, std::int64_t size, bool readOnly);
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isOpen() const { return db_ != nullptr; }
    sqlite3* handle() const { return db_; }
    const std::string& path() const { return path_; }

    void exec(const char* sql);
    Statement prepare(std::string_view sql);
    std::int64_t dataVersion();
    std::int64_t lastInsertRowid() const;
    int changes() const;
    [[noreturn]] void fail(int rc) const;
    // Replaces the whole database with an image, taken over as by fromImage.
    void replaceImage(unsigned char* image, std::int64_t size, bool readOnly);
    void close();

private:
    sqlite3* db_ = nullptr;
    std::string path_;
    sqlite3_stmt* dataVersionStatement_ = nullptr; // kept: Refresh asks on every call
};

class Statement
{
public:
    Statement(const Connection& connection, sqlite3_stmt* stmt)
        : connection_(&connection)
        , stmt_(stmt)
    {
    }
    ~Statement();
    Statement(Statement&& other) noexcept
        : connection_(other.connection_)
        , stmt_(other.stmt_)
    {
        other.stmt_ = nullptr;
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const Value& value);
    void bindText(int index, std::string_view text);
    void bindInt(int index, std::int64_t value);
    void bindDouble(int index, double value);
    void bindValue(int index, const ColumnValue& value);
    // true while a row is available
    bool step();
    void reset();

    int columnType(int column) const;
    std::string columnText(int column) const;
    std::int64_t columnInt(int column) const;
    double columnDouble(int column) const;
    ColumnValue columnValue(int column) const;

private:
    const Connection* connection_;
    sqlite3_stmt* stmt_;
};

// Maps an SQLite result code onto the card engine's status codes.
int statusForSqlite(int rc);

} // namespace cardstore::sqlite
