#pragma once

#include <string>

namespace testsupport {

// A directory under /tmp that lives as long as the object. With pointDataHomeHere, XDG_DATA_HOME points at
// it meanwhile, so the engine's per-user data directory is a fresh one inside it.
class TempDir
{
public:
    explicit TempDir(bool pointDataHomeHere = true);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    std::string previousDataHome_;
    bool hadDataHome_ = false;
    bool pointedDataHome_ = false;
};

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

} // namespace testsupport
