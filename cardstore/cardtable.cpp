#include "cardtable.h"

#include "errors.h"
#include "table.h"

namespace cardstore {

std::vector<FieldDef> cardFieldDefs()
{
    return {
        { "English", FieldType::Text, 100, true },
        { "Language", FieldType::Text, 150, true },
        { "FontName", FieldType::Text, 25, false },
        { "FontSize", FieldType::Text, 2, false },
        { "Frequency", FieldType::Float, 0, false },
    };
}

IndexDef englishIndexDef()
{
    return { "EnglishIndex", "English", indexoption::kPrimary };
}

std::vector<IndexDef> builtInIndexDefs()
{
    return {
        { "EnglishIndex", "English", 0 },
        { "LanguageIndex", "Language", 0 },
        { "FrequencyIndex", "Frequency", 0 },
    };
}

int recordPosition(const Table& table)
{
    switch (table.recordNumbering()) {
    case RecordNumbering::Sequence:
        return table.sequenceNumber();
    case RecordNumbering::Physical:
        return static_cast<int>(table.physicalRecordNumber());
    }
    raiseDataset("Not a Paradox or dBASE table");
}

StoredFont readStoredFont(Table& table)
{
    table.first();
    StoredFont font;
    font.name = table.fieldText("FontName");
    if (!font.name.empty())
        font.size = table.fieldText("FontSize");
    return font;
}

void writeStoredFont(Table& table, const std::string& faceName, int pointSize)
{
    table.first();
    table.edit();
    table.setFieldText("FontName", faceName);
    table.setFieldText("FontSize", std::to_string(pointSize));
    table.post();
}

} // namespace cardstore
