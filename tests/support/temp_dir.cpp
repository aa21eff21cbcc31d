#include "support/temp_dir.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace burnmark::testing {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "burnmark-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path p = std::filesystem::path(path_) / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p.string();
}

std::string TempDir::Read(const std::string& relative) const {
    std::ifstream in(std::filesystem::path(path_) / relative, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace burnmark::testing
