#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "catalogue_fixture.h"

namespace burnmark::testing {
namespace {

// A device whose every block word read from the file holds the two byte
// offsets it belongs at (the word at 0x30 is 0x3130), so that a word in the
// wrong place or in the wrong byte order shows in the dump.
DeviceKeys EveryWordDevice() {
    DeviceKeys d = ValidDevice();
    const char* words[][2] = {
        {"max_address_Hi", "0x1716"}, {"max_address_Low", "0x1918"},
        {"ext_address_Hi", "0x1B1A"}, {"ext_address_Low", "0x1D1C"},
        {"id_address", "0x1F1E"},     {"read_vcc", "0x2120"},
        {"read_vpp", "0x2322"},       {"read_vhh", "0x2524"},
        {"vc2", "0x2726"},            {"vp2", "0x2928"},
        {"vh2", "0x2B2A"},            {"read_mode", "0x3130"},
        {"erase_mode", "0x3332"},     {"blank_mode", "0x3534"},
        {"prog_mode", "0x3736"},      {"verify_mode", "0x3938"},
        {"prot_mode", "0x3B3A"},      {"test_mode", "0x3D3C"},
        {"id_mode", "0x3F3E"},        {"program_pulse", "0x4140"},
        {"erase_pulse", "0x4342"},    {"protect_pulse", "0x4544"},
        {"unprotect_pulse", "0x4746"}, {"program_times", "0x4948"},
        {"erase_times", "0x4B4A"},    {"protect_times", "0x4D4C"},
        {"unprotect_times", "0x4F4E"}, {"program_retry", "0x5150"},
        {"erase_retry", "0x5352"},    {"protect_retry", "0x5554"},
        {"unprotect_retry", "0x5756"}, {"prot_address", "0x5958"},
        {"Current_Limit", "0x5B5A"},  {"para1", "0x5D5C"},
        {"para2", "0x5F5E"},          {"unprotect_mode", "0x6160"},
        {"page_size", "0x6362"},      {"Option_Fuse_Type", "0x6564"},
        {"start_address_Hi", "0x6766"}, {"start_address_Low", "0x6968"},
        {"id1_address", "0x7170"},    {"id2_address", "0x7372"},
        {"id3_address", "0x7574"},
    };
    for (const auto& w : words) d.Set(w[0], w[1]);
    // Neither 8- nor 16-bit, so the huge address words ask for no buffer.
    d.Set("Data_Width", "0x0001");
    // Ground on chip pin 14, supply on pins 1 and 28 of a 28-pin chip.
    d.Set("Gnd_pin1", "14").Set("Gnd_pin2", "0").Set("Vcc_pin1", "28").Set("Vcc_pin2", "1");
    // The other voltage sets must not reach the current voltage words; each
    // holds its own value, so that a set read into another's place shows.
    d.Set("id_vcc", "0x6601").Set("id_vpp", "0x6602").Set("id_vhh", "0x6603");
    d.Set("erase_vcc", "0x6607").Set("erase_vpp", "0x6608").Set("erase_vhh", "0x6609");
    d.Set("program_vcc", "0x660A").Set("program_vpp", "0x660B").Set("program_vhh", "0x660C");
    d.Set("protect_vcc", "0x660D").Set("protect_vpp", "0x660E").Set("protect_vhh", "0x660F");
    return d;
}

TEST_F(CatalogueFixture, ParameterBlockByteForByte) {
    // Junk from an earlier device in both halves of the area.
    record.DeviceParamBlock.SetWord(0x00, 0xAAAA);
    record.DeviceParamBlock.SetWord(0x6C, 0xAAAA);
    record.DeviceParamBlock.SetWord(0xFE, 0xAAAA);

    record.IcFileName = WriteDevice("EVERY.INI", EveryWordDevice());
    ASSERT_EQ(LoadDeviceIni(Context(), kReadVoltages, /*bank=*/0x1312, /*offset=*/0x1110),
              DeviceLoadResult::Loaded);
    EXPECT_TRUE(messages.shown.empty());

    // clang-format off
    const std::array<uint8_t, 128> expected = {
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        // offset, bank, transfer size 0 (far more than 65535 addresses), address words
        0x10, 0x11, 0x12, 0x13, 0x00, 0x00, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
        // read voltages, vc2/vp2/vh2, GndPins 0x0018 (socket 24), VccPins 0x0B26 (sockets 11, 38)
        0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x18, 0x00, 0x26, 0x0B,
        0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
        0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
        0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F,
        0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    };
    // clang-format on
    const auto sent = record.DeviceParamBlock.Sent();
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(sent[i], expected[i]) << "byte 0x" << std::hex << i;
    for (std::size_t i = 128; i < DeviceParamBlock::kAreaBytes; ++i)
        ASSERT_EQ(record.DeviceParamBlock.Area()[i], 0) << "byte 0x" << std::hex << i;

    // The record's copies beside the block.
    const std::array<uint16_t, kVoltageCount> voltages = {
        0x6601, 0x6602, 0x6603,  // id
        0x2120, 0x2322, 0x2524,  // read
        0x6607, 0x6608, 0x6609,  // erase
        0x660A, 0x660B, 0x660C,  // program
        0x660D, 0x660E, 0x660F,  // protect
    };
    EXPECT_EQ(record.Voltages, voltages);
    EXPECT_EQ(record.PulseCopies, (std::array<uint16_t, 4>{0x4140, 0x4342, 0x4948, 0x5150}));
    EXPECT_EQ(record.FuseTypeDigit, 5);  // "0x6564": the digit at index 3
    EXPECT_EQ(record.StartAddress, 0x67666968u);
    EXPECT_EQ(record.StartAddressHiText, "0x6766");
    EXPECT_TRUE(record.HasExtArea);
    EXPECT_TRUE(record.HasIdMode);
    EXPECT_EQ(record.PinCount, 28);
}

TEST_F(CatalogueFixture, VoltageSetChoosesTheCurrentVoltages) {
    DeviceKeys d = ValidDevice();
    d.Set("program_vcc", "62").Set("program_vpp", "127").Set("program_vhh", "3");
    d.Set("test_vcc", "33").Set("test_vpp", "34").Set("test_vhh", "35");
    d.Set("erase_vcc", "41").Set("erase_vpp", "42").Set("erase_vhh", "43");
    d.Set("protect_vcc", "44").Set("protect_vpp", "45").Set("protect_vhh", "46");
    d.Set("id_vcc", "47").Set("id_vpp", "48").Set("id_vhh", "49");
    record.IcFileName = WriteDevice("V.INI", d);
    struct Case {
        uint16_t set;
        uint16_t vcc, vpp, vhh;
    };
    for (const Case& c : {Case{kReadVoltages, 50, 50, 0}, Case{kProgramVoltages, 62, 127, 3},
                          Case{kEraseVoltages, 41, 42, 43}, Case{kProtectVoltages, 44, 45, 46},
                          Case{kIdVoltages, 47, 48, 49}, Case{kTestVoltages, 33, 34, 35}}) {
        ASSERT_EQ(LoadDeviceIni(Context(), c.set), DeviceLoadResult::Loaded);
        EXPECT_EQ(record.DeviceParamBlock.Word(param::CurrentVcc), c.vcc) << c.set;
        EXPECT_EQ(record.DeviceParamBlock.Word(param::CurrentVpp), c.vpp) << c.set;
        EXPECT_EQ(record.DeviceParamBlock.Word(param::CurrentVhh), c.vhh) << c.set;
    }
}

}  // namespace
}  // namespace burnmark::testing
