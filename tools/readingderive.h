#pragma once

#include "readingdata.h"
#include "textsource.h"

#include <string>

namespace karte {

// The text for reading: every running word with its chapter and verse, its printed form without the signs of the
// critical apparatus, its lemma (the companion file's ids) and its parsing (a place in the table of the text's
// parsings, ordered by part of speech, then code). A word not found in its printed form throws TextSourceError
// naming sourceName and the line.
nttext::ReadingData deriveReading(const TextSource& source, const std::string& sourceName);

} // namespace karte
