#pragma once

// What the study-table fuzz target does with an input, shared with the test that replays the inputs kept as
// regression cases.
//
// An input is text, one row a line, written into the study tables of a set of eight cards (keys 1 to 8) exactly as
// another program could write them, whatever the types or values:
//     m CARD STATE STEP STABILITY DIFFICULTY DUE LAST_REVIEW REPS LAPSES          a row of karte_study_memory
//     l CARD REVIEWED GRADE DURATION STATE STEP STABILITY DIFFICULTY DUE LAST_REVIEW REPS LAPSES
//                                                                                 a row of karte_study_log
//     s KEY VALUE                                                                 a row of karte_study_settings
//     now MS                                                                      the time the study takes place
// A field reading as a whole number is stored as one, then one reading as a real number, "null" as NULL, anything
// else as text; lines of another shape are passed over.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace studydriver {

// Makes the set at path and writes the input's rows into it; returns the time the study takes place.
std::int64_t makeSet(const std::string& path, std::string_view input);

// Studies the set at path as the windows and karte-progress do, in every UTC offset from -12:00 to +14:00 by
// quarter hours: the Study window's queue, counts, previews and summary, the Progress window's figures, charts and
// their sentences; then answers and takes back as the Study window does. Returns each figure that broke a rule
// every figure keeps (a count beyond the cards, a date beyond the years 1970 to 9999, an undo that did not put the
// card's memory back...); empty when all held. Failures of the engine (cardstore::Error) propagate.
std::vector<std::string> study(const std::string& path, std::int64_t nowMs);

} // namespace studydriver
