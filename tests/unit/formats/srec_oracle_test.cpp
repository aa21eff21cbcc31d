// Our readers and writers against srecord's srec_cat and srec_cmp: what
// srec_cat writes, we load to the bytes srec_cat itself reads from it; what we
// write, srec_cat reads back to the range we saved. Skipped where srecord is
// not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "buffer/formats/file_writers.h"
#include "buffer/formats/intel_hex.h"
#include "buffer/formats/motorola_hex.h"
#include "buffer/formats/tektronix_hex.h"
#include "reader_rig.h"
#include "support/temp_dir.h"

namespace burnmark {
namespace {

using testing::ReaderFunction;
using testing::ReaderRig;
using testing::TempDir;

bool HaveTool(const char* name) {
    const std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

int RunTool(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()); }

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const uint8_t* data, std::size_t n) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
}

std::vector<uint8_t> RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = static_cast<uint8_t>(random());
    return v;
}

class SrecOracle : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTool("srec_cat") || !HaveTool("srec_cmp")) GTEST_SKIP() << "srecord not installed";
    }
    TempDir dir;
};

struct ReadCase {
    const char* name;
    const char* srecFormat;  // srec_cat's options for the file
    ReaderFunction read;
    std::size_t length;
    uint32_t offset;
};

TEST_F(SrecOracle, FilesSrecCatWritesLoadToTheBytesSrecCatReads) {
    const ReadCase cases[] = {
        {"IntelLinear", "-intel", LoadIntelHex, 0x23456, 0x1F10},
        {"IntelSegmented", "-intel --address-length=3", LoadIntelHex, 0x23456, 0x1FFF0},
        {"IntelSixteenBit", "-intel --address-length=2", LoadIntelHex, 0x8000, 0x123},
        {"MotorolaS19", "-motorola --address-length=2", LoadMotorolaHex, 0xE000, 0x1001},
        {"MotorolaS28", "-motorola --address-length=3", LoadMotorolaHex, 0x23456, 0x1FFF0},
        {"MotorolaS37", "-motorola --address-length=4", LoadMotorolaHex, 0x23456, 0x30001},
        {"Tektronix", "-Tektronix", LoadTektronixHex, 0xE000, 0x777},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto data = RandomBytes(c.length, c.offset);
        const std::string bin = dir.Path() + c.name + ".bin";
        const std::string text = dir.Path() + c.name + ".txt";
        const std::string back = dir.Path() + c.name + ".back";
        WriteAll(bin, data.data(), data.size());
        ASSERT_EQ(RunTool("srec_cat " + bin + " -binary -offset " + std::to_string(c.offset) +
                      " -o " + text + " " + c.srecFormat),
                  0);
        const std::string srecFlag = std::string(c.srecFormat).substr(0, std::string(c.srecFormat).find(' '));
        ASSERT_EQ(RunTool("srec_cat " + text + " " + srecFlag + " -o " + back + " -binary"), 0);
        const std::string expected = ReadAll(back);
        ASSERT_EQ(expected.size(), c.offset + c.length);

        ReaderRig rig;
        // Gaps zero-filled as srec_cat's binary output has them.
        auto r = testing::RunBothPasses(rig, c.read, ReadAll(text), 0x10000, {true, 0x00});
        ASSERT_TRUE(r.storeOk);
        EXPECT_TRUE(rig.messages.shown.empty());
        EXPECT_EQ(r.image.HighAddress, c.offset + c.length - 1);
        ASSERT_GE(r.image.Image.size(), expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), r.image.Image.begin(),
                               [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
    }
}

struct WriteCase {
    const char* name;
    SaveFormat format;
    const char* srecFlag;
    uint64_t start;
    uint64_t length;
};

TEST_F(SrecOracle, FilesWeWriteReadBackInSrecCatToTheSavedRange) {
    const auto buffer = RandomBytes(0x130000, 99);
    const WriteCase cases[] = {
        {"IntelSmall", SaveFormat::IntelHex, "-intel", 0x10, 0x33},
        {"IntelSegmented", SaveFormat::IntelHex, "-intel", 0x1234, 0x34567},
        {"IntelOneMegabyte", SaveFormat::IntelHex, "-intel", 0x100, 0x100000},
        // Past 1 MB the writer continues with linear records.
        {"IntelBeyondOneMegabyte", SaveFormat::IntelHex, "-intel", 0x5, 0x123456},
        {"MotorolaS1", SaveFormat::MotorolaS1, "-motorola", 0x3, 0xFFF0},
        // S2 records end with S9, which srec_cat accepts.
        {"MotorolaS2", SaveFormat::MotorolaS2, "-motorola", 0x77, 0x34567},
        {"MotorolaS3", SaveFormat::MotorolaS3, "-motorola", 0x10001, 0x54321},
        {"Tektronix", SaveFormat::Tektronix, "-Tektronix", 0x1, 0x10000},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        SaveSettings s;
        s.Name = dir.Path() + c.name + ".txt";
        s.SourceSAdd = static_cast<int64_t>(c.start);
        s.SourceEAdd = static_cast<int64_t>(c.start + c.length - 1);
        s.Format = c.format;
        testing::FakeProgress progress;
        ASSERT_TRUE(SaveBufferToFile(s, buffer, progress));

        const std::string range = dir.Path() + c.name + ".range";
        WriteAll(range, buffer.data() + c.start, c.length);
        EXPECT_EQ(RunTool("srec_cmp " + s.Name + " " + c.srecFlag + " -crop 0 " +
                      std::to_string(c.length) + " " + range + " -binary"),
                  0);
        // The whole file: the range and the bytes that follow it up to the next
        // 32-byte boundary.
        const uint64_t rounded = (c.length + 31) / 32 * 32;
        const std::string tail = dir.Path() + c.name + ".tail";
        WriteAll(tail, buffer.data() + c.start, rounded);
        EXPECT_EQ(RunTool("srec_cmp " + s.Name + " " + c.srecFlag + " " + tail + " -binary"), 0);
    }
}

}  // namespace
}  // namespace burnmark
