#pragma once

#include "filereplace.h"

#include <string>
#include <string_view>

namespace interchange {

// A file written beside its final place and put there once it is complete and synced (a ReplacementFile), so
// that no half-written file is ever seen under its name. Unless committed, it is removed again.
class PendingFile
{
public:
    // Refuses a path where a file is already there unless overwrite is set. Raises ExportError.
    PendingFile(const std::string& path, bool overwrite);
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    void write(std::string_view bytes);
    // Puts the file in place; without overwrite, a file that appeared there meanwhile is kept and the export
    // refused.
    void commit();

private:
    void flush();

    std::string path_;
    bool overwrite_;
    mode_t mode_;
    cardstore::ReplacementFile file_;
    std::string buffer_;
};

} // namespace interchange
