// The one routine that shows a sum in the checksum field, with its colour rule.
#include "buffer/checksum_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_checksum_field.h"
#include "unit/buffer/buffer_fixture.h"

namespace burnmark::testing {
namespace {

TEST(ChecksumDisplay, RedOnlyWhenTheValueDiffersFromTheOneShownBefore) {
    ChecksumDisplay display;
    RecordingField field;
    display.SetField(&field);
    for (uint32_t value : {0x1234u, 0x1234u, 0u, 0xFFFFFFFFu}) display.ShowChecksum(value);
    EXPECT_EQ(field.texts, (std::vector<std::string>{"00001234", "00001234", "00000000",
                                                      "FFFFFFFF"}));
    EXPECT_EQ(field.highlights, (std::vector<bool>{true, false, true, true}));
    EXPECT_EQ(display.LastChecksum(), 0xFFFFFFFFu);
}

TEST(ChecksumDisplay, WithoutAFieldTheLastValueStillFollows) {
    ChecksumDisplay display;
    display.ShowChecksum(7);
    RecordingField field;
    display.SetField(&field);
    display.ShowChecksum(7);
    EXPECT_EQ(field.highlights, std::vector<bool>{false});
}

class BufferSumShown : public BufferTest {};

TEST_F(BufferSumShown, TheBufferSumIsColouredOnceAndShown) {
    ChecksumDisplay display;
    RecordingField field;
    display.SetField(&field);
    buffer.SetChecksumView(&display);
    // 16 bytes of 0xFF.
    ASSERT_TRUE(display.ShowBufferSum(buffer, 0, 15, 0));
    ASSERT_TRUE(display.ShowBufferSum(buffer, 0, 15, 0));
    EXPECT_EQ(field.texts, (std::vector<std::string>{"00000FF0", "00000FF0"}));
    EXPECT_EQ(field.highlights, (std::vector<bool>{true, false}));

    // A refused range leaves the field as it was.
    EXPECT_FALSE(display.ShowBufferSum(buffer, 10, 5, 0));
    EXPECT_EQ(field.texts.size(), 2u);
}

}  // namespace
}  // namespace burnmark::testing
