#include "buffer/formats/intel_hex.h"

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
    std::map<uint32_t, uint8_t> bytes;  // address -> value in the stored image
    uint32_t highAddress;
    std::vector<std::string> messages;
};

class IntelGoodFiles : public ::testing::TestWithParam<GoodCase> {};

TEST_P(IntelGoodFiles, LoadTheirBytesAtTheirAddresses) {
    const GoodCase& c = GetParam();
    ReaderRig rig;
    auto r = RunBothPasses(rig, LoadIntelHex, c.file, 0x100);
    ASSERT_TRUE(r.extentOk);
    ASSERT_TRUE(r.storeOk);
    EXPECT_EQ(r.image.HighAddress, c.highAddress);
    EXPECT_EQ(r.image.LowAddress, 0u);
    for (auto [address, value] : c.bytes) {
        ASSERT_LT(address, r.image.Image.size());
        EXPECT_EQ(r.image.Image[address], value) << "address " << std::hex << address;
    }
    EXPECT_EQ(rig.messages.Texts(), c.messages);
    EXPECT_FALSE(rig.progress.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Records, IntelGoodFiles,
    ::testing::Values(
        GoodCase{"OneDataRecord", ":0100000055AA\r\n:00000001FF\r\n", {{0, 0x55}}, 0, {}},
        GoodCase{"LowerCaseDigits", ":0200100055aaef\n:00000001ff\n", {{0x10, 0x55}, {0x11, 0xAA}},
                 0x11, {}},
        GoodCase{"LinearBase", ":020000040001F9\r\n:0100000055AA\r\n:00000001FF\r\n",
                 {{0x10000, 0x55}}, 0x10000, {}},
        GoodCase{"SegmentBase", ":020000021000EC\r\n:0100000055AA\r\n", {{0x10000, 0x55}},
                 0x10000, {}},
        // Both bases are added to every data address.
        GoodCase{"SegmentAndLinearBasesAdd",
                 ":020000021000EC\r\n:020000040001F9\r\n:0100000055AA\r\n", {{0x20000, 0x55}},
                 0x20000, {}},
        GoodCase{"StartAddressRecordsSkipped",
                 ":0400000300001234B3\r\n:0400000512345678E3\r\n:0100000055AA\r\n", {{0, 0x55}},
                 0, {}},
        GoodCase{"EndRecordOnly", ":00000001FF\r\n", {}, 0, {}},
        GoodCase{"NothingReadAfterEndRecord", ":0100000055AA\r\n:00000001FF\r\n:010005006694\r\n",
                 {{0, 0x55}, {5, 0}}, 0, {}},
        GoodCase{"TextBetweenRecordsSkipped", "header\r\n:0100000055AA\r\nfooter\r\n",
                 {{0, 0x55}}, 0, {}},
        // Two bad checksums: the data stays and the warning comes once.
        GoodCase{"BadChecksumsKeepDataWarnOnce", ":0100000055AB\r\n:0100010066AA\r\n",
                 {{0, 0x55}, {1, 0x66}}, 1, {kChecksumWarning}},
        // A type-04 record is checked like the others: a corrupt base is reported.
        GoodCase{"BadLinearBaseChecksumWarns", ":020000040001F8\r\n:0100000055AA\r\n",
                 {{0x10000, 0x55}}, 0x10000, {kChecksumWarning}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
    const char* name;
    std::string file;
    uint64_t imageSize;
    ReadPass failingPass;
    std::string message;
};

class IntelBadFiles : public ::testing::TestWithParam<BadCase> {};

TEST_P(IntelBadFiles, FailWithTheirMessage) {
    const BadCase& c = GetParam();
    ReaderRig rig;
    ParsedImage image;
    if (c.failingPass == ReadPass::Store) {
        // The extent pass alone does not fail on these.
        ASSERT_TRUE(LoadIntelHex(rig.Ports(), ReadPass::Extent, image, c.imageSize,
                                 AsBytes(c.file), {}));
        rig.messages.Clear();
    }
    EXPECT_FALSE(LoadIntelHex(rig.Ports(), c.failingPass, image, c.imageSize, AsBytes(c.file), {}));
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, c.message);
    EXPECT_EQ(rig.messages.shown[0].title, "");
    EXPECT_FALSE(rig.progress.shown);
    EXPECT_TRUE(image.Image.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Errors, IntelBadFiles,
    ::testing::Values(
        BadCase{"Empty", "", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"NoColon", "0100000055AA\r\n", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"ShorterThanItsCount", ":0400000055AA\r\n:00000001FF\r\n", 0x100, ReadPass::Extent,
                "FORMAT ERROR !"},
        BadCase{"CutAtEndOfFile", ":0100000055", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"CutHeader", ":0100", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"NonHexData", ":01000000G5AA\r\n", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"NonHexChecksum", ":0100000055A \r\n", 0x100, ReadPass::Extent,
                "FORMAT ERROR !"},
        BadCase{"NonHexCount", ":G100000055AA\r\n", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"BaseRecordWithoutValue", ":00000004FC\r\n", 0x100, ReadPass::Extent,
                "FORMAT ERROR !"},
        // The last byte at 0x100 lies one past a 0x100-byte image.
        BadCase{"DataBeyondImage", ":0200FF00556644\r\n", 0x100, ReadPass::Store,
                "Out of buffer !"},
        // A linear base near 4 GB must not wrap to a small address.
        BadCase{"LinearBaseNear4GB", ":02000004FFFFFC\r\n:01FFFF0055AC\r\n", 0x100,
                ReadPass::Extent, "Out of buffer !"},
        // 256 MB is the cap: an image that would end past it is refused.
        BadCase{"BeyondImageCap", ":020000041000EA\r\n:0100000055AA\r\n", 0x100,
                ReadPass::Extent, "Out of buffer !"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IntelHexReader, PreFillsTheStoredImage) {
    const std::string file = ":01001000559A\r\n";
    for (FillSettings fill : {FillSettings{false, 0xAA}, FillSettings{true, 0xAA}}) {
        ReaderRig rig;
        ParsedImage image;
        ASSERT_TRUE(LoadIntelHex(rig.Ports(), ReadPass::Store, image, 0x40, AsBytes(file), fill));
        ASSERT_EQ(image.Image.size(), 0x40u);
        const uint8_t expected = fill.fillUnused ? 0xAA : 0x00;
        EXPECT_EQ(image.Image[0x0F], expected);
        EXPECT_EQ(image.Image[0x10], 0x55);
        EXPECT_EQ(image.Image[0x3F], expected);
    }
}

TEST(IntelHexReader, ExtentPassHoldsNoImage) {
    ReaderRig rig;
    ParsedImage image;
    ASSERT_TRUE(LoadIntelHex(rig.Ports(), ReadPass::Extent, image, 0x100,
                             AsBytes(":0100000055AA\r\n"), {}));
    EXPECT_TRUE(image.Image.empty());
}

TEST(IntelHexReader, ExtentPassReportsDataBeyondTheImageForTheFlowToGrow) {
    // The extent pass is bounded by the cap, not by the current buffer.
    ReaderRig rig;
    ParsedImage image;
    ASSERT_TRUE(LoadIntelHex(rig.Ports(), ReadPass::Extent, image, 0x100,
                             AsBytes(":020000040002F8\r\n:023456005566B9\r\n"), {}));
    EXPECT_EQ(image.HighAddress, 0x23457u);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(IntelHexReader, LinearBasePastTheImageGrowsItByItsSegment) {
    // Used on its own (without an extent pass first), the store pass grows the
    // image to hold the 64 KB that a linear base beyond it opens.
    ReaderRig rig;
    ParsedImage image;
    ASSERT_TRUE(LoadIntelHex(rig.Ports(), ReadPass::Store, image, 0x100,
                             AsBytes(":020000040002F8\r\n:01FFFF0055AC\r\n"), {true, 0x11}));
    ASSERT_EQ(image.Image.size(), 0x30000u);
    EXPECT_EQ(image.Image[0x2FFFF], 0x55);
    EXPECT_EQ(image.Image[0x20000], 0x11);
}

}  // namespace
}  // namespace burnmark

namespace burnmark {
namespace {

TEST(IntelHexReader, ABaseWithoutDataAllocatesNothing) {
    // A stray base record near the cap must not cost a 256 MB image.
    ReaderRig rig;
    ParsedImage image;
    ASSERT_TRUE(LoadIntelHex(rig.Ports(), ReadPass::Store, image, 0x100,
                             AsBytes(":0100000055AA\r\n:020000040FFFEC\r\n:00000001FF\r\n"), {}));
    EXPECT_EQ(image.Image.size(), 0x100u);
    EXPECT_EQ(image.HighAddress, 0u);
}

}  // namespace
}  // namespace burnmark
