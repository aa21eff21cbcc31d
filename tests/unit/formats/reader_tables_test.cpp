// The checks of the reader tables (the rows are in each reader's test file),
// and what differs between the readers where the logic is otherwise the same.
#include <gtest/gtest.h>

#include "buffer/formats/intel_hex.h"
#include "buffer/formats/motorola_hex.h"
#include "buffer/formats/tektronix_hex.h"
#include "reader_cases.h"

namespace burnmark::testing {

TEST_P(ReaderGoodFiles, LoadTheirBytesAtTheirAddresses) {
    const auto& [reader, c] = GetParam();
    ReaderRig rig;
    auto r = RunBothPasses(rig, reader, c.file, c.imageSize);
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

TEST_P(ReaderBadFiles, FailWithTheirMessage) {
    const auto& [reader, c] = GetParam();
    ReaderRig rig;
    ParsedImage image;
    if (c.failingPass == ReadPass::Store) {
        // The extent pass alone does not fail on these.
        ASSERT_TRUE(reader(rig.Ports(), ReadPass::Extent, image, c.imageSize, AsBytes(c.file), {}));
        rig.messages.Clear();
    }
    EXPECT_FALSE(reader(rig.Ports(), c.failingPass, image, c.imageSize, AsBytes(c.file), {}));
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, c.message);
    EXPECT_EQ(rig.messages.shown[0].title, "");
    EXPECT_FALSE(rig.progress.shown);
    EXPECT_TRUE(image.Image.empty());
}

// The store pass pre-fills its whole image with the fill byte when asked;
// otherwise Intel and Tektronix leave 0 and Motorola 0xFF.
TEST(Readers, PreFillTheStoredImage) {
    struct Case {
        const char* name;
        ReaderFunction read;
        std::string file;
        uint64_t imageSize;
        uint8_t unfilled;  // the gap bytes without the fill
        uint8_t userFill;
        uint8_t dataAt10;  // the record's byte at 0x10
    };
    const Case cases[] = {
        {"Intel", LoadIntelHex, ":01001000559A\r\n", 0x40, 0x00, 0xAA, 0x55},
        {"Motorola", LoadMotorolaHex, "S10400107774\r\n", 0x20, 0xFF, 0x5A, 0x77},
        {"Tektronix", LoadTektronixHex, "/00100405010203040A\r\n/00000000\r\n", 0x20, 0x00,
         0xAA, 0x01},
    };
    for (const Case& c : cases) {
        for (bool fillUnused : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (fillUnused ? " filled" : " unfilled"));
            ReaderRig rig;
            ParsedImage image;
            ASSERT_TRUE(c.read(rig.Ports(), ReadPass::Store, image, c.imageSize, AsBytes(c.file),
                               {fillUnused, c.userFill}));
            ASSERT_EQ(image.Image.size(), c.imageSize);
            const uint8_t expected = fillUnused ? c.userFill : c.unfilled;
            EXPECT_EQ(image.Image[0x0F], expected);
            EXPECT_EQ(image.Image[0x10], c.dataAt10);
            EXPECT_EQ(image.Image[c.imageSize - 1], expected);
        }
    }
}

}  // namespace burnmark::testing
