#include "cardsets.h"
#include "table.h"
#include "tempdir.h"

#include <gtest/gtest.h>

using namespace cardstore;

TEST(TableSmoke, UserSetWalksInEnglishOrder)
{
    testsupport::TempDir dir;
    testsupport::makeCardSet(dir.file("a.SDB"), { { "word", "λόγος", 330 }, { "and", "καί", 8973 }, { "God", "θεός", 1317 } });
    Table table;
    table.setTableName(dir.file("a.SDB"));
    table.open();
    std::vector<std::string> seen;
    for (table.first(); !table.eof(); table.next())
        seen.push_back(table.fieldText("English"));
    EXPECT_EQ(seen, (std::vector<std::string> { "and", "God", "word" }));
}
