#include "studysettings.h"

#include "scheduler.h"
#include "studystore.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace learning {

namespace {

template <typename Number> std::optional<Number> numberIn(const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    Number number {};
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, number);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

std::string numberText(double number)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

} // namespace

StudySettings readStudySettings(const cardstore::StudyStore& store)
{
    namespace key = cardstore::studysetting;
    StudySettings settings;
    if (auto retention = numberIn<double>(store.setting(key::kDesiredRetention));
        retention && *retention >= Scheduler::kMinRetention && *retention <= Scheduler::kMaxRetention)
        settings.desiredRetention = *retention;
    if (auto limit = numberIn<int>(store.setting(key::kDailyNewCards)); limit && *limit >= 0)
        settings.dailyNewCards = std::min(*limit, kMostDailyNewCards);
    if (store.setting(key::kFirstSide) == std::optional<std::string>("english"))
        settings.firstSide = FirstSide::English;
    settings.book = store.setting(key::kBook).value_or("");
    settings.readAloud = store.setting(key::kReadAloud) == std::optional<std::string>("yes");
    if (store.setting(key::kPronunciation) == std::optional<std::string>("modern"))
        settings.pronunciation = Pronunciation::Modern;
    if (auto speed = numberIn<int>(store.setting(key::kSpeechSpeed));
        speed && *speed >= kSlowestSpeech && *speed <= kFastestSpeech)
        settings.speechSpeed = *speed;
    if (auto chapter = numberIn<int>(store.setting(key::kChapter)); chapter && *chapter > 0 && !settings.book.empty())
        settings.chapter = *chapter;
    return settings;
}

StudySettings boundedSettings(const StudySettings& settings, const StudySettings& before)
{
    StudySettings bounded = settings;
    bounded.chapter = settings.book.empty() ? 0 : std::max(settings.chapter, 0);
    bounded.dailyNewCards = std::clamp(settings.dailyNewCards, 0, kMostDailyNewCards);
    bounded.speechSpeed = std::clamp(settings.speechSpeed, kSlowestSpeech, kFastestSpeech);
    bounded.desiredRetention = std::isfinite(settings.desiredRetention)
        ? std::clamp(settings.desiredRetention, Scheduler::kMinRetention, Scheduler::kMaxRetention)
        : before.desiredRetention;
    return bounded;
}

void writeChangedSettings(cardstore::StudyStore& store, const StudySettings& settings, const StudySettings& before)
{
    namespace key = cardstore::studysetting;
    const bool book = settings.book != before.book;
    if (settings.desiredRetention != before.desiredRetention)
        store.setSetting(key::kDesiredRetention, numberText(settings.desiredRetention));
    if (settings.dailyNewCards != before.dailyNewCards)
        store.setSetting(key::kDailyNewCards, std::to_string(settings.dailyNewCards));
    if (settings.firstSide != before.firstSide)
        store.setSetting(key::kFirstSide, settings.firstSide == FirstSide::English ? "english" : "greek");
    if (book)
        store.setSetting(key::kBook, settings.book);
    if (settings.chapter != before.chapter || book)
        store.setSetting(key::kChapter, std::to_string(settings.book.empty() ? 0 : settings.chapter));
    if (settings.readAloud != before.readAloud)
        store.setSetting(key::kReadAloud, settings.readAloud ? "yes" : "no");
    if (settings.pronunciation != before.pronunciation)
        store.setSetting(key::kPronunciation, settings.pronunciation == Pronunciation::Modern ? "modern" : "erasmian");
    if (settings.speechSpeed != before.speechSpeed)
        store.setSetting(key::kSpeechSpeed, std::to_string(settings.speechSpeed));
}

} // namespace learning
