#pragma once

// The answers to a protected set not yet sealed into it, kept on disk as they are given so that a program killed
// between two seals loses none: an append-only file beside the set, ".NAME.answers-XXXXXX", readable by its owner
// alone, one record per answer or undo, each sealed with a key derived from the set's own key. Nothing in it is
// plain text. The file (numbers little-endian):
//     0  16  "KARTE-ANSWERS", two zero bytes and the format version byte, 1
//    16  16  random bytes naming this journal
//    32      records of kRecordSize bytes each: a 24-byte nonce, then the record's fields sealed with
//            XChaCha20-Poly1305 (16 bytes of tag), whose additional data are the 32 header bytes and the record's
//            number from 0 (8 bytes), so that no record can be dropped from the middle, moved or taken from another
//            journal.
// A record cut short at the end is one whose answer was never acknowledged (the program was killed while writing
// it) and is passed over; any other record that does not authenticate makes the whole journal damaged or foreign.
//
// A program keeps its own journal for as long as it has answers waiting, locked while it lives, and removes it once
// they are sealed. The next program to open the set for writing takes in journals whose program is gone.

#include "studyrecords.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cardstore {

namespace journalformat {
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kKeySize = 32;
inline constexpr std::size_t kNonceSize = 24;
inline constexpr std::size_t kTagSize = 16;
inline constexpr std::size_t kMemorySize = 45;
inline constexpr std::size_t kPlainSize = 1 + 8 + 8 + 1 + 8 + kMemorySize + 1 + kMemorySize;
inline constexpr std::size_t kRecordSize = kNonceSize + kPlainSize + kTagSize;
} // namespace journalformat

// One entry of a journal.
struct JournalRecord
{
    enum class Kind : unsigned char { Answer = 1, Undo = 2 };
    Kind kind = Kind::Answer;
    // Answer: the answer given, with the memory it left. Undo: the answer taken back, told by its contents.
    ReviewEntry answer;
    // Undo: the card's memory put back; none: the card is new again.
    std::optional<CardMemory> restored;
};

// A journal left by a program that is gone, locked for the one taking it in until it is removed or let go.
class StaleJournal
{
public:
    StaleJournal(std::string path, int fd, std::vector<JournalRecord> records);
    ~StaleJournal();
    StaleJournal(StaleJournal&& other) noexcept;
    StaleJournal& operator=(StaleJournal&&) = delete;
    StaleJournal(const StaleJournal&) = delete;

    const std::vector<JournalRecord>& records() const { return records_; }
    // Removes the file: what it holds is in the set now, or in the taker's own journal.
    void remove();

private:
    std::string path_;
    int fd_;
    std::vector<JournalRecord> records_;
};

// The journal of this program for one set.
class AnswerJournal
{
public:
    explicit AnswerJournal(std::string setPath);
    ~AnswerJournal(); // lets go of the file and leaves it
    AnswerJournal(const AnswerJournal&) = delete;
    AnswerJournal& operator=(const AnswerJournal&) = delete;

    // The journal's key for a set sealed with setKey.
    static void deriveKey(const unsigned char* setKey, unsigned char* journalKey);

    // Adds the record and syncs it before returning; the file is made at the first one. A failure raises the I/O
    // error and leaves the file as it was.
    void append(const JournalRecord& record, const unsigned char* journalKey);
    // Puts a journal of exactly records in place of this one (made anew, synced, then the old one removed).
    void rewrite(const std::vector<JournalRecord>& records, const unsigned char* journalKey);

    // Removes the file: everything in it is sealed into the set.
    void remove();
    bool onDisk() const { return fd_ >= 0; }

    // The journals beside the set at setPath, live or not.
    static std::vector<std::string> beside(const std::string& setPath);
    // The journals beside the set whose programs are gone, read with journalKey and locked for the caller. One that
    // does not authenticate raises the damaged-file error naming it, and is left as it was; so is every other.
    static std::vector<StaleJournal> takeStale(const std::string& setPath, const unsigned char* journalKey);

private:
    std::string setPath_;
    std::string path_;
    int fd_ = -1;
    unsigned char header_[journalformat::kHeaderSize] = {};
    std::uint64_t records_ = 0;
};

} // namespace cardstore
