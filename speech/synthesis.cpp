#include "synthesis.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <mutex>

namespace speech {

namespace {

// How much sound espeak-ng makes before it hands a chunk over, in milliseconds: short, so that the first sound of
// a word is ready at once.
constexpr int kChunkMs = 20;

// The one engine of the process and what it was last set to.
struct Engine
{
    std::mutex mutex; // held by every call into espeak-ng
    bool loaded = false;
    std::string problem; // why the engine could not be loaded
    std::string dataPath;
    std::string voice; // the voice loaded, "" before the first
    std::string voiceProblem;
    int wordsPerMinute = 0;
};

Engine& engine()
{
    static Engine theEngine;
    return theEngine;
}

// What the callback fills in while espeak_ng_Synthesize runs.
struct Synthesis
{
    const SampleSink* sink;
    bool heard = false;
    bool stopped = false;
};

int collect(short* samples, int count, espeak_EVENT* events)
{
    auto* synthesis = events ? static_cast<Synthesis*>(events->user_data) : nullptr;
    if (!synthesis || !samples || count <= 0)
        return 0;
    const Samples chunk(samples, static_cast<std::size_t>(count));
    synthesis->heard = synthesis->heard || std::any_of(chunk.begin(), chunk.end(), [](std::int16_t s) { return s; });
    if (!(*synthesis->sink)(chunk)) {
        synthesis->stopped = true;
        return 1;
    }
    return 0;
}

std::string statusText(espeak_ng_STATUS status)
{
    char text[256] = {};
    espeak_ng_GetStatusCodeMessage(status, text, sizeof text);
    return text;
}

// Loads the engine the first time; the caller holds the mutex. espeak-ng cannot be loaded twice in a process (its
// own ending waits forever on a thread it left idle), so the first load, good or bad, is the one kept.
void load(Engine& state)
{
    if (state.loaded)
        return;
    state.loaded = true;
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    if (status == ENS_OK)
        status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, kChunkMs, nullptr);
    if (status != ENS_OK) {
        state.problem = "Greek cannot be read aloud: espeak-ng's voice data cannot be read (" + statusText(status)
            + "); installing the espeak-ng-data package brings it.";
        return;
    }
    espeak_SetSynthCallback(collect);
    const char* path = nullptr;
    espeak_Info(&path);
    state.dataPath = path ? path : "";
}

const char* voiceTitle(Voice voice)
{
    return voice == Voice::Modern ? "Modern Greek" : "Ancient Greek";
}

// Makes voice the engine's; the caller holds the mutex and has loaded the engine without a problem.
void selectVoice(Engine& state, Voice voice)
{
    const std::string name = voiceName(voice);
    if (state.voice == name)
        return;
    state.voice = name;
    state.voiceProblem.clear();
    state.wordsPerMinute = 0;
    const std::string missing = std::string("Greek cannot be read aloud: espeak-ng's ") + voiceTitle(voice) + " voice ("
        + name + ") is missing from its data; installing the espeak-ng-data package brings it.";
    // A voice whose dictionary is missing loads without a word and then reads everything as silence.
    std::error_code error;
    if (espeak_ng_SetVoiceByName(name.c_str()) != ENS_OK
        || !std::filesystem::is_regular_file(std::filesystem::path(state.dataPath) / (name + "_dict"), error))
        state.voiceProblem = missing;
}

// What the voice reads itself: Latin and Greek letters with their marks, digits, punctuation and symbols. For a
// letter of another script espeak-ng switches to that language's voice, which is not the voice asked for, and some
// of those switches (to the Indic scripts', Georgian, Hangul) read memory already freed in espeak-ng 1.51.
bool isReadByTheVoice(UChar32 code)
{
    return (code >= 0 && code <= 0x03FF) // Latin, IPA, combining diacritics, Greek and Coptic
        || (code >= 0x1D00 && code <= 0x1FFF) // phonetic extensions, Latin and Greek extended
        || (code >= 0x2000 && code <= 0x2BFF) // punctuation, figures, letterlike symbols, arrows, mathematics
        || (code >= 0x2E00 && code <= 0x2E7F) // supplemental punctuation
        || (code >= 0xFE20 && code <= 0xFE2F); // combining half marks
}

bool isSpace(UChar32 code)
{
    return code < 0 || u_isUWhiteSpace(code) || u_iscntrl(code) || !isReadByTheVoice(code);
}

} // namespace

const char* voiceName(Voice voice)
{
    return voice == Voice::Modern ? "el" : "grc";
}

std::string speakableText(std::string_view utf8, std::size_t most)
{
    std::string text;
    text.reserve(std::min(utf8.size(), most * 4));
    std::size_t characters = 0;
    std::size_t lastSpace = std::string::npos; // where the text would be cut at a space
    std::size_t spaceCharacters = 0; // characters before it
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(utf8.size(), INT32_MAX));
    std::int32_t at = 0;
    while (at < length && characters < most) {
        const std::int32_t start = at;
        UChar32 code = 0;
        U8_NEXT(bytes, at, length, code);
        if (isSpace(code)) {
            if (text.empty() || text.back() == ' ')
                continue;
            lastSpace = text.size();
            spaceCharacters = characters;
            text.push_back(' ');
        } else {
            text.append(utf8.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(at - start)));
        }
        ++characters;
    }
    for (std::int32_t next = at; next < length;) {
        UChar32 code = 0;
        U8_NEXT(bytes, next, length, code);
        if (!isSpace(code))
            break;
        at = next;
    }
    // A text cut short ends at the last word boundary when that is not far back.
    if (at < length && lastSpace != std::string::npos && spaceCharacters >= most * 3 / 4)
        text.resize(lastSpace);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

Synthesizer::Synthesizer()
{
    Engine& state = engine();
    const std::lock_guard lock(state.mutex);
    load(state);
}

std::string Synthesizer::problem(Voice voice)
{
    Engine& state = engine();
    const std::lock_guard lock(state.mutex);
    if (!state.problem.empty())
        return state.problem;
    selectVoice(state, voice);
    return state.voiceProblem;
}

int Synthesizer::sampleRate() const
{
    Engine& state = engine();
    const std::lock_guard lock(state.mutex);
    return state.problem.empty() ? espeak_ng_GetSampleRate() : 0;
}

Outcome Synthesizer::synthesize(std::string_view utf8, Voice voice, int wordsPerMinute, const SampleSink& sink)
{
    const std::string text = speakableText(utf8);
    Engine& state = engine();
    const std::lock_guard lock(state.mutex);
    if (!state.problem.empty())
        return Outcome::Unavailable;
    selectVoice(state, voice);
    if (!state.voiceProblem.empty())
        return Outcome::Unavailable;
    if (text.empty())
        return Outcome::NothingToSay;
    wordsPerMinute = std::clamp(wordsPerMinute, kSlowestWordsPerMinute, kFastestWordsPerMinute);
    if (state.wordsPerMinute != wordsPerMinute) {
        espeak_ng_SetParameter(espeakRATE, wordsPerMinute, 0);
        state.wordsPerMinute = wordsPerMinute;
    }
    Synthesis synthesis { &sink };
    const espeak_ng_STATUS status = espeak_ng_Synthesize(
        text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &synthesis);
    if (synthesis.stopped)
        return Outcome::Stopped;
    if (status != ENS_OK)
        return Outcome::Unavailable;
    return synthesis.heard ? Outcome::Spoken : Outcome::NothingToSay;
}

} // namespace speech
