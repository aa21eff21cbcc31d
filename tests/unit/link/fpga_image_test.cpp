#include <gtest/gtest.h>

#include <algorithm>

#include "link_fixture.h"

namespace burnmark::testing {
namespace {

using FpgaImageTest = LinkFixture;

// Plays a failed allocation of the image block.
class StarvedFpgaImage : public FpgaImage {
public:
    using FpgaImage::FpgaImage;
    bool starve = false;

protected:
    std::unique_ptr<Block> AllocateBlock() override {
        return starve ? nullptr : FpgaImage::AllocateBlock();
    }
};

TEST_F(FpgaImageTest, ShortFileIsPaddedWithFF) {
    EXPECT_FALSE(fpga.Owned());
    ASSERT_TRUE(fpga.LoadFpgaFile(WriteFile("a.fpga", kShortFpga)));
    EXPECT_TRUE(fpga.Owned());
    EXPECT_EQ(fpga.FpgaBufferOwned(), 1);
    const auto data = fpga.Data();
    EXPECT_TRUE(std::equal(kShortFpga.begin(), kShortFpga.end(), data.begin()));
    EXPECT_TRUE(std::all_of(data.begin() + 10, data.end(), [](uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(fail.count, 0);
}

TEST_F(FpgaImageTest, LongFileGivesOnlyItsFirst24K) {
    std::vector<uint8_t> bytes(0x7000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    ASSERT_TRUE(fpga.LoadFpgaFile(WriteFile("long.fpga", bytes)));
    const auto data = fpga.Data();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), bytes.begin()));
}

TEST_F(FpgaImageTest, ReplacingLoadTakesTheNewFileWhole) {
    ASSERT_TRUE(fpga.LoadFpgaFile(WriteFile("long.fpga", std::vector<uint8_t>(0x6000, 0x00))));
    ASSERT_TRUE(fpga.LoadFpgaFile(WriteFile("a.fpga", kShortFpga)));
    // Nothing of the first image may show through behind the second.
    EXPECT_EQ(fpga.Data()[10], 0xFF);
    EXPECT_EQ(fpga.Data()[0x5FFF], 0xFF);
}

// A failed load reports and leaves the image held before untouched, so that
// no freed or half-filled block is ever sent; the result tells the loader the
// file is missing.
struct LoadFailCase {
    const char* name;
    bool starve;       // the block cannot be allocated
    bool directory;    // the path names a folder: it opens but cannot be read
    const char* text;
};

void PrintTo(const LoadFailCase& c, std::ostream* os) { *os << c.name; }

class FpgaLoadFailTest : public LinkFixture, public ::testing::WithParamInterface<LoadFailCase> {};

TEST_P(FpgaLoadFailTest, KeepsTheOldImageAndReports) {
    const LoadFailCase& c = GetParam();
    StarvedFpgaImage image(messages, fail);
    for (bool loadedBefore : {false, true}) {
        SCOPED_TRACE(loadedBefore ? "with an image loaded before" : "first load");
        messages.Clear();
        fail.count = 0;
        image.Release();
        image.starve = false;
        if (loadedBefore) {
            ASSERT_TRUE(image.LoadFpgaFile(WriteFile("old.fpga", kShortFpga)));
        }

        std::string path = WriteFile("new.fpga", std::vector<uint8_t>(100, 0x00));
        if (c.directory) path = std::filesystem::path(path).parent_path().string();
        else if (!c.starve) path += ".missing";
        image.starve = c.starve;

        EXPECT_FALSE(image.LoadFpgaFile(path));
        ASSERT_EQ(messages.Texts(), std::vector<std::string>{c.text});
        EXPECT_TRUE(messages.shown[0].plain);
        EXPECT_EQ(fail.count, 1);
        EXPECT_EQ(image.Owned(), loadedBefore);
        EXPECT_EQ(image.FpgaBufferOwned(), loadedBefore ? 1 : 0);
        if (loadedBefore) {
            EXPECT_TRUE(std::equal(kShortFpga.begin(), kShortFpga.end(), image.Data().begin()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FpgaLoadFailTest,
    ::testing::Values(LoadFailCase{"NoMemory", true, false, "Memory Can't Open 32K Byte"},
                      LoadFailCase{"NoFile", false, false, "Can't Open File !!"},
                      LoadFailCase{"Unreadable", false, true, "Can't Open File !!"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace burnmark::testing
