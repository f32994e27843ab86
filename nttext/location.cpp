#include "location.h"

#include "session.h"
#include "texterrors.h"

#include <filesystem>

namespace nttext {

namespace {

std::string findShippedFile(const char* name)
{
    std::string places;
    for (const std::string& directory : cardstore::Session::instance().pristineDirectories()) {
        std::filesystem::path candidate = std::filesystem::path(directory) / name;
        if (std::filesystem::is_regular_file(candidate))
            return candidate.string();
        places += (places.empty() ? "" : ", ") + directory;
    }
    throw TextFileError(std::string("The Greek text file ") + name + " was not found (looked in "
        + (places.empty() ? "no place" : places) + ")");
}

} // namespace

std::string findTextFile()
{
    return findShippedFile(kTextFileName);
}

std::string findReadingFile()
{
    return findShippedFile(kReadingFileName);
}

} // namespace nttext
