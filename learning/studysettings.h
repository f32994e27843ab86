#pragma once

#include <string>

namespace cardstore {
class StudyStore;
}

namespace learning {

enum class FirstSide { Greek, English };
// How the Greek is read aloud: the restored (Erasmian) pronunciation, or Modern Greek.
enum class Pronunciation { Erasmian, Modern };

// How a set is studied, kept in the set.
struct StudySettings
{
    double desiredRetention = 0.9;
    int dailyNewCards = 20;
    FirstSide firstSide = FirstSide::Greek;
    std::string book; // the code of the book studied ("1Jn"), empty for all words
    // Reading the Greek aloud: each card's as its Greek side comes up, or only when asked; how; and how fast, in
    // percent of the voice's normal speed.
    bool readAloud = false;
    Pronunciation pronunciation = Pronunciation::Erasmian;
    int speechSpeed = 100;
    int chapter = 0; // with a book, the number of the one chapter of it studied; 0 for the whole book
};

// The highest daily new-card limit a set may keep.
inline constexpr int kMostDailyNewCards = 9999;
// The speeds of reading aloud a set may keep, in percent of the voice's normal speed.
inline constexpr int kSlowestSpeech = 50;
inline constexpr int kFastestSpeech = 200;

// The settings as a set keeps them; a value that cannot be read keeps its default.
StudySettings readStudySettings(const cardstore::StudyStore& store);
// The settings brought within what a set may keep: a retention that is no number keeps the one before.
StudySettings boundedSettings(const StudySettings& settings, const StudySettings& before);
// Keeps in the set each setting that differs from before: each is a synced write of its own.
void writeChangedSettings(cardstore::StudyStore& store, const StudySettings& settings, const StudySettings& before);

} // namespace learning
