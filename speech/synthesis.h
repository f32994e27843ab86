#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace speech {

// The two ways of reading Greek aloud: espeak-ng's Ancient Greek voice (grc), a restored pronunciation close to the
// Erasmian one most New Testament courses teach, and its Modern Greek voice (el), as Greeks read today.
enum class Voice { Erasmian, Modern };

// espeak-ng's name of the voice: "grc" or "el".
const char* voiceName(Voice voice);

// The most characters read aloud at once: a long verse, with room to spare; a card holding a whole page is read as
// far as that.
inline constexpr std::size_t kMostCharacters = 500;

// Speeds in words a minute, espeak-ng's measure.
inline constexpr int kNormalWordsPerMinute = 175;
inline constexpr int kSlowestWordsPerMinute = 80;
inline constexpr int kFastestWordsPerMinute = 450;

// What synthesis gives: 16-bit mono samples, handed over in chunks as they are made.
using Samples = std::span<const std::int16_t>;
// Receives a chunk of samples; returns false to stop the synthesis.
using SampleSink = std::function<bool(Samples)>;

enum class Outcome {
    Spoken, // the text was read: at least one chunk held sound
    NothingToSay, // the text held nothing to pronounce (empty, spaces, marks alone): silence at most
    Stopped, // the sink asked to stop
    Unavailable, // the voice cannot speak; problem() says why
};

// Text as the synthesiser is given it: valid UTF-8 (a byte that is not becomes a space), control characters and
// letters of scripts other than Greek and Latin as spaces (the voice does not read them), at most `most`
// characters, cut at a space near the end where there is one, without spaces at either end.
std::string speakableText(std::string_view utf8, std::size_t most = kMostCharacters);

// Reading text aloud into memory with libespeak-ng, synchronously, on the calling thread. espeak-ng keeps its state
// in globals: every synthesiser of a process shares one engine, loaded by the first (from ESPEAK_DATA_PATH when
// it is set, else espeak-ng-data where the system keeps it) and kept to the end, and syntheses on different threads
// take turns. No window code: the program plays the samples with Qt Multimedia (speaker.h).
class Synthesizer
{
public:
    Synthesizer();

    // Why the voice cannot speak (the engine's data missing, or the voice's dictionary), in a sentence for the
    // user; empty when it can. Loads the voice, so that a first synthesis after it starts at once.
    std::string problem(Voice voice);
    // Samples a second; espeak-ng's own voices all speak at 22,050.
    int sampleRate() const;

    // Reads speakableText(utf8) with the voice at wordsPerMinute (held between the slowest and the fastest),
    // handing the samples to sink in chunks of about 20 ms as they are made: the first is there long before the
    // whole text is.
    Outcome synthesize(std::string_view utf8, Voice voice, int wordsPerMinute, const SampleSink& sink);
};

} // namespace speech
