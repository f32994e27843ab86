#pragma once

#include "synthesis.h"

#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace speechtest {

// What a synthesis gave.
struct Heard
{
    speech::Outcome outcome = speech::Outcome::Unavailable;
    std::vector<std::int16_t> samples;
    int sampleRate = 0;
    std::size_t longestChunk = 0;

    double seconds() const { return sampleRate ? static_cast<double>(samples.size()) / sampleRate : 0; }
    double rms() const
    {
        double sum = 0;
        for (std::int16_t sample : samples)
            sum += static_cast<double>(sample) * sample;
        return samples.empty() ? 0 : std::sqrt(sum / static_cast<double>(samples.size()));
    }
};

// Whether played sounds as long as what was heard: espeak-ng's sound of a text differs a little from one synthesis
// to the next, its length by a few samples.
inline bool asLongAs(const QByteArray& played, const Heard& heard)
{
    const double seconds = static_cast<double>(played.size()) / sizeof(std::int16_t) / heard.sampleRate;
    return std::abs(seconds - heard.seconds()) <= 0.03 * heard.seconds();
}

inline Heard hear(const std::string& text, speech::Voice voice, int wordsPerMinute = speech::kNormalWordsPerMinute)
{
    speech::Synthesizer synthesizer;
    Heard heard;
    heard.sampleRate = synthesizer.sampleRate();
    heard.outcome = synthesizer.synthesize(text, voice, wordsPerMinute, [&](speech::Samples chunk) {
        heard.samples.insert(heard.samples.end(), chunk.begin(), chunk.end());
        heard.longestChunk = std::max(heard.longestChunk, chunk.size());
        return true;
    });
    return heard;
}

} // namespace speechtest
