// The load of what the load dialog hands back in [LoadDlg]: range, format,
// destination and fill, over small files written by the test.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "flow/dialog_hand_back.h"
#include "unit/flow/flow_fixture.h"

namespace burnmark::testing {
namespace {

const std::string kIntel = ":0400000001020304F2\r\n:00000001FF\r\n";
const std::string kMotorola = "S00600004844521B\r\nS107000001020304EE\r\nS9030000FC\r\n";
const std::string kTektronix = "/00000404010203040A\r\n/00000000\r\n";

std::string Exe(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i < 512 ? 0x4D : i - 512);
    return bytes;
}

// Bytes that differ from one 64 KB read piece to the next: byte i is i % 251.
std::string Counting251(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

struct Shown {
    std::string text;
    std::string title;
};

struct HandBackCase {
    const char* name;
    std::string file;
    Keys keys;
    LoadEnd end;
    std::vector<Shown> shown;
    uint32_t loadedStart = 0;
    uint32_t loadedEnd = 0;
    std::vector<std::pair<uint32_t, uint8_t>> bytes;  // address, expected value
    std::string formatAfter;                          // [LoadDlg] "Format" afterwards
    std::optional<uint32_t> sum;
};

void PrintTo(const HandBackCase& c, std::ostream* os) { *os << c.name; }

class LoadHandBack : public FlowTest, public ::testing::WithParamInterface<HandBackCase> {};

TEST_P(LoadHandBack, LoadsWhatTheDialogHandedBack) {
    const HandBackCase& c = GetParam();
    const std::string path = WriteData("file.dat", c.file);
    Keys keys = c.keys;
    if (keys.count("Name") && keys["Name"] != "NULL") keys["Name"] = dir.Path() + keys["Name"];
    HandBack(path, keys);

    LoadFlow flow(Context());
    EXPECT_EQ(flow.RunLoad(HandedBack()), c.end);

    std::vector<std::pair<std::string, std::string>> shown, expected;
    for (const auto& s : messages.shown) shown.emplace_back(s.text, s.title);
    for (const auto& s : c.shown) expected.emplace_back(s.text, s.title);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(buffer.GetLoadedStart(), c.loadedStart);
    EXPECT_EQ(buffer.GetLoadedEnd(), c.loadedEnd);
    for (const auto& [address, value] : c.bytes)
        EXPECT_EQ(Byte(address), value) << "at 0x" << std::hex << address;
    EXPECT_EQ(ReadKey("LoadDlg", "Format"), c.formatAfter);
    if (c.sum) {
        EXPECT_EQ(buffer.GetCheckSum(), *c.sum);
    }
    EXPECT_FALSE(busy.Busy());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadHandBack,
    ::testing::Values(
        HandBackCase{"BinaryRangeWithFill",
                     "ABCDEFGH",
                     {{"SourceSAdd", "2"},
                      {"SourceEAdd", "5"},
                      {"DistSAdd", "16"},
                      {"UnuserFillCheck", "1"},
                      {"UserFill", "170"},
                      {"Format", "3"}},
                     LoadEnd::Loaded,
                     {},
                     16,
                     20,
                     {{0, 0xAA}, {15, 0xAA}, {16, 'C'}, {19, 'F'}, {20, 0xAA}, {8191, 0xAA}},
                     "3",
                     std::nullopt},
        HandBackCase{"BinaryWithoutFillKeepsTheRest",
                     "ABCDEFGH",
                     {{"DistSAdd", "4"}, {"Format", "3"}},
                     LoadEnd::Loaded,
                     {},
                     4,
                     12,
                     {{3, 0xFF}, {4, 'A'}, {11, 'H'}, {12, 0xFF}},
                     "3",
                     std::nullopt},
        // The file is read in pieces below 64 KB; each lands at its own place.
        HandBackCase{"BinaryOfSeveralReadPieces",
                     Counting251(0x20010),
                     {{"SourceSAdd", "3"}, {"Format", "3"}},
                     LoadEnd::Loaded,
                     {},
                     0,
                     0x2000D,
                     {{0, 3}, {0xFFFE, 0x10001 % 251}, {0xFFFF, 0x10002 % 251},
                      {0x2000C, 0x2000F % 251}},
                     "3",
                     std::nullopt},
        HandBackCase{"RangeEndBeyondTheFileIsClamped",
                     "ABCDEFGH",
                     {{"SourceSAdd", "6"}, {"SourceEAdd", "1000"}, {"Format", "2"}},
                     LoadEnd::Loaded,
                     {},
                     0,
                     2,
                     {{0, 'G'}, {1, 'H'}, {2, 0xFF}},
                     "2",
                     std::nullopt},
        HandBackCase{"ReversedRangeIsRefused",
                     "ABCDEFGH",
                     {{"SourceSAdd", "5"}, {"SourceEAdd", "2"}, {"Format", "3"}},
                     LoadEnd::ReadFailed,
                     {{"Input Value Error !", "Error"}},
                     0,
                     0,
                     {{0, 0xFF}},
                     "3",
                     std::nullopt},
        HandBackCase{"RangeStartingPastTheFileIsRefused",
                     "ABCDEFGH",
                     {{"SourceSAdd", "8"}, {"SourceEAdd", "20"}, {"Format", "3"}},
                     LoadEnd::ReadFailed,
                     {{"Input Value Error !", "ERROR"}},
                     0,
                     0,
                     {{0, 0xFF}},
                     "3",
                     std::nullopt},
        HandBackCase{"NegativeDestinationIsRefused",
                     "ABCDEFGH",
                     {{"DistSAdd", "-1"}, {"Format", "3"}},
                     LoadEnd::LoadFailed,
                     {{"Input Value Error !", "ERROR"}},
                     0,
                     0,
                     {{0, 0xFF}},
                     "3",
                     std::nullopt},
        HandBackCase{"MissingFile",
                     "x",
                     {{"Name", "no-such-file.bin"}, {"SourceEAdd", "0"}},
                     LoadEnd::ReadFailed,
                     {{"Format Error !", ""}},
                     0,
                     0,
                     {},
                     "0",
                     std::nullopt},
        HandBackCase{"NullNameFailsSilently",
                     "x",
                     {{"Name", "NULL"}, {"SourceEAdd", "0"}},
                     LoadEnd::ReadFailed,
                     {},
                     0,
                     0,
                     {},
                     "0",
                     std::nullopt},
        HandBackCase{"AutoDetectedIntel",
                     kIntel,
                     {},
                     LoadEnd::Loaded,
                     {{"This is Intel Hex format !", "Auto detect"}},
                     0,
                     4,
                     {{0, 1}, {3, 4}, {4, 0xFF}},
                     "4",
                     10},
        HandBackCase{"AutoDetectedMotorola",
                     kMotorola,
                     {},
                     LoadEnd::Loaded,
                     {{"This is Motorola Hex format !", "Auto detect"}},
                     0,
                     4,
                     {{0, 1}, {3, 4}},
                     "5",
                     10},
        HandBackCase{"AutoDetectedTektronixLeavesTheSum",
                     kTektronix,
                     {},
                     LoadEnd::Loaded,
                     {{"This is Tektronix Hex format !", "Auto detect"}},
                     0,
                     4,
                     {{0, 1}, {3, 4}},
                     "6",
                     0},
        HandBackCase{"AutoDetectFallsBackToBinary",
                     "hello",
                     {},
                     LoadEnd::Loaded,
                     {{"Binary Code File", "Detect"}},
                     0,
                     5,
                     {{0, 'h'}, {4, 'o'}, {5, 0xFF}},
                     "3",
                     std::nullopt},
        HandBackCase{"EndRecordAloneIsNoIntelFile",
                     ":00000001FF",
                     {},
                     LoadEnd::Loaded,
                     {{"Binary Code File", "Detect"}},
                     0,
                     11,
                     {{0, ':'}, {10, 'F'}},
                     "3",
                     std::nullopt},
        HandBackCase{"ChosenFormatThatDoesNotMatch",
                     "hello",
                     {{"Format", "4"}},
                     LoadEnd::LoadFailed,
                     {{"File is not Intel Hex format !", "ERROR !"}},
                     0,
                     0,
                     {{0, 0xFF}},
                     "4",
                     std::nullopt},
        HandBackCase{"ExeDropsItsHeader",
                     Exe(600),
                     {{"Format", "1"}},
                     LoadEnd::Loaded,
                     {},
                     0,
                     88,
                     {{0, 0}, {87, 87}, {88, 0xFF}},
                     "1",
                     std::nullopt},
        HandBackCase{"ExeAtADestinationWithFill",
                     Exe(600),
                     {{"Format", "1"},
                      {"DistSAdd", "16"},
                      {"UnuserFillCheck", "1"},
                      {"UserFill", "170"}},
                     LoadEnd::Loaded,
                     {},
                     16,
                     104,
                     {{15, 0xAA}, {16, 0}, {103, 87}, {104, 0xAA}},
                     "1",
                     std::nullopt},
        HandBackCase{"ShortExeIsRefused",
                     Exe(511),
                     {{"Format", "1"}},
                     LoadEnd::LoadFailed,
                     {{"Format Error !", "Load"}},
                     0,
                     0,
                     {{0, 0xFF}},
                     "1",
                     std::nullopt}),
    [](const ::testing::TestParamInfo<HandBackCase>& info) { return info.param.name; });

TEST_F(LoadHandBack, RangeFarBeyondTheFileDoesNotGrowTheBuffer) {
    // A range end the dialog could never have taken from this file.
    HandBack(WriteData("a.bin", "ABCDEFGH"), {{"SourceEAdd", "16777215"}, {"Format", "3"}});
    LoadFlow flow(Context());
    EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::Loaded);
    EXPECT_EQ(buffer.GetBufferSize(), DataBuffer::kInitialLength);
    EXPECT_EQ(buffer.GetLoadedEnd(), 8u);
}

// Every second until the test has finished, opens the pipe for writing: a
// reader blocked on it is let go, and the test learns that it waited.
class PipeWatchdog {
public:
    explicit PipeWatchdog(std::string pipe)
        : thread_([this, pipe = std::move(pipe)] {
              std::unique_lock lock(mutex_);
              while (!done_cv_.wait_for(lock, std::chrono::seconds(1), [this] { return done_; })) {
                  const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0) {
                      unblocked_ = true;
                      ::close(fd);
                  }
              }
          }) {}
    // True when a reader had to be let go.
    bool Finish() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        done_cv_.notify_one();
        thread_.join();
        return unblocked_;
    }

private:
    std::mutex mutex_;
    std::condition_variable done_cv_;
    bool done_ = false;
    bool unblocked_ = false;
    std::thread thread_;
};

TEST_F(LoadHandBack, OnlyRegularFilesAreRead) {
    // A named pipe would hold the window until somebody writes to it; a
    // folder has no bytes to take a range of.
    const std::string pipe = dir.Path() + "pipe.hex";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_directories(dir.Path() + "folder.bin");
    for (const std::string& name : {pipe, dir.Path() + "folder.bin"}) {
        SCOPED_TRACE(name);
        messages.Clear();
        WriteSection("LoadDlg", {{"Name", name},
                                 {"SourceSAdd", "0"},
                                 {"SourceEAdd", "99"},
                                 {"Format", "3"},
                                 {"OK", "1"}});
        const uint32_t lengthBefore = buffer.GetBufferSize();
        PipeWatchdog watchdog(pipe);
        EXPECT_EQ(DetectFileFormat(History(), messages), LoadFormat::Auto);
        EXPECT_EQ(GetFileSizeByName(name), 0u);
        LoadFlow flow(Context());
        EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::ReadFailed);
        EXPECT_FALSE(watchdog.Finish());
        EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Format Error !"}));
        EXPECT_EQ(buffer.GetBufferSize(), lengthBefore);
    }
}

// The progress window as the read steps it after each piece of the file; the
// test acts between two pieces.
class ProgressWithHook : public FakeProgress {
public:
    void ProgressStep() override {
        FakeProgress::ProgressStep();
        if (onStep) std::exchange(onStep, nullptr)();
    }
    std::function<void()> onStep;
};

// A load whose read fails ends there with what went wrong, and the buffer
// stays as it was: nothing of a part-read file is programmed.
class LoadRead : public FlowTest {
protected:
    void ExpectReadFails(const std::string& path, std::function<void()> betweenPieces,
                         const std::string& reason) {
        FillBuffer(0x33);
        const uint32_t lengthBefore = buffer.GetBufferSize();
        HandBack(path, {{"Format", "3"}});
        ProgressWithHook hooked;
        hooked.onStep = std::move(betweenPieces);
        FlowContext ctx{busy,      device, options, buffer,    messages, player, hooked,
                        pump,      processes, link, frame, downloads, fpga};

        LoadFlow flow(ctx);
        EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::ReadFailed);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, "Can't read \"" + path + "\". " + reason);
        EXPECT_EQ(messages.shown[0].title, "Error");
        EXPECT_EQ(buffer.GetBufferSize(), lengthBefore);
        EXPECT_EQ(Byte(0), 0x33);
        EXPECT_EQ(Byte(lengthBefore - 1), 0x33);
        EXPECT_EQ(buffer.GetLoadedEnd(), 0u);
        EXPECT_FALSE(hooked.shown);
    }
};

TEST_F(LoadRead, AFileThatShrinksWhileItIsReadIsNotLoaded) {
    // Several pieces long, so that another program can cut it between two.
    const std::string path = WriteData("shrinks.bin", std::string(200000, '\x5A'));
    ExpectReadFails(
        path, [&] { std::filesystem::resize_file(path, 1000); },
        "The file changed while it was read: it is shorter than when the load began.");
}

TEST_F(LoadRead, AReadErrorIsNotLoaded) {
    // A sysfs attribute that answers every read with "Input/output error":
    // the power settings of a device without runtime power management.
    const char* path = "/sys/devices/virtual/mem/null/power/autosuspend_delay_ms";
    const int fd = ::open(path, O_RDONLY);
    char byte;
    const bool fails = fd >= 0 && ::read(fd, &byte, 1) < 0 && errno == EIO;
    if (fd >= 0) ::close(fd);
    if (!fails) GTEST_SKIP() << "no file here that fails to read";
    ExpectReadFails(path, nullptr, std::strerror(EIO));
}

TEST_F(LoadHandBack, CancelChangesNothingNotEvenTheDataMode) {
    buffer.SetDataMode(DataMode::SwapByte);
    HandBack(WriteData("a.bin", "ABCD"), {{"OK", "0"}});
    ScriptedLoadDialog dialog;
    LoadFlow flow(Context());
    EXPECT_EQ(flow.LoadFileClick(dialog), LoadEnd::Cancelled);
    EXPECT_EQ(dialog.runs, 1);
    EXPECT_EQ(dialog.loadPathEdit, "unchanged");
    EXPECT_EQ(buffer.ReturnDataMode(), DataMode::SwapByte);
    EXPECT_EQ(ReadKey("CommonParameterSet", "CommonDataSelect"), "<missing>");
    EXPECT_EQ(buffer.GetLoadedEnd(), 0u);
}

TEST_F(LoadHandBack, LoadSetsTheDataModeBackToAllAndTakesTheName) {
    buffer.SetDataMode(DataMode::SwapByte);
    const std::string path = WriteData("a.bin", "ABCD");
    ScriptedLoadDialog dialog;
    dialog.onRun = [&] { HandBack(path, {{"Format", "3"}}); };
    LoadFlow flow(Context());
    EXPECT_EQ(flow.LoadFileClick(dialog), LoadEnd::Loaded);
    EXPECT_EQ(dialog.loadPathEdit, path);
    EXPECT_EQ(buffer.ReturnDataMode(), DataMode::All);
    EXPECT_EQ(ReadKey("CommonParameterSet", "CommonDataSelect"), "0");
    EXPECT_EQ(Bytes(0, 4), (std::vector<uint8_t>{'A', 'B', 'C', 'D'}));
}

TEST_F(LoadHandBack, AFailedDataModeWriteIsReportedAndTheLoadGoesOn) {
    HandBack(WriteData("a.bin", "ABCD"), {{"Format", "3"}});
    ASSERT_EQ(::chmod(History().c_str(), 0444), 0);  // read-only, for the administrator too
    LoadFlow flow(Context());
    EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::Loaded);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, HandBackWriteFailText(History()));
    EXPECT_EQ(messages.shown[0].title, kHandBackWriteFailTitle);
    EXPECT_EQ(Bytes(0, 4), (std::vector<uint8_t>{'A', 'B', 'C', 'D'}));
    EXPECT_EQ(buffer.ReturnDataMode(), DataMode::All);
}

TEST_F(LoadHandBack, FirstSetupRefusesBeforeTheDialogWhateverTheSoundSetting) {
    device.Manufacturer = kFirstSetupMaker;
    player.SoundOn = 0;
    ScriptedLoadDialog dialog;
    LoadFlow flow(Context());
    EXPECT_EQ(flow.LoadFileClick(dialog), LoadEnd::NoDevice);
    EXPECT_EQ(dialog.runs, 0);
    EXPECT_EQ(flow.LoadPending, 1);
    EXPECT_EQ(sounds.calls, (std::vector<std::string>{"error"}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Please Selete IC...");
    EXPECT_TRUE(messages.shown[0].plain);
}

TEST_F(LoadHandBack, ExceptionInTheDialogIsShownAndTheProgramIsNotLeftBusy) {
    ScriptedLoadDialog dialog;
    dialog.onRun = [] { throw std::runtime_error("dialog broke"); };
    LoadFlow flow(Context());
    EXPECT_EQ(flow.LoadFileClick(dialog), LoadEnd::LoadFailed);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"dialog broke"}));
    EXPECT_FALSE(busy.Busy());
}

}  // namespace
}  // namespace burnmark::testing
