#pragma once

#include <functional>

namespace cardstore {

class ProtectedFile;

namespace sqlite {
class Connection;
}

// Runs body as one write transaction. It begins IMMEDIATE, taking the write lock at once, so that a second
// instance writing the same set waits (up to the connection's busy timeout) instead of failing when it comes to
// write. On a protected set (protectedFile not null) the committed database is sealed into the file afterwards
// (ProtectedWrite). Any failure rolls the transaction back and is raised.
void writeTransaction(
    sqlite::Connection& connection, const std::function<void()>& body, ProtectedFile* protectedFile = nullptr);

} // namespace cardstore
