// Hex loads read the file in windows, once per pass: whatever the window size
// the buffer gets the same bytes, and a file that changes between two passes
// fails the load and leaves the buffer as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "buffer/formats/intel_hex.h"
#include "buffer/formats/motorola_hex.h"
#include "buffer/formats/tektronix_hex.h"
#include "unit/flow/flow_fixture.h"

namespace burnmark::testing {
namespace {

std::vector<uint8_t> RandomData(std::size_t n) {
    std::mt19937 random(7);
    std::vector<uint8_t> data(n);
    for (auto& b : data) b = static_cast<uint8_t>(random());
    return data;
}

struct TextCase {
    const char* name;
    std::string text;
};

std::vector<TextCase> Texts() {
    const std::vector<uint8_t> data = RandomData(0x3000);
    return {{"Intel", FormatIntelHex(data, 0, data.size())},
            {"Motorola", FormatMotorolaHex(data, 0, MotorolaRecord::S2, data.size())},
            {"Tektronix", FormatTektronixHex(data, 0, data.size())}};
}

class LoadWindows : public FlowTest {
protected:
    struct Result {
        LoadEnd end;
        std::vector<uint8_t> bytes;
        uint32_t start, loadedEnd, sum;
        std::vector<std::string> messages;
    };

    // A load with the fill at 0x40 into a buffer of 0x33, read through
    // windows of the given size (0: the program's own).
    Result Load(const std::string& path, std::size_t window) {
        EXPECT_TRUE(buffer.SetBufferSize(0x10000));
        FillBuffer(0x33);
        messages.Clear();
        HandBack(path, {{"DistSAdd", "64"}, {"UnuserFillCheck", "1"}, {"UserFill", "90"}});
        LoadFlow flow(Context());
        if (window) flow.SetTextWindowBytes(window);
        Result r{flow.RunLoad(HandedBack()), {}, 0, 0, 0, messages.Texts()};
        r.bytes = Bytes(0, buffer.GetBufferSize());
        r.start = buffer.GetLoadedStart();
        r.loadedEnd = buffer.GetLoadedEnd();
        r.sum = buffer.GetCheckSum();
        return r;
    }
};

TEST_F(LoadWindows, EveryWindowSizeLoadsTheSameBytes) {
    for (const TextCase& c : Texts()) {
        SCOPED_TRACE(c.name);
        const std::string path = WriteData(std::string(c.name) + ".hex", c.text);
        const Result whole = Load(path, 0);
        ASSERT_EQ(whole.end, LoadEnd::Loaded);
        ASSERT_EQ(whole.loadedEnd, 64u + 0x3000);
        for (std::size_t window : {1, 7, 45, 1000}) {
            SCOPED_TRACE(::testing::Message() << "window " << window);
            const Result r = Load(path, window);
            EXPECT_EQ(r.end, whole.end);
            EXPECT_TRUE(r.bytes == whole.bytes);
            EXPECT_EQ(r.start, whole.start);
            EXPECT_EQ(r.loadedEnd, whole.loadedEnd);
            EXPECT_EQ(r.sum, whole.sum);
            EXPECT_EQ(r.messages, whole.messages);
        }
    }
}

struct ShrinkCase {
    const char* name;
    const char* format;
    int atPump;             // 1: as the extent pass begins, 2: as the store pass begins
    uint32_t bufferBefore;  // the buffer's size before the load (BufferLength - 1024)
    std::vector<std::string> before;  // what is said before the read fails
};

void PrintTo(const ShrinkCase& c, std::ostream* os) { *os << c.name; }

class FileShrinks : public LoadWindows, public ::testing::WithParamInterface<ShrinkCase> {};

TEST_P(FileShrinks, BetweenPassesFailsTheLoadAndKeepsTheBuffer) {
    const ShrinkCase& c = GetParam();
    const std::string path = WriteData("shrinks.hex", Texts()[0].text);
    ASSERT_TRUE(buffer.SetBufferSize(c.bufferBefore));
    FillBuffer(0x33);
    messages.Clear();
    const uint32_t lengthBefore = buffer.GetBufferSize();
    HandBack(path, {{"Format", c.format}, {"DistSAdd", "256"}});
    int pumps = 0;
    pump.onProcess = [&] {
        if (++pumps == c.atPump) std::filesystem::resize_file(path, 2000);
    };

    LoadFlow flow(Context());
    flow.SetTextWindowBytes(512);
    EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::ReadFailed);
    std::vector<std::string> said = c.before;
    said.push_back("Can't read \"" + path +
                   "\". The file changed while it was read: it is shorter than when the load "
                   "began.");
    EXPECT_EQ(messages.Texts(), said);
    EXPECT_EQ(messages.shown.back().title, "Error");
    EXPECT_EQ(buffer.GetBufferSize(), lengthBefore);
    EXPECT_TRUE(Bytes(0, lengthBefore) == std::vector<uint8_t>(lengthBefore, 0x33));
    EXPECT_EQ(buffer.GetLoadedEnd(), 0u);
    EXPECT_FALSE(progress.shown);
    EXPECT_EQ(progress.shows, progress.closes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileShrinks,
    ::testing::Values(
        // The data (0x3000 bytes at 0x100) lie beyond the buffer, which the load
        // grows to the length of the file.
        ShrinkCase{"InTheExtentPass", "4", 1, 0x2000, {}},
        ShrinkCase{"InTheStorePassOfAGrownBuffer", "4", 2, 0x2000, {}},
        // The data lie inside the buffer: the pass overwrote bytes it must put back.
        ShrinkCase{"InTheStorePassOfALargeBuffer", "4", 2, 0x8000, {}},
        ShrinkCase{"AfterDetection", "0", 2, 0x8000, {"This is Intel Hex format !"}}),
    [](const ::testing::TestParamInfo<ShrinkCase>& info) { return info.param.name; });

}  // namespace
}  // namespace burnmark::testing
