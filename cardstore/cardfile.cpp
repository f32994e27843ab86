#include "cardfile.h"

#include "errors.h"
#include "filereplace.h"
#include "protectedfile.h"
#include "session.h"
#include "studyschema.h"
#include "writetransaction.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace cardstore {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFormatName = "karte-cardset";
constexpr const char* kFormatVersion = "1";
constexpr char kSqliteMagic[16] = { 'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f', 'o', 'r', 'm', 'a', 't', ' ', '3', '\0' };

const char* typeName(FieldType type)
{
    switch (type) {
    case FieldType::Integer:
        return "integer";
    case FieldType::Float:
        return "float";
    case FieldType::Text:
        break;
    }
    return "text";
}

// The SQLite magic, then the file format versions at bytes 18 and 19: a card set is always kept with a rollback
// journal (1). A write-ahead-log database (2) belongs to another program, and merely opening it could fold its
// pending log into it.
bool hasCardSetHeader(const char* bytes, std::size_t size)
{
    return size >= sizeof kSqliteMagic + 4 && std::memcmp(bytes, kSqliteMagic, sizeof kSqliteMagic) == 0
        && bytes[18] == 1 && bytes[19] == 1;
}

// More columns than SQLite reads in one statement; no card set the program makes comes near.
constexpr std::size_t kMaxFields = 1000;

[[noreturn]] void fail(int code, const std::string& path, const std::string& detail = {})
{
    throw DatabaseError::fromStatus(code, { detail, "File: " + path });
}

// Mode bits are honoured even for the superuser, so a file marked read-only stays untouched.
bool modeAllows(const struct stat& info, mode_t bits)
{
    return (info.st_mode & bits) != 0;
}

void transaction(sqlite::Connection& connection, auto&& body, ProtectedFile* protectedFile = nullptr)
{
    writeTransaction(connection, body, protectedFile);
}

} // namespace

bool CardFile::isWritable(const std::string& path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return false;
    if (!modeAllows(info, 0222) || ::access(path.c_str(), W_OK) != 0)
        return false;
    // The rollback journal lives beside the file, so its directory must be writable as well.
    std::string directory = fs::path(path).parent_path().string();
    if (directory.empty())
        directory = ".";
    struct stat dirInfo
    {
    };
    return ::stat(directory.c_str(), &dirInfo) == 0 && modeAllows(dirInfo, 0222)
        && ::access(directory.c_str(), W_OK) == 0;
}

CardFile CardFile::open(const std::string& path, bool readOnly)
{
    removeStaleTemporaries(path);
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            fail(status::kTableNotFound, path);
        fail(status::kNoAccess, path, std::strerror(errno));
    }
    if (S_ISDIR(info.st_mode))
        fail(status::kNotACardSet, path, "It is a directory");
    if (!S_ISREG(info.st_mode))
        fail(status::kNotACardSet, path, "It is not a regular file");
    if (!modeAllows(info, 0444) || ::access(path.c_str(), R_OK) != 0)
        fail(status::kNoAccess, path, "The file cannot be read");
    if (info.st_size == 0)
        fail(status::kNotACardSet, path, "The file is empty");

    char header[sizeof kSqliteMagic + 4] = {};
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        std::size_t got = std::fread(header, 1, sizeof header, file);
        std::fclose(file);
        if (hasProtectedMagic(std::string_view(header, got)))
            return openProtected(path, readOnly);
        if (!hasCardSetHeader(header, got))
            fail(status::kNotACardSet, path);
    } else {
        fail(status::kNoAccess, path, std::strerror(errno));
    }

    CardFile file;
    file.readOnly_ = readOnly || !isWritable(path);
    file.connection_ = sqlite::Connection(path, file.readOnly_, false);
    if (!file.readOnly_)
        file.connection_.exec("PRAGMA synchronous=FULL");
    file.readDefinitions();
    file.checkRecordsTable();
    return file;
}

CardFile::CardFile() = default;
CardFile::~CardFile() = default;
CardFile::CardFile(CardFile&& other) noexcept = default;
CardFile& CardFile::operator=(CardFile&& other) noexcept = default;

CardFile CardFile::openProtected(const std::string& path, bool readOnly)
{
    DatabaseImage image;
    std::unique_ptr<ProtectedFile> sealed = ProtectedFile::open(path, Session::instance().passwords(), image);
    // Authentic, so written with this set's key, yet no card set: damage that happened before it was sealed.
    if (!hasCardSetHeader(reinterpret_cast<const char*>(image.data()), image.size()))
        fail(status::kCorruptFile, path, "The protected card set does not hold a card set");
    CardFile file;
    file.readOnly_ = readOnly || !isWritable(path);
    auto size = static_cast<std::int64_t>(image.size());
    file.connection_ = sqlite::Connection::fromImage(path, image.release(), size, file.readOnly_);
    file.protected_ = std::move(sealed);
    file.readDefinitions();
    file.checkRecordsTable();
    return file;
}

void CardFile::readDefinitions()
{
    const std::string& path = connection_.path();
    {
        auto probe = connection_.prepare("SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN "
                                         "('karte_meta','karte_fields','karte_indexes','cards')");
        probe.step();
        if (probe.columnInt(0) != 4)
            fail(status::kNotACardSet, path);
    }
    // The engine makes plain tables only. A virtual table runs a module's code on every read, and a generated
    // column an expression of the file's choosing, which could ask for gigabytes or run for hours.
    {
        auto shape = connection_.prepare(
            "SELECT (SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN "
            "('karte_meta','karte_fields','karte_indexes','cards') AND sql NOT LIKE 'CREATE TABLE %'), "
            "(SELECT count(*) FROM pragma_table_xinfo('cards') WHERE hidden != 0) "
            "+ (SELECT count(*) FROM pragma_table_xinfo('karte_meta') WHERE hidden != 0) "
            "+ (SELECT count(*) FROM pragma_table_xinfo('karte_fields') WHERE hidden != 0) "
            "+ (SELECT count(*) FROM pragma_table_xinfo('karte_indexes') WHERE hidden != 0)");
        shape.step();
        if (shape.columnInt(0) != 0 || shape.columnInt(1) != 0)
            fail(status::kCorruptFile, path, "The card set's tables are not plain tables");
    }
    std::string format, version;
    auto meta = connection_.prepare("SELECT key, value FROM karte_meta");
    while (meta.step()) {
        std::string key = meta.columnText(0);
        if (key == "format")
            format = meta.columnText(1);
        else if (key == "version")
            version = meta.columnText(1);
    }
    if (format != kFormatName)
        fail(status::kNotACardSet, path);
    if (version != kFormatVersion)
        fail(status::kCorruptFile, path, "Unknown card set version " + version);

    auto fieldQuery
        = connection_.prepare("SELECT position, name, type, size, required FROM karte_fields ORDER BY position");
    while (fieldQuery.step()) {
        if (fieldQuery.columnInt(0) != static_cast<std::int64_t>(fields_.size()))
            fail(status::kCorruptFile, path, "Field definitions are out of order");
        FieldDef field;
        field.name = fieldQuery.columnText(1);
        std::string type = fieldQuery.columnText(2);
        if (type == "text")
            field.type = FieldType::Text;
        else if (type == "integer")
            field.type = FieldType::Integer;
        else if (type == "float")
            field.type = FieldType::Float;
        else
            fail(status::kCorruptFile, path, "Unknown field type " + type);
        std::int64_t size = fieldQuery.columnInt(3);
        if (field.name.empty() || size < 0 || size > 1'000'000)
            fail(status::kCorruptFile, path, "Bad field definition");
        field.size = static_cast<int>(size);
        field.required = fieldQuery.columnInt(4) != 0;
        fields_.push_back(field);
        if (fields_.size() > kMaxFields)
            fail(status::kCorruptFile, path, "The card set has too many fields");
    }
    if (fields_.empty())
        fail(status::kCorruptFile, path, "The card set has no fields");

    auto indexQuery = connection_.prepare("SELECT name, fields, options FROM karte_indexes ORDER BY position");
    while (indexQuery.step()) {
        IndexDef index;
        index.name = indexQuery.columnText(0);
        index.fields = indexQuery.columnText(1);
        index.options = static_cast<unsigned>(indexQuery.columnInt(2));
        for (const std::string& name : index.fieldNames()) {
            bool known = false;
            for (const FieldDef& field : fields_)
                known = known || sameName(field.name, name);
            if (!known)
                fail(status::kCorruptFile, path, "Index " + index.name + " names an unknown field");
        }
        if (index.name.empty() || index.fieldNames().empty())
            fail(status::kCorruptFile, path, "Bad index definition");
        indexes_.push_back(index);
    }
}

std::string CardFile::columnList() const
{
    std::string columns = "id";
    for (std::size_t i = 0; i < fields_.size(); ++i)
        columns += ", f" + std::to_string(i);
    return columns;
}

void CardFile::checkRecordsTable()
{
    // Preparing a statement over every column proves the records table has the declared shape.
    connection_.prepare("SELECT " + columnList() + " FROM cards LIMIT 0");
}

Value valueFromColumn(const sqlite::Statement& statement, int column, FieldType type)
{
    if (statement.columnType(column) == SQLITE_NULL)
        return {};
    switch (type) {
    case FieldType::Integer:
        return statement.columnInt(column);
    case FieldType::Float:
        return statement.columnDouble(column);
    case FieldType::Text:
        break;
    }
    std::string text = statement.columnText(column);
    if (text.empty())
        return {};
    return text;
}

std::vector<Row> CardFile::loadRows()
{
    std::vector<Row> rows;
    auto count = connection_.prepare("SELECT count(*) FROM cards");
    count.step();
    rows.reserve(static_cast<std::size_t>(count.columnInt(0)));
    auto query = connection_.prepare("SELECT " + columnList() + " FROM cards ORDER BY id");
    while (query.step()) {
        Row row;
        row.rowid = query.columnInt(0);
        row.values.reserve(fields_.size());
        for (std::size_t i = 0; i < fields_.size(); ++i)
            row.values.push_back(valueFromColumn(query, static_cast<int>(i + 1), fields_[i].type));
        rows.push_back(std::move(row));
    }
    return rows;
}

bool CardFile::changedSinceLastLook()
{
    std::int64_t version = protected_ ? protected_->dataVersion(connection_, readOnly_) : connection_.dataVersion();
    bool changed = version != lastDataVersion_;
    lastDataVersion_ = version;
    return changed;
}

std::int64_t CardFile::insert(const std::vector<Value>& values)
{
    std::vector<std::int64_t> rowids;
    insertMany({ values }, rowids);
    return rowids.front();
}

void CardFile::insertMany(
    const std::vector<std::vector<Value>>& rows, std::vector<std::int64_t>& rowids, const WriteProgress& progress)
{
    std::vector<std::int64_t> written;
    std::size_t next = 0;
    insertEach(
        [&](std::vector<Value>& values) {
            if (next == rows.size())
                return false;
            values = rows[next++];
            return true;
        },
        rows.size(), progress, &written);
    rowids.insert(rowids.end(), written.begin(), written.end());
}

std::size_t CardFile::insertEach(const std::function<bool(std::vector<Value>& values)>& next, std::size_t total,
    const WriteProgress& progress, std::vector<std::int64_t>* rowids)
{
    // Often enough for a progress bar to move smoothly, seldom enough to cost nothing.
    constexpr std::size_t kProgressStep = 1024;
    std::string sql = "INSERT INTO cards (" + columnList().substr(4) + ") VALUES (";
    for (std::size_t i = 0; i < fields_.size(); ++i)
        sql += i ? ", ?" : "?";
    sql += ")";
    std::size_t count = 0;
    transaction(
        connection_,
        [&] {
            if (rowids)
                rowids->clear();
            count = 0;
            auto statement = connection_.prepare(sql);
            std::vector<Value> values;
            while (next(values)) {
                for (std::size_t i = 0; i < fields_.size(); ++i)
                    statement.bind(static_cast<int>(i + 1), i < values.size() ? values[i] : Value {});
                statement.step();
                if (rowids)
                    rowids->push_back(connection_.lastInsertRowid());
                statement.reset();
                if (++count % kProgressStep == 0 && progress && !progress(count, std::max(total, count)))
                    throw Abort();
            }
            if (progress && !progress(count, std::max(total, count)))
                throw Abort();
        },
        protected_.get());
    return count;
}

void CardFile::update(std::int64_t rowid, const std::vector<Value>& values)
{
    std::string sql = "UPDATE cards SET ";
    for (std::size_t i = 0; i < fields_.size(); ++i)
        sql += (i ? ", f" : "f") + std::to_string(i) + " = ?";
    sql += " WHERE id = ?";
    transaction(
        connection_,
        [&] {
            auto statement = connection_.prepare(sql);
            for (std::size_t i = 0; i < fields_.size(); ++i)
                statement.bind(static_cast<int>(i + 1), values[i]);
            statement.bindInt(static_cast<int>(fields_.size() + 1), rowid);
            statement.step();
            if (connection_.changes() == 0)
                throw DatabaseError::fromStatus(status::kRecordDeleted, { "File: " + connection_.path() });
        },
        protected_.get());
}

bool CardFile::remove(std::int64_t rowid)
{
    bool removed = false;
    transaction(
        connection_,
        [&] {
            auto statement = connection_.prepare("DELETE FROM cards WHERE id = ?");
            statement.bindInt(1, rowid);
            statement.step();
            removed = connection_.changes() > 0;
            // The card's progress goes with it: left behind it would be nobody's, or, in a set that gives a key
            // again, another card's.
            studyschema::removeCard(connection_, rowid);
        },
        protected_.get());
    return removed;
}

bool CardFile::create(const std::string& path, const std::vector<FieldDef>& fields,
    const std::vector<IndexDef>& indexes, const std::function<void(const std::string&)>& fill, Placement placement)
{
    // Held while the new set exists under its temporary name, so that no open takes it for one left behind.
    DirectoryLock lock(path);
    lock.removeStaleTemporaries(path);
    ReplacementFile file(path);
    const std::string& temporary = file.temporaryPath();
    {
        sqlite::Connection connection(temporary, false, true);
        connection.exec("PRAGMA synchronous=FULL");
        transaction(connection, [&] {
            connection.exec("CREATE TABLE karte_meta(key TEXT PRIMARY KEY, value TEXT NOT NULL)");
            connection.exec("CREATE TABLE karte_fields(position INTEGER PRIMARY KEY, name TEXT NOT NULL, "
                            "type TEXT NOT NULL, size INTEGER NOT NULL, required INTEGER NOT NULL)");
            connection.exec("CREATE TABLE karte_indexes(position INTEGER PRIMARY KEY, name TEXT NOT NULL, "
                            "fields TEXT NOT NULL, options INTEGER NOT NULL)");
            std::string columns = "id INTEGER PRIMARY KEY AUTOINCREMENT";
            for (std::size_t i = 0; i < fields.size(); ++i)
                columns += ", f" + std::to_string(i);
            connection.exec(("CREATE TABLE cards(" + columns + ")").c_str());
            auto meta = connection.prepare("INSERT INTO karte_meta VALUES (?, ?)");
            for (auto [key, value] : { std::pair { "format", kFormatName }, std::pair { "version", kFormatVersion } }) {
                meta.bindText(1, key);
                meta.bindText(2, value);
                meta.step();
                meta.reset();
            }
            auto field = connection.prepare("INSERT INTO karte_fields VALUES (?, ?, ?, ?, ?)");
            for (std::size_t i = 0; i < fields.size(); ++i) {
                field.bindInt(1, static_cast<std::int64_t>(i));
                field.bindText(2, fields[i].name);
                field.bindText(3, typeName(fields[i].type));
                field.bindInt(4, fields[i].type == FieldType::Text ? fields[i].size : 0);
                field.bindInt(5, fields[i].required ? 1 : 0);
                field.step();
                field.reset();
            }
            auto index = connection.prepare("INSERT INTO karte_indexes VALUES (?, ?, ?, ?)");
            for (std::size_t i = 0; i < indexes.size(); ++i) {
                index.bindInt(1, static_cast<std::int64_t>(i));
                index.bindText(2, indexes[i].name);
                index.bindText(3, indexes[i].fields);
                index.bindInt(4, indexes[i].options);
                index.step();
                index.reset();
            }
        });
    }
    if (fill)
        fill(temporary);
    return file.putInPlace(fileMode(path), ModeTiming::BeforeRename, placement).has_value();
}

} // namespace cardstore
