// The tables every record reader is tried on: files that load (both passes, as
// the load flow runs them) and files that fail with one message. The checks
// are in reader_tables_test.cpp; each reader's test file brings its rows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "reader_rig.h"

namespace burnmark::testing {

inline constexpr const char* kChecksumWarning =
    "File read in complete!\nData still load in buffer.";

struct GoodCase {
    const char* name;
    std::string file;
    uint64_t imageSize;                 // the buffer before the load
    std::map<uint32_t, uint8_t> bytes;  // address -> value in the stored image
    uint32_t lowAddress;
    uint32_t highAddress;
    std::vector<std::string> messages;
};

struct BadCase {
    const char* name;
    std::string file;
    uint64_t imageSize;
    ReadPass failingPass;
    std::string message;
};

// A failing row is named by its case, not dumped byte by byte.
inline void PrintTo(const GoodCase& c, std::ostream* os) { *os << c.name; }
inline void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }
// The reader itself is told by the instance's name (Intel/, Motorola/, ...).
inline void PrintTo(const std::tuple<ReaderFunction, GoodCase>& c, std::ostream* os) {
    PrintTo(std::get<1>(c), os);
}
inline void PrintTo(const std::tuple<ReaderFunction, BadCase>& c, std::ostream* os) {
    PrintTo(std::get<1>(c), os);
}

// The two tables every reader file instantiates, with its reader:
//   INSTANTIATE_TEST_SUITE_P(Intel, ReaderGoodFiles,
//                            ::testing::Combine(::testing::Values(LoadIntelHex),
//                                               ::testing::Values(GoodCase{...}, ...)),
//                            CaseName());
// ReaderGoodFiles: both passes succeed, the stored image holds the bytes, the
// range is right, the messages are exactly these and the progress window is
// closed. ReaderBadFiles: the failing pass (after a successful extent pass,
// when the store pass is the one to fail) gives false, one message with an
// empty title, no image, and leaves the progress window closed.
class ReaderGoodFiles : public ::testing::TestWithParam<std::tuple<ReaderFunction, GoodCase>> {};
class ReaderBadFiles : public ::testing::TestWithParam<std::tuple<ReaderFunction, BadCase>> {};

// Names the rows of a reader table after their case.
struct CaseName {
    template <typename Info>
    std::string operator()(const Info& info) const {
        return std::get<1>(info.param).name;
    }
};

}  // namespace burnmark::testing
