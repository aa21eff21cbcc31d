// The runtime folder made before the toolkit starts, and the sound server probe.
#include "platform/desktop_session.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// Puts XDG_RUNTIME_DIR back as it was.
class KeepRuntimeDirVariable {
public:
    KeepRuntimeDirVariable() {
        if (const char* v = std::getenv("XDG_RUNTIME_DIR")) saved_ = v;
    }
    ~KeepRuntimeDirVariable() {
        if (saved_)
            ::setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }

private:
    std::optional<std::string> saved_;
};

mode_t Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(PrepareRuntimeFolder, MakesAPrivateFolderOnlyWhenNoneIsNamed) {
    KeepRuntimeDirVariable keep;
    TempDir tmp;
    const std::string mine = tmp.Path() + "runtime-" + std::to_string(::getuid());

    ::setenv("XDG_RUNTIME_DIR", "/run/user/elsewhere", 1);
    EXPECT_EQ(PrepareRuntimeFolder(tmp.Path()), "/run/user/elsewhere");
    EXPECT_FALSE(fs::exists(mine));

    ::unsetenv("XDG_RUNTIME_DIR");
    const std::string tmpDir = tmp.Path().substr(0, tmp.Path().size() - 1);
    EXPECT_EQ(PrepareRuntimeFolder(tmpDir), mine);
    EXPECT_EQ(Mode(mine), 0700u);
    EXPECT_EQ(std::string(std::getenv("XDG_RUNTIME_DIR")), mine);

    // A folder left open to others by an earlier run is closed again.
    ::unsetenv("XDG_RUNTIME_DIR");
    ::chmod(mine.c_str(), 0755);
    EXPECT_EQ(PrepareRuntimeFolder(tmpDir), mine);
    EXPECT_EQ(Mode(mine), 0700u);
}

TEST(PrepareRuntimeFolder, AFileInTheWayChangesNothing) {
    KeepRuntimeDirVariable keep;
    TempDir tmp;
    tmp.Write("runtime-" + std::to_string(::getuid()), "not a folder");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(PrepareRuntimeFolder(tmp.Path().substr(0, tmp.Path().size() - 1)), "");
    EXPECT_EQ(std::getenv("XDG_RUNTIME_DIR"), nullptr);
}

// A listening socket at `path`, as a sound server leaves it.
void MakeSocket(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
}

TEST(SoundServerMayAnswer, LooksWhereTheClientLibraryLooks) {
    TempDir dir;
    MakeSocket(dir.Path() + "run/pulse/native");
    MakeSocket(dir.Path() + "pulse-rt/native");
    MakeSocket(dir.Path() + "system/native");
    dir.Write("plain/pulse/native", "a file, no server");
    struct Case {
        const char* name;
        SoundServerPlaces places;
        bool answer;
    } cases[] = {
        {"nothing at all", {"", "", "", dir.Path() + "none"}, false},
        {"server named", {"tcp:host", "", "", dir.Path() + "none"}, true},
        {"socket in the runtime folder", {"", "", dir.Path() + "run", dir.Path() + "none"}, true},
        {"runtime folder without a server",
         {"", "", dir.Path() + "plain", dir.Path() + "none"},
         false},
        {"own runtime path", {"", dir.Path() + "pulse-rt", "", dir.Path() + "none"}, true},
        {"system server", {"", "", "", dir.Path() + "system/native"}, true},
    };
    for (const Case& c : cases) EXPECT_EQ(SoundServerMayAnswer(c.places), c.answer) << c.name;
}

}  // namespace
}  // namespace burnmark
