// A fresh directory under the system's temporary folder, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace burnmark::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory, ending in '/'.
    const std::string& Path() const { return path_; }
    // Writes a file (parent folders made) and returns its full path.
    std::string Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const;

private:
    std::string path_;
};

}  // namespace burnmark::testing
