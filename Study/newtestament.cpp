#include "newtestament.h"

#include "location.h"
#include "text.h"

#include <memory>

namespace karte {

namespace {

struct Loaded
{
    std::unique_ptr<nttext::Text> text;
    QString problem;
};

const Loaded& loaded()
{
    static const Loaded once = [] {
        Loaded result;
        try {
            result.text = std::make_unique<nttext::Text>(nttext::Text::load(nttext::findTextFile()));
        } catch (const std::exception& error) {
            result.problem = QString::fromUtf8(error.what());
        }
        return result;
    }();
    return once;
}

} // namespace

const nttext::Text* newTestamentText()
{
    return loaded().text.get();
}

QString newTestamentProblem()
{
    return loaded().problem;
}

} // namespace karte
