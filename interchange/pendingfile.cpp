#include "pendingfile.h"

#include "interchangeerror.h"

#include <sys/stat.h>

namespace interchange {

namespace {

constexpr std::size_t kBufferBytes = 256 * 1024;

// Refuses what cannot be replaced before anything is written beside it.
const std::string& checkedPath(const std::string& path, bool overwrite)
{
    struct stat existing
    {
    };
    bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        throw ExportError(path + " is a directory");
    if (exists && !overwrite)
        throw ExportError(path + " is there already; it is replaced only when you confirm it");
    return path;
}

} // namespace

PendingFile::PendingFile(const std::string& path, bool overwrite)
    : path_(checkedPath(path, overwrite))
    , overwrite_(overwrite)
    // A replaced file keeps its permissions; a new one gets the usual ones for a document.
    , mode_(cardstore::fileMode(path))
    , file_(path)
{
    buffer_.reserve(kBufferBytes);
}

void PendingFile::write(std::string_view bytes)
{
    buffer_.append(bytes);
    if (buffer_.size() >= kBufferBytes)
        flush();
}

void PendingFile::flush()
{
    file_.write(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void PendingFile::commit()
{
    flush();
    using cardstore::Placement;
    if (!file_.putInPlace(
            mode_, cardstore::ModeTiming::BeforeRename, overwrite_ ? Placement::Replace : Placement::OnlyWhereNone))
        throw ExportError(path_ + " has appeared meanwhile; it is replaced only when you confirm it");
}

} // namespace interchange
