#include "platform/desktop_session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace burnmark {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool IsSocket(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

std::string PrepareRuntimeFolder(const std::string& tmpDir) {
    const std::string current = Env("XDG_RUNTIME_DIR");
    if (!current.empty()) return current;

    // The folder the toolkit itself would fall back to, made the way it wants
    // it: owned by the user and closed to everyone else.
    const uid_t uid = ::getuid();
    const std::string folder = tmpDir + "/runtime-" + std::to_string(uid);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid) return {};
    if ((st.st_mode & 07777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) return {};
    if (::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1) != 0) return {};
    return folder;
}

SoundServerPlaces SoundServerPlacesOfThisProcess() {
    SoundServerPlaces places;
    places.pulseServer = Env("PULSE_SERVER");
    places.pulseRuntimePath = Env("PULSE_RUNTIME_PATH");
    places.runtimeDir = Env("XDG_RUNTIME_DIR");
    return places;
}

bool SoundServerMayAnswer(const SoundServerPlaces& places) {
    if (!places.pulseServer.empty()) return true;
    if (!places.pulseRuntimePath.empty() && IsSocket(places.pulseRuntimePath + "/native"))
        return true;
    if (!places.runtimeDir.empty() && IsSocket(places.runtimeDir + "/pulse/native")) return true;
    return IsSocket(places.systemSocket);
}

}  // namespace burnmark
