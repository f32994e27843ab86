#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace benchsets {

// The two shapes of card set the program works with.
enum class Shape { User, BuiltInLike };

// The texts of one generated card, in the order of cardstore::cardFieldDefs().
using CardTexts = std::vector<std::string>;

// Deterministic cards: English glosses of 5 to 40 characters and polytonic Greek headwords, the same on
// every run for the same count.
std::vector<CardTexts> generateCards(int count);

// Card sets generated once per shape and size into a temporary directory that lives until the process
// ends. XDG_DATA_HOME points inside that directory so the engine never touches the real user's data.
class SetCache
{
public:
    static SetCache& instance();

    // The path of the set; created through the table component on first request.
    std::string path(Shape shape, int count);
    // A fresh copy of the set, for benchmarks that write to it.
    std::string writableCopy(Shape shape, int count, const std::string& tag);
    // English values found in the set, spread evenly over it.
    const std::vector<std::string>& sampleEnglish(int count);

    ~SetCache();

private:
    SetCache();

    std::string root_;
    std::map<std::pair<Shape, int>, std::string> sets_;
    std::map<int, std::vector<std::string>> samples_;
};

} // namespace benchsets
