// Arbitrary rows in a set's study tables, as another program could write them, studied in every UTC offset: the
// study must neither crash nor show a figure beyond what the cards and the years allow, and an undo must put back
// the memory the card had.
#include "errors.h"
#include "fuzzfile.h"
#include "studydriver.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzzfile::Scratch scratch("karte-fuzz-study");
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> problems;
    try {
        problems = studydriver::study(scratch.path(), studydriver::makeSet(scratch.path(), input));
    } catch (const cardstore::Error& error) {
        // Rows cannot change the tables' shape, so nothing here is for the engine to refuse.
        problems.push_back(std::string("refused: ") + error.what());
    }
    for (const std::string& problem : problems)
        std::fprintf(stderr, "%s\n", problem.c_str());
    if (!problems.empty())
        std::abort();
    return 0;
}
