// karte-inspect [FILE]: prints a card set's fields, indexes and first cards; without FILE, the built-in set
// of the user's data directory (seeded on first use).
#include "cardtable.h"
#include "errors.h"
#include "session.h"
#include "table.h"

#include <iostream>

int main(int argc, char** argv)
{
    cardstore::Table table;
    if (argc > 1) {
        table.setTableName(argv[1]);
    } else {
        table.setDatabaseName(cardstore::Session::kBuiltInAlias);
        table.setTableName(cardstore::Session::kBuiltInTable);
    }
    try {
        table.open();
        std::cout << table.filePath() << (table.canModify() ? "" : " (read only)") << "\n";
        std::cout << table.recordCount() << " cards\nfields:";
        for (const auto& field : table.fieldDefs())
            std::cout << " " << field.name;
        std::cout << "\nindexes:";
        for (const auto& index : table.indexDefs())
            std::cout << " " << index.name << "(" << index.fields << ")";
        std::cout << "\n";
        int shown = 0;
        for (table.first(); !table.eof() && shown < 10; table.next(), ++shown)
            std::cout << cardstore::recordPosition(table) << "\t" << table.fieldText("Language") << "\t"
                      << table.fieldText("English") << "\t" << table.fieldText("Frequency") << "\n";
    } catch (const cardstore::Error& error) {
        std::cerr << "karte-inspect: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
