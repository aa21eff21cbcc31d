#include "buffer/formats/intel_hex.h"

#include <gtest/gtest.h>

#include "reader_cases.h"

namespace burnmark {
namespace {

// The checks of the tables are in reader_tables_test.cpp.
using namespace burnmark::testing;

// Intel reports no lowest address: LowAddress is 0 in every row.
INSTANTIATE_TEST_SUITE_P(
    Intel, ReaderGoodFiles,
    ::testing::Combine(::testing::Values(LoadIntelHex), ::testing::Values(
        GoodCase{"OneDataRecord", ":0100000055AA\r\n:00000001FF\r\n", 0x100, {{0, 0x55}}, 0, 0,
                 {}},
        GoodCase{"LowerCaseDigits", ":0200100055aaef\n:00000001ff\n", 0x100,
                 {{0x10, 0x55}, {0x11, 0xAA}}, 0, 0x11, {}},
        GoodCase{"LinearBase", ":020000040001F9\r\n:0100000055AA\r\n:00000001FF\r\n", 0x100,
                 {{0x10000, 0x55}}, 0, 0x10000, {}},
        GoodCase{"SegmentBase", ":020000021000EC\r\n:0100000055AA\r\n", 0x100, {{0x10000, 0x55}},
                 0, 0x10000, {}},
        // Both bases are added to every data address.
        GoodCase{"SegmentAndLinearBasesAdd",
                 ":020000021000EC\r\n:020000040001F9\r\n:0100000055AA\r\n", 0x100,
                 {{0x20000, 0x55}}, 0, 0x20000, {}},
        // A segment base after a linear one leaves the linear base in force.
        GoodCase{"LinearThenSegmentBasesAdd",
                 ":020000040001F9\r\n:020000021000EC\r\n:0100000055AA\r\n", 0x100,
                 {{0x20000, 0x55}}, 0, 0x20000, {}},
        GoodCase{"StartAddressRecordsSkipped",
                 ":0400000300001234B3\r\n:0400000512345678E3\r\n:0100000055AA\r\n", 0x100,
                 {{0, 0x55}}, 0, 0, {}},
        GoodCase{"EndRecordOnly", ":00000001FF\r\n", 0x100, {}, 0, 0, {}},
        // The last line of a file need not end with a line break.
        GoodCase{"EndRecordWithoutLineEnd", ":0100000055AA\r\n:00000001FF", 0x100, {{0, 0x55}},
                 0, 0, {}},
        // The highest address is the highest of all records, not the last one's.
        GoodCase{"DescendingAddresses", ":0100100033BC\r\n:0100000055AA\r\n", 0x100,
                 {{0x10, 0x33}, {0, 0x55}}, 0, 0x10, {}},
        GoodCase{"NothingReadAfterEndRecord", ":0100000055AA\r\n:00000001FF\r\n:010005006694\r\n",
                 0x100, {{0, 0x55}, {5, 0}}, 0, 0, {}},
        GoodCase{"TextBetweenRecordsSkipped", "header\r\n:0100000055AA\r\nfooter\r\n", 0x100,
                 {{0, 0x55}}, 0, 0, {}},
        // Two bad checksums: the data stays and the warning comes once.
        GoodCase{"BadChecksumsKeepDataWarnOnce", ":0100000055AB\r\n:0100010066AA\r\n", 0x100,
                 {{0, 0x55}, {1, 0x66}}, 0, 1, {kChecksumWarning}},
        // A type-04 record is checked like the others: a corrupt base is reported.
        GoodCase{"BadLinearBaseChecksumWarns", ":020000040001F8\r\n:0100000055AA\r\n", 0x100,
                 {{0x10000, 0x55}}, 0, 0x10000, {kChecksumWarning}})),
    CaseName());

INSTANTIATE_TEST_SUITE_P(
    Intel, ReaderBadFiles,
    ::testing::Combine(::testing::Values(LoadIntelHex), ::testing::Values(
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
                ReadPass::Extent, "Out of buffer !"})),
    CaseName());

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

TEST(IntelHexReader, LinearBaseAtOrPastTheImageGrowsItByItsSegment) {
    // Used on its own (without an extent pass first), the store pass grows the
    // image to hold the 64 KB that a linear base at or beyond its end opens.
    struct Case {
        const char* name;
        uint64_t imageSize;
        const char* file;
        uint32_t dataAddress;
    };
    const Case cases[] = {
        {"PastTheImage", 0x100, ":020000040002F8\r\n:01FFFF0055AC\r\n", 0x2FFFF},
        {"RightAtTheImageEnd", 0x10000, ":020000040001F9\r\n:01FFFF0055AC\r\n", 0x1FFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReaderRig rig;
        ParsedImage image;
        ASSERT_TRUE(LoadIntelHex(rig.Ports(), ReadPass::Store, image, c.imageSize,
                                 AsBytes(c.file), {true, 0x11}));
        ASSERT_EQ(image.Image.size(), c.dataAddress + 1u);
        EXPECT_EQ(image.Image[c.dataAddress], 0x55);
        EXPECT_EQ(image.Image[c.dataAddress - 0xFFFF], 0x11);
        EXPECT_TRUE(rig.messages.shown.empty());
    }
}

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
