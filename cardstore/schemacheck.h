#pragma once

#include <span>
#include <string>

namespace cardstore {

namespace sqlite {
class Connection;
}

// A table or index the program keeps in a set beside the cards, exactly as SQLite keeps it in sqlite_master.
struct SchemaObject
{
    const char* type; // "table" or "index"
    const char* name;
    const char* sql; // null: an index SQLite makes for a constraint
};

// What the file holds under the objects' names, or on their tables, as a reason it is damaged: empty when it holds
// all of them exactly as the program makes them, "absent" when it holds none. Comparing the whole text refuses at
// once every other shape a file could give these names: other columns, checks, WITHOUT ROWID, virtual tables,
// views, triggers and foreign indexes on them.
std::string schemaProblem(sqlite::Connection& connection, std::span<const SchemaObject> objects);

} // namespace cardstore
