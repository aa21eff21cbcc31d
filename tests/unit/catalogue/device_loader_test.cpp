#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/device_facts.h"
#include "catalogue_fixture.h"
#include "platform/profile.h"
#include "support/child_process.h"

namespace burnmark::testing {
namespace {

using Texts = std::vector<std::string>;

// ---- Stop points --------------------------------------------------------------

// The previous device: loaded first, so that every stop shows which fields the
// broken load reached and which kept the previous device's values.
DeviceKeys PreviousDevice() {
    DeviceKeys d = ValidDevice();
    d.Set("BRAND", "OLDCO").Set("max_address_Low", "0x3FFF").Set("fuse_row", "0");
    d.Set("id_vcc", "33").Set("read_vcc", "33").Set("Menu", "old.ini");
    d.Set("program_times", "7").Set("Intact", "3").Set("IC_Information1", "Old part");
    return d;
}

// The new device; each case breaks it in one place.
DeviceKeys NewDevice() {
    DeviceKeys d = ValidDevice();
    d.Set("BRAND", "NEWCO").Set("max_address_Low", "0xFFFF");
    d.Set("id_vcc", "50").Set("read_vcc", "50").Set("Menu", "new.ini");
    d.Set("program_times", "9").Set("Intact", "1").Set("IC_Information1", "New part");
    return d;
}

struct StopCase {
    const char* name;
    std::function<void(DeviceKeys&)> breakIt;
    DeviceLoadResult result;
    Texts messages;
    // What the record holds afterwards.
    std::function<void(const DeviceRecord&)> check;
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class LoaderStopTest : public CatalogueFixture, public ::testing::WithParamInterface<StopCase> {};

TEST_P(LoaderStopTest, StopsAtTheBadKeyAndKeepsTheRest) {
    const StopCase& c = GetParam();
    ASSERT_EQ(Load(WriteDevice("OLD.INI", PreviousDevice())), DeviceLoadResult::Loaded);
    ASSERT_TRUE(record.DeviceValid);
    messages.Clear();

    DeviceKeys broken = NewDevice();
    c.breakIt(broken);
    EXPECT_EQ(Load(WriteDevice("NEW.INI", broken)), c.result);
    EXPECT_EQ(messages.Texts(), c.messages);
    for (const auto& shown : messages.shown) EXPECT_TRUE(shown.plain);
    EXPECT_FALSE(record.DeviceValid);
    EXPECT_FALSE(MakeSetupDevice(record, false).deviceValid);
    c.check(record);
}

const auto kReachedBrand = [](const DeviceRecord& r) { EXPECT_EQ(r.BRAND, "NEWCO"); };

INSTANTIATE_TEST_SUITE_P(
    Table, LoaderStopTest,
    ::testing::Values(
        StopCase{"EmptySection",
                 [](DeviceKeys& d) { d = DeviceKeys{}; },
                 // Every number reads 0 and every unit "0": the load stops at the
                 // first pulse unit.
                 DeviceLoadResult::BadPulseUnit,
                 {"INI:Program_pulse_unit Error !"},
                 [](const DeviceRecord& r) {
                     EXPECT_EQ(r.BRAND, "None");
                     EXPECT_EQ(r.Data_Width, "0");
                     EXPECT_EQ(r.DeviceBytes, 0x4000u);  // "0" is neither width
                     EXPECT_EQ(r.DeviceParamBlock.Word(param::TransferSize), 1);
                     EXPECT_EQ(r.PinCount, 0);
                     EXPECT_EQ(r.Menu, "0");
                     // What comes after the pulse units keeps the old device's values.
                     EXPECT_EQ(r.IC_Information1, "Old part");
                     EXPECT_EQ(r.PulseCopies[2], 7);
                 }},
        StopCase{"SecondGroundPinOutsideTheChip",
                 [](DeviceKeys& d) { d.Set("Gnd_pin2", "30"); },
                 DeviceLoadResult::BadPin,
                 {"INI:Gnd_pin2 Error ! Pin 30 is not a pin of a 28-pin device."},
                 [](const DeviceRecord& r) { kReachedBrand(r); }},
        StopCase{"SupplyPinAboveThePinCount",
                 [](DeviceKeys& d) { d.Set("Vcc_pin1", "29"); },
                 DeviceLoadResult::BadPin,
                 {"INI:Vcc_pin1 Error ! Pin 29 is not a pin of a 28-pin device."},
                 [](const DeviceRecord& r) {
                     EXPECT_EQ(r.DeviceParamBlock.Word(param::GndPins), 24);
                     EXPECT_EQ(r.DeviceParamBlock.Word(param::VccPins), 0);
                 }},
        StopCase{"PinCountAboveTheSocket",
                 // 304 would be 48 once kept to 8 bits.
                 [](DeviceKeys& d) { d.Set("PIN", "304"); },
                 DeviceLoadResult::BadPin,
                 {"INI:PIN Error ! A 304-pin device does not fit the 48-pin socket."},
                 [](const DeviceRecord& r) { EXPECT_EQ(r.PinCount, 28); }},
        StopCase{"NegativeFuseRowWidth",
                 [](DeviceKeys& d) {
                     d.Set("fuse_row", "-32").Set("fuse_col", "64");
                     d.Set("max_address_Hi", "1").Set("max_address_Low", "0x1B");
                 },
                 DeviceLoadResult::BadFuseMap,
                 {"INI:Fuse map Error ! fuse_row -32, fuse_col 64 and 2048 fuses give no usable "
                  "fuse map."},
                 [](const DeviceRecord& r) {
                     EXPECT_EQ(r.HasFuseMap, 0);
                     EXPECT_EQ(r.Intact, 1);
                 }},
        StopCase{"NoFuses",
                 // max_address_Hi 0 gives a fuse count of 0 whatever the grid says.
                 [](DeviceKeys& d) { d.Set("fuse_row", "32").Set("fuse_col", "64"); },
                 DeviceLoadResult::BadFuseMap,
                 {"INI:Fuse map Error ! fuse_row 32, fuse_col 64 and 0 fuses give no usable fuse "
                  "map."},
                 [](const DeviceRecord& r) { EXPECT_EQ(r.HasFuseMap, 0); }},
        StopCase{"GridLargerThanTheFuseMap",
                 [](DeviceKeys& d) {
                     d.Set("fuse_row", "100").Set("fuse_col", "100");
                     d.Set("max_address_Hi", "1").Set("max_address_Low", "0x1B");
                 },
                 DeviceLoadResult::BadFuseMap,
                 {"INI:Fuse map Error ! fuse_row 100, fuse_col 100 and 2048 fuses give no usable "
                  "fuse map."},
                 [](const DeviceRecord& r) { EXPECT_EQ(r.HasFuseMap, 0); }},
        StopCase{"DeviceTooLarge",
                 [](DeviceKeys& d) {
                     d.Set("Data_Width", "0xFFFF").Set("max_address_Hi", "0xFFFF");
                 },
                 DeviceLoadResult::DeviceTooLarge,
                 {"INI:Device size Error ! The device needs more than 256 MB of buffer."},
                 [](const DeviceRecord& r) {
                     EXPECT_EQ(r.DeviceBytes, 0x4000u);
                     EXPECT_EQ(r.BufferBytes, 0x10000u);
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CatalogueFixture, ADeviceThatFillsTheLargestBufferLoads) {
    struct Case {
        const char *width, *maxHi, *maxLow;
        DeviceLoadResult result;
    } cases[] = {
        // 256 MB exactly, as bytes and as words.
        {"0x00FF", "0x0FFF", "0xFFFF", DeviceLoadResult::Loaded},
        {"0xFFFF", "0x07FF", "0xFFFF", DeviceLoadResult::Loaded},
        // One address more.
        {"0x00FF", "0x1000", "0x0000", DeviceLoadResult::DeviceTooLarge},
        {"0xFFFF", "0x0800", "0x0000", DeviceLoadResult::DeviceTooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.width) + " " + c.maxHi + ":" + c.maxLow);
        DeviceKeys d = ValidDevice();
        d.Set("Data_Width", c.width)
            .Set("max_address_Hi", c.maxHi)
            .Set("max_address_Low", c.maxLow);
        EXPECT_EQ(Load(WriteDevice("BIG.INI", d)), c.result);
        if (c.result == DeviceLoadResult::Loaded) {
            EXPECT_EQ(record.DeviceBytes, kMaxBufferBytes);
            EXPECT_EQ(record.BufferBytes, kMaxBufferBytes);
        }
    }
}

TEST_F(CatalogueFixture, LongPathsAreTakenWhole) {
    // Installed deep down, with long file names: nothing is cut or refused.
    const std::string deep = std::string(150, 'd');
    std::filesystem::create_directories(root_ / deep / "INI" / "TESTCO");
    std::filesystem::create_directories(root_ / deep / "FPGA");
    record.AppDir = root_.string() + "/" + deep + "/";
    const std::string fpgaName = std::string(140, 'f') + ".BIN";
    {
        std::ofstream out(root_ / deep / "FPGA" / fpgaName, std::ios::binary);
        out << std::string(100, '\x5A');
    }
    const std::string menu = std::string(200, 'm') + ".ini";
    {
        std::ofstream out(root_ / deep / "INI" / "TESTCO" / "DEEP.INI", std::ios::binary);
        out << "[" << kDeviceSection << "]\r\n";
        DeviceKeys keys = ValidDevice();
        keys.Set("UserWav", fpgaName).Set("Menu", menu);
        for (const auto& [k, v] : keys.Keys()) out << k << "=" << v << "\r\n";
    }
    const std::string stored = record.AppDir + "INI\\TESTCO\\DEEP.INI";
    ASSERT_GT(stored.size(), 180u);
    EXPECT_EQ(Load(stored), DeviceLoadResult::Loaded);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(record.IniPathInUse, stored);
    EXPECT_EQ(record.Menu, menu);
    EXPECT_EQ(record.FpgaFilePath, record.AppDir + "FPGA\\" + fpgaName);
    EXPECT_TRUE(fpga.Owned());
}

// ---- Paths and the valid state ---------------------------------------------------

TEST_F(CatalogueFixture, EmptyPathChangesNothing) {
    ASSERT_EQ(Load(WriteDevice("OLD.INI", PreviousDevice())), DeviceLoadResult::Loaded);
    EXPECT_EQ(Load(""), DeviceLoadResult::NoPath);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(record.DeviceValid);
    EXPECT_EQ(record.DeviceParamBlock.Word(param::max_address_Low), 0x3FFF);
}

TEST_F(CatalogueFixture, MissingDeviceFileClearsOnlyTheBlock) {
    ASSERT_EQ(Load(WriteDevice("OLD.INI", PreviousDevice())), DeviceLoadResult::Loaded);
    EXPECT_EQ(Load(record.AppDir + "INI\\TESTCO\\GONE.INI"), DeviceLoadResult::IniMissing);
    EXPECT_EQ(messages.Texts(), Texts{"Ini File missing !!"});
    EXPECT_EQ(record.IniPathInUse, record.AppDir + "INI\\TESTCO\\GONE.INI");
    for (uint8_t b : record.DeviceParamBlock.Area()) ASSERT_EQ(b, 0);
    EXPECT_EQ(record.BRAND, "OLDCO");
    EXPECT_FALSE(record.DeviceValid);
}

TEST_F(CatalogueFixture, StoredPathsResolveWithoutRegardToCase) {
    WriteDevice("LOWER.INI", ValidDevice().Set("UserWav", "test.bin"));
    EXPECT_EQ(Load(record.AppDir + "ini\\testco\\lower.ini"), DeviceLoadResult::Loaded);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(record.FpgaFilePath, record.AppDir + "FPGA\\test.bin");
}

TEST_F(CatalogueFixture, SkipIniPathCopyReadsThePathInUse) {
    record.IniPathInUse = WriteDevice("RESTORED.INI", ValidDevice().Set("BRAND", "RESTORED"));
    record.IcFileName = record.AppDir + "INI\\TESTCO\\OTHER.INI";
    record.SkipIniPathCopy = 1;
    EXPECT_EQ(LoadDeviceIni(Context()), DeviceLoadResult::Loaded);
    EXPECT_EQ(record.BRAND, "RESTORED");
    EXPECT_EQ(record.IniPathInUse, record.AppDir + "INI\\TESTCO\\RESTORED.INI");
}

TEST_F(CatalogueFixture, FpgaImageFollowsTheDevice) {
    WriteFpga("OTHER.BIN", 10, 0x11);
    ASSERT_EQ(Load(WriteDevice("A.INI", ValidDevice())), DeviceLoadResult::Loaded);
    EXPECT_EQ(fpga.Data()[99], 0x5A);
    EXPECT_EQ(fpga.Data()[100], 0xFF);

    // A missing image keeps the previous device's one in memory, but the
    // set-up is told not to send it.
    EXPECT_EQ(Load(WriteDevice("B.INI", ValidDevice().Set("UserWav", "NONE.BIN"))),
              DeviceLoadResult::FpgaMissing);
    EXPECT_EQ(fpga.Data()[0], 0x5A);
    SetupDevice facts = MakeSetupDevice(record, false);
    EXPECT_TRUE(facts.fpgaFileMissing);
    EXPECT_FALSE(facts.deviceValid);

    // A missing UserWav key names the file "None".
    messages.Clear();
    EXPECT_EQ(Load(WriteDevice("C.INI", ValidDevice().Remove("UserWav"))),
              DeviceLoadResult::FpgaMissing);
    EXPECT_EQ(messages.Texts(), Texts{"No found None"});

    // The next device that finds its file clears the flag.
    EXPECT_EQ(Load(WriteDevice("D.INI", ValidDevice().Set("UserWav", "OTHER.BIN"))),
              DeviceLoadResult::Loaded);
    EXPECT_EQ(fpga.Data()[9], 0x11);
    EXPECT_EQ(fpga.Data()[10], 0xFF);
    facts = MakeSetupDevice(record, true);
    EXPECT_FALSE(facts.fpgaFileMissing);
    EXPECT_TRUE(facts.deviceValid);
    EXPECT_TRUE(facts.firstSetupSelected);
    EXPECT_EQ(facts.paramBlock.data(), record.DeviceParamBlock.Sent().data());
    EXPECT_EQ(DeviceSizeOf(record).DeviceBytes, 0x8000u);
}

// The image is a file of the FPGA folder: a name that climbs out of it would
// load any file as the programmer's configuration.
TEST_F(CatalogueFixture, FpgaNamesStayInTheFpgaFolder) {
    std::filesystem::create_directories(root_ / "FPGA" / "SUB");
    WriteFpga("SUB/IN.BIN", 10, 0x22);
    WriteFpga("A..B.BIN", 10, 0x33);
    WriteDevice("OUT.INI", ValidDevice());  // the file the first name reaches
    struct Case {
        const char* userWav;
        DeviceLoadResult result;
        uint8_t firstByte;  // of the image afterwards
    } cases[] = {
        {"..\\INI\\TESTCO\\OUT.INI", DeviceLoadResult::FpgaNameOutside, 0x5A},
        {"../TEST.BIN", DeviceLoadResult::FpgaNameOutside, 0x5A},
        {"SUB\\..\\TEST.BIN", DeviceLoadResult::FpgaNameOutside, 0x5A},
        {"..", DeviceLoadResult::FpgaNameOutside, 0x5A},
        {"SUB\\IN.BIN", DeviceLoadResult::Loaded, 0x22},
        {"A..B.BIN", DeviceLoadResult::Loaded, 0x33},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.userWav);
        ASSERT_EQ(Load(WriteDevice("A.INI", ValidDevice())), DeviceLoadResult::Loaded);
        messages.Clear();
        EXPECT_EQ(Load(WriteDevice("B.INI", ValidDevice().Set("UserWav", c.userWav))), c.result);
        EXPECT_EQ(fpga.Data()[0], c.firstByte);
        if (c.result == DeviceLoadResult::Loaded) {
            EXPECT_TRUE(messages.shown.empty());
            EXPECT_EQ(record.FpgaFileMissing, 0);
        } else {
            EXPECT_EQ(messages.Texts(), Texts{"[DE_48ExternValue]-UserWav item error"});
            EXPECT_EQ(record.FpgaFileMissing, 1);
            EXPECT_FALSE(record.DeviceValid);
            EXPECT_TRUE(MakeSetupDevice(record, false).fpgaFileMissing);
        }
    }
}

// The option pages are read from AppDir + Menu: a name that climbs out of the
// program's folder would read any file as an option definition.
TEST_F(CatalogueFixture, MenuNamesStayInTheProgramsFolder) {
    struct Case {
        const char* menu;
        DeviceLoadResult result;
        const char* kept;  // Menu afterwards
    } cases[] = {
        {"..\\..\\..\\etc\\passwd", DeviceLoadResult::MenuNameOutside, "old.ini"},
        {"OPTION/../../x.INI", DeviceLoadResult::MenuNameOutside, "old.ini"},
        {"..", DeviceLoadResult::MenuNameOutside, "old.ini"},
        {"OPTION\\A..B.INI", DeviceLoadResult::Loaded, "OPTION\\A..B.INI"},
        {"0", DeviceLoadResult::Loaded, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.menu);
        ASSERT_EQ(Load(WriteDevice("OLD.INI", PreviousDevice())), DeviceLoadResult::Loaded);
        messages.Clear();
        EXPECT_EQ(Load(WriteDevice("B.INI", ValidDevice().Set("Menu", c.menu))), c.result);
        EXPECT_EQ(record.Menu, c.kept);
        EXPECT_EQ(record.DeviceValid, c.result == DeviceLoadResult::Loaded);
        const Texts said = c.result == DeviceLoadResult::Loaded
                               ? Texts{}
                               : Texts{"[DE_48ExternValue]-Menu item error"};
        EXPECT_EQ(messages.Texts(), said);
    }
}

// A definition file is read once per load and refused whole when it cannot
// be read or is far larger than any definition.
TEST_F(CatalogueFixture, DefinitionFilesThatCannotBeReadAreRefused) {
    ASSERT_EQ(Load(WriteDevice("OLD.INI", PreviousDevice())), DeviceLoadResult::Loaded);
    messages.Clear();
    DeviceKeys huge = ValidDevice();
    huge.Set("IC_Information5", std::string(kMaxProfileFileBytes, 'i'));
    const std::string big = WriteDevice("BIG.INI", huge);
    EXPECT_EQ(Load(big), DeviceLoadResult::IniTooLarge);
    EXPECT_EQ(messages.Texts(), Texts{"Ini File too large !! (more than 4 MB)\n" + big});
    EXPECT_FALSE(record.DeviceValid);
    EXPECT_EQ(record.BRAND, "OLDCO");

    // A file the operator may not read.
    const std::string locked = WriteDevice("LOCKED.INI", ValidDevice().Set("BRAND", "NEWCO"));
    ::chmod((root_ / "INI" / "TESTCO" / "LOCKED.INI").c_str(), 0200);
    for (const char* folder : {"", "INI", "INI/TESTCO"}) ::chmod((root_ / folder).c_str(), 0755);
    const std::string answer = AsOrdinaryUser([&] {
        messages.Clear();
        const DeviceLoadResult r = Load(locked);
        std::string a = r == DeviceLoadResult::IniUnreadable ? "refused" : "not refused";
        for (const std::string& text : messages.Texts()) a += "|" + text;
        return a + (record.BRAND == "OLDCO" ? "|kept" : "|changed");
    });
    EXPECT_EQ(answer, "refused|Ini File can't be read !!\n" + locked + "|kept");
}

TEST_F(CatalogueFixture, UnreadableFpgaFileLeavesTheDeviceInvalid) {
    // A directory of the FPGA file's name exists but cannot be read as a file.
    std::filesystem::create_directories(root_ / "FPGA" / "DIR.BIN");
    const DeviceLoadResult r = Load(WriteDevice("A.INI", ValidDevice().Set("UserWav", "DIR.BIN")));
    // Either the existence test or the read refuses it; the device never
    // counts as loaded with the previous image.
    EXPECT_NE(r, DeviceLoadResult::Loaded);
    EXPECT_FALSE(record.DeviceValid);
    EXPECT_EQ(record.FpgaFileMissing, 1);
}

// An FPGA image whose block cannot be had, as when memory runs out.
class NoMemoryFpga : public FpgaImage {
public:
    using FpgaImage::FpgaImage;

protected:
    std::unique_ptr<Block> AllocateBlock() override { return nullptr; }
};

TEST_F(CatalogueFixture, FailedFpgaReadMarksTheImageMissing) {
    ASSERT_EQ(Load(WriteDevice("A.INI", ValidDevice())), DeviceLoadResult::Loaded);
    messages.Clear();

    // The file is there but cannot be read: the image in memory is still the
    // previous device's, so the set-up must not send it.
    NoMemoryFpga noMemory{messages, fail};
    record.IcFileName = WriteDevice("B.INI", ValidDevice().Set("BRAND", "NEWCO"));
    EXPECT_EQ(LoadDeviceIni(DeviceLoadContext{record, messages, noMemory}),
              DeviceLoadResult::FpgaLoadFailed);
    EXPECT_EQ(messages.Texts(), Texts{"Memory Can't Open 32K Byte"});
    EXPECT_EQ(record.BRAND, "NEWCO");
    EXPECT_EQ(record.FpgaFileMissing, 1);
    EXPECT_FALSE(record.DeviceValid);
    const SetupDevice facts = MakeSetupDevice(record, false);
    EXPECT_TRUE(facts.fpgaFileMissing);
    EXPECT_FALSE(facts.deviceValid);
}

// ---- Number forms -------------------------------------------------------------------

struct NumberCase {
    const char* text;  // as written after "read_vcc=" (quotes keep blanks)
    bool valid;
    uint16_t value;
    const char* shownText;  // the text the conversion message names
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class NumberFormTest : public CatalogueFixture, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(NumberFormTest, ConvertsOrStopsWithTheConversionMessage) {
    const NumberCase& c = GetParam();
    const DeviceLoadResult r = Load(WriteDevice("N.INI", ValidDevice().Set("read_vcc", c.text)));
    if (c.valid) {
        EXPECT_EQ(r, DeviceLoadResult::Loaded);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(record.Voltages[kReadVcc], c.value);
        EXPECT_EQ(record.DeviceParamBlock.Word(param::CurrentVcc), c.value);
    } else {
        EXPECT_EQ(r, DeviceLoadResult::NotANumber);
        EXPECT_EQ(messages.Texts(),
                  Texts{std::string("'") + c.shownText + "' is not a valid integer value"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumberFormTest,
    ::testing::Values(NumberCase{"50", true, 50, ""}, NumberCase{"\" 50\"", true, 50, ""},
                      NumberCase{"+5", true, 5, ""}, NumberCase{"$FFFF", true, 0xFFFF, ""},
                      NumberCase{"0xffff", true, 0xFFFF, ""},
                      NumberCase{"0XFFFF", true, 0xFFFF, ""}, NumberCase{"x32", true, 0x32, ""},
                      NumberCase{"X32", true, 0x32, ""}, NumberCase{"-1", true, 0xFFFF, ""},
                      NumberCase{"-$10", true, 0xFFF0, ""},
                      // Kept to the 16 bits of the word.
                      NumberCase{"70000", true, 70000 & 0xFFFF, ""},
                      NumberCase{"$12345", true, 0x2345, ""},
                      NumberCase{"", false, 0, ""}, NumberCase{"0x", false, 0, "0x"},
                      NumberCase{"12a", false, 0, "12a"}, NumberCase{"5V", false, 0, "5V"},
                      NumberCase{"5.0", false, 0, "5.0"}, NumberCase{"0x-5", false, 0, "0x-5"},
                      // Beyond 32 bits the text is no number at all, not a wrapped one.
                      NumberCase{"4294967346", false, 0, "4294967346"}));

TEST_F(CatalogueFixture, MissingNumbersReadAsZeroAndIntactNeverStops) {
    DeviceKeys d = ValidDevice();
    d.Remove("read_vcc").Remove("Intact").Set("id_vcc", "0x0032");
    EXPECT_EQ(Load(WriteDevice("M.INI", d)), DeviceLoadResult::Loaded);
    EXPECT_EQ(record.Voltages[kReadVcc], 0);
    EXPECT_EQ(record.Voltages[kIdVcc], 50);
    EXPECT_EQ(record.Intact, 0);

    EXPECT_EQ(Load(WriteDevice("I.INI", ValidDevice().Set("Intact", "letters"))),
              DeviceLoadResult::Loaded);
    EXPECT_EQ(record.Intact, 0);
    EXPECT_EQ(Load(WriteDevice("J.INI", ValidDevice().Set("Intact", "0x10"))),
              DeviceLoadResult::Loaded);
    EXPECT_EQ(record.Intact, 16);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CatalogueFixture, TextsKeepTheirDefaultsAndLimits) {
    DeviceKeys d = ValidDevice();
    d.Remove("BRAND").Remove("UserEdit").Remove("Menu").Remove("Type");
    d.Set("Data_DoNotCare", "0123456789ABCDEF");
    d.Set("IC_Information1", "A").Set("IC_Information2", "None").Set("IC_Information3", "C");
    ASSERT_EQ(Load(WriteDevice("T.INI", d)), DeviceLoadResult::Loaded);
    EXPECT_EQ(record.BRAND, "None");
    EXPECT_EQ(record.UserEdit, "MainEdit");
    EXPECT_EQ(record.Menu, "0");
    EXPECT_EQ(record.Type, "None");
    EXPECT_EQ(record.DataDoNotCare, "0123456789A");
    EXPECT_EQ(record.InfoHeader, "IC Information : ");
    EXPECT_EQ(record.InfoText, "IC Information : \nA\n");
    EXPECT_EQ(record.IC_Information3, "C");
}

// ---- Pins -----------------------------------------------------------------------------

TEST(SocketPinTest, ChipSitsWithItsFirstSideEndingAtSocketPin24) {
    struct Case {
        uint8_t chipPin, pinCount, socketPin;
    };
    const Case cases[] = {
        {14, 28, 24}, {28, 28, 38}, {1, 28, 11}, {20, 40, 24}, {40, 40, 44},
        {1, 48, 1},   {48, 48, 48}, {4, 8, 24},  {8, 8, 28},   {0, 28, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SocketPin(c.chipPin, c.pinCount), c.socketPin)
            << int(c.chipPin) << " of " << int(c.pinCount);
}

TEST_F(CatalogueFixture, EachPairNeedsOnePinInsideTheChip) {
    struct Case {
        const char *vcc1, *vcc2, *gnd1, *gnd2, *pins;
        DeviceLoadResult result;
        const char* text;  // nullptr: loaded without a message
    } cases[] = {
        {"28", "0", "14", "0", "28", DeviceLoadResult::Loaded, nullptr},
        // The second key alone names the pin.
        {"28", "0", "0", "14", "28", DeviceLoadResult::Loaded, nullptr},
        {"0", "28", "14", "0", "28", DeviceLoadResult::Loaded, nullptr},
        {"28", "0", "0", "0", "28", DeviceLoadResult::BadPin,
         "INI:Gnd_pin1 Error ! Neither Gnd_pin1 nor Gnd_pin2 names a ground pin."},
        {"0", "0", "14", "0", "28", DeviceLoadResult::BadPin,
         "INI:Vcc_pin1 Error ! Neither Vcc_pin1 nor Vcc_pin2 names a supply pin."},
        {"28", "0", "14", "29", "28", DeviceLoadResult::BadPin,
         "INI:Gnd_pin2 Error ! Pin 29 is not a pin of a 28-pin device."},
        {"28", "49", "14", "0", "48", DeviceLoadResult::BadPin,
         "INI:Vcc_pin2 Error ! Pin 49 is not a pin of a 48-pin device."},
        {"28", "0", "-1", "14", "28", DeviceLoadResult::BadPin,
         "INI:Gnd_pin1 Error ! Pin -1 is not a pin of a 28-pin device."},
        {"28", "0", "14", "0", "49", DeviceLoadResult::BadPin,
         "INI:PIN Error ! A 49-pin device does not fit the 48-pin socket."},
        {"28", "0", "14", "0", "-2", DeviceLoadResult::BadPin,
         "INI:PIN Error ! A -2-pin device does not fit the 48-pin socket."},
        {"0", "0", "0", "0", "0", DeviceLoadResult::BadPin,
         "INI:PIN Error ! A 0-pin device does not fit the 48-pin socket."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.vcc1) + "/" + c.vcc2 + " " + c.gnd1 + "/" + c.gnd2 + " of " +
                     c.pins);
        messages.Clear();
        DeviceKeys d = ValidDevice();
        d.Set("Vcc_pin1", c.vcc1).Set("Vcc_pin2", c.vcc2).Set("Gnd_pin1", c.gnd1);
        d.Set("Gnd_pin2", c.gnd2).Set("PIN", c.pins);
        EXPECT_EQ(Load(WriteDevice("P.INI", d)), c.result);
        EXPECT_EQ(messages.Texts(), c.text ? Texts{c.text} : Texts{});
        EXPECT_EQ(record.DeviceValid, c.result == DeviceLoadResult::Loaded);
    }
}

TEST_F(CatalogueFixture, SupplyAndGroundWordsCarryBothPins) {
    struct Case {
        const char *gnd2, *gnd1, *pins, *vcc2, *vcc1;
        uint16_t gndPins, vccPins;
    };
    const Case cases[] = {
        {"0", "14", "28", "0", "28", 0x0018, 0x0026},
        {"0", "20", "40", "0", "40", 0x0018, 0x002C},
        {"30", "10", "40", "0", "40", 0x220E, 0x002C},
        {"0", "24", "48", "25", "48", 0x0018, 0x1930},
        {"0", "4", "8", "0", "8", 0x0018, 0x001C},
    };
    for (const Case& c : cases) {
        DeviceKeys d = ValidDevice();
        d.Set("Gnd_pin2", c.gnd2).Set("Gnd_pin1", c.gnd1).Set("PIN", c.pins);
        d.Set("Vcc_pin2", c.vcc2).Set("Vcc_pin1", c.vcc1);
        ASSERT_EQ(Load(WriteDevice("P.INI", d)), DeviceLoadResult::Loaded) << c.pins;
        EXPECT_EQ(record.DeviceParamBlock.Word(param::GndPins), c.gndPins) << c.gnd1;
        EXPECT_EQ(record.DeviceParamBlock.Word(param::VccPins), c.vccPins) << c.vcc1;
        EXPECT_EQ(record.PinCount, std::stoi(c.pins));
    }
}

// ---- AllPinDef ----------------------------------------------------------------------------

TEST(AllPinDefTest, DecodesCharacters4To16Only) {
    struct Case {
        const char* text;
        std::vector<int> set;  // flags that are 1
    };
    std::vector<int> all;
    for (int k = 0; k < 48; ++k) all.push_back(k);
    std::vector<int> pins5to44;
    for (int k = 4; k < 44; ++k) pins5to44.push_back(k);
    const Case cases[] = {
        {"xxxxFFFFFFFFFFFFF", all},
        {"S40:03FFFFFFFFFC0", pins5to44},
        {"xxxx2000000000000", {0}},
        {"xxxx0000000000004", {47}},
        // The two highest and the two lowest of the 52 bits are not pins.
        {"xxxxC000000000003", {}},
        // A character after index 16 is not decoded (it would shift every flag).
        {"xxxx2000000000000F", {0}},
        {"xxxx2000000000000FFFF", {0}},
        // A bad character counts as 0.
        {"xxxxZZZZZZZZZZZZ4", {47}},
        // Shorter than 17 characters: no flag.
        {"xxxxFFFFFFFFFFFF", {}},
        {"None", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        const auto flags = DecodeAllPinDef(c.text);
        std::vector<int> set;
        for (int k = 0; k < 48; ++k) {
            EXPECT_LE(flags[k], 1);
            if (flags[k]) set.push_back(k);
        }
        EXPECT_EQ(set, c.set) << '"' << c.text << '"';
    }
}

TEST_F(CatalogueFixture, ShortAllPinDefClearsThePreviousDevicesFlags) {
    ASSERT_EQ(Load(WriteDevice("A.INI", ValidDevice().Set("AllPinDef", "xxxxFFFFFFFFFFFFF"))),
              DeviceLoadResult::Loaded);
    EXPECT_EQ(record.PinFlags[0], 1);
    ASSERT_EQ(Load(WriteDevice("B.INI", ValidDevice().Remove("AllPinDef"))),
              DeviceLoadResult::Loaded);
    for (uint8_t f : record.PinFlags) EXPECT_EQ(f, 0);
}

// ---- Fuse-map devices ---------------------------------------------------------------------------

TEST_F(CatalogueFixture, LogicDeviceGeometry) {
    DeviceKeys d = ValidDevice();
    d.Set("Type", "PLD").Set("fuse_row", "32").Set("fuse_col", "64");
    d.Set("max_address_Hi", "0x0001").Set("max_address_Low", "0x001B").Set("Intact", "1");
    ASSERT_EQ(Load(WriteDevice("G.INI", d)), DeviceLoadResult::Loaded);
    EXPECT_EQ(record.FuseCols, 32);
    EXPECT_EQ(record.FuseRows, 64);
    EXPECT_EQ(record.FuseCount, 2048u);
    EXPECT_EQ(record.HasFuseMap, 1);

    // A grid that takes every fuse and the whole slack behind them is usable:
    // 96 x 64 cells are the 2048 fuses and 4096 bytes.
    d.Set("fuse_row", "96");
    ASSERT_EQ(Load(WriteDevice("S.INI", d)), DeviceLoadResult::Loaded);
    EXPECT_EQ(record.HasFuseMap, 1);

    // One of the two geometry keys 0: no fuse map, whatever else is written.
    d.Set("fuse_col", "0").Set("fuse_row", "-5");
    ASSERT_EQ(Load(WriteDevice("H.INI", d)), DeviceLoadResult::Loaded);
    EXPECT_EQ(record.HasFuseMap, 0);
}

}  // namespace
}  // namespace burnmark::testing
