#include "books.h"

namespace nttext {

const std::array<BookName, kBookCount>& bookNames()
{
    static constexpr std::array<BookName, kBookCount> kBooks = { {
        { "Mt", "Matthew" },
        { "Mk", "Mark" },
        { "Lk", "Luke" },
        { "Jn", "John" },
        { "Ac", "Acts" },
        { "Ro", "Romans" },
        { "1Co", "1 Corinthians" },
        { "2Co", "2 Corinthians" },
        { "Ga", "Galatians" },
        { "Eph", "Ephesians" },
        { "Php", "Philippians" },
        { "Col", "Colossians" },
        { "1Th", "1 Thessalonians" },
        { "2Th", "2 Thessalonians" },
        { "1Ti", "1 Timothy" },
        { "2Ti", "2 Timothy" },
        { "Tit", "Titus" },
        { "Phm", "Philemon" },
        { "Heb", "Hebrews" },
        { "Jas", "James" },
        { "1Pe", "1 Peter" },
        { "2Pe", "2 Peter" },
        { "1Jn", "1 John" },
        { "2Jn", "2 John" },
        { "3Jn", "3 John" },
        { "Jud", "Jude" },
        { "Re", "Revelation" },
    } };
    return kBooks;
}

std::optional<int> bookIndex(std::string_view code)
{
    const auto& books = bookNames();
    for (int i = 0; i < kBookCount; ++i)
        if (books[static_cast<std::size_t>(i)].code == code)
            return i;
    return std::nullopt;
}

} // namespace nttext
