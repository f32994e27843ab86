#include "cardmaker.h"

#include "cardtext.h"
#include "interchangeerror.h"
#include "textforms.h"

namespace interchange {

namespace {

std::string columnName(int column)
{
    return "column " + std::to_string(column + 1);
}

const cardstore::FieldDef* field(const std::vector<cardstore::FieldDef>& fields, const char* name)
{
    for (const auto& candidate : fields)
        if (cardstore::sameName(candidate.name, name))
            return &candidate;
    return nullptr;
}

// A value quoted in a message, shortened so that a stray paragraph does not fill the box.
std::string quoted(const std::string& text)
{
    constexpr std::size_t kShown = 40;
    return "\"" + (cardstore::utf8Length(text) > kShown ? cardstore::utf8Left(text, kShown) + "..." : text) + "\"";
}

} // namespace

bool cutToField(std::string& text, const cardstore::FieldDef& field)
{
    if (field.type != cardstore::FieldType::Text || field.size <= 0
        || cardstore::utf8Length(text) <= static_cast<std::size_t>(field.size))
        return false;
    text = cardstore::utf8Left(text, static_cast<std::size_t>(field.size));
    text.erase(text.find_last_not_of(' ') + 1);
    return true;
}

CardMaker::CardMaker(const ImportSettings& settings, const std::vector<cardstore::FieldDef>& fields,
    std::size_t columns, const std::string& fileName)
    : settings_(settings)
    , columns_(columns)
    , fileName_(fileName)
{
    const auto* greek = field(fields, "Language");
    const auto* english = field(fields, "English");
    if (!greek || !english)
        throw ImportError("The card set has no English and Language fields to import cards into");
    greekField_ = *greek;
    englishField_ = *english;
    hasFrequency_ = field(fields, "Frequency") != nullptr;

    const ColumnMapping& mapping = settings.mapping;
    if (columns < 2)
        throw ImportError(fileName_ + " has a single column; a card needs a Greek and an English side");
    if (mapping.greek < 0 || mapping.english < 0)
        throw ImportError("Choose the columns of the Greek and the English side");
    if (mapping.greek == mapping.english || mapping.frequency == mapping.greek || mapping.frequency == mapping.english)
        throw ImportError("Choose a different column for each side of the card and for the frequency");
    for (int column : { mapping.greek, mapping.english, mapping.frequency })
        if (column >= static_cast<int>(columns))
            throw ImportError(fileName_ + " has no " + columnName(column));
}

CardMaker::Made CardMaker::make(const Record& record) const
{
    if (record.fields.size() > columns_)
        throw ImportError(fileName_, record.line,
            "the record has " + std::to_string(record.fields.size()) + " columns where the file has "
                + std::to_string(columns_));
    auto cell = [&](int column) {
        if (column < 0 || static_cast<std::size_t>(column) >= record.fields.size())
            return std::string();
        std::string text = cardText(record.fields[static_cast<std::size_t>(column)], settings_.layout.html);
        // Spreadsheets, and the program's own export, guard a value that would pass for a formula in CSV.
        return settings_.layout.format == Format::Csv ? withoutFormulaGuard(std::move(text)) : text;
    };
    Made made;
    ImportedCard& card = made.card;
    card.line = record.line;
    card.greek = cell(settings_.mapping.greek);
    card.english = cell(settings_.mapping.english);
    if (card.greek.empty() && greekField_.required)
        throw ImportError(
            fileName_, record.line, "the Greek side (" + columnName(settings_.mapping.greek) + ") is empty");
    if (card.english.empty() && englishField_.required)
        throw ImportError(
            fileName_, record.line, "the English side (" + columnName(settings_.mapping.english) + ") is empty");
    for (const auto& [side, text] : { std::pair { "Greek", &card.greek }, std::pair { "English", &card.english } })
        if (auto separator = wholeCardSeparator(*text))
            throw ImportError(fileName_, record.line,
                std::string("the ") + side + " side " + quoted(*text)
                    + " looks like a whole card, Greek and English with \"" + *separator
                    + "\" between them: the file's values are separated otherwise than chosen. Cards are read one a "
                      "line, their values separated by one character (a tab, comma, semicolon...)");
    if (cutToField(card.greek, greekField_))
        made.cutSize[0] = greekField_.size;
    if (cutToField(card.english, englishField_))
        made.cutSize[1] = englishField_.size;
    if (hasFrequency_ && settings_.mapping.frequency >= 0) {
        std::string text = cell(settings_.mapping.frequency);
        if (!text.empty()) {
            auto value = parseFrequency(text);
            if (!value)
                throw ImportError(fileName_, record.line, "the frequency " + quoted(text) + " is not a number");
            card.frequency = cardstore::formatFloat(*value);
        }
    }
    return made;
}

} // namespace interchange
