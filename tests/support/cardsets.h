#pragma once

#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct Card
{
    std::string english;
    std::string language;
    std::optional<double> frequency;
};

// Creates a user card set (the program's five fields, primary EnglishIndex) at path holding the cards.
void makeCardSet(const std::string& path, const std::vector<Card>& cards);
// Creates a set shaped like the built-in one (no primary index; EnglishIndex, LanguageIndex and
// FrequencyIndex), its cards in the given order.
void makeBuiltInLikeSet(const std::string& path, const std::vector<Card>& cards);

} // namespace testsupport
