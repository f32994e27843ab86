#pragma once

#include "errors.h"

#include <string>

namespace interchange {

// A file that cannot be imported, refused before anything is written. what() names the file and, where the
// fault lies on one line, that line: "Line 12 of words.csv: a quoted value is not closed".
class ImportError : public cardstore::Error
{
public:
    ImportError(const std::string& fileName, int line, const std::string& problem)
        : Error("Line " + std::to_string(line) + " of " + fileName + ": " + problem)
        , line_(line)
        , problem_(problem)
    {
    }
    // A fault of the file as a whole.
    explicit ImportError(const std::string& message)
        : Error(message)
        , problem_(message)
    {
    }
    int line() const noexcept { return line_; } // 0 when the fault is not on one line
    const std::string& problem() const noexcept { return problem_; }
    const char* kind() const noexcept override { return "ImportError"; }

private:
    int line_ = 0;
    std::string problem_;
};

// Cards could not be written to a file; no part of the file is left behind.
class ExportError : public cardstore::Error
{
public:
    using Error::Error;
    const char* kind() const noexcept override { return "ExportError"; }
};

} // namespace interchange
