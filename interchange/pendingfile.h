#pragma once

#include <string>
#include <string_view>

namespace interchange {

// A file written beside its final place and put there by a rename once it is complete and synced, so that no
// half-written file is ever seen under its name. Unless committed, it is removed again.
class PendingFile
{
public:
    // Refuses a path where a file is already there unless overwrite is set. Raises ExportError.
    PendingFile(const std::string& path, bool overwrite);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    void write(std::string_view bytes);
    // Syncs the file and puts it in place; without overwrite, a file that appeared there meanwhile is kept and
    // the export refused.
    void commit();

private:
    void flush();
    [[noreturn]] void fail(const std::string& what);

    std::string path_;
    std::string temporary_;
    bool overwrite_;
    int fd_ = -1;
    std::string buffer_;
};

} // namespace interchange
