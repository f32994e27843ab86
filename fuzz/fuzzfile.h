#pragma once

// The one file a fuzz target writes each input to, in a private directory removed at exit.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace fuzzfile {

class Scratch
{
public:
    explicit Scratch(const std::string& name)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        directory_ = pattern;
        path_ = directory_ + "/input.db";
    }
    ~Scratch()
    {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }

    const std::string& path() const { return path_; }

    void put(const std::string& bytes) const
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::perror("write");
            std::abort();
        }
    }

    // A refused or merely read file must come out byte for byte as it went in, with nothing left beside it.
    void expectUnchanged(const std::string& bytes) const
    {
        std::ifstream in(path_, std::ios::binary);
        std::string now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (now != bytes) {
            std::fprintf(stderr, "the engine changed the file it was given\n");
            std::abort();
        }
        for (const auto& entry : std::filesystem::directory_iterator(directory_)) {
            if (entry.path() != path_) {
                std::fprintf(stderr, "the engine left %s behind\n", entry.path().c_str());
                std::abort();
            }
        }
    }

private:
    std::string directory_;
    std::string path_;
};

} // namespace fuzzfile
