#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "buffer/data_buffer.h"
#include "catalogue_fixture.h"
#include "catalogue/device_facts.h"
#include "platform/number.h"
#include "platform/profile.h"

namespace burnmark::testing {
namespace {

const std::string kSampleDir = std::string(BURNMARK_SAMPLE_DIR) + "/";

struct CatalogueEntry {
    std::string maker, type, file;
};

// Every maker and type that Select.ini lists, as the selection dialog reads it.
std::vector<CatalogueEntry> ListCatalogue() {
    const Profile select(kSampleDir + "Select.ini");
    std::vector<CatalogueEntry> out;
    const int makers = StrToIntDef("$" + select.ReadString("ITEM", "Value", "0"), 0);
    for (int i = 1; i <= makers; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "%04X", i);
        const std::string maker = select.ReadString("ITEM", key, "0");
        const int types = StrToIntDef("$" + select.ReadString(maker, "Value", "0"), 0);
        for (int t = 1; t <= types; ++t) {
            std::snprintf(key, sizeof key, "%04X", t);
            const std::string type = select.ReadString(maker, key, "<none>");
            out.push_back({maker, type, select.ReadString(maker, type, "<none>")});
        }
    }
    return out;
}

class SampleCatalogueTest : public ::testing::Test {
protected:
    SampleCatalogueTest() { record.AppDir = kSampleDir; }

    DeviceLoadResult Load(const std::string& relative) {
        record.IcFileName = record.AppDir + "INI\\" + relative;
        return LoadDeviceIni(Context());
    }
    DeviceLoadContext Context() { return DeviceLoadContext{record, messages, fpga}; }

    DeviceRecord record;
    BufferSizing sizing;
    FakeMessages messages;
    FakeFailDisplay fail;
    FpgaImage fpga{messages, fail};
};

TEST_F(SampleCatalogueTest, EveryDeviceLoadsWithoutAMessage) {
    const auto entries = ListCatalogue();
    ASSERT_GE(entries.size(), 9u);
    for (const CatalogueEntry& e : entries) {
        messages.Clear();
        EXPECT_EQ(Load(e.file), DeviceLoadResult::Loaded) << e.maker << " " << e.type;
        EXPECT_TRUE(messages.shown.empty()) << e.maker << " " << e.type << ": "
                                            << (messages.shown.empty() ? "" : messages.shown[0].text);
        EXPECT_TRUE(record.DeviceValid);
        EXPECT_EQ(record.Name, e.type);

        // AllPinDef marks exactly the socket pins the chip occupies, and the
        // supply and ground pins are among them.
        std::array<uint8_t, kSocketPins> occupied{};
        for (int pin = 1; pin <= record.PinCount; ++pin)
            occupied[SocketPin(uint8_t(pin), record.PinCount) - 1] = 1;
        EXPECT_EQ(record.PinFlags, occupied) << e.maker << " " << e.type;
        for (std::size_t word : {param::GndPins, param::VccPins}) {
            const uint16_t pins = record.DeviceParamBlock.Word(word);
            for (uint8_t socket : {uint8_t(pins & 0xFF), uint8_t(pins >> 8)}) {
                if (socket == 0) continue;
                EXPECT_EQ(occupied[socket - 1], 1) << e.type << " " << int(socket);
            }
            EXPECT_NE(pins & 0xFF, 0) << e.type;
        }
    }
}

TEST_F(SampleCatalogueTest, FpgaFilesFitTheImage) {
    bool shorterThanAPage = false;
    int files = 0;
    for (const auto& f : std::filesystem::directory_iterator(kSampleDir + "FPGA")) {
        ++files;
        EXPECT_LT(f.file_size(), 0x6000u) << f.path();
        if (f.file_size() < 0x4000) shorterThanAPage = true;
    }
    EXPECT_GT(files, 0);
    EXPECT_TRUE(shorterThanAPage);
}

TEST_F(SampleCatalogueTest, DevicesCoverTheKindsTheSystemKnows) {
    struct Expect {
        const char* file;
        const char* type;
        uint32_t deviceBytes, bufferBytes;
        uint16_t optionType;
        bool hasExtArea;
        uint8_t hasFuseMap;
        uint32_t fuseCount;
    };
    const Expect expects[] = {
        {"ATMEL\\AT89C51.INI", "MPU", 0x1000, 0x10000, 0, false, 0, 0},
        {"GENERAL\\27C256.INI", "Memory", 0x8000, 0x10000, 0, false, 0, 0},
        {"GENERAL\\29F040.INI", "Memory", 0x80000, 0x80000, 0, false, 0, 0},
        {"GENERAL\\27C1024.INI", "Memory", 0x20000, 0x20000, 0, false, 0, 0},
        {"VALEMICRO\\VM89E58.INI", "MPU", 0x83FF, 0x10000, 0, true, 0, 0},
        {"VALEMICRO\\VM89X52.INI", "MPU", 0x2000, 0x10000, 1, false, 0, 0},
        {"VALEMICRO\\VM87X54.INI", "MPU", 0x4000, 0x10000, 2, false, 0, 0},
        {"NORTHCHIP\\NC16L8.INI", "PLD", 65564, 65564, 0, false, 1, 2048},
    };
    for (const Expect& e : expects) {
        ASSERT_EQ(Load(e.file), DeviceLoadResult::Loaded) << e.file;
        EXPECT_EQ(record.Type, e.type) << e.file;
        EXPECT_EQ(record.DeviceBytes, e.deviceBytes) << e.file;
        EXPECT_EQ(record.BufferBytes, e.bufferBytes) << e.file;
        EXPECT_EQ(record.FuseTypeDigit, e.optionType) << e.file;
        EXPECT_EQ(record.HasExtArea, e.hasExtArea) << e.file;
        EXPECT_EQ(record.HasFuseMap, e.hasFuseMap) << e.file;
        if (e.hasFuseMap) {
            EXPECT_EQ(record.FuseCount, e.fuseCount) << e.file;
            EXPECT_LE(uint64_t(record.FuseRows) * uint64_t(record.FuseCols), e.fuseCount);
        }
    }
}

TEST_F(SampleCatalogueTest, ExtendedAreaDeviceBlockByteForByte) {
    ASSERT_EQ(Load("VALEMICRO\\VM89E58.INI"), DeviceLoadResult::Loaded);
    // clang-format off
    const std::array<uint8_t, 128> expected = {
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        // offset, bank, transfer size 0x7FFF + 0x03FF + 1, max and ext words, id address
        0x00, 0x00, 0x00, 0x00, 0xFF, 0x83, 0x00, 0x00, 0xFF, 0x7F, 0x00, 0x00, 0xFF, 0x03, 0x30, 0x00,
        // read voltages, vc2/vp2/vh2, ground on socket pin 24, supply on 44
        0x32, 0x00, 0x32, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x18, 0x00, 0x2C, 0x00,
        0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x03, 0x01, 0x01, 0x01, 0x03, 0x01, 0x00, 0x00, 0x01, 0x00,
        0x50, 0x00, 0x14, 0x00, 0x78, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00,
        0x02, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x31, 0x00, 0x32, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    };
    // clang-format on
    const auto sent = record.DeviceParamBlock.Sent();
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(sent[i], expected[i]) << "byte 0x" << std::hex << i;
}

// ---- Buffer sizing ------------------------------------------------------------------------

class BufferSizingTest : public SampleCatalogueTest {
protected:
    BufferSizingTest() : buffer(messages, progress, kSampleDir + "History_1.ini") {}

    uint32_t Choose(const std::string& relative) {
        record.IcFileName = record.AppDir + "INI\\" + relative;
        EXPECT_EQ(ApplyDeviceBufferSize(Context(), sizing, buffer), DeviceLoadResult::Loaded) << relative;
        EXPECT_EQ(buffer.RequestedBufferSize(), sizing.BufferSize) << relative;
        EXPECT_EQ(buffer.GetBufferSize(), sizing.BufferSize + 1024) << relative;
        EXPECT_EQ(sizing.LoadedBufferSize, sizing.BufferSize) << relative;
        return sizing.BufferSize;
    }

    FakeProgress progress;
    DataBuffer buffer;
};

TEST_F(BufferSizingTest, FirstDeviceOfARunGetsItsMinimum) {
    struct Case {
        const char* file;
        uint32_t size;
    };
    for (const Case& c : {Case{"ATMEL\\AT89C51.INI", 0x10000}, Case{"GENERAL\\27C1024.INI", 0x20000},
                          Case{"GENERAL\\29F040.INI", 0x80000}, Case{"FIRST\\SETUP.INI", 0x10000},
                          Case{"NORTHCHIP\\NC16L8.INI", 65564}}) {
        sizing.BufferSize = 0;
        sizing.LoadedBufferSize = 0;
        EXPECT_EQ(Choose(c.file), c.size) << c.file;
    }
}

TEST_F(BufferSizingTest, WithinARunTheBufferNeverShrinks) {
    EXPECT_EQ(Choose("GENERAL\\27C1024.INI"), 0x20000u);
    EXPECT_EQ(Choose("GENERAL\\27C256.INI"), 0x20000u);
    // The load dialog records a loaded 256 KB file.
    sizing.LoadedBufferSize = 0x40000;
    EXPECT_EQ(Choose("GENERAL\\27C256.INI"), 0x40000u);
    EXPECT_EQ(Choose("GENERAL\\29F040.INI"), 0x80000u);
    EXPECT_EQ(Choose("ATMEL\\AT89C51.INI"), 0x80000u);
    EXPECT_EQ(Choose("VALEMICRO\\VM89E58.INI"), 0x80000u);
    EXPECT_TRUE(messages.shown.empty());
}

// Devices of the test's own files: width spellings and a failed load.
class BufferSizingFixture : public CatalogueFixture {
protected:
    BufferSizingFixture() : buffer(messages, progress, "") {}
    FakeProgress progress;
    DataBuffer buffer;
};

TEST_F(BufferSizingFixture, SizeFollowsTheWidthTheLoaderRecognised) {
    struct Case {
        const char *width, *maxHi, *maxLow;
        uint32_t bufferSize;  // starting from 0x10000
    };
    const Case cases[] = {
        {"0xFFFF", "0", "0x3FFF", 0x20000},  // 16K words: 128 KB minimum
        {"0xffff", "1", "0xFFFF", 0x40000},
        {"0x00ff", "0", "0x3FFF", 0x10000},
        // Small mixed-case device: not recognised, the size stays.
        {"0xffFF", "0", "0x7FFF", 0x10000},
        // Large mixed-case device: 16-bit for the loader, so the buffer covers
        // the DeviceBytes the loader set.
        {"0xFFff", "1", "0xFFFF", 0x40000},
        {"16bit", "1", "0xFFFF", 0x10000},
    };
    for (const Case& c : cases) {
        sizing.BufferSize = sizing.LoadedBufferSize = 0x10000;
        DeviceKeys d = ValidDevice();
        d.Set("Data_Width", c.width).Set("max_address_Hi", c.maxHi).Set("max_address_Low", c.maxLow);
        record.IcFileName = WriteDevice("W.INI", d);
        EXPECT_EQ(ApplyDeviceBufferSize(Context(), sizing, buffer), DeviceLoadResult::Loaded);
        EXPECT_EQ(sizing.BufferSize, c.bufferSize) << c.width << " " << c.maxHi;
        EXPECT_GE(uint64_t(buffer.GetBufferSize()), uint64_t(c.bufferSize));
        if (ClassifyDataWidth(c.width, DataWidthSpellings::Loader, 0x20000) != DataWidth::Neither) {
            EXPECT_GE(sizing.BufferSize, record.DeviceBytes) << c.width;
        }
    }
}

TEST_F(BufferSizingFixture, RefusedDeviceLeavesTheSizeAlone) {
    sizing.BufferSize = sizing.LoadedBufferSize = 0x20000;
    DeviceKeys d = ValidDevice();
    d.Set("Data_Width", "0xFFFF").Set("max_address_Hi", "0x8000");  // 4 GB of words
    record.IcFileName = WriteDevice("HUGE.INI", d);
    EXPECT_EQ(ApplyDeviceBufferSize(Context(), sizing, buffer), DeviceLoadResult::DeviceTooLarge);
    EXPECT_EQ(sizing.BufferSize, 0x20000u);
    EXPECT_EQ(buffer.RequestedBufferSize(), 0x20000u);
}

}  // namespace
}  // namespace burnmark::testing
