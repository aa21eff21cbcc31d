#include "buffer/formats/motorola_hex.h"

#include <gtest/gtest.h>

#include "reader_cases.h"

namespace burnmark {
namespace {

// The checks of the tables are in reader_tables_test.cpp.
using namespace burnmark::testing;

INSTANTIATE_TEST_SUITE_P(
    Motorola, ReaderGoodFiles,
    ::testing::Combine(::testing::Values(LoadMotorolaHex), ::testing::Values(
        GoodCase{"HeaderDataEnd",
                 "S00600004844521B\r\nS105000055663F\r\nS10400107774\r\nS9030000FC\r\n", 0x100,
                 {{0, 0x55}, {1, 0x66}, {0x10, 0x77}, {2, 0xFF}}, 0, 0x10, {}},
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
        // A data record without data widens the range by nothing.
        GoodCase{"EmptyDataRecordCoversNothing", "S10400107774\r\nS10380007C\r\nS9030000FC\r\n",
                 0x100, {{0x10, 0x77}}, 0x10, 0x10, {}},
        GoodCase{"NothingReadAfterEndRecord", "S9030000FC\r\nS10400107774\r\n", 0x100,
                 {{0x10, 0xFF}}, 0, 0, {}},
        GoodCase{"BadChecksumKeepsDataAndWarns", "S10400107775\r\nS9030000FC\r\n", 0x100,
                 {{0x10, 0x77}}, 0x10, 0x10, {kChecksumWarning}},
        // The end record's checksum is tested like a data record's.
        GoodCase{"BadEndRecordChecksumWarns", "S10400107774\r\nS9030000FD\r\n", 0x100,
                 {{0x10, 0x77}}, 0x10, 0x10, {kChecksumWarning}})),
    CaseName());

INSTANTIATE_TEST_SUITE_P(
    Motorola, ReaderBadFiles,
    ::testing::Combine(::testing::Values(LoadMotorolaHex), ::testing::Values(
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
                "Out of buffer !"})),
    CaseName());

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
