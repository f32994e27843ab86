#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace karte {

// One line of the built-in set's source.
struct SourceCard
{
    long rank = 0;
    std::string language;
    std::string english;
    std::string frequency; // as written: decimal digits
    int line = 0; // where the source holds it
};

// A malformed source; what() names the line.
class SourceError : public std::runtime_error
{
public:
    SourceError(int line, const std::string& problem);
    int line() const { return line_; }

private:
    int line_;
};

// Reads the tab-separated source (header "rank, Language, English, Frequency", then one card a line),
// rejecting the first malformed line. The cards come back in rank order.
std::vector<SourceCard> parseCardSource(std::istream& in);

// Creates the built-in card set at path (replacing it) from the cards, in the order given.
void writeBuiltInSet(const std::string& path, const std::vector<SourceCard>& cards);

} // namespace karte
