#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cardstore {

class CardFile;

namespace sqlite {
class Connection;
}

// A place in the New Testament, its book by the text's code ("Jn", "1Co").
struct ReadingPlace
{
    std::string book;
    int chapter = 0;
    int verse = 0; // 0: the chapter's start

    friend bool operator==(const ReadingPlace&, const ReadingPlace&) = default;
};

// Which words the Reader glosses: those not known yet, those rarer than a number of occurrences, or none.
enum class ReadingGlosses { NotKnown, RarerThan, None };

// What the Reader keeps of a set.
struct ReadingState
{
    std::optional<ReadingPlace> place; // where the learner last read; none before the first reading
    std::vector<ReadingPlace> read; // the chapters marked as read (verse 0), in the order they were marked
    std::optional<ReadingGlosses> glosses; // none: never chosen
    std::optional<int> rarerThan; // occurrences, from 1 on; none: never chosen
    // What was left out as it could not be used, in sentences the window can show; empty for a sound state.
    std::vector<std::string> problems;
};

// Where the learner was and what was read in a set, kept in the set's file beside the cards and the study progress:
// the tables karte_reading_settings and karte_reading_chapters, made by the first write (a set never read stays as
// it was). Each write is one transaction on the set's connection; a protected set is sealed with it, so the state
// stays encrypted as the cards are. Reached through Table::reading(); it lives until the table closes.
//
// Tables of another shape raise the damaged error (the cards still open: only the Reader's state is refused); rows
// that cannot be used are left out, named in ReadingState::problems, and deleted by the next write. Nothing is
// written while reading.
class ReadingStore
{
public:
    // Whether a book has a chapter, and when verse is not 0 that verse: the text the Reader reads decides.
    using PlaceCheck = std::function<bool(std::string_view book, int chapter, int verse)>;

    explicit ReadingStore(CardFile& file);

    // false for a set that may not be written: every write raises the read-only error and leaves the file alone.
    bool canSave() const;

    // The state as kept; without exists, only the shape of each row is checked.
    ReadingState load(const PlaceCheck& exists = {}) const;

    void setPlace(const ReadingPlace& place);
    // Marks a chapter (verse 0) as read, or no longer read.
    void markRead(const std::string& book, int chapter, bool read);
    // rarerThan from 1 on; kept whatever glosses is, for when the learner comes back to it.
    void setGlosses(ReadingGlosses glosses, int rarerThan);

private:
    void write(const std::function<void()>& body);

    CardFile& file_;
    sqlite::Connection& connection_;
    // The rows the last load left out, deleted by the next write.
    mutable std::vector<std::string> badSettings_;
    mutable std::vector<std::int64_t> badChapters_;
};

} // namespace cardstore
