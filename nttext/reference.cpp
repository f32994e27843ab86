#include "reference.h"

#include "books.h"

#include <array>
#include <cctype>
#include <vector>

namespace nttext {

namespace {

// A book's name as it is matched: its number (0 for none) and the rest in lower case, without spaces.
struct BookKey
{
    int number = 0;
    std::string stem;
};

BookKey keyOf(std::string_view name)
{
    BookKey key;
    if (!name.empty() && name[0] >= '1' && name[0] <= '3') {
        key.number = name[0] - '0';
        name.remove_prefix(1);
    }
    for (char c : name)
        if (c != ' ')
            key.stem += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

// Abbreviations that are no beginning of their name (or, as Phil, of two), and the stems they stand for.
constexpr std::array<std::pair<std::string_view, std::string_view>, 17> kAbbreviations = { {
    { "mt", "matthew" },
    { "mk", "mark" },
    { "mrk", "mark" },
    { "lk", "luke" },
    { "jn", "john" },
    { "jhn", "john" },
    { "rm", "romans" },
    { "php", "philippians" },
    { "phil", "philippians" },
    { "phm", "philemon" },
    { "phlm", "philemon" },
    { "jas", "james" },
    { "jm", "james" },
    { "pt", "peter" },
    { "jd", "jude" },
    { "rv", "revelation" },
    { "revelations", "revelation" },
} };

// The number before a book's name: a digit (with "st", "nd" or "rd"), a Roman numeral or an ordinal word, and the
// rest of what was typed after it.
int readBookNumber(std::string_view& rest)
{
    constexpr std::array<std::pair<std::string_view, int>, 12> kNumbers = { {
        { "first", 1 },
        { "second", 2 },
        { "third", 3 },
        { "1st", 1 },
        { "2nd", 2 },
        { "3rd", 3 },
        { "iii", 3 },
        { "ii", 2 },
        { "i", 1 },
        { "1", 1 },
        { "2", 2 },
        { "3", 3 },
    } };
    for (const auto& [word, number] : kNumbers) {
        if (!rest.starts_with(word))
            continue;
        std::string_view after = rest.substr(word.size());
        // A word or numeral must stand apart from the name; a digit may run into it ("1Cor").
        const bool digit = std::isdigit(static_cast<unsigned char>(word[0])) && word.size() == 1;
        if (!digit && (after.empty() || (after[0] != ' ' && after[0] != '.')))
            continue;
        if (digit && !after.empty() && std::isdigit(static_cast<unsigned char>(after[0])))
            continue;
        rest = after;
        while (!rest.empty() && (rest[0] == ' ' || rest[0] == '.'))
            rest.remove_prefix(1);
        return number;
    }
    return 0;
}

std::string quoted(std::string_view typed)
{
    return "“" + std::string(typed) + "”";
}

std::string bookName(int book)
{
    return std::string(bookNames()[static_cast<std::size_t>(book)].name);
}

// Joins names as a sentence lists them: "A", "A or B", "A, B or C".
std::string eitherOf(const std::vector<int>& books)
{
    std::string out;
    for (std::size_t i = 0; i < books.size(); ++i)
        out += (i == 0 ? "" : i + 1 == books.size() ? " or " : ", ") + bookName(books[i]);
    return out;
}

// A book's name without its number: "Corinthians" for "1 Corinthians".
std::string unnumbered(int book)
{
    std::string name = bookName(book);
    return keyOf(name).number ? name.substr(2) : name;
}

// The book a number and a stem name, or why none.
TypedReferenceReading findBook(int number, const std::string& stem, std::string_view typedBook)
{
    std::string wanted = stem;
    for (const auto& [abbreviation, full] : kAbbreviations)
        if (stem == abbreviation)
            wanted = full;
    // Books of any number whose stem is the one typed, or else begins with it.
    std::vector<int> named;
    for (bool exact : { true, false }) {
        for (int book = 0; book < kBookCount; ++book) {
            const std::string bookStem = keyOf(bookNames()[static_cast<std::size_t>(book)].name).stem;
            if (exact ? bookStem == wanted : bookStem.starts_with(wanted))
                named.push_back(book);
        }
        if (!named.empty())
            break;
    }
    if (named.empty())
        return { std::nullopt, "No book of the New Testament is called " + quoted(typedBook) };
    std::vector<int> numbered;
    for (int book : named)
        if (keyOf(bookNames()[static_cast<std::size_t>(book)].name).number == number)
            numbered.push_back(book);
    if (numbered.size() == 1)
        return { TypedReference { numbered[0], std::nullopt, std::nullopt }, {} };
    if (numbered.size() > 1)
        return { std::nullopt, quoted(typedBook) + " could be " + eitherOf(numbered) };
    if (number == 0)
        return { std::nullopt, quoted(typedBook) + " needs its number: " + eitherOf(named) };
    return { std::nullopt,
        "There is no " + std::to_string(number) + " " + unnumbered(named[0]) + "; there is " + eitherOf(named) };
}

std::optional<int> readNumber(std::string_view& rest)
{
    std::size_t digits = 0;
    while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits])))
        ++digits;
    if (digits == 0)
        return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < digits; ++i)
        value = std::min(value * 10 + (rest[i] - '0'), 100000);
    rest.remove_prefix(digits);
    return value;
}

void skipSpaces(std::string_view& rest)
{
    while (!rest.empty() && rest[0] == ' ')
        rest.remove_prefix(1);
}

// The chapter and verse after the book, and the end of a range, which goes unread: the reader goes to its
// beginning. False when something else follows.
bool readNumbers(std::string_view rest, TypedReference& reference)
{
    if (!rest.empty() && rest[0] == '.')
        rest.remove_prefix(1);
    skipSpaces(rest);
    reference.first = readNumber(rest);
    if (reference.first) {
        skipSpaces(rest);
        if (!rest.empty() && (rest[0] == ':' || rest[0] == '.' || rest[0] == ',')) {
            rest.remove_prefix(1);
            skipSpaces(rest);
            reference.second = readNumber(rest);
            if (!reference.second)
                return false;
        } else {
            reference.second = readNumber(rest);
        }
        skipSpaces(rest);
        constexpr std::string_view kDash = "–";
        if (rest.starts_with('-') || rest.starts_with(kDash)) {
            rest.remove_prefix(rest[0] == '-' ? 1 : kDash.size());
            skipSpaces(rest);
            if (!readNumber(rest))
                return false;
            if (rest.starts_with(':') || rest.starts_with('.')) {
                rest.remove_prefix(1);
                if (!readNumber(rest))
                    return false;
            }
        }
    }
    skipSpaces(rest);
    return rest.empty();
}

} // namespace

TypedReferenceReading readTypedReference(std::string_view typed)
{
    // Compared in lower case, and named in errors as typed, without the spaces around it.
    std::string text;
    for (char c : typed)
        text += std::isspace(static_cast<unsigned char>(c))
            ? ' '
            : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return { std::nullopt, "Type a book and a chapter, as in John 3 or 1 Cor 13:4" };
    const std::size_t last = text.find_last_not_of(' ');
    const std::string_view asTyped = typed.substr(first, last + 1 - first);
    std::string_view rest = std::string_view(text).substr(first, last + 1 - first);

    const int number = readBookNumber(rest);
    std::string stem;
    while (!rest.empty() && std::isalpha(static_cast<unsigned char>(rest[0]))) {
        stem += rest[0];
        rest.remove_prefix(1);
    }
    if (stem.empty())
        return { std::nullopt,
            quoted(asTyped) + " names no book: type a book and a chapter, as in John 3 or 1 Cor 13:4" };
    const std::size_t bookEnd = static_cast<std::size_t>(rest.data() - text.data());
    TypedReferenceReading found = findBook(number, stem, typed.substr(first, bookEnd - first));
    if (found.reference && !readNumbers(rest, *found.reference))
        return { std::nullopt,
            quoted(asTyped) + " cannot be read as a reference: type a book and a chapter, as in John 3 or 1 Cor 13:4" };
    return found;
}

} // namespace nttext
