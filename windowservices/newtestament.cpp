#include "newtestament.h"

#include "location.h"
#include "reading.h"
#include "text.h"

namespace karte {

NewTestament::NewTestament() = default;
NewTestament::~NewTestament() = default;

void NewTestament::load() const
{
    if (loaded_)
        return;
    loaded_ = true;
    try {
        text_ = std::make_unique<nttext::Text>(nttext::Text::load(nttext::findTextFile()));
    } catch (const std::exception& error) {
        problem_ = QString::fromUtf8(error.what());
    }
}

const nttext::Text* NewTestament::text() const
{
    load();
    return text_.get();
}

QString NewTestament::problem() const
{
    load();
    return problem_;
}

void NewTestament::loadReading() const
{
    if (readingLoaded_)
        return;
    readingLoaded_ = true;
    const nttext::Text* words = text();
    if (!words) {
        readingProblem_ = problem_;
        return;
    }
    try {
        reading_ = std::make_unique<nttext::ReadingText>(nttext::ReadingText::load(nttext::findReadingFile(), *words));
    } catch (const std::exception& error) {
        readingProblem_ = QString::fromUtf8(error.what());
    }
}

const nttext::ReadingText* NewTestament::reading() const
{
    loadReading();
    return reading_.get();
}

QString NewTestament::readingProblem() const
{
    loadReading();
    return readingProblem_;
}

const NewTestament& newTestament()
{
    static const NewTestament shared;
    return shared;
}

} // namespace karte
