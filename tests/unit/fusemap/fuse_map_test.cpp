// The fuse map: building, bounds, checksum display, and the load and save of
// JEDEC files with the operator's messages.
#include "fusemap/fuse_map.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "fusemap/jedec.h"
#include "support/child_process.h"
#include "support/fake_ports.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeFailDisplay;
using testing::FakeMessages;

constexpr FuseGeometry kGal16V8{2194, 44, 50, 20, 1};

class FuseMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/fusemap_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        map_.OnChecksumShown = [this](const std::string& text, bool changed) {
            sums_.push_back(text + (changed ? " red" : ""));
        };
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
        return PathOf(name);
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir_)) out.push_back(e.path().filename());
        std::sort(out.begin(), out.end());
        return out;
    }

    fs::path dir_;
    FakeMessages messages_;
    FakeFailDisplay fail_;
    FuseMap map_{messages_, fail_};
    std::vector<std::string> sums_;
};

TEST_F(FuseMapTest, BuildsClearedMapWithSlack) {
    ASSERT_TRUE(map_.InitFuseBuffer(kGal16V8));
    EXPECT_TRUE(messages_.shown.empty());
    ASSERT_EQ(map_.Block().size(), 2194u + 4096u);
    EXPECT_EQ(map_.GetFuseBuffer().size(), 2194u);
    EXPECT_EQ(map_.FuseAt(0), 0);
    EXPECT_EQ(map_.FuseAt(2193), 0);
    EXPECT_EQ(map_.FuseAt(2194), kNoFuse);
    EXPECT_EQ(map_.FuseAt(2194 + 4095), kNoFuse);
}

TEST_F(FuseMapTest, GeometryChecks) {
    struct Case {
        const char* name;
        FuseGeometry g;
        bool built;
    };
    const Case cases[] = {
        {"no fuses", {0, 44, 50, 20, 0}, false},
        {"negative count", {-5, 44, 50, 20, 0}, false},
        {"count beyond 32 signed bits", {0x80000000LL, 44, 50, 20, 0}, false},
        {"rows of no fuses", {2194, 0, 50, 20, 0}, false},
        {"negative row width", {2194, -44, 50, 20, 0}, false},
        {"no grid rows: warned, built", {2194, 44, 0, 20, 0}, true},
        {"too few pins: warned, built", {2194, 44, 50, 16, 0}, true},
    };
    for (const auto& c : cases) {
        FakeMessages messages;
        FakeFailDisplay fail;
        FuseMap map(messages, fail);
        EXPECT_EQ(map.InitFuseBuffer(c.g), c.built) << c.name;
        ASSERT_FALSE(messages.shown.empty()) << c.name;
        EXPECT_EQ(messages.shown[0].text, "'' maybe error..") << c.name;
        EXPECT_EQ(messages.shown[0].title, "Ini Error") << c.name;
        // Without a map the operator also hears that there is none.
        const std::vector<std::string> texts = messages.Texts();
        const std::vector<std::string> rest(texts.begin() + 1, texts.end());
        EXPECT_EQ(rest, c.built ? std::vector<std::string>{}
                                : std::vector<std::string>{" Insufficient memory for GlobalAlloc! "})
            << c.name;
        EXPECT_EQ(fail.count, c.built ? 0 : 1) << c.name;
        EXPECT_EQ(map.HasBlock(), c.built) << c.name;
        if (!c.built) {
            // A refused map is empty and every access is safe.
            EXPECT_EQ(map.FuseCount(), 0) << c.name;
            EXPECT_TRUE(map.GetFuseBuffer().empty()) << c.name;
            EXPECT_FALSE(map.SetFuse(0, 1)) << c.name;
            EXPECT_EQ(map.FuseAt(0), kNoFuse) << c.name;
            EXPECT_EQ(map.FuseChecksum(), 0u) << c.name;
        }
    }
}

TEST_F(FuseMapTest, IndexesAreBoundsChecked) {
    ASSERT_TRUE(map_.InitFuseBuffer(kGal16V8));
    EXPECT_EQ(map_.FuseAt(-1), kNoFuse);
    EXPECT_EQ(map_.FuseAt(INT64_MAX), kNoFuse);
    EXPECT_FALSE(map_.SetFuse(-1, 1));
    EXPECT_FALSE(map_.SetFuse(2194, 1));  // slack is no fuse
    EXPECT_EQ(map_.FuseAt(2194), kNoFuse);
    EXPECT_TRUE(map_.SetFuse(2193, 7));
    EXPECT_EQ(map_.FuseAt(2193), 1);

    // A chip read longer than the map fills the fuses only, as 0 and 1.
    std::vector<uint8_t> chip(0x10000, 0xFF);
    chip[0] = 0;
    EXPECT_EQ(map_.StoreFuses(chip), 2194);
    EXPECT_EQ(map_.FuseAt(0), 0);
    EXPECT_EQ(map_.FuseAt(1), 1);
    EXPECT_EQ(map_.FuseAt(2194), kNoFuse);

    // Taken from a later fuse on, a read stops at the last fuse as well.
    const std::vector<uint8_t> tail(0x100, 0);
    EXPECT_EQ(map_.StoreFuses(tail, 2100), 94);
    EXPECT_EQ(map_.FuseAt(2099), 1);
    EXPECT_EQ(map_.FuseAt(2100), 0);
    EXPECT_EQ(map_.FuseAt(2193), 0);
    EXPECT_EQ(map_.FuseAt(2194), kNoFuse);
    EXPECT_EQ(map_.StoreFuses(tail, 2194), 0);
}

TEST_F(FuseMapTest, ChecksumCountsOnlyFuses) {
    ASSERT_TRUE(map_.InitFuseBuffer(kGal16V8));
    // Filling the whole block sets the slack too; it must not reach the sum.
    map_.FillFuseBuffer(1);
    EXPECT_EQ(map_.FuseAt(2194), 1);
    EXPECT_EQ(map_.FuseChecksum(), 0x110F1u);
    map_.ClearFuseMap(0);
    EXPECT_EQ(map_.FuseChecksum(), 0u);
    EXPECT_EQ(map_.FuseAt(2194), kNoFuse);
}

TEST_F(FuseMapTest, ShowFuseChecksumModes) {
    ASSERT_TRUE(map_.InitFuseBuffer(kGal16V8));
    map_.SetFuse(7, 1);
    EXPECT_EQ(map_.ShowFuseChecksum(3), 0x80u);  // computes only
    EXPECT_TRUE(sums_.empty());
    map_.ShowFuseChecksum(6);
    map_.ShowFuseChecksum(6);
    EXPECT_TRUE(messages_.shown.empty());
    map_.ShowFuseChecksum(1);
    EXPECT_EQ(sums_, (std::vector<std::string>{"00000080 red", "00000080", "00000080"}));
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "00000080");
    EXPECT_EQ(messages_.shown[0].title, "Get Check Sum");
    EXPECT_EQ(map_.FuseLastChecksum, 0x80u);

    // A sum that falls is a change as well.
    map_.SetFuse(7, 0);
    map_.ShowFuseChecksum(6);
    EXPECT_EQ(sums_.back(), "00000000 red");
}

TEST_F(FuseMapTest, CopyFusesToBuffer) {
    ASSERT_TRUE(map_.InitFuseBuffer(kGal16V8));
    map_.SetFuse(0, 1);
    map_.SetFuse(2193, 1);
    std::vector<uint8_t> data(0x10000, 0xFF);
    EXPECT_TRUE(map_.CopyFusesToBuffer(data));
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[1], 0);
    EXPECT_EQ(data[2193], 1);
    EXPECT_EQ(data[2194], 0xFF);
    // A buffer of just the fuse count takes every fuse.
    std::vector<uint8_t> exact(2194, 0xFF);
    EXPECT_TRUE(map_.CopyFusesToBuffer(exact));
    EXPECT_EQ(exact[0], 1);
    EXPECT_EQ(exact[2192], 0);
    EXPECT_EQ(exact[2193], 1);

    EXPECT_FALSE(map_.CopyFusesToBuffer({}));
    std::vector<uint8_t> small(100, 0xFF);
    EXPECT_FALSE(map_.CopyFusesToBuffer(small));
    EXPECT_EQ(small, std::vector<uint8_t>(100, 0xFF));
    EXPECT_EQ(messages_.Texts(), (std::vector<std::string>{" Insufficient memory for GlobalAlloc! ",
                                                           " Insufficient memory! "}));
    EXPECT_EQ(fail_.count, 2);
}

TEST_F(FuseMapTest, LoadTakesTheFileAndShowsItsChecksum) {
    ASSERT_TRUE(map_.InitFuseBuffer(kGal16V8));
    int refreshes = 0;
    map_.OnRefreshView = [&] { ++refreshes; };
    // As GAL assemblers write it: fields after '*' at line starts.
    const std::string path = Write("gal.jed",
                                   "\x02GAL16V8\r\n*QP20\r\n*QF2194\r\n*F1\r\n*L00000 0000000\r\n"
                                   "*C0000\r\n*\x03" "0000");
    std::vector<uint8_t> data(0x10000, 0xFF);
    EXPECT_EQ(map_.LoadJedecFile(path, data), FuseLoadStatus::Loaded);
    EXPECT_EQ(map_.FuseAt(0), 0);
    EXPECT_EQ(map_.FuseAt(7), 1);
    EXPECT_EQ(map_.FuseAt(2193), 1);
    EXPECT_EQ(map_.FuseAt(2194), kNoFuse);
    EXPECT_EQ(map_.JedecPath(), path);
    EXPECT_EQ(data[0], 0);
    EXPECT_EQ(data[2193], 1);
    EXPECT_EQ(data[2194], 0xFF);
    // 0x110F1 less the seven fuses of bits 0 to 6.
    EXPECT_EQ(sums_, (std::vector<std::string>{"00011072 red"}));
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].title, "Get Check Sum");
    EXPECT_EQ(refreshes, 2);  // after the parse and after the copy
}

TEST_F(FuseMapTest, RefusedLoadsLeaveTheMapWhole) {
    struct Case {
        const char* name;
        std::string file;  // empty: no such file
        FuseLoadStatus status;
        std::string text, title;
    };
    const Case cases[] = {
        {"address past the map after some fuses",
         "\x02h*F0*L0 0000*L2195 1*\x03", FuseLoadStatus::SizeMismatch,
         "Fuse Size is not Match", "Error"},
        {"two STX", "\x02\x02h*L0 0*\x03", FuseLoadStatus::NotJedec,
         "This file is not a JEDEC file", "OPEN ERROR"},
        {"empty file", "", FuseLoadStatus::NotJedec, "This file is not a JEDEC file",
         "OPEN ERROR"},
        {"missing file", "-", FuseLoadStatus::CannotOpen, "Can't Open File", ""},
    };
    for (const auto& c : cases) {
        FakeMessages messages;
        FakeFailDisplay fail;
        FuseMap map(messages, fail);
        ASSERT_TRUE(map.InitFuseBuffer(kGal16V8));
        map.ClearFuseMap(1);
        const std::string path = c.file == "-" ? PathOf("none.jed") : Write("f.jed", c.file);
        std::vector<uint8_t> data(0x10000, 0xFF);
        EXPECT_EQ(map.LoadJedecFile(path, data), c.status) << c.name;
        ASSERT_EQ(messages.shown.size(), 1u) << c.name;
        EXPECT_EQ(messages.shown[0].text, c.text) << c.name;
        EXPECT_EQ(messages.shown[0].title, c.title) << c.name;
        EXPECT_EQ(map.FuseChecksum(), 0x110F1u) << c.name;
        EXPECT_EQ(data, std::vector<uint8_t>(0x10000, 0xFF)) << c.name;
        EXPECT_EQ(map.JedecPath(), "") << c.name;
    }
}

TEST_F(FuseMapTest, OversizedFileIsRefused) {
    ASSERT_TRUE(map_.InitFuseBuffer(kGal16V8));
    const std::string path = Write("big.jed", "\x02h*F1*");
    fs::resize_file(path, kMaxJedecFileSize + 1);  // sparse: costs no disk
    std::vector<uint8_t> data(0x10000, 0xFF);
    EXPECT_EQ(map_.LoadJedecFile(path, data), FuseLoadStatus::TooBig);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "File size is too big");
    EXPECT_EQ(messages_.shown[0].title, "Load Error");
    EXPECT_EQ(messages_.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(map_.FuseChecksum(), 0u);

    // A file of just the limit is still read whole.
    const std::string edge = Write("edge.jed", "\x02h*F1*");
    fs::resize_file(edge, kMaxJedecFileSize);
    std::string text;
    EXPECT_EQ(ReadJedecText(edge, text), JedecReadStatus::Ok);
    EXPECT_EQ(static_cast<int64_t>(text.size()), kMaxJedecFileSize);
}

TEST_F(FuseMapTest, SaveAsksBeforeReplacing) {
    ASSERT_TRUE(map_.InitFuseBuffer(kGal16V8));
    map_.SetFuse(8, 1);
    const std::string path = Write("out.jed", "old");

    messages_.answers = {MsgAnswer::Cancel};
    EXPECT_EQ(map_.SaveJedecFile(path), FuseSaveStatus::Cancelled);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "File is Exist ! ");
    EXPECT_EQ(messages_.shown[0].title, "");
    EXPECT_EQ(messages_.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(Read(path), "old");
    EXPECT_EQ(map_.JedecPath(), "");

    messages_.answers = {MsgAnswer::Ok};
    EXPECT_EQ(map_.SaveJedecFile(path), FuseSaveStatus::Saved);
    const auto expected = BuildJedecText(map_.GetFuseBuffer(), 44);
    EXPECT_EQ(Read(path), std::string(expected.begin(), expected.end()));
    EXPECT_EQ(map_.JedecPath(), path);
    EXPECT_EQ(Entries(), std::vector<std::string>{"out.jed"});  // no temporary left

    // A new file is written without a question.
    messages_.Clear();
    EXPECT_EQ(map_.SaveJedecFile(PathOf("new.jed")), FuseSaveStatus::Saved);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(FuseMapTest, FailedSaveKeepsPathAndOldFile) {
    ASSERT_TRUE(map_.InitFuseBuffer(kGal16V8));
    const std::string good = PathOf("good.jed");
    ASSERT_EQ(map_.SaveJedecFile(good), FuseSaveStatus::Saved);
    const std::string before = Read(good);
    fs::create_directory(PathOf("adir"));
    map_.SetFuse(0, 1);

    // The message names the file and says what the file system said.
    const auto cannot = [](const std::string& path, const char* why) {
        return "Can't Write File \"" + path + "\". " + why;
    };
    for (const auto& [bad, why] :
         {std::pair{PathOf("missing/dir/x.jed"), "No such file or directory"},
          std::pair{PathOf("adir"), "Is a directory"}}) {
        messages_.Clear();
        EXPECT_EQ(map_.SaveJedecFile(bad), FuseSaveStatus::WriteFailed) << bad;
        ASSERT_FALSE(messages_.shown.empty());
        EXPECT_EQ(messages_.shown.back().text, cannot(bad, why));
        EXPECT_EQ(map_.JedecPath(), good) << bad;
    }
    EXPECT_EQ(Read(good), before);

    // A read-only file is refused, as the data saves refuse it.
    const std::string readOnly = PathOf("ro.jed");
    std::ofstream(readOnly) << "old";
    ::chmod(readOnly.c_str(), 0444);
    messages_.Clear();
    messages_.answers = {MsgAnswer::Ok};  // "File is Exist ! ": replace it
    EXPECT_EQ(map_.SaveJedecFile(readOnly), FuseSaveStatus::WriteFailed);
    EXPECT_EQ(messages_.Texts(), (std::vector<std::string>{"File is Exist ! ",
                                                           cannot(readOnly, "Permission denied")}));
    EXPECT_EQ(Read(readOnly), "old");

    // A disk that fills up part-way keeps the old file.
    const std::string answer = testing::WithFileSizeLimit(512, [&] {
        messages_.Clear();
        if (map_.WriteJedecFile(good) != FuseSaveStatus::WriteFailed) return std::string("written");
        return messages_.shown.empty() ? std::string("no message") : messages_.shown.back().text;
    });
    EXPECT_EQ(answer, cannot(good, "File too large"));
    EXPECT_EQ(Read(good), before);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"adir", "good.jed", "ro.jed"}));
}

TEST_F(FuseMapTest, RandomMapSurvivesSaveAndLoad) {
    std::mt19937 rng(7);
    ASSERT_TRUE(map_.InitFuseBuffer({5892, 76, 78, 24, 0}));
    for (int64_t i = 0; i < map_.FuseCount(); ++i) map_.SetFuse(i, rng() & 1);
    const std::vector<uint8_t> saved(map_.GetFuseBuffer().begin(), map_.GetFuseBuffer().end());
    const uint32_t sum = map_.FuseChecksum();
    const std::string path = PathOf("r.jed");
    ASSERT_EQ(map_.WriteJedecFile(path), FuseSaveStatus::Saved);

    map_.ClearFuseMap(0);
    std::vector<uint8_t> data(0x10000, 0xFF);
    ASSERT_EQ(map_.LoadJedecFile(path, data), FuseLoadStatus::Loaded);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), map_.GetFuseBuffer().begin()));
    EXPECT_EQ(map_.FuseChecksum(), sum);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), data.begin()));
}

}  // namespace
}  // namespace burnmark
