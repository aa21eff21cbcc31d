// The readers and probes over a text given in windows see what they see over
// the whole text at once: a record cut by a window's end is finished from the
// next window, and only at the true end is a cut record an error.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "buffer/formats/intel_hex.h"
#include "buffer/formats/motorola_hex.h"
#include "buffer/formats/tektronix_hex.h"
#include "buffer/formats/text_windows.h"
#include "platform/file_range.h"
#include "reader_rig.h"

namespace burnmark {
namespace {

using testing::AsBytes;
using testing::ReaderRig;

std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

// An Intel record; bad adds to its checksum.
std::string Intel(int type, unsigned address, const std::vector<uint8_t>& data, int bad = 0) {
    std::vector<uint8_t> r{static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
                           static_cast<uint8_t>(address), static_cast<uint8_t>(type)};
    r.insert(r.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t b : r) sum += b;
    r.push_back(static_cast<uint8_t>(0x100 - (sum & 0xFF) + bad));
    return ":" + Hex(r) + "\r\n";
}

// An S-record with addressBytes address bytes; bad adds to its checksum.
std::string Srec(char type, int addressBytes, unsigned address, const std::vector<uint8_t>& data,
                 int bad = 0) {
    std::vector<uint8_t> r{static_cast<uint8_t>(addressBytes + data.size() + 1)};
    for (int k = addressBytes - 1; k >= 0; --k) r.push_back(static_cast<uint8_t>(address >> 8 * k));
    r.insert(r.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t b : r) sum += b;
    r.push_back(static_cast<uint8_t>(~sum + bad));
    return std::string("S") + type + Hex(r) + "\n";
}

// A Tektronix record; bad adds to its data checksum.
std::string Tek(unsigned address, const std::vector<uint8_t>& data, int bad = 0) {
    const std::string head = Hex({static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address),
                                  static_cast<uint8_t>(data.size())});
    unsigned headSum = 0, dataSum = 0;
    for (char c : head) headSum += hex::kDigitValue[static_cast<uint8_t>(c)];
    for (uint8_t b : data) dataSum += (b >> 4) + (b & 15);
    return "/" + head + Hex({static_cast<uint8_t>(headSum)}) + Hex(data) +
           Hex({static_cast<uint8_t>(dataSum + bad)}) + "\r\n";
}

const std::vector<uint8_t> kSixteen{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

// The text of a range held in memory.
TextRead MemoryRead(const std::string& text) {
    return [&text](uint64_t offset, std::span<uint8_t> into) {
        std::memcpy(into.data(), text.data() + offset, into.size());
        return 0;
    };
}

// All a caller and the operator see of the two passes of a reader.
struct Seen {
    bool extentOk = false;
    bool storeOk = false;
    uint32_t extentHigh = 0;
    uint32_t low = 0;
    uint32_t high = 0;
    std::vector<uint8_t> image;
    std::vector<std::string> messages;
    std::vector<std::string> captions;
    int shows = 0, closes = 0, steps = 0, finishes = 0, position = 0, pumps = 0;

    bool operator==(const Seen&) const = default;
};

// One pass: window 0 runs the reader's whole-text entry point.
using Pass = bool (*)(const ReaderPorts&, ReadPass, ParsedImage&, uint64_t, const std::string&,
                      std::size_t window, const FillSettings&);

template <class Reader, auto Whole>
bool RunPass(const ReaderPorts& ports, ReadPass pass, ParsedImage& image, uint64_t imageSize,
             const std::string& text, std::size_t window, const FillSettings& fill) {
    if (window == 0) return Whole(ports, pass, image, imageSize, AsBytes(text), fill);
    Reader reader(ports, pass, image, imageSize, text.size(), fill);
    TextWindows windows(window);
    int readError = 0;
    const bool ok = ReadText(
        reader, [&](TextScan& scan) { return windows.Feed(scan, text.size(), MemoryRead(text)); },
        readError);
    EXPECT_EQ(readError, 0);
    return ok;
}

// The extent pass, then the store pass into an image that holds what it found.
Seen BothPasses(Pass pass, const std::string& text, std::size_t window, FillSettings fill) {
    ReaderRig rig;
    Seen seen;
    ParsedImage extent;
    uint64_t imageSize = 0x100;
    seen.extentOk = pass(rig.Ports(), ReadPass::Extent, extent, imageSize, text, window, fill);
    seen.extentHigh = extent.HighAddress;
    if (seen.extentOk) {
        if (extent.HighAddress >= imageSize) imageSize = uint64_t{extent.HighAddress} + 1024;
        ParsedImage stored;
        seen.storeOk = pass(rig.Ports(), ReadPass::Store, stored, imageSize, text, window, fill);
        seen.low = stored.LowAddress;
        seen.high = stored.HighAddress;
        seen.image = stored.Image;
    }
    for (const auto& m : rig.messages.shown) seen.messages.push_back(m.text + " | " + m.title);
    seen.captions = rig.progress.captions;
    seen.shows = rig.progress.shows;
    seen.closes = rig.progress.closes;
    seen.steps = rig.progress.steps;
    seen.finishes = rig.progress.finishes;
    seen.position = rig.progress.position;
    seen.pumps = rig.pump.processed;
    return seen;
}

struct ReaderCase {
    const char* name;
    Pass pass;
    std::string text;
    FillSettings fill = {};
};

constexpr Pass kIntel = RunPass<IntelHexReader, LoadIntelHex>;
constexpr Pass kMotorola = RunPass<MotorolaHexReader, LoadMotorolaHex>;
constexpr Pass kTektronix = RunPass<TektronixHexReader, LoadTektronixHex>;

std::vector<ReaderCase> ReaderCases() {
    const std::string intel = Intel(2, 0, {0x10, 0x00}) + Intel(0, 0x10, kSixteen) + "junk\n" +
                              Intel(3, 0, {0, 0, 1, 0}) + Intel(4, 0, {0, 2}) +
                              Intel(0, 0x20, {1, 2, 3}, 1) + Intel(1, 0, {});
    const std::string motorola = Srec('0', 2, 0, {'h', 'i'}) + Srec('1', 2, 0x10, kSixteen) + "%" +
                                 Srec('2', 3, 0x012340, {7, 8}) + Srec('3', 4, 0x400, {9}, 3) +
                                 Srec('5', 2, 4, {}) + Srec('9', 2, 0, {});
    const std::string tek = Tek(0x10, kSixteen) + "/xyz\n" + Tek(0x40, {1, 2, 3}, 2) +
                            Tek(0x300, {0xAB}) + "/00000000\r\n";
    return {
        {"Intel", kIntel, intel, {true, 0x5C}},
        {"IntelCutAtTheEnd", kIntel, Intel(0, 0, {1, 2, 3}) + ":10000000AABB"},
        {"IntelBeyondTheCap", kIntel, Intel(4, 0, {0x10, 0}) + Intel(0, 0, {1}) + Intel(1, 0, {})},
        {"IntelNoRecord", kIntel, "no records here\r\n"},
        {"Motorola", kMotorola, motorola},
        {"MotorolaCountTooSmall", kMotorola, Srec('1', 2, 0, {1}) + "S2030000FC\n"},
        {"MotorolaCutAtTheEnd", kMotorola, Srec('1', 2, 0, {1, 2}) + "S1130000"},
        {"Tektronix", kTektronix, tek, {true, 0xEE}},
        {"TektronixCutAtTheEnd", kTektronix, Tek(0, {1, 2}) + "/00100"},
        {"TektronixBadHead", kTektronix, Tek(0, {1, 2}) + "/0010021F0102\r\n"},
    };
}

TEST(TextWindows, ReadersSeeInWindowsWhatTheySeeInTheWholeText) {
    for (const ReaderCase& c : ReaderCases()) {
        SCOPED_TRACE(c.name);
        const Seen whole = BothPasses(c.pass, c.text, 0, c.fill);
        // Windows of 1 byte cut every record at every position; the larger
        // ones cut them at every offset of their own.
        for (std::size_t window : {1, 2, 3, 4, 5, 7, 8, 11, 13, 16, 23, 32, 45, 64, 4096}) {
            SCOPED_TRACE(::testing::Message() << "window " << window);
            EXPECT_EQ(BothPasses(c.pass, c.text, window, c.fill), whole);
        }
    }
}

TEST(TextWindows, TheFixturesEndAsTheirNamesSay) {
    // So that the comparison above covers loads, warnings and every kind of
    // failure, not one outcome many times.
    std::vector<std::string> ends;
    for (const ReaderCase& c : ReaderCases()) {
        const Seen s = BothPasses(c.pass, c.text, 0, c.fill);
        ends.push_back(std::string(c.name) + ": " + (s.storeOk ? "loaded" : "failed") +
                       (s.messages.empty() ? "" : ", " + s.messages.back()));
    }
    EXPECT_EQ(ends, (std::vector<std::string>{
                        "Intel: loaded, File read in complete!\nData still load in buffer. | ",
                        "IntelCutAtTheEnd: failed, FORMAT ERROR ! | ",
                        "IntelBeyondTheCap: failed, Out of buffer ! | ",
                        "IntelNoRecord: failed, FORMAT ERROR ! | ",
                        "Motorola: loaded, File read in complete!\nData still load in buffer. | ",
                        "MotorolaCountTooSmall: failed, FORMAT ERROR ! | ",
                        "MotorolaCutAtTheEnd: failed, FORMAT ERROR ! | ",
                        "Tektronix: loaded, File read in complete!\nData still load in buffer. | ",
                        "TektronixCutAtTheEnd: failed, FORMAT ERROR ! | ",
                        "TektronixBadHead: failed, FORMAT ERROR ! | ",
                    }));
}

// ---- Probes ---------------------------------------------------------------------------------

template <class Probe>
bool ProbeInWindows(const std::string& text, std::size_t window) {
    Probe probe;
    TextWindows windows(window);
    EXPECT_EQ(windows.Feed(probe, text.size(), MemoryRead(text)), 0);
    return probe.Answer();
}

TEST(TextWindows, ProbesAnswerInWindowsAsOverTheWholeText) {
    testing::FakeMessages quiet;
    std::vector<std::string> texts;
    for (const ReaderCase& c : ReaderCases()) texts.push_back(c.text);
    texts.push_back(":00000001FF\r\n");
    texts.push_back(std::string(127, ' ') + Intel(0, 0, {1}));
    texts.push_back(std::string(128, ' ') + Intel(0, 0, {1}));
    texts.push_back(Intel(0, 0, {1}, 1) + Intel(0, 0, {2}));
    texts.push_back(Srec('1', 2, 0, {1}) + Srec('4', 2, 0, {}));
    texts.push_back(Srec('1', 2, 0, {1}) + Srec('1', 2, 0, {1}, 1));
    texts.push_back(Srec('1', 2, 0, {1}) + "S");
    texts.push_back(Srec('1', 2, 0, {1}) + "%S1");
    texts.push_back("  \r\n" + Tek(0, {1}, 1) + Tek(0x10, {2}));
    texts.push_back(Tek(0, {1}, 1) + "/0000");

    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const bool intel = IsIntelHexFile(quiet, ProbeMode::Silent, AsBytes(text));
        const bool motorola = IsMotorolaHexFile(quiet, ProbeMode::Silent, AsBytes(text));
        const bool tek = IsTektronixHexFile(quiet, ProbeMode::Silent, AsBytes(text));
        for (std::size_t window : {1, 2, 3, 5, 8, 13, 21, 4096}) {
            SCOPED_TRACE(::testing::Message() << "window " << window);
            EXPECT_EQ(ProbeInWindows<IntelHexProbe>(text, window), intel);
            EXPECT_EQ(ProbeInWindows<MotorolaHexProbe>(text, window), motorola);
            EXPECT_EQ(ProbeInWindows<TektronixHexProbe>(text, window), tek);
        }
    }
    EXPECT_TRUE(quiet.shown.empty());
}

// ---- The feed -------------------------------------------------------------------------------

TEST(TextWindows, ReadsNoFurtherThanTheScanNeeds) {
    // The Intel probe answers at the first good record: one window is read.
    const std::string text = Intel(0, 0, {1, 2}) + std::string(100000, '\n');
    std::vector<uint64_t> reads;
    const TextRead read = [&](uint64_t offset, std::span<uint8_t> into) {
        reads.push_back(offset);
        return MemoryRead(text)(offset, into);
    };
    IntelHexProbe probe;
    TextWindows windows(4096);
    EXPECT_EQ(windows.Feed(probe, text.size(), read), 0);
    EXPECT_TRUE(probe.Answer());
    EXPECT_EQ(reads, (std::vector<uint64_t>{0}));
}

TEST(TextWindows, AFailedReadStopsThePassWithoutAWord) {
    std::string text;
    for (unsigned a = 0; a < 0x400; a += 16) text += Intel(0, a, kSixteen);
    text += Intel(1, 0, {});
    const TextRead read = [&](uint64_t offset, std::span<uint8_t> into) {
        return offset >= 500 ? kFileEndedEarly : MemoryRead(text)(offset, into);
    };
    ReaderRig rig;
    ParsedImage image;
    IntelHexReader reader(rig.Ports(), ReadPass::Store, image, 0x1000, text.size());
    TextWindows windows(256);
    int readError = 0;
    EXPECT_FALSE(ReadText(
        reader, [&](TextScan& scan) { return windows.Feed(scan, text.size(), read); }, readError));
    EXPECT_EQ(readError, kFileEndedEarly);
    // The caller says why; the progress window is closed.
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_EQ(rig.progress.shows, rig.progress.closes);
    EXPECT_FALSE(rig.progress.shown);
}

}  // namespace
}  // namespace burnmark
