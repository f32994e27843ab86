#include "importplan.h"

namespace interchange {

namespace {

// The summary lists this many line numbers of a kind, then "...".
constexpr std::size_t kLinesListed = 5;

// 1203 -> "1,203"
std::string grouped(std::size_t number)
{
    std::string digits = std::to_string(number);
    for (auto i = static_cast<std::ptrdiff_t>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), 1, ',');
    return digits;
}

std::string counted(std::size_t count, const char* singular, const char* plural)
{
    return grouped(count) + " " + (count == 1 ? singular : plural);
}

std::string lineList(const CutValues& cut)
{
    std::string text = cut.count == 1 ? "line " : "lines ";
    for (std::size_t i = 0; i < cut.lines.size() && i < kLinesListed; ++i)
        text += (i ? ", " : "") + grouped(static_cast<std::size_t>(cut.lines[i]));
    if (cut.count > kLinesListed)
        text += ", ...";
    return text;
}

} // namespace

std::string cardCount(std::size_t count)
{
    return counted(count, "card", "cards");
}

std::string ImportPlan::summary() const
{
    std::string text = cardCount(cards) + " to add";
    if (duplicates)
        text
            += ", " + counted(duplicates, "duplicate", "duplicates") + (settings.keepDuplicates ? " kept" : " skipped");
    for (const CutValues& cut : cuts)
        text += ", " + counted(cut.count, "value", "values") + " cut to " + std::to_string(cut.size) + " characters ("
            + lineList(cut) + ")";
    return text;
}

} // namespace interchange
