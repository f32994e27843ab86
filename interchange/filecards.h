#pragma once

#include "cardmaker.h"
#include "importplan.h"
#include "recordreader.h"

#include <optional>
#include <string>
#include <vector>

namespace interchange {

// The cards of a file one at a time, as an import takes them into a set with these fields: the one reading of a
// file that the plan counts and the import writes.
class FileCards
{
public:
    FileCards(const std::string& path, const ImportSettings& settings, const std::vector<cardstore::FieldDef>& fields);
    FileCards(const FileCards&) = delete;
    FileCards& operator=(const FileCards&) = delete;

    // The next card into made; false at the end of the file. Raises ImportError at a record that makes no card.
    bool next(CardMaker::Made& made);
    // Whether the file held any record at all.
    bool anyRecord() const { return maker_.has_value(); }
    const LineReader& lines() const { return reader_.lines(); }

private:
    ImportSettings settings_;
    std::vector<cardstore::FieldDef> fields_;
    RecordReader reader_;
    std::optional<std::size_t> columns_;
    std::optional<CardMaker> maker_;
    Record record_;
};

} // namespace interchange
