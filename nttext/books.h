#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace nttext {

constexpr int kBookCount = 27;

// A book of the New Testament as the text's source names it and as a reader knows it.
struct BookName
{
    std::string_view code; // the source's book code: "Mt", "1Jn", "Re"
    std::string_view name; // the English name used in references: "Matthew", "1 John", "Revelation"
};

// The 27 books in canonical order.
const std::array<BookName, kBookCount>& bookNames();

// The canonical place (0 = Matthew) of a book code, if it is one.
std::optional<int> bookIndex(std::string_view code);

} // namespace nttext
