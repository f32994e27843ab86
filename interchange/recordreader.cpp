#include "recordreader.h"

#include <algorithm>

namespace interchange {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool allBlank(const std::vector<std::string>& fields)
{
    return std::all_of(fields.begin(), fields.end(), [](const std::string& field) {
        return std::all_of(field.begin(), field.end(), [](char c) { return isBlank(c) || c == '\n'; });
    });
}

} // namespace

RecordReader::RecordReader(const std::string& path, const Layout& layout)
    : lines_(path)
    , layout_(layout)
{
    while (readLine(pending_, kMaxRecordBytes, 0)) {
        if (!readHeaderLine(pending_, header_)) {
            hasPending_ = true;
            break;
        }
    }
}

bool RecordReader::readLine(std::string& line, std::size_t maxBytes, int recordLine)
{
    switch (lines_.next(line, maxBytes)) {
    case LineReader::Result::Line:
        return true;
    case LineReader::Result::End:
        return false;
    case LineReader::Result::TooLong:
        break;
    }
    if (state_ == State::Quoted)
        lines_.fail(recordLine, "a quoted value is not closed (the record runs on for more than 64 KiB)");
    lines_.fail(lines_.lineNumber(), "the line is longer than 64 KiB; this is not a file of cards");
}

bool RecordReader::next(Record& record)
{
    record.line = 0;
    record.fields.clear();
    state_ = State::FieldStart;
    field_.clear();
    std::size_t recordBytes = 0;
    std::string line;
    for (;;) {
        if (hasPending_) {
            line.swap(pending_);
            hasPending_ = false;
        } else if (!readLine(line, recordBytes < kMaxRecordBytes ? kMaxRecordBytes - recordBytes : 0, record.line)) {
            if (state_ == State::Quoted)
                lines_.fail(record.line, "a quoted value is not closed");
            return false;
        }
        if (record.line == 0) {
            if (line.empty())
                continue;
            record.line = lines_.lineNumber();
        }
        recordBytes += line.size() + 1;
        if (!consume(line, record)) {
            field_ += '\n';
            continue;
        }
        if (allBlank(record.fields)) {
            record.line = 0;
            record.fields.clear();
            recordBytes = 0;
            continue;
        }
        return true;
    }
}

// Takes one line into the record; false while a quoted value runs on to the next line.
bool RecordReader::consume(const std::string& line, Record& record)
{
    const char separator = layout_.separator;
    auto endField = [&] {
        record.fields.push_back(std::move(field_));
        field_.clear();
        state_ = State::FieldStart;
    };
    for (char c : line) {
        switch (state_) {
        case State::FieldStart:
            if (c == separator)
                endField();
            else if (c == '"')
                state_ = State::Quoted;
            else if (!isBlank(c)) {
                field_ += c;
                state_ = State::Unquoted;
            }
            break;
        case State::Unquoted:
            if (c == separator)
                endField();
            else
                field_ += c;
            break;
        case State::Quoted:
            if (c == '"')
                state_ = State::QuoteSeen;
            else
                field_ += c;
            break;
        case State::QuoteSeen:
            if (c == '"') {
                field_ += '"';
                state_ = State::Quoted;
                break;
            }
            [[fallthrough]];
        case State::AfterQuoted:
            if (c == separator)
                endField();
            else if (isBlank(c))
                state_ = State::AfterQuoted;
            else
                lines_.fail(lines_.lineNumber(),
                    "text follows a closing quote (a quote inside a quoted value must be doubled: \"\")");
            break;
        }
    }
    if (state_ == State::Quoted)
        return false;
    endField();
    return true;
}

} // namespace interchange
