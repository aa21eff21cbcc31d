// The readers keep the window alive during a long parse without spending
// their time on it: events are pumped at most every 50 ms of parsing and the
// bar moves by hundredths.
#include <gtest/gtest.h>

#include "buffer/formats/intel_hex.h"
#include "buffer/formats/motorola_hex.h"
#include "buffer/formats/tektronix_hex.h"
#include "reader_rig.h"

namespace burnmark {
namespace {

using testing::AsBytes;
using testing::ReaderFunction;
using testing::ReaderRig;

struct PacingCase {
    const char* name;
    ReaderFunction read;
    std::string file;
    bool stepsProgress;
};

std::vector<PacingCase> Cases() {
    const std::vector<uint8_t> data(0x10000, 0xA5);
    return {
        {"Intel", LoadIntelHex, FormatIntelHex(data, 0, data.size()), true},
        {"Motorola", LoadMotorolaHex, FormatMotorolaHex(data, 0, MotorolaRecord::S1, data.size()),
         false},
        {"Tektronix", LoadTektronixHex, FormatTektronixHex(data, 0, data.size()), true},
    };
}

TEST(ReaderPacing, AFrozenClockMeansOnePumpForTheWholeFile) {
    for (const auto& c : Cases()) {
        SCOPED_TRACE(c.name);
        ReaderRig rig;
        ParsedImage image;
        ASSERT_TRUE(c.read(rig.Ports(), ReadPass::Store, image, 0x20000, AsBytes(c.file), {}));
        EXPECT_EQ(rig.pump.processed, 1);
        // The clock is read every few kilobytes, not per character.
        EXPECT_LT(rig.clockReads, static_cast<int>(c.file.size() / 4096));
    }
}

TEST(ReaderPacing, PumpsAreAtLeastFiftyMillisecondsApart) {
    for (const auto& c : Cases()) {
        SCOPED_TRACE(c.name);
        ReaderRig rig;
        rig.clockStep = 20;  // every look at the clock finds 20 ms gone
        std::vector<int64_t> pumpedAt;
        rig.pump.onProcess = [&] { pumpedAt.push_back(rig.now); };
        ParsedImage image;
        ASSERT_TRUE(c.read(rig.Ports(), ReadPass::Extent, image, 0x20000, AsBytes(c.file), {}));
        ASSERT_GT(pumpedAt.size(), 2u);
        for (std::size_t i = 1; i < pumpedAt.size(); ++i) {
            EXPECT_GE(pumpedAt[i] - pumpedAt[i - 1], 50) << "pump " << i;
        }
    }
}

TEST(ReaderPacing, TheBarMovesByHundredthsOfTheFile) {
    for (const auto& c : Cases()) {
        SCOPED_TRACE(c.name);
        ReaderRig rig;
        ParsedImage image;
        ASSERT_TRUE(c.read(rig.Ports(), ReadPass::Store, image, 0x20000, AsBytes(c.file), {}));
        if (c.stepsProgress) {
            EXPECT_GE(rig.progress.steps, 98);
            EXPECT_LE(rig.progress.steps, 100);
        }
        EXPECT_EQ(rig.progress.finishes, 1);
        EXPECT_EQ(rig.progress.shows, 1);
        EXPECT_EQ(rig.progress.closes, 1);
    }
}

}  // namespace
}  // namespace burnmark
