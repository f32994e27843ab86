#include "writetransaction.h"

#include "protectedfile.h"
#include "sqlitedb.h"

#include <sqlite3.h>

namespace cardstore {

void writeTransaction(sqlite::Connection& connection, const std::function<void()>& body, ProtectedFile* protectedFile)
{
    ProtectedWrite sealing(protectedFile, connection);
    connection.exec("BEGIN IMMEDIATE");
    try {
        body();
        connection.exec("COMMIT");
    } catch (...) {
        sqlite3_exec(connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    sealing.finish();
}

} // namespace cardstore
