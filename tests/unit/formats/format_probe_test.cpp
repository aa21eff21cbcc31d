#include <gtest/gtest.h>

#include "buffer/formats/binary_image.h"
#include "buffer/formats/detect_file.h"
#include "buffer/formats/intel_hex.h"
#include "buffer/formats/motorola_hex.h"
#include "buffer/formats/tektronix_hex.h"
#include "reader_rig.h"
#include "support/temp_dir.h"

namespace burnmark {
namespace {

using testing::AsBytes;
using testing::FakeMessages;

constexpr const char* kIntelData = ":0100000055AA\r\n:00000001FF\r\n";
constexpr const char* kMotorolaData = "S00600004844521B\r\nS105000055663F\r\nS9030000FC\r\n";
constexpr const char* kTekData = "/00100405010203040A\r\n/00000000\r\n";

struct ProbeCase {
    const char* name;
    LoadFormat format;
    std::string block;
    BlockExtent extent;
    bool yes;
};

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class Probes : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(Probes, AnswerSilentlyInModeZero) {
    const ProbeCase& c = GetParam();
    FakeMessages messages;
    EXPECT_EQ(ProbeFormat(messages, c.format, ProbeMode::Silent, AsBytes(c.block), c.extent),
              c.yes);
    EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Probes,
    ::testing::Values(
        ProbeCase{"IntelData", LoadFormat::IntelHex, kIntelData, BlockExtent::WholeFile, true},
        // An end record alone is no data record.
        ProbeCase{"IntelEndRecordOnly", LoadFormat::IntelHex, ":00000001FF\r\n",
                  BlockExtent::WholeFile, false},
        ProbeCase{"IntelAfter127Others", LoadFormat::IntelHex, std::string(127, ' ') + kIntelData,
                  BlockExtent::WholeFile, true},
        ProbeCase{"IntelAfter128Others", LoadFormat::IntelHex, std::string(128, ' ') + kIntelData,
                  BlockExtent::WholeFile, false},
        // A data record without data is no sign of an Intel file.
        ProbeCase{"IntelEmptyDataRecord", LoadFormat::IntelHex, ":0000000000\r\n",
                  BlockExtent::WholeFile, false},
        ProbeCase{"IntelBadChecksum", LoadFormat::IntelHex, ":0100000055AB\r\n",
                  BlockExtent::WholeFile, false},
        ProbeCase{"IntelAfterBaseRecord", LoadFormat::IntelHex,
                  std::string(":020000040001F9\r\n") + kIntelData, BlockExtent::WholeFile, true},
        ProbeCase{"MotorolaData", LoadFormat::Motorola, kMotorolaData, BlockExtent::WholeFile,
                  true},
        ProbeCase{"MotorolaCarriageReturns", LoadFormat::Motorola,
                  "S105000055663F\rS9030000FC\r", BlockExtent::WholeFile, true},
        ProbeCase{"MotorolaPercentPrefix", LoadFormat::Motorola, "%S105000055663F\r\n",
                  BlockExtent::WholeFile, true},
        // A record whose checksum byte is 00 counts like any other.
        ProbeCase{"MotorolaChecksumZero", LoadFormat::Motorola, "S1040000FB00\r\nS9030000FC\r\n",
                  BlockExtent::WholeFile, true},
        // Files of more than 65535 records count them in a 24-bit S6 record.
        ProbeCase{"MotorolaS6Count", LoadFormat::Motorola,
                  "S105000055663F\r\nS60401117079\r\nS9030000FC\r\n", BlockExtent::WholeFile, true},
        ProbeCase{"MotorolaS5Count", LoadFormat::Motorola,
                  "S105000055663F\r\nS5030001FB\r\nS9030000FC\r\n", BlockExtent::WholeFile, true},
        ProbeCase{"MotorolaS4Pair", LoadFormat::Motorola,
                  "S105000055663F\r\nS4030000FC\r\n", BlockExtent::WholeFile, false},
        // An S1 count of 2 leaves no room for the checksum after the address.
        ProbeCase{"MotorolaCountShorterThanItsAddress", LoadFormat::Motorola,
                  "S10200FD\r\nS9030000FC\r\n", BlockExtent::WholeFile, false},
        ProbeCase{"MotorolaBadChecksum", LoadFormat::Motorola, "S105000055663E\r\n",
                  BlockExtent::WholeFile, false},
        ProbeCase{"MotorolaNoDataRecord", LoadFormat::Motorola, "S00600004844521B\r\nS9030000FC\r\n",
                  BlockExtent::WholeFile, false},
        ProbeCase{"MotorolaCutWholeFile", LoadFormat::Motorola, "S105000055663F\r\nS10500",
                  BlockExtent::WholeFile, false},
        // A head read may cut the last record; the records before it decide.
        ProbeCase{"MotorolaCutHead", LoadFormat::Motorola, "S105000055663F\r\nS10500",
                  BlockExtent::Head, true},
        ProbeCase{"MotorolaIntelFile", LoadFormat::Motorola, kIntelData, BlockExtent::WholeFile,
                  false},
        ProbeCase{"TekData", LoadFormat::Tektronix, kTekData, BlockExtent::WholeFile, true},
        ProbeCase{"TekLeadingBlanks", LoadFormat::Tektronix, std::string("\r\n  \t") + kTekData,
                  BlockExtent::WholeFile, true},
        ProbeCase{"TekHeaderChecksumWrong", LoadFormat::Tektronix, "/00100406010203040A\r\n",
                  BlockExtent::WholeFile, false},
        ProbeCase{"TekDataMismatchThenGood", LoadFormat::Tektronix,
                  std::string("/00100405010203040B\r\n") + kTekData, BlockExtent::WholeFile, true},
        // Without one good data checksum the block is no Tektronix file.
        ProbeCase{"TekDataMismatchOnly", LoadFormat::Tektronix,
                  "/00100405010203040B\r\n/00140409050607081B\r\n/00000000\r\n",
                  BlockExtent::WholeFile, false},
        ProbeCase{"TekTerminatorFirst", LoadFormat::Tektronix, "/00000000\r\n",
                  BlockExtent::WholeFile, false},
        ProbeCase{"TekTextFirst", LoadFormat::Tektronix, std::string("x") + kTekData,
                  BlockExtent::WholeFile, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct MessageCase {
    LoadFormat format;
    std::string yesBlock;
    const char* yesText;
    const char* noText;
};

TEST(Probes, ModeOneSaysNoAndModeTwoSaysYes) {
    const MessageCase cases[] = {
        {LoadFormat::IntelHex, kIntelData, "This is Intel Hex format !",
         "File is not Intel Hex format !"},
        {LoadFormat::Motorola, kMotorolaData, "This is Motorola Hex format !",
         "File is not Motorola Hex format !"},
        {LoadFormat::Tektronix, kTekData, "This is Tektronix Hex format !",
         "File is not Tektronix Hex format !"},
    };
    const std::string binary = "\x01\x02\x03 binary";
    for (const auto& c : cases) {
        FakeMessages messages;
        EXPECT_TRUE(ProbeFormat(messages, c.format, ProbeMode::ShowYes, AsBytes(c.yesBlock)));
        EXPECT_FALSE(ProbeFormat(messages, c.format, ProbeMode::ShowYes, AsBytes(binary)));
        EXPECT_TRUE(ProbeFormat(messages, c.format, ProbeMode::ShowNo, AsBytes(c.yesBlock)));
        EXPECT_FALSE(ProbeFormat(messages, c.format, ProbeMode::ShowNo, AsBytes(binary)));
        ASSERT_EQ(messages.shown.size(), 2u);
        EXPECT_EQ(messages.shown[0].text, c.yesText);
        EXPECT_EQ(messages.shown[0].title, "Auto detect");
        EXPECT_EQ(messages.shown[1].text, c.noText);
        EXPECT_EQ(messages.shown[1].title, "ERROR !");
    }
}

TEST(DetectHexFormat, TriesIntelThenMotorolaThenTektronix) {
    FakeMessages messages;
    EXPECT_EQ(DetectHexFormat(messages, ProbeMode::Silent, AsBytes(kIntelData)),
              LoadFormat::IntelHex);
    EXPECT_EQ(DetectHexFormat(messages, ProbeMode::Silent, AsBytes(kMotorolaData)),
              LoadFormat::Motorola);
    EXPECT_EQ(DetectHexFormat(messages, ProbeMode::Silent, AsBytes(kTekData)),
              LoadFormat::Tektronix);
    // An Intel end record alone, or Tektronix records whose every data checksum is
    // wrong, fall through every probe and load as binary.
    for (const char* binary : {":00000001FF\r\n", "/00100405010203040B\r\n/00000000\r\n"}) {
        EXPECT_EQ(DetectHexFormat(messages, ProbeMode::Silent, AsBytes(binary)), LoadFormat::Auto)
            << binary;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST(DetectHexFormat, ProbesTheHeadOfALargeMotorolaFile) {
    testing::TempDir dir;
    std::string text;
    while (text.size() < 3 * kProbeHeadBytes) text += "S105000055663F\r\n";
    const std::string path = dir.Write("big.s19", text);
    auto head = ReadFileHead(path);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->extent, BlockExtent::Head);
    EXPECT_EQ(head->bytes.size(), kProbeHeadBytes);  // cuts a record: 65536 is no multiple of 16
    FakeMessages messages;
    EXPECT_EQ(DetectHexFormat(messages, ProbeMode::Silent, head->bytes, head->extent),
              LoadFormat::Motorola);

    // A file exactly as long as the head is read whole: its end is the file's.
    auto exact = ReadFileHead(dir.Write("exact.s19", text.substr(0, kProbeHeadBytes)));
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->extent, BlockExtent::WholeFile);

    auto whole = ReadFileHead(dir.Write("small.s19", kMotorolaData));
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->extent, BlockExtent::WholeFile);
    EXPECT_EQ(whole->bytes.size(), std::string(kMotorolaData).size());
    EXPECT_FALSE(ReadFileHead(dir.Path() + "missing.hex"));
}

TEST(StripExeHeader, DropsTheFirst512Bytes) {
    struct Case {
        std::size_t length;
        bool ok;
        std::size_t imageLength;
    };
    for (Case c : {Case{511, false, 511}, Case{512, true, 0}, Case{600, true, 88}}) {
        std::vector<uint8_t> file(c.length);
        for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i);
        std::span<const uint8_t> view(file);
        FakeMessages messages;
        EXPECT_EQ(StripExeHeader(view, messages), c.ok);
        EXPECT_EQ(view.size(), c.imageLength);
        if (c.ok) {
            EXPECT_TRUE(messages.shown.empty());
            if (!view.empty()) {
                EXPECT_EQ(view[0], file[512]);
            }
        } else {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].text, "Format Error !");
            EXPECT_EQ(messages.shown[0].title, "Load");
        }
    }
}

}  // namespace
}  // namespace burnmark
