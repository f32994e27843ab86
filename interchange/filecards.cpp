#include "filecards.h"

namespace interchange {

FileCards::FileCards(
    const std::string& path, const ImportSettings& settings, const std::vector<cardstore::FieldDef>& fields)
    : settings_(settings)
    , fields_(fields)
    , reader_(path, settings.layout)
{
    if (settings.layout.headerRow) {
        if (reader_.next(record_))
            columns_ = record_.fields.size();
    } else if (reader_.header().columns) {
        columns_ = splitPlain(*reader_.header().columns, settings.layout.separator).size();
    }
}

bool FileCards::next(CardMaker::Made& made)
{
    if (!reader_.next(record_))
        return false;
    if (!maker_)
        maker_.emplace(settings_, fields_, columns_.value_or(record_.fields.size()), lines().fileName());
    made = maker_->make(record_);
    return true;
}

} // namespace interchange
