#include "location.h"

#include "session.h"
#include "texterrors.h"

#include <filesystem>

namespace nttext {

std::string findTextFile()
{
    std::string places;
    for (const std::string& directory : cardstore::Session::instance().pristineDirectories()) {
        std::filesystem::path candidate = std::filesystem::path(directory) / kTextFileName;
        if (std::filesystem::is_regular_file(candidate))
            return candidate.string();
        places += (places.empty() ? "" : ", ") + directory;
    }
    throw TextFileError(std::string("The Greek text file ") + kTextFileName + " was not found (looked in "
        + (places.empty() ? "no place" : places) + ")");
}

} // namespace nttext
