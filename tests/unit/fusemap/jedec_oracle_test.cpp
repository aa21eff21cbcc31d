// Our JEDEC files against Debian's jedutil (mame-tools): it checks both the
// fuse checksum and the transmission checksum, converts our file to its binary
// form, and its own JEDEC file of that binary reads back to the same fuses.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "fusemap/jedec.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;

std::string FindJedutil() {
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/usr/games"}) {
        const fs::path p = fs::path(dir) / "jedutil";
        if (fs::exists(p)) return p.string();
    }
    return {};
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int RunConvert(const std::string& tool, const fs::path& from, const fs::path& to) {
    const std::string cmd =
        "'" + tool + "' -convert '" + from.string() + "' '" + to.string() + "' >/dev/null 2>&1";
    return std::system(cmd.c_str());
}

TEST(JedecOracle, JedutilAcceptsOurFiles) {
    const std::string jedutil = FindJedutil();
    if (jedutil.empty()) GTEST_SKIP() << "jedutil (mame-tools) is not installed";

    char tmpl[] = "/tmp/jedec_oracle.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const fs::path dir = tmpl;

    std::mt19937 rng(99);
    const struct {
        size_t count;
        int32_t cols;
    } maps[] = {{2194, 44}, {5892, 76}, {10, 3}, {8, 8}};
    for (const auto& m : maps) {
        std::vector<uint8_t> fuses(m.count);
        for (auto& f : fuses) f = rng() & 1;
        fuses[0] = 1;  // a zero checksum would not be checked
        const auto text = BuildJedecText(fuses, m.cols);
        {
            std::ofstream out(dir / "ours.jed", std::ios::binary);
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
        }
        ASSERT_EQ(RunConvert(jedutil, dir / "ours.jed", dir / "fuses.bin"), 0) << m.count;

        // Its binary form: the fuse count big-endian, then the fuses eight to a
        // byte, the first fuse in bit 0.
        const std::string bin = ReadAll(dir / "fuses.bin");
        ASSERT_EQ(bin.size(), 4 + (m.count + 7) / 8) << m.count;
        uint32_t count = 0;
        for (int i = 0; i < 4; ++i) count = (count << 8) | uint8_t(bin[i]);
        EXPECT_EQ(count, m.count);
        for (size_t i = 0; i < m.count; ++i) {
            const int bit = (uint8_t(bin[4 + i / 8]) >> (i % 8)) & 1;
            ASSERT_EQ(bit, fuses[i]) << "fuse " << i << " of " << m.count;
        }

        ASSERT_EQ(RunConvert(jedutil, dir / "fuses.bin", dir / "theirs.jed"), 0) << m.count;
        std::vector<uint8_t> back(m.count, 2);
        ASSERT_EQ(ReadJedecFuses(ReadAll(dir / "theirs.jed"), back), JedecParseStatus::Ok);
        EXPECT_EQ(back, fuses) << m.count;
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace burnmark
