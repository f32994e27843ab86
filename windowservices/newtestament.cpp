#include "newtestament.h"

#include "location.h"
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

const NewTestament& newTestament()
{
    static const NewTestament shared;
    return shared;
}

} // namespace karte
