#include "shell/app_folder.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "shell/start_up.h"

// Where an install lays the sample catalogue, from the program's folder.
#ifndef BURNMARK_INSTALLED_SAMPLE
#define BURNMARK_INSTALLED_SAMPLE "../share/burnmark/sample"
#endif

namespace burnmark {

namespace fs = std::filesystem;

namespace {

std::string WithSeparator(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

bool HoldsCatalogue(const std::string& dir) {
    std::error_code ec;
    return !dir.empty() && fs::is_regular_file(fs::path(dir) / kCatalogueMarkFile, ec);
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string CopyOne(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(from, ec);
    std::ifstream in(from, std::ios::binary);
    std::vector<char> bytes(ec ? 0 : size);
    if (ec || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        return from.string() + ": cannot be read";
    const FileWriteResult written = WriteFileAtomically(to.string(), bytes);
    if (!written) return to.string() + ": " + written.SystemText();
    return {};
}

// Whether the user has put something at `relative` under `to` or in its way:
// anything at the name, even a dangling link, or a non-folder where a folder
// would be.
bool UsersOwn(const fs::path& to, const fs::path& relative) {
    std::error_code ec;
    fs::path p = to;
    for (const fs::path& part : relative.parent_path()) {
        p /= part;
        if (fs::exists(fs::symlink_status(p, ec)) && !fs::is_directory(p, ec)) return true;
    }
    return fs::exists(fs::symlink_status(to / relative, ec));
}

}  // namespace

bool FolderWritable(const std::string& dir) { return ::access(dir.c_str(), W_OK | X_OK) == 0; }

AppFolderPlaces AppFolderPlacesOfThisProgram() {
    AppFolderPlaces places;
    places.overrideDir = Env("BURNMARK_APP_DIR");
    places.programDir = ProgramDirectory();
    std::error_code ec;
    places.programFile = fs::read_symlink("/proc/self/exe", ec).string();
    if (!places.programDir.empty()) {
        const fs::path sample =
            fs::weakly_canonical(fs::path(places.programDir) / BURNMARK_INSTALLED_SAMPLE, ec);
        if (!ec) places.installedSample = WithSeparator(sample.string());
    }
    const std::string dataHome = Env("XDG_DATA_HOME");
    const std::string home = Env("HOME");
    // The XDG rules ignore a relative XDG_DATA_HOME.
    if (!dataHome.empty() && dataHome.front() == '/')
        places.userDir = WithSeparator(dataHome) + "burnmark/";
    else if (!home.empty())
        places.userDir = WithSeparator(home) + ".local/share/burnmark/";
    return places;
}

std::string LayAbsentFiles(const std::string& from, const std::string& to,
                           const std::string& skip) {
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec) return to + ": " + ec.message();
    // Without a trailing separator, so that the files' names relative to it are plain.
    std::string base = from;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    const fs::path root(base);
    std::string problem;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        std::error_code entryEc;
        if (!it->is_regular_file(entryEc)) continue;
        if (!skip.empty() && fs::equivalent(it->path(), skip, entryEc)) continue;
        const fs::path relative = it->path().lexically_relative(root);
        if (UsersOwn(fs::path(to), relative)) continue;
        const fs::path target = fs::path(to) / relative;
        fs::create_directories(target.parent_path(), entryEc);
        std::string failed = entryEc ? target.parent_path().string() + ": " + entryEc.message()
                                     : CopyOne(it->path(), target);
        // One file that cannot be laid does not keep the others from it.
        if (problem.empty()) problem = std::move(failed);
    }
    if (ec && problem.empty()) problem = from + ": " + ec.message();
    return problem;
}

AppFolder PrepareAppFolder(const AppFolderPlaces& places, const FolderWritableCheck& writable) {
    if (!places.overrideDir.empty())
        return {ChooseAppDir(places.overrideDir.c_str(), places.programDir), {}};
    const std::string programDir = WithSeparator(places.programDir);
    const bool besideProgram = HoldsCatalogue(programDir);
    if (besideProgram && writable(programDir)) return {programDir, {}};

    std::string seed;
    if (HoldsCatalogue(places.installedSample))
        seed = WithSeparator(places.installedSample);
    else if (besideProgram)
        seed = programDir;
    if (seed.empty()) return {programDir, {}};

    const std::string keptNot =
        "\n\nThe catalogue is read from " + seed + " and settings are not kept.";
    if (places.userDir.empty())
        return {seed, "The user has no home folder (HOME is not set)." + keptNot};
    std::error_code ec;
    fs::create_directories(places.userDir, ec);
    if (ec || !fs::is_directory(places.userDir, ec))
        return {seed, "The application folder " + places.userDir + " cannot be made (" +
                          (ec ? ec.message() : "not a folder") + ")." + keptNot};
    AppFolder folder{WithSeparator(places.userDir), {}};
    const std::string problem = LayAbsentFiles(seed, folder.Dir, places.programFile);
    if (!problem.empty())
        folder.Problem =
            "The sample catalogue could not be laid wholly into " + folder.Dir + ":\n" + problem;
    return folder;
}

}  // namespace burnmark
