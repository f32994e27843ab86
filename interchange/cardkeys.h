#pragma once

#include "sqlitedb.h"

#include <string_view>

namespace interchange {

// The cards an import's plan has met, by their Greek and English sides, to tell a duplicate: kept in a temporary
// database whose pages beyond a cache of 32 MB go to a file that is gone with it, so that a file of millions of cards
// needs no more memory than one of thousands. The keys of a protected set's cards stay in memory, so that its
// plain text never touches the disk.
class CardKeys
{
public:
    explicit CardKeys(bool inMemory);
    CardKeys(const CardKeys&) = delete;
    CardKeys& operator=(const CardKeys&) = delete;
    // false when the card was met before.
    bool insert(std::string_view greek, std::string_view english);

private:
    cardstore::sqlite::Connection keys_;
    cardstore::sqlite::Statement insert_;
};

} // namespace interchange
