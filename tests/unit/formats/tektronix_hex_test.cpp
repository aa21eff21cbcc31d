#include "buffer/formats/tektronix_hex.h"

#include <gtest/gtest.h>

#include <map>

#include "reader_rig.h"

namespace burnmark {
namespace {

using testing::AsBytes;
using testing::ReaderRig;
using testing::RunBothPasses;

constexpr const char* kChecksumWarning = "File read in complete!\nData still load in buffer.";
// Address 0x0010, four bytes: the header checksum is the digit sum 0+0+1+0+0+4.
constexpr const char* kRecord10 = "/00100405010203040A\r\n";
constexpr const char* kRecord40 = "/00400206112206\r\n";
constexpr const char* kEnd = "/00000000\r\n";

struct GoodCase {
    const char* name;
    std::string file;
    std::map<uint32_t, uint8_t> bytes;
    uint32_t lowAddress;
    uint32_t highAddress;
    std::vector<std::string> messages;
};

class TektronixGoodFiles : public ::testing::TestWithParam<GoodCase> {};

TEST_P(TektronixGoodFiles, LoadTheirBytesAtTheirAddresses) {
    const GoodCase& c = GetParam();
    ReaderRig rig;
    auto r = RunBothPasses(rig, LoadTektronixHex, c.file, 0x100);
    ASSERT_TRUE(r.extentOk);
    ASSERT_TRUE(r.storeOk);
    EXPECT_EQ(r.image.LowAddress, c.lowAddress);
    EXPECT_EQ(r.image.HighAddress, c.highAddress);
    for (auto [address, value] : c.bytes) {
        ASSERT_LT(address, r.image.Image.size());
        EXPECT_EQ(r.image.Image[address], value) << "address " << std::hex << address;
    }
    EXPECT_EQ(rig.messages.Texts(), c.messages);
    EXPECT_FALSE(rig.progress.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Records, TektronixGoodFiles,
    ::testing::Values(
        GoodCase{"TwoRecordsAndEnd", std::string(kRecord40) + kRecord10 + kEnd,
                 {{0x10, 1}, {0x13, 4}, {0x40, 0x11}, {0x41, 0x22}, {0x14, 0}}, 0x10, 0x41, {}},
        GoodCase{"SlashWithoutAddressIsText", std::string("a/b/c\r\n") + kRecord10,
                 {{0x10, 1}}, 0x10, 0x13, {}},
        GoodCase{"NothingReadAfterEnd", std::string(kRecord10) + kEnd + kRecord40,
                 {{0x10, 1}, {0x40, 0}}, 0x10, 0x13, {}},
        GoodCase{"LastAddress", "/FFFF023E010203\r\n", {{0xFFFF, 1}, {0x10000, 2}}, 0xFFFF,
                 0x10000, {}},
        GoodCase{"BadDataChecksumKeepsDataAndWarns", "/00100405010203040B\r\n" + std::string(kEnd),
                 {{0x10, 1}}, 0x10, 0x13, {kChecksumWarning}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
    const char* name;
    std::string file;
    uint64_t imageSize;
    ReadPass failingPass;
    std::string message;
};

class TektronixBadFiles : public ::testing::TestWithParam<BadCase> {};

TEST_P(TektronixBadFiles, FailWithTheirMessage) {
    const BadCase& c = GetParam();
    ReaderRig rig;
    ParsedImage image;
    if (c.failingPass == ReadPass::Store) {
        ASSERT_TRUE(LoadTektronixHex(rig.Ports(), ReadPass::Extent, image, c.imageSize,
                                     AsBytes(c.file), {}));
        rig.messages.Clear();
    }
    EXPECT_FALSE(
        LoadTektronixHex(rig.Ports(), c.failingPass, image, c.imageSize, AsBytes(c.file), {}));
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, c.message);
    EXPECT_EQ(rig.messages.shown[0].title, "");
    EXPECT_FALSE(rig.progress.shown);
    EXPECT_TRUE(image.Image.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Errors, TektronixBadFiles,
    ::testing::Values(
        BadCase{"NoRecord", "no records here\r\n", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        // A header checksum that does not match cannot be trusted to place data.
        BadCase{"HeaderChecksumMismatch", "/00100406010203040A\r\n", 0x100, ReadPass::Extent,
                "FORMAT ERROR !"},
        BadCase{"CutRecord", "/001004050102", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"NonHexData", "/0010040501020X040A\r\n", 0x100, ReadPass::Extent,
                "FORMAT ERROR !"},
        BadCase{"NonHexCount", "/0010G40501020X040A\r\n", 0x100, ReadPass::Extent,
                "FORMAT ERROR !"},
        BadCase{"DataBeyondImage", kRecord40, 0x41, ReadPass::Store, "Out of buffer !"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TektronixHexReader, FillsGapsOnlyWhenAsked) {
    const std::string file = std::string(kRecord10) + kEnd;
    for (FillSettings fill : {FillSettings{false, 0xAA}, FillSettings{true, 0xAA}}) {
        ReaderRig rig;
        ParsedImage image;
        ASSERT_TRUE(
            LoadTektronixHex(rig.Ports(), ReadPass::Store, image, 0x20, AsBytes(file), fill));
        EXPECT_EQ(image.Image[0x0F], fill.fillUnused ? 0xAA : 0x00);
        EXPECT_EQ(image.Image[0x10], 1);
    }
}

}  // namespace
}  // namespace burnmark
