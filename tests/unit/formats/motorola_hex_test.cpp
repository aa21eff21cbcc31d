#include "buffer/formats/motorola_hex.h"

#include <gtest/gtest.h>

#include <map>

#include "reader_rig.h"

namespace burnmark {
namespace {

using testing::AsBytes;
using testing::ReaderRig;
using testing::RunBothPasses;

constexpr const char* kChecksumWarning = "File read in complete!\nData still load in buffer.";

struct GoodCase {
    const char* name;
    std::string file;
    uint64_t imageSize;
    std::map<uint32_t, uint8_t> bytes;
    uint32_t lowAddress;
    uint32_t highAddress;
    std::vector<std::string> messages;
};

class MotorolaGoodFiles : public ::testing::TestWithParam<GoodCase> {};

TEST_P(MotorolaGoodFiles, LoadTheirBytesAtTheirAddresses) {
    const GoodCase& c = GetParam();
    ReaderRig rig;
    auto r = RunBothPasses(rig, LoadMotorolaHex, c.file, c.imageSize);
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
    Records, MotorolaGoodFiles,
    ::testing::Values(
        GoodCase{"HeaderDataEnd", "S00600004844521B\r\nS105000055663F\r\nS10400107774\r\nS9030000FC\r\n",
                 0x100, {{0, 0x55}, {1, 0x66}, {0x10, 0x77}, {2, 0xFF}}, 0, 0x10, {}},
        // Records must not be lost whatever ends the lines.
        GoodCase{"CarriageReturnsOnly", "S105000055663F\rS10400107774\rS9030000FC\r", 0x100,
                 {{0, 0x55}, {0x10, 0x77}}, 0, 0x10, {}},
        GoodCase{"LineFeedsOnly", "S105000055663F\nS10400107774\nS9030000FC\n", 0x100,
                 {{0, 0x55}, {0x10, 0x77}}, 0, 0x10, {}},
        GoodCase{"OddTextBeforeARecord", "x\r\nS10400107774\r\nS9030000FC\r\n", 0x100,
                 {{0x10, 0x77}}, 0x10, 0x10, {}},
        GoodCase{"PercentPrefix", "%S10400107774\r\n%S9030000FC\r\n", 0x100, {{0x10, 0x77}},
                 0x10, 0x10, {}},
        GoodCase{"CountRecordPassedOver", "S10400107774\r\nS50500000003F7\r\nS9030000FC\r\n",
                 0x100, {{0x10, 0x77}}, 0x10, 0x10, {}},
        GoodCase{"S2Record", "S205012340ABEB\r\nS804000000FB\r\n", 0x20000, {{0x12340, 0xAB}},
                 0x12340, 0x12340, {}},
        GoodCase{"S3Record", "S30600000200CD2A\r\nS70500000000FA\r\n", 0x400, {{0x200, 0xCD}},
                 0x200, 0x200, {}},
        GoodCase{"EndRecordOnly", "S9030000FC\r\n", 0x100, {}, 0, 0, {}},
        GoodCase{"NothingReadAfterEndRecord", "S9030000FC\r\nS10400107774\r\n", 0x100,
                 {{0x10, 0xFF}}, 0, 0, {}},
        GoodCase{"BadChecksumKeepsDataAndWarns", "S10400107775\r\nS9030000FC\r\n", 0x100,
                 {{0x10, 0x77}}, 0x10, 0x10, {kChecksumWarning}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
    const char* name;
    std::string file;
    uint64_t imageSize;
    ReadPass failingPass;
    std::string message;
};

class MotorolaBadFiles : public ::testing::TestWithParam<BadCase> {};

TEST_P(MotorolaBadFiles, FailWithTheirMessage) {
    const BadCase& c = GetParam();
    ReaderRig rig;
    ParsedImage image;
    if (c.failingPass == ReadPass::Store) {
        ASSERT_TRUE(LoadMotorolaHex(rig.Ports(), ReadPass::Extent, image, c.imageSize,
                                    AsBytes(c.file), {}));
        rig.messages.Clear();
    }
    EXPECT_FALSE(
        LoadMotorolaHex(rig.Ports(), c.failingPass, image, c.imageSize, AsBytes(c.file), {}));
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, c.message);
    EXPECT_EQ(rig.messages.shown[0].title, "");
    EXPECT_FALSE(rig.progress.shown);
    EXPECT_TRUE(image.Image.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Errors, MotorolaBadFiles,
    ::testing::Values(
        BadCase{"NoRecord", "S00600004844521B\r\n", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"CountZero", "S100\r\n", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"CountTooSmallForAddress", "S30300FC\r\n", 0x100, ReadPass::Extent,
                "FORMAT ERROR !"},
        BadCase{"CutRecord", "S10400107", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"NonHexData", "S104001077G4\r\n", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"NonHexAddress", "S1040X107774\r\n", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"S3BeyondImage", "S30600001000CD1C\r\n", 0x400, ReadPass::Store,
                "Out of buffer !"},
        // S1 and S2 data are bounded like S3 data.
        BadCase{"S2BeyondImage", "S205012340ABEB\r\n", 0x400, ReadPass::Store,
                "Out of buffer !"},
        BadCase{"S1BeyondImage", "S10400107774\r\n", 0x10, ReadPass::Store, "Out of buffer !"},
        BadCase{"S3BeyondCap", "S30620000000CD0C\r\n", 0x400, ReadPass::Extent,
                "Out of buffer !"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MotorolaHexReader, PreFillsWithFfOrTheFillByte) {
    const std::string file = "S10400107774\r\n";
    for (FillSettings fill : {FillSettings{false, 0x00}, FillSettings{true, 0x5A}}) {
        ReaderRig rig;
        ParsedImage image;
        ASSERT_TRUE(
            LoadMotorolaHex(rig.Ports(), ReadPass::Store, image, 0x20, AsBytes(file), fill));
        EXPECT_EQ(image.Image[0x0F], fill.fillUnused ? 0x5A : 0xFF);
        EXPECT_EQ(image.Image[0x10], 0x77);
    }
}

TEST(MotorolaHexReader, ShowsWaitingAndFillsTheBarAtTheEndRecord) {
    ReaderRig rig;
    ParsedImage image;
    ASSERT_TRUE(LoadMotorolaHex(rig.Ports(), ReadPass::Store, image, 0x20,
                                AsBytes("S10400107774\r\nS9030000FC\r\n"), {}));
    EXPECT_EQ(rig.progress.captions, std::vector<std::string>{"Waiting..."});
    EXPECT_EQ(rig.progress.steps, 2);
    EXPECT_EQ(rig.progress.finishes, 1);
    EXPECT_EQ(rig.progress.closes, 1);
}

}  // namespace
}  // namespace burnmark
