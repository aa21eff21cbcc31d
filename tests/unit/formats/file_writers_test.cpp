#include "buffer/formats/file_writers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <sstream>

#include "buffer/formats/intel_hex.h"
#include "buffer/formats/motorola_hex.h"
#include "buffer/formats/tektronix_hex.h"
#include "platform/profile.h"
#include "reader_rig.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace burnmark {
namespace {

using testing::AsBytes;
using testing::FakeProgress;
using testing::ReaderRig;
using testing::TempDir;

std::vector<uint8_t> Counting(std::size_t n) {
    std::vector<uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i);
    return v;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t crlf = text.find("\r\n", from);
        if (crlf == std::string::npos) {
            lines.push_back(text.substr(from) + " <no CR LF>");
            break;
        }
        lines.push_back(text.substr(from, crlf - from));
        from = crlf + 2;
    }
    return lines;
}

TEST(IntelHexWriter, SixteenBytesGiveOneWholeRecord) {
    const auto buffer = Counting(64);
    // The 16 bytes after the range ride along in the 32-byte record.
    EXPECT_EQ(FormatIntelHex(buffer, 0, 16),
              ":20000000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FF0\r\n"
              ":00000001FF\r\n");
}

TEST(IntelHexWriter, ChecksumsOfAllOnesAndAllZeros) {
    const std::vector<uint8_t> ones(32, 0xFF), zeros(32, 0x00);
    EXPECT_EQ(Lines(FormatIntelHex(ones, 0, 32))[0], ":20000000" + std::string(64, 'F') + "00");
    EXPECT_EQ(Lines(FormatIntelHex(zeros, 0, 32))[0], ":20000000" + std::string(64, '0') + "E0");
}

TEST(IntelHexWriter, RecordAddressesCountFromTheRangeStart) {
    const auto buffer = Counting(0x200);
    const auto lines = Lines(FormatIntelHex(buffer, 0x123, 0x40));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 11), ":2000000023");
    EXPECT_EQ(lines[1].substr(0, 11), ":2000200043");
}

TEST(IntelHexWriter, SegmentRecordBeforeEachFurther64K) {
    const auto buffer = Counting(0x10020);
    const auto lines = Lines(FormatIntelHex(buffer, 0, 0x10020));
    // 2048 records of the first 64 KB, the segment record, one record, the end.
    ASSERT_EQ(lines.size(), 2048u + 3u);
    EXPECT_EQ(lines[2047].substr(0, 7), ":20FFE0");
    EXPECT_EQ(lines[2048], ":020000021000EC");
    EXPECT_EQ(lines[2049].substr(0, 9), ":20000000");
    EXPECT_EQ(lines[2050], ":00000001FF");
    for (std::size_t i = 0; i < 2048; ++i) ASSERT_EQ(lines[i].size(), 75u) << i;
}

TEST(IntelHexWriter, BeyondOneMegabyteSwitchesToLinearRecords) {
    const std::vector<uint8_t> buffer(0x120000, 0x5A);
    const auto lines = Lines(FormatIntelHex(buffer, 0, buffer.size()));
    std::vector<std::string> bases;
    for (const auto& l : lines) {
        if (l.size() == 15) bases.push_back(l);
    }
    ASSERT_EQ(bases.size(), 15u + 1u + 2u);
    EXPECT_EQ(bases[0], ":020000021000EC");
    EXPECT_EQ(bases[14], ":02000002F0000C");
    EXPECT_EQ(bases[15], ":020000020000FC");  // the segment base back to 0 ...
    EXPECT_EQ(bases[16], ":020000040010EA");  // ... and the linear base at 1 MB
    EXPECT_EQ(bases[17], ":020000040011E9");
}

TEST(MotorolaWriter, ExactLinesPerRecordType) {
    const auto buffer = Counting(64);
    const std::string data0 = "000102030405060708090A0B0C0D0E0F";
    const std::string data1 = "101112131415161718191A1B1C1D1E1F";
    EXPECT_EQ(FormatMotorolaHex(buffer, 0, MotorolaRecord::S1, 16),
              "S0030000FC\r\nS1130000" + data0 + "74\r\nS1130010" + data1 + "64\r\n"
              "S9030000FC\r\n");
    EXPECT_EQ(FormatMotorolaHex(buffer, 0, MotorolaRecord::S2, 16),
              "S0030000FC\r\nS214000000" + data0 + "73\r\nS214000010" + data1 + "63\r\n"
              "S9030000FC\r\n");
    EXPECT_EQ(FormatMotorolaHex(buffer, 0, MotorolaRecord::S3, 16),
              "S0030000FC\r\nS31500000000" + data0 + "72\r\nS31500000010" + data1 + "62\r\n"
              "S70500000000FA\r\n");
}

TEST(MotorolaWriter, WideAddressesCarryTheHighBytes) {
    const std::vector<uint8_t> buffer(0x20000);
    const auto s2 = Lines(FormatMotorolaHex(buffer, 0, MotorolaRecord::S2, 0x20000));
    EXPECT_EQ(s2[1 + 0x10000 / 16].substr(0, 10), "S214010000");
    const auto s3 = Lines(FormatMotorolaHex(buffer, 0, MotorolaRecord::S3, 0x20000));
    EXPECT_EQ(s3[1 + 0x1FFF0 / 16].substr(0, 12), "S3150001FFF0");
}

TEST(TektronixWriter, ExactRecordsAndHeaderChecksum) {
    const auto buffer = Counting(0x2000);
    const auto lines = Lines(FormatTektronixHex(buffer, 0x1230, 32));
    ASSERT_EQ(lines.size(), 3u);
    // Address 0000 from the range start; the data are the buffer's 0x30.. bytes.
    EXPECT_EQ(lines[0], "/00001001303132333435363738393A3B3C3D3E3FA8");
    EXPECT_EQ(lines[2], "/00000000");

    const auto far = Lines(FormatTektronixHex(Counting(0x1240), 0, 0x1240));
    // The record at offset 0x1230: 1 + 2 + 3 + 0 + the count digits 1 + 0.
    EXPECT_EQ(far[0x123].substr(0, 9), "/12301007");
    EXPECT_EQ(far[0x123].size(), 43u);
}

TEST(Writers, BytesPastTheBufferReadAsZero) {
    const std::vector<uint8_t> buffer(20, 0xEE);
    const auto line = Lines(FormatIntelHex(buffer, 0, 20))[0];
    EXPECT_EQ(line.substr(9, 64), std::string(40, 'E') + std::string(24, '0'));
}

TEST(Writers, StepTheProgressBarAndCloseIt) {
    const std::vector<uint8_t> buffer(0x10000);
    TempDir dir;
    FakeProgress progress;
    ASSERT_TRUE(SaveIntelHex(dir.Path() + "a.hex", buffer, 0, buffer.size(), progress));
    EXPECT_GE(progress.steps, 99);
    EXPECT_LE(progress.steps, 101);
    EXPECT_EQ(progress.finishes, 1);
    EXPECT_FALSE(progress.shown);
}

TEST(SaveBufferToFile, DispatchesOnTheFormatSetting) {
    TempDir dir;
    const auto buffer = Counting(0x100);
    struct Case {
        int format;
        std::string expected;
    };
    const Case cases[] = {
        {0, std::string(reinterpret_cast<const char*>(buffer.data()) + 0x10, 5)},
        {1, FormatIntelHex(buffer, 0x10, 5)},
        {2, FormatMotorolaHex(buffer, 0x10, MotorolaRecord::S1, 5)},
        {3, FormatMotorolaHex(buffer, 0x10, MotorolaRecord::S2, 5)},
        {4, FormatMotorolaHex(buffer, 0x10, MotorolaRecord::S3, 5)},
        {5, FormatTektronixHex(buffer, 0x10, 5)},
        {9, std::string(reinterpret_cast<const char*>(buffer.data()) + 0x10, 5)},
    };
    for (const Case& c : cases) {
        SaveSettings s;
        s.Name = dir.Path() + "out" + std::to_string(c.format);
        s.SourceSAdd = 0x10;
        s.SourceEAdd = 0x14;
        s.Format = SaveFormatFromSetting(c.format);
        FakeProgress progress;
        ASSERT_TRUE(SaveBufferToFile(s, buffer, progress)) << c.format;
        EXPECT_EQ(dir.Read("out" + std::to_string(c.format)), c.expected) << c.format;
    }
}

TEST(SaveBufferToFile, ReadsTheSaveDialogSettings) {
    TempDir dir;
    Profile history(dir.Path() + "History_1.ini");
    ASSERT_TRUE(history.WriteString("SaveDlg", "Name", dir.Path() + "saved.bin"));
    ASSERT_TRUE(history.WriteInteger("SaveDlg", "SourceSAdd", 2));
    ASSERT_TRUE(history.WriteInteger("SaveDlg", "SourceEAdd", 4));
    ASSERT_TRUE(history.WriteInteger("SaveDlg", "Format", 0));
    FakeProgress progress;
    ASSERT_TRUE(SaveBufferToFile(history, Counting(16), progress));
    EXPECT_EQ(dir.Read("saved.bin"), std::string("\x02\x03\x04", 3));
}

TEST(SaveBlockToFile, WritesExactlyTheRangeOverAnOlderFile) {
    TempDir dir;
    const std::string path = dir.Write("five.bin", std::string(100, 'x'));
    const auto buffer = Counting(16);
    ASSERT_TRUE(SaveBlockToFile(buffer, 5, path, 3));
    EXPECT_EQ(dir.Read("five.bin"), std::string("\x03\x04\x05\x06\x07", 5));
}

TEST(Writers, RefuseRangesTheirFormatOrTheBufferCannotHold) {
    TempDir dir;
    const std::vector<uint8_t> buffer(0x20000);
    FakeProgress progress;
    const std::string path = dir.Path() + "x";
    EXPECT_EQ(SaveMotorolaHex(path, buffer, 0, MotorolaRecord::S1, 0x10001, progress).status,
              SaveStatus::RangeTooLarge);
    EXPECT_TRUE(SaveMotorolaHex(path, buffer, 0, MotorolaRecord::S1, 0x10000, progress));
    EXPECT_EQ(SaveTektronixHex(path, buffer, 0, 0x10001, progress).status,
              SaveStatus::RangeTooLarge);
    // S2 addresses reach 16 MB: a range of that length is too large only for this buffer.
    EXPECT_EQ(SaveMotorolaHex(path, buffer, 0, MotorolaRecord::S2, 0x1000001, progress).status,
              SaveStatus::RangeTooLarge);
    EXPECT_EQ(SaveMotorolaHex(path, buffer, 0, MotorolaRecord::S2, 0x1000000, progress).status,
              SaveStatus::OutsideBuffer);
    EXPECT_EQ(SaveIntelHex(path, buffer, 0x10000, 0x10001, progress).status,
              SaveStatus::OutsideBuffer);
    EXPECT_EQ(SaveBlockToFile(buffer, 2, path, 0x1FFFF).status, SaveStatus::OutsideBuffer);

    SaveSettings backwards;
    backwards.Name = path;
    backwards.SourceSAdd = 10;
    backwards.SourceEAdd = 5;
    EXPECT_EQ(SaveBufferToFile(backwards, buffer, progress).status, SaveStatus::EmptyRange);
}

TEST(Writers, ReportAFileThatCannotBeCreated) {
    TempDir dir;
    FakeProgress progress;
    const std::vector<uint8_t> buffer(64);
    const SaveResult r = SaveIntelHex(dir.Path() + "no/such/dir/a.hex", buffer, 0, 64, progress);
    EXPECT_EQ(r.status, SaveStatus::FileError);
    EXPECT_NE(r.message.find("no/such/dir/a.hex"), std::string::npos);
}

// A text is made in pieces of a bounded block: cut anywhere a line may end,
// the pieces make the same text, and a refused piece stops the writer.
TEST(Writers, TextInPiecesIsTheWholeText) {
    const auto buffer = Counting(0x3000);
    using Write = std::function<bool(const TextSink&, std::size_t)>;
    struct Case {
        const char* name;
        Write write;
        std::string whole;
    };
    const Case cases[] = {
        {"Intel",
         [&](const TextSink& sink, std::size_t piece) {
             // Past 1 MB for the segment reset and the linear records.
             return WriteIntelHex(buffer, 0, 0x110020, nullptr, sink, piece);
         },
         FormatIntelHex(buffer, 0, 0x110020)},
        {"S3",
         [&](const TextSink& sink, std::size_t piece) {
             return WriteMotorolaHex(buffer, 3, MotorolaRecord::S3, 0x2FF0, nullptr, sink, piece);
         },
         FormatMotorolaHex(buffer, 3, MotorolaRecord::S3, 0x2FF0)},
        {"Tektronix",
         [&](const TextSink& sink, std::size_t piece) {
             return WriteTektronixHex(buffer, 0, 0x2FF0, nullptr, sink, piece);
         },
         FormatTektronixHex(buffer, 0, 0x2FF0)},
    };
    for (const Case& c : cases) {
        // 1: one line at a time (never less); then odd sizes.
        for (const std::size_t piece : {std::size_t{1}, std::size_t{150}, std::size_t{4099}}) {
            SCOPED_TRACE(::testing::Message() << c.name << " in pieces of " << piece);
            std::string text;
            std::size_t largest = 0;
            int pieces = 0;
            const TextSink sink = [&](std::span<const char> p) {
                text.append(p.data(), p.size());
                largest = std::max(largest, p.size());
                ++pieces;
                return true;
            };
            ASSERT_TRUE(c.write(sink, piece));
            EXPECT_EQ(text, c.whole);
            EXPECT_LE(largest, std::max<std::size_t>(piece, 111));
            EXPECT_GT(pieces, 2);
        }
        int calls = 0;
        const TextSink refusing = [&](std::span<const char>) { return ++calls < 2; };
        EXPECT_FALSE(c.write(refusing, 200)) << c.name;
        EXPECT_EQ(calls, 2) << c.name;
    }
}

// A save of more text than one piece writes every piece to the file.
TEST(Writers, ASaveLongerThanOnePieceWritesItAll) {
    std::vector<uint8_t> buffer(0x180000);
    std::mt19937 random(11);
    for (auto& b : buffer) b = static_cast<uint8_t>(random());
    TempDir dir;
    FakeProgress progress;
    const std::string path = dir.Path() + "big.s37";
    ASSERT_TRUE(SaveMotorolaHex(path, buffer, 0, MotorolaRecord::S3, buffer.size(), progress));
    const std::string whole = FormatMotorolaHex(buffer, 0, MotorolaRecord::S3, buffer.size());
    ASSERT_GT(whole.size(), kTextPieceBytes);
    EXPECT_TRUE(dir.Read("big.s37") == whole);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

// A save that fails part-way (a full disk, a file-size limit) or is refused
// (a read-only file) leaves the old file as it was, in every format, and says
// what the system said.
TEST(Writers, AFailedSaveKeepsTheOldFileInEveryFormat) {
    TempDir dir;
    const auto buffer = Counting(0x8000);
    const std::string old = "the file saved before, which must survive";
    for (int format = 0; format <= 5; ++format) {
        SCOPED_TRACE(format);
        SaveSettings s;
        s.SourceSAdd = 0;
        s.SourceEAdd = 0x7FFF;
        s.Format = SaveFormatFromSetting(format);

        s.Name = dir.Write("limited" + std::to_string(format), old);
        const std::string answer = testing::WithFileSizeLimit(4096, [&] {
            FakeProgress progress;
            const SaveResult r = SaveBufferToFile(s, buffer, progress);
            return r.status == SaveStatus::FileError ? r.message : std::string("saved");
        });
        EXPECT_EQ(answer, "Stream write error \"" + s.Name + "\". " + std::strerror(EFBIG));
        EXPECT_EQ(dir.Read("limited" + std::to_string(format)), old);

        s.Name = dir.Write("readonly" + std::to_string(format), old);
        ::chmod(s.Name.c_str(), 0444);
        FakeProgress progress;
        const SaveResult r = SaveBufferToFile(s, buffer, progress);
        EXPECT_EQ(r.status, SaveStatus::FileError);
        EXPECT_EQ(r.message, "Cannot create file \"" + s.Name + "\". " + std::strerror(EACCES));
        EXPECT_EQ(dir.Read("readonly" + std::to_string(format)), old);
    }
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              12);
}

// What the writers save, the readers load back: the range and the bytes that
// follow it up to the next 32-byte boundary.
TEST(RoundTrip, EveryTextFormatReadsBackToTheSavedBytes) {
    std::mt19937 random(7);
    std::vector<uint8_t> buffer(0x30000);
    for (auto& b : buffer) b = static_cast<uint8_t>(random());
    struct Case {
        const char* name;
        uint64_t start, length;
        std::function<std::string()> write;
        testing::ReaderFunction read;
    };
    const Case cases[] = {
        {"Intel", 0x105, 0x2FE00, [&] { return FormatIntelHex(buffer, 0x105, 0x2FE00); },
         LoadIntelHex},
        {"S1", 7, 0xFFF1,
         [&] { return FormatMotorolaHex(buffer, 7, MotorolaRecord::S1, 0xFFF1); }, LoadMotorolaHex},
        {"S2", 0x33, 0x2F000,
         [&] { return FormatMotorolaHex(buffer, 0x33, MotorolaRecord::S2, 0x2F000); },
         LoadMotorolaHex},
        {"S3", 1, 0x2FFFF,
         [&] { return FormatMotorolaHex(buffer, 1, MotorolaRecord::S3, 0x2FFFF); },
         LoadMotorolaHex},
        {"Tektronix", 0x10, 0x10000, [&] { return FormatTektronixHex(buffer, 0x10, 0x10000); },
         LoadTektronixHex},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = c.write();
        ReaderRig rig;
        auto r = testing::RunBothPasses(rig, c.read, text, 0x100);
        ASSERT_TRUE(r.storeOk);
        const uint64_t saved = std::min<uint64_t>((c.length + 31) / 32 * 32, buffer.size() - c.start);
        ASSERT_EQ(r.image.HighAddress, (c.length + 31) / 32 * 32 - 1);
        EXPECT_TRUE(std::equal(buffer.begin() + c.start, buffer.begin() + c.start + saved,
                               r.image.Image.begin()));
        EXPECT_TRUE(rig.messages.shown.empty());
    }
}

}  // namespace
}  // namespace burnmark
