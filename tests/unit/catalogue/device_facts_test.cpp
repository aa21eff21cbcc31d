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

}  // namespace
}  // namespace burnmark
