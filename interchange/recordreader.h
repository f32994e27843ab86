#pragma once

#include "linereader.h"
#include "textlayout.h"

#include <string>
#include <vector>

namespace interchange {

// One record of a text file: its cells as written (quotes removed, a line break inside quotes kept as "\n").
struct Record
{
    int line = 0; // where the record starts, from 1
    std::vector<std::string> fields;
};

// Reads the records of a text file one at a time: values separated by the layout's separator, each one quoted
// or not, quoted ones spanning lines. The "#key:value" lines at the top are taken as the file's header, in any
// format. Records that hold nothing but blanks are passed over.
class RecordReader
{
public:
    // No card needs more than a few hundred bytes; a record past this is a damaged file or no card file at all.
    static constexpr std::size_t kMaxRecordBytes = 64 * 1024;

    RecordReader(const std::string& path, const Layout& layout);

    const FileHeader& header() const { return header_; }
    // false at the end of the file; raises ImportError at a malformed record.
    bool next(Record& record);
    const LineReader& lines() const { return lines_; }

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteSeen, AfterQuoted };

    bool readLine(std::string& line, std::size_t maxBytes, int recordLine);
    bool consume(const std::string& line, Record& record);

    LineReader lines_;
    Layout layout_;
    FileHeader header_;
    std::string pending_;
    bool hasPending_ = false;
    State state_ = State::FieldStart;
    std::string field_;
};

} // namespace interchange
