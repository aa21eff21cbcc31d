#include "buffer/formats/tektronix_hex.h"

#include <gtest/gtest.h>

#include "reader_cases.h"

namespace burnmark {
namespace {

// The checks of the tables are in reader_tables_test.cpp.
using namespace burnmark::testing;

// Address 0x0010, four bytes: the header checksum is the digit sum 0+0+1+0+0+4.
constexpr const char* kRecord10 = "/00100405010203040A\r\n";
constexpr const char* kRecord40 = "/00400206112206\r\n";
constexpr const char* kEnd = "/00000000\r\n";

INSTANTIATE_TEST_SUITE_P(
    Tektronix, ReaderGoodFiles,
    ::testing::Combine(::testing::Values(LoadTektronixHex), ::testing::Values(
        GoodCase{"TwoRecordsAndEnd", std::string(kRecord40) + kRecord10 + kEnd, 0x100,
                 {{0x10, 1}, {0x13, 4}, {0x40, 0x11}, {0x41, 0x22}, {0x14, 0}}, 0x10, 0x41, {}},
        GoodCase{"SlashWithoutAddressIsText", std::string("a/b/c\r\n") + kRecord10, 0x100,
                 {{0x10, 1}}, 0x10, 0x13, {}},
        GoodCase{"NothingReadAfterEnd", std::string(kRecord10) + kEnd + kRecord40, 0x100,
                 {{0x10, 1}, {0x40, 0}}, 0x10, 0x13, {}},
        GoodCase{"LastAddress", "/FFFF023E010203\r\n", 0x100, {{0xFFFF, 1}, {0x10000, 2}},
                 0xFFFF, 0x10000, {}},
        GoodCase{"BadDataChecksumKeepsDataAndWarns", "/00100405010203040B\r\n" + std::string(kEnd),
                 0x100, {{0x10, 1}}, 0x10, 0x13, {kChecksumWarning}})),
    CaseName());

INSTANTIATE_TEST_SUITE_P(
    Tektronix, ReaderBadFiles,
    ::testing::Combine(::testing::Values(LoadTektronixHex), ::testing::Values(
        BadCase{"NoRecord", "no records here\r\n", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        // A header checksum that does not match cannot be trusted to place data.
        BadCase{"HeaderChecksumMismatch", "/00100406010203040A\r\n", 0x100, ReadPass::Extent,
                "FORMAT ERROR !"},
        BadCase{"CutRecord", "/001004050102", 0x100, ReadPass::Extent, "FORMAT ERROR !"},
        BadCase{"NonHexData", "/0010040501020X040A\r\n", 0x100, ReadPass::Extent,
                "FORMAT ERROR !"},
        BadCase{"NonHexCount", "/0010G40501020X040A\r\n", 0x100, ReadPass::Extent,
                "FORMAT ERROR !"},
        BadCase{"DataBeyondImage", kRecord40, 0x41, ReadPass::Store, "Out of buffer !"})),
    CaseName());

}  // namespace
}  // namespace burnmark
