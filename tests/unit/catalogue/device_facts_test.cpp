// What the other subsystems derive from the selected device.
#include "catalogue/device_facts.h"

#include <gtest/gtest.h>

namespace burnmark {
namespace {

TEST(DeviceFacts, VerifyListWantedFollowsTheDevice) {
    struct Case {
        const char* type;
        uint16_t optionType;
        uint8_t wanted;
    } cases[] = {
        {"PLD", 0, 0},    // logic devices compare their fuse map
        {"MPU", 1, 0},    // option type 1 verifies on the programmer
        {"MPU", 2, 1},
        {"EPROM", 0, 1},
        {"pld", 0, 1},    // the type is compared exactly
    };
    for (const Case& c : cases) {
        DeviceRecord record;
        record.Type = c.type;
        record.FuseTypeDigit = c.optionType;
        EXPECT_EQ(VerifyListWantedFor(record), c.wanted) << c.type << " " << c.optionType;
    }
}

TEST(DeviceFacts, TheChecksumRangeCoversTheMainAndTheExtendedAreaExactly) {
    struct Case {
        const char* name;
        const char* width;
        uint16_t maxLow, extLow;
        std::optional<uint32_t> end;
    } cases[] = {
        {"8-bit", "0x00FF", 0x7FFF, 0, 0x7FFF},
        // 0x8000 bytes of main area and 0x400 behind it.
        {"8-bit with extended area", "0x00FF", 0x7FFF, 0x03FF, 0x83FF},
        {"16-bit", "0xFFFF", 0x7FFF, 0, 0xFFFF},
        // 0x10000 bytes of words and 0x800 bytes of words behind them.
        {"16-bit with extended area", "0xFFFF", 0x7FFF, 0x03FF, 0x107FF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceRecord record;
        record.DeviceParamBlock.SetWord(param::max_address_Low, c.maxLow);
        record.DeviceParamBlock.SetWord(param::ext_address_Low, c.extLow);
        record.Data_Width = c.width;
        const DeviceSizes sizes = ComputeDeviceSizes(record.DeviceParamBlock, c.width);
        record.DeviceBytes = static_cast<uint32_t>(*sizes.deviceBytes);
        record.HasExtArea = sizes.hasExtArea;
        record.DeviceValid = true;
        const std::optional<DeviceByteRange> range = DeviceChecksumRange(record);
        ASSERT_TRUE(range.has_value());
        EXPECT_EQ(range->start, 0u);
        EXPECT_EQ(range->end, *c.end);

        EXPECT_EQ(DeviceSizeOf(record).DeviceBytes, record.DeviceBytes);
        EXPECT_EQ(DeviceSizeOf(record).HasExtArea, record.HasExtArea);

        record.DeviceValid = false;  // a device whose load did not complete
        EXPECT_FALSE(DeviceChecksumRange(record).has_value());
        // Nor does the buffer take its sizes.
        EXPECT_EQ(DeviceSizeOf(record).DeviceBytes, 0u);
        EXPECT_FALSE(DeviceSizeOf(record).HasExtArea);
    }
}

}  // namespace
}  // namespace burnmark
