#include "sqlitedb.h"

#include "errors.h"

#include <sqlite3.h>

#include <utility>

namespace cardstore::sqlite {

namespace {

// The longest text or blob a statement may make. A card's texts are a few hundred bytes; the bound keeps a
// hostile file's expressions from asking for gigabytes.
constexpr int kMaxValueLength = 16 << 20;

// A card set file may come from anyone, and its schema is SQL that SQLite runs for us: nothing in it is trusted
// to call functions with side effects, and the triggers and views the engine never makes are not run at all.
void distrustSchema(sqlite3* db)
{
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kMaxValueLength);
}

} // namespace

void initialise()
{
    static const int rc = sqlite3_initialize();
    if (rc != SQLITE_OK)
        throw DatabaseError::engineInit(rc);
}

int statusForSqlite(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
        return status::kNotACardSet;
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
    case SQLITE_SCHEMA:
    // The engine's statements are its own and fixed: a plain SQL error means they name a table or column the
    // file lacks, or meet a schema SQLite cannot read, so the set is damaged rather than the disk failing.
    case SQLITE_ERROR:
        return status::kCorruptFile;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return status::kTableLocked;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return status::kNoAccess;
    case SQLITE_CONSTRAINT:
        return status::kKeyViolation;
    default:
        return status::kIoError;
    }
}

Connection::Connection(const std::string& path, bool readOnly, bool create)
    : path_(path)
{
    initialise();
    // The store runs on one thread, so the connection needs no lock of its own; without it, reading a record's
    // columns does not take and release one for every column.
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (create && !readOnly)
        flags |= SQLITE_OPEN_CREATE;
    int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string detail = db_ ? sqlite3_errmsg(db_) : "";
        sqlite3_close(db_);
        db_ = nullptr;
        throw DatabaseError::fromStatus(statusForSqlite(rc), { detail, "File: " + path });
    }
    sqlite3_extended_result_codes(db_, 1);
    distrustSchema(db_);
    // A second instance of the program waits for the other's write instead of failing at once.
    sqlite3_busy_timeout(db_, 5000);
}

Connection Connection::fromImage(const std::string& path, unsigned char* image, std::int64_t size, bool readOnly)
{
    initialise();
    Connection connection;
    connection.path_ = path;
    int rc = sqlite3_open_v2(":memory:", &connection.db_, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_free(image);
        connection.fail(rc);
    }
    sqlite3_extended_result_codes(connection.db_, 1);
    distrustSchema(connection.db_);
    connection.replaceImage(image, size, readOnly);
    return connection;
}

void Connection::replaceImage(unsigned char* image, std::int64_t size, bool readOnly)
{
    unsigned flags
        = SQLITE_DESERIALIZE_FREEONCLOSE | (readOnly ? SQLITE_DESERIALIZE_READONLY : SQLITE_DESERIALIZE_RESIZEABLE);
    int rc = sqlite3_deserialize(db_, "main", image, size, size, flags);
    if (rc != SQLITE_OK)
        fail(rc);
}

Connection::~Connection()
{
    close();
}

Connection::Connection(Connection&& other) noexcept
    : db_(std::exchange(other.db_, nullptr))
    , path_(std::move(other.path_))
    , dataVersionStatement_(std::exchange(other.dataVersionStatement_, nullptr))
{
}

Connection& Connection::operator=(Connection&& other) noexcept
{
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
        path_ = std::move(other.path_);
        dataVersionStatement_ = std::exchange(other.dataVersionStatement_, nullptr);
    }
    return *this;
}

void Connection::close()
{
    sqlite3_finalize(std::exchange(dataVersionStatement_, nullptr));
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void Connection::fail(int rc) const
{
    std::string detail = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    throw DatabaseError::fromStatus(statusForSqlite(rc), { detail, "File: " + path_ });
}

void Connection::exec(const char* sql)
{
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
}

Statement Connection::prepare(std::string_view sql)
{
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    return Statement(*this, stmt);
}

std::int64_t Connection::dataVersion()
{
    // Compiling the statement cost several times more than running it.
    if (!dataVersionStatement_) {
        int rc = sqlite3_prepare_v2(db_, "PRAGMA data_version", -1, &dataVersionStatement_, nullptr);
        if (rc != SQLITE_OK)
            fail(rc);
    }
    // Reset as soon as it is read, failing or not, so that no read of the file stays open in between.
    struct ResetAfterwards
    {
        sqlite3_stmt* statement;
        ~ResetAfterwards() { sqlite3_reset(statement); }
    } resetAfterwards { dataVersionStatement_ };
    int rc = sqlite3_step(dataVersionStatement_);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        fail(rc);
    return sqlite3_column_int64(dataVersionStatement_, 0);
}

std::int64_t Connection::lastInsertRowid() const
{
    return sqlite3_last_insert_rowid(db_);
}

int Connection::changes() const
{
    return sqlite3_changes(db_);
}

Statement::~Statement()
{
    sqlite3_finalize(stmt_);
}

void Statement::bind(int index, const Value& value)
{
    int rc = SQLITE_OK;
    if (const auto* text = std::get_if<std::string>(&value))
        rc = sqlite3_bind_text(stmt_, index, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
    else if (const auto* integer = std::get_if<std::int64_t>(&value))
        rc = sqlite3_bind_int64(stmt_, index, *integer);
    else if (const auto* real = std::get_if<double>(&value))
        rc = sqlite3_bind_double(stmt_, index, *real);
    else
        rc = sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK)
        connection_->fail(rc);
}

void Statement::bindText(int index, std::string_view text)
{
    int rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        connection_->fail(rc);
}

void Statement::bindInt(int index, std::int64_t value)
{
    int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK)
        connection_->fail(rc);
}

void Statement::bindDouble(int index, double value)
{
    int rc = sqlite3_bind_double(stmt_, index, value);
    if (rc != SQLITE_OK)
        connection_->fail(rc);
}

void ColumnValue::Free::operator()(sqlite3_value* value) const
{
    sqlite3_value_free(value);
}

void Statement::bindValue(int index, const ColumnValue& value)
{
    int rc = value ? sqlite3_bind_value(stmt_, index, value.value_.get()) : sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK)
        connection_->fail(rc);
}

ColumnValue Statement::columnValue(int column) const
{
    ColumnValue copy;
    copy.value_.reset(sqlite3_value_dup(sqlite3_column_value(stmt_, column)));
    if (!copy.value_)
        connection_->fail(SQLITE_NOMEM);
    return copy;
}

bool Statement::step()
{
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    connection_->fail(rc);
}

void Statement::reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnType(int column) const
{
    return sqlite3_column_type(stmt_, column);
}

std::string Statement::columnText(int column) const
{
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    int bytes = sqlite3_column_bytes(stmt_, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(bytes)) : std::string();
}

std::int64_t Statement::columnInt(int column) const
{
    return sqlite3_column_int64(stmt_, column);
}

double Statement::columnDouble(int column) const
{
    return sqlite3_column_double(stmt_, column);
}

} // namespace cardstore::sqlite
