#pragma once

#include <QColor>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace learning {
struct QueueCounts;
struct TodaySummary;
} // namespace learning
namespace nttext {
struct Study;
class Text;
} // namespace nttext

// The Study window's sentences, made from what the study core and the text computed.
namespace studytexts {

// The grades' names, in the order of their keys (1 to 4).
inline constexpr const char* kGradeNames[] = { "Again", "Hard", "Good", "Easy" };

// "New 20 · Learning 0 · Due 5"
QString countsText(const learning::QueueCounts& counts);
// The lemma as a dictionary lists it, with its gloss: "<b>λόγος, -ου, ὁ</b> — word, message", as HTML.
QString lemmaHtml(const nttext::Text& text, int lemma);
// The word in its verses (the word in bold, the reference after the verse, kept on one line, in the quieter colour
// given) and its commonest forms, as HTML; a note, when there is one, above them.
QString contextHtml(const nttext::Study& study, const QColor& referenceColour, const QString& note = QString());
// The note that a card's word is a form of the lemma whose verses and forms are shown: "δεῖ" of δέω.
QString formNote(const QString& word, const QString& lemma);
// "less than a minute", "12 minutes", "1 hour 5 minutes"
QString durationText(std::int64_t ms);
// When a card is due next, from now on the local clock: "now", "today at 14:35", "tomorrow at 09:10",
// "on 15 December at 09:10".
QString dueText(std::int64_t dueMs, std::int64_t nowMs);
// The end of the day's study: what was done today and when to come back.
QString summaryText(const learning::TodaySummary& today, std::optional<std::int64_t> nextDueMs, std::int64_t nowMs);
// A grade button's interval as a screen reader should say it: "<1m" → "less than a minute", "3d" → "3 days".
QString spokenInterval(const std::string& label);

} // namespace studytexts
