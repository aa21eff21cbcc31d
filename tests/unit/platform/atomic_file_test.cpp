#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WithFileSizeLimit;

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

FileWriteResult Write(const std::string& path, const std::string& text) {
    return WriteFileAtomically(path, std::span<const char>(text));
}

TEST(AtomicFile, ReplacesTheContentAndKeepsThePermissionBits) {
    TempDir dir;
    struct Case {
        const char* name;
        mode_t mode;
    } cases[] = {{"owner only", 0600}, {"group reads", 0640}, {"executable", 0755}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write(std::string(c.name) + ".bin", "a much longer old file");
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        ASSERT_TRUE(Write(path, "new"));
        EXPECT_EQ(dir.Read(std::string(c.name) + ".bin"), "new");
        EXPECT_EQ(ModeOf(path), c.mode);
    }
    // A new file gets the usual bits, less the umask.
    const mode_t old = ::umask(027);
    const FileWriteResult made = Write(dir.Path() + "fresh.bin", "x");
    ::umask(old);
    ASSERT_TRUE(made);
    EXPECT_EQ(ModeOf(dir.Path() + "fresh.bin"), 0640u);
    // Nothing is left beside the files.
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"executable.bin", "fresh.bin",
                                                             "group reads.bin", "owner only.bin"}));
}

TEST(AtomicFile, WritesThroughSymbolicLinks) {
    TempDir dir;
    dir.Write("data/real.hex", "old");
    struct Case {
        const char* name;
        std::string link;     // created in the folder, pointing at target
        std::string target;   // as the link text holds it
        std::string written;  // the file that must hold the new bytes
    } cases[] = {
        {"relative", "rel.hex", "data/real.hex", "data/real.hex"},
        {"absolute", "abs.hex", dir.Path() + "data/real.hex", "data/real.hex"},
        {"chain", "chain.hex", "rel.hex", "data/real.hex"},
        {"dangling", "later.hex", "data/later.hex", "data/later.hex"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::create_symlink(c.target, dir.Path() + c.link);
        ASSERT_TRUE(Write(dir.Path() + c.link, std::string("via ") + c.name));
        EXPECT_TRUE(fs::is_symlink(dir.Path() + c.link));
        EXPECT_EQ(dir.Read(c.written), std::string("via ") + c.name);
    }
}

TEST(AtomicFile, RefusesTargetsThatCannotBeWritten) {
    TempDir dir;
    const std::string readOnly = dir.Write("ro.bin", "keep me");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    fs::create_directory(dir.Path() + "folder");
    ASSERT_EQ(::mkfifo((dir.Path() + "pipe").c_str(), 0644), 0);
    fs::create_symlink("ro.bin", dir.Path() + "to-ro.bin");
    fs::create_symlink("loop-b", dir.Path() + "loop-a");
    fs::create_symlink("loop-a", dir.Path() + "loop-b");
    struct Case {
        const char* name;
        std::string path;
        int error;
    } cases[] = {
        {"read-only file", readOnly, EACCES},
        {"link to a read-only file", dir.Path() + "to-ro.bin", EACCES},
        {"folder", dir.Path() + "folder", EISDIR},
        {"pipe", dir.Path() + "pipe", EINVAL},
        {"missing folder", dir.Path() + "none/x.bin", ENOENT},
        {"empty name", "", ENOENT},
        {"links in a loop", dir.Path() + "loop-a", ELOOP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FileWriteResult r = Write(c.path, "new");
        EXPECT_EQ(r.status, FileWriteStatus::CannotCreate);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.SystemText(), std::strerror(c.error));
    }
    EXPECT_EQ(dir.Read("ro.bin"), "keep me");
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"folder", "loop-a", "loop-b", "pipe",
                                                             "ro.bin", "to-ro.bin"}));
}

// The limit stops the temporary file part-way, as a full disk would: the old
// file stays whole and the program lives on to say so.
TEST(AtomicFile, AFileSizeLimitKeepsTheOldFileWhole) {
    TempDir dir;
    const std::string old(3000, 'o');
    const std::string path = dir.Write("big.bin", old);
    const std::string answer = WithFileSizeLimit(4096, [&] {
        const FileWriteResult r = Write(path, std::string(65536, 'n'));
        return r.status == FileWriteStatus::WriteFailed ? r.SystemText() : std::string("passed");
    });
    EXPECT_EQ(answer, std::strerror(EFBIG));
    EXPECT_EQ(dir.Read("big.bin"), old);
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"big.bin"});
}

// A file written in pieces replaces the old one only at the commit; a writer
// given up, or stopped by a failed piece, leaves the old file and nothing else.
TEST(AtomicFile, PiecesReplaceTheFileOnlyWhenCommitted) {
    TempDir dir;
    const std::string path = dir.Write("out.hex", "old");
    {  // a writer given up
        AtomicFileWriter writer;
        ASSERT_TRUE(writer.Open(path));
        ASSERT_TRUE(writer.Write(std::string_view("ab")));
        EXPECT_EQ(dir.Read("out.hex"), "old");
        EXPECT_EQ(Entries(dir.Path()).size(), 2u);  // the file and its temporary
        // Opened again, it gives up the first temporary.
        ASSERT_TRUE(writer.Open(path));
        EXPECT_EQ(Entries(dir.Path()).size(), 2u);
    }
    EXPECT_EQ(dir.Read("out.hex"), "old");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"out.hex"});

    AtomicFileWriter writer;
    ASSERT_TRUE(writer.Open(path));
    for (const char* piece : {"ab", "", "cd", "e"})
        ASSERT_TRUE(writer.Write(std::string_view(piece)));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(dir.Read("out.hex"), "abcde");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"out.hex"});
    EXPECT_FALSE(writer.Write(std::string_view("late")));
    EXPECT_FALSE(writer.Commit());
    EXPECT_FALSE(AtomicFileWriter().Commit());  // never opened: nothing was written

    const std::string answer = WithFileSizeLimit(512, [&] {
        AtomicFileWriter limited;
        if (!limited.Open(path) || !limited.Write(std::string(300, 'x')))
            return std::string("early");
        const FileWriteResult second = limited.Write(std::string(300, 'y'));
        const FileWriteResult after = limited.Write(std::string_view("z"));
        const FileWriteResult commit = limited.Commit();
        if (second || after || commit) return std::string("went on");
        return second.SystemText();
    });
    EXPECT_EQ(answer, std::strerror(EFBIG));
    EXPECT_EQ(dir.Read("out.hex"), "abcde");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"out.hex"});

    // The place taken meanwhile by a folder: the commit fails and says why.
    AtomicFileWriter late;
    ASSERT_TRUE(late.Open(dir.Path() + "new.hex"));
    ASSERT_TRUE(late.Write(std::string_view("data")));
    dir.Write("new.hex/inside", "x");
    const FileWriteResult commit = late.Commit();
    EXPECT_EQ(commit.status, FileWriteStatus::WriteFailed);
    EXPECT_EQ(commit.error, EISDIR);
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"new.hex", "out.hex"}));
}

}  // namespace
}  // namespace burnmark
