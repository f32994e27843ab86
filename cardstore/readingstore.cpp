#include "readingstore.h"

#include "cardfile.h"
#include "errors.h"
#include "schemacheck.h"
#include "sqlitedb.h"
#include "writetransaction.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>

namespace cardstore {

namespace {

constexpr SchemaObject kObjects[] = {
    { "table", "karte_reading_settings",
        "CREATE TABLE karte_reading_settings(key TEXT PRIMARY KEY, value TEXT NOT NULL)" },
    { "index", "sqlite_autoindex_karte_reading_settings_1", nullptr },
    { "table", "karte_reading_chapters",
        "CREATE TABLE karte_reading_chapters(book TEXT NOT NULL, chapter INTEGER NOT NULL, UNIQUE (book, chapter))" },
    { "index", "sqlite_autoindex_karte_reading_chapters_1", nullptr },
};

constexpr const char* kPlace = "place"; // "Jn 3:16", or "Jn 3" for a chapter's start
constexpr const char* kGlosses = "glosses";
constexpr const char* kRarerThan = "rarer-than";
constexpr int kLastChapter = 999; // no book has more; the text says which it has
constexpr int kMostOccurrences = 1'000'000;

constexpr std::pair<ReadingGlosses, std::string_view> kGlossNames[] = {
    { ReadingGlosses::NotKnown, "not-known" },
    { ReadingGlosses::RarerThan, "rarer-than" },
    { ReadingGlosses::None, "none" },
};

// Whether the file holds the tables; raises the damaged error when it holds them otherwise.
bool present(sqlite::Connection& connection)
{
    const std::string problem = schemaProblem(connection, kObjects);
    if (problem == "absent")
        return false;
    if (!problem.empty())
        throw DatabaseError(status::kCorruptFile,
            "The reading state of this card set is damaged: " + problem + ". File: " + connection.path());
    return true;
}

std::optional<int> wholeNumber(std::string_view text, int least, int most)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < least || value > most)
        return std::nullopt;
    return value;
}

std::string placeText(const ReadingPlace& place)
{
    std::string text = place.book + " " + std::to_string(place.chapter);
    return place.verse ? text + ":" + std::to_string(place.verse) : text;
}

// "Jn 3:16" or "Jn 3" back, its numbers in range.
std::optional<ReadingPlace> readPlace(std::string_view text)
{
    const std::size_t space = text.find(' ');
    if (space == 0 || space == std::string_view::npos)
        return std::nullopt;
    ReadingPlace place { std::string(text.substr(0, space)), 0, 0 };
    std::string_view numbers = text.substr(space + 1);
    const std::size_t colon = numbers.find(':');
    std::optional<int> chapter = wholeNumber(numbers.substr(0, colon), 1, kLastChapter);
    std::optional<int> verse
        = colon == std::string_view::npos ? std::optional(0) : wholeNumber(numbers.substr(colon + 1), 1, 999);
    if (!chapter || !verse)
        return std::nullopt;
    place.chapter = *chapter;
    place.verse = *verse;
    return place;
}

std::string quoted(const std::string& text)
{
    return "“" + text + "”";
}

} // namespace

ReadingStore::ReadingStore(CardFile& file)
    : file_(file)
    , connection_(file.connection())
{
}

bool ReadingStore::canSave() const
{
    return !file_.readOnly();
}

ReadingState ReadingStore::load(const PlaceCheck& exists) const
{
    ReadingState state;
    badSettings_.clear();
    badChapters_.clear();
    if (!present(connection_))
        return state;
    auto settings = connection_.prepare("SELECT key, value, typeof(value) = 'text' FROM karte_reading_settings");
    while (settings.step()) {
        const std::string key = settings.columnText(0), value = settings.columnText(1);
        const bool text = settings.columnInt(2) != 0;
        std::optional<std::string> problem;
        if (key == kPlace) {
            state.place = text ? readPlace(value) : std::nullopt;
            if (state.place && exists && !exists(state.place->book, state.place->chapter, state.place->verse))
                state.place.reset();
            if (!state.place)
                problem = "The last place read (" + quoted(value)
                    + ") is not one of the New Testament; the Reader "
                      "starts again at its beginning";
        } else if (key == kGlosses) {
            for (const auto& [glosses, name] : kGlossNames)
                if (text && value == name)
                    state.glosses = glosses;
            if (!state.glosses)
                problem = "The choice of the words to gloss (" + quoted(value)
                    + ") is not one this program knows and is left out";
        } else if (key == kRarerThan) {
            state.rarerThan = text ? wholeNumber(value, 1, kMostOccurrences) : std::nullopt;
            if (!state.rarerThan)
                problem = "The number of occurrences below which words are glossed (" + quoted(value)
                    + ") is not a count from 1 on and is left out";
        }
        // Other keys are a later program's: kept, and not read.
        if (problem) {
            state.problems.push_back(*problem);
            badSettings_.push_back(key);
        }
    }

    auto chapters
        = connection_.prepare("SELECT rowid, book, chapter, typeof(book) = 'text' AND typeof(chapter) = 'integer' FROM "
                              "karte_reading_chapters ORDER BY rowid");
    std::string leftOut;
    while (chapters.step()) {
        const ReadingPlace chapter { chapters.columnText(1), static_cast<int>(chapters.columnInt(2)), 0 };
        const bool sound = chapters.columnInt(3) != 0 && !chapter.book.empty() && chapters.columnInt(2) >= 1
            && chapters.columnInt(2) <= kLastChapter && (!exists || exists(chapter.book, chapter.chapter, 0));
        if (sound) {
            state.read.push_back(chapter);
            continue;
        }
        badChapters_.push_back(chapters.columnInt(0));
        leftOut += (leftOut.empty() ? "" : ", ") + quoted(chapters.columnText(1) + " " + chapters.columnText(2));
    }
    if (!badChapters_.empty())
        state.problems.push_back(badChapters_.size() == 1
                ? "A chapter marked as read is not one of the New Testament and is left out: " + leftOut
                : std::to_string(badChapters_.size())
                    + " chapters marked as read are not ones of the New Testament and are left out: " + leftOut);
    return state;
}

void ReadingStore::write(const std::function<void()>& body)
{
    if (!canSave())
        raiseDataset(messages::kReadOnly);
    writeTransaction(
        connection_,
        [&] {
            if (!present(connection_))
                for (const SchemaObject& object : kObjects)
                    if (object.sql)
                        connection_.exec(object.sql);
            auto setting = connection_.prepare("DELETE FROM karte_reading_settings WHERE key = ?");
            for (const std::string& key : badSettings_) {
                setting.bindText(1, key);
                setting.step();
                setting.reset();
            }
            auto chapter = connection_.prepare("DELETE FROM karte_reading_chapters WHERE rowid = ?");
            for (std::int64_t row : badChapters_) {
                chapter.bindInt(1, row);
                chapter.step();
                chapter.reset();
            }
            body();
        },
        file_.protectedFile());
    badSettings_.clear();
    badChapters_.clear();
}

void ReadingStore::setPlace(const ReadingPlace& place)
{
    write([&] {
        auto statement = connection_.prepare("INSERT OR REPLACE INTO karte_reading_settings VALUES (?, ?)");
        statement.bindText(1, kPlace);
        statement.bindText(2, placeText(place));
        statement.step();
    });
}

void ReadingStore::markRead(const std::string& book, int chapter, bool read)
{
    write([&] {
        auto statement
            = connection_.prepare(read ? "INSERT OR IGNORE INTO karte_reading_chapters (book, chapter) VALUES (?, ?)"
                                       : "DELETE FROM karte_reading_chapters WHERE book = ? AND chapter = ?");
        statement.bindText(1, book);
        statement.bindInt(2, chapter);
        statement.step();
    });
}

void ReadingStore::setGlosses(ReadingGlosses glosses, int rarerThan)
{
    write([&] {
        auto statement = connection_.prepare("INSERT OR REPLACE INTO karte_reading_settings VALUES (?, ?)");
        for (const auto& [choice, name] : kGlossNames)
            if (choice == glosses) {
                statement.bindText(1, kGlosses);
                statement.bindText(2, name);
                statement.step();
                statement.reset();
            }
        statement.bindText(1, kRarerThan);
        statement.bindText(2, std::to_string(std::clamp(rarerThan, 1, kMostOccurrences)));
        statement.step();
    });
}

} // namespace cardstore
