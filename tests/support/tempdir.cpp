#include "tempdir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>

namespace testsupport {

namespace fs = std::filesystem;

TempDir::TempDir(bool pointDataHomeHere)
{
    std::string pattern = (fs::temp_directory_path() / "karte-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
    if (pointDataHomeHere) {
        if (const char* old = std::getenv("XDG_DATA_HOME")) {
            hadDataHome_ = true;
            previousDataHome_ = old;
        }
        ::setenv("XDG_DATA_HOME", path_.c_str(), 1);
        pointedDataHome_ = true;
    }
}

TempDir::~TempDir()
{
    if (pointedDataHome_) {
        if (hadDataHome_)
            ::setenv("XDG_DATA_HOME", previousDataHome_.c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }
    std::error_code error;
    // Tests take write and read bits away; give them back so the tree can be removed.
    for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error))
        ::chmod(it->path().c_str(), it->is_directory(error) ? 0755 : 0644); // false for a loop of links
    ::chmod(path_.c_str(), 0755);
    fs::remove_all(path_, error);
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace testsupport
