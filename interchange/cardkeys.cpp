#include "cardkeys.h"

namespace interchange {

namespace {

cardstore::sqlite::Connection keyDatabase(bool inMemory)
{
    // An empty name is a private database SQLite removes when it is closed.
    cardstore::sqlite::Connection connection(inMemory ? ":memory:" : "", false, true);
    connection.exec("PRAGMA journal_mode=OFF");
    connection.exec("PRAGMA synchronous=OFF");
    connection.exec("PRAGMA cache_size=-32768");
    connection.exec("CREATE TABLE keys(greek TEXT, english TEXT, PRIMARY KEY(greek, english)) WITHOUT ROWID");
    // One transaction that is never committed: the pages are written out only when the cache is full.
    connection.exec("BEGIN");
    return connection;
}

} // namespace

CardKeys::CardKeys(bool inMemory)
    : keys_(keyDatabase(inMemory))
    , insert_(keys_.prepare("INSERT OR IGNORE INTO keys VALUES (?, ?)"))
{
}

bool CardKeys::insert(std::string_view greek, std::string_view english)
{
    insert_.bindText(1, greek);
    insert_.bindText(2, english);
    insert_.step();
    insert_.reset();
    return keys_.changes() > 0;
}

} // namespace interchange
