// The stored pictures of the splash and the custom logo: a bitmap whose
// 54-byte header lies at the end of its file, put back together in memory.
#include "shell/picture_restore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/fake_ports.h"
#include "support/temp_dir.h"

namespace burnmark::testing {
namespace {

namespace fs = std::filesystem;

// A 2 x 2 bitmap of 24 bits per pixel: 54 bytes of header, two rows of 8.
std::vector<uint8_t> SmallBitmap() {
    std::vector<uint8_t> bmp(kBitmapHeaderLength + 16, 0);
    auto put32 = [&](std::size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, kBitmapHeaderLength);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    bmp[26] = 1;
    bmp[28] = 24;
    for (std::size_t i = kBitmapHeaderLength; i < bmp.size(); ++i) bmp[i] = static_cast<uint8_t>(i);
    return bmp;
}

std::string AsText(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

TEST(PictureRestore, RestoresTheStoredFormOrRefusesWithItsMessage) {
    TempDir dir;
    const std::vector<uint8_t> bitmap = SmallBitmap();
    struct Case {
        const char* name;
        std::optional<std::string> file;  // none: no such file
        std::optional<std::vector<uint8_t>> restored;
        std::vector<std::string> texts;
    };
    const std::vector<uint8_t> header(bitmap.begin(), bitmap.begin() + kBitmapHeaderLength);
    const std::vector<Case> cases = {
        {"a stored bitmap", AsText(*StoreBitmapRotated(bitmap)), bitmap, {}},
        {"only the header", AsText(header), header, {}},
        {"one byte short of a header", std::string(53, 'x'), std::nullopt, {kErrPictureShort}},
        {"empty", std::string(), std::nullopt, {kErrPictureShort}},
        {"no file", std::nullopt, std::nullopt, {kErrPictureOpen}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMessages messages;
        const std::string path = dir.Path() + "Temp1.cue";
        fs::remove(path);
        if (c.file) dir.Write("Temp1.cue", *c.file);
        EXPECT_EQ(RestoreBitmapFile(path, messages), c.restored);
        EXPECT_EQ(messages.Texts(), c.texts);
        // The stored file is kept as it was.
        EXPECT_EQ(fs::exists(path), c.file.has_value());
        if (c.file) {
            EXPECT_EQ(dir.Read("Temp1.cue"), *c.file);
        }
    }
}

TEST(PictureRestore, RefusesWhatIsNoPlainFileOrTooLargeToHold) {
    TempDir dir;
    FakeMessages messages;
    fs::create_directories(dir.Path() + "Temp1.cue");
    EXPECT_EQ(RestoreBitmapFile(dir.Path() + "Temp1.cue", messages), std::nullopt);
    const std::string fifo = dir.Path() + "pipe.cue";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(RestoreBitmapFile(fifo, messages), std::nullopt);
    // A sparse file beyond any picture: refused before anything is read.
    const std::string huge = dir.Write("huge.cue", "");
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(kMaxPictureFileBytes + 1)), 0);
    EXPECT_EQ(RestoreBitmapFile(huge, messages), std::nullopt);
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{kErrPictureOpen, kErrPictureOpen, kErrPictureMemory}));
}

TEST(PictureRestore, StoringMovesTheHeaderToTheEnd) {
    const std::vector<uint8_t> bitmap = SmallBitmap();
    const std::optional<std::vector<uint8_t>> stored = StoreBitmapRotated(bitmap);
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), bitmap.size());
    EXPECT_TRUE(std::equal(bitmap.begin() + kBitmapHeaderLength, bitmap.end(), stored->begin()));
    EXPECT_EQ(stored->at(stored->size() - kBitmapHeaderLength), 'B');
    // A header alone is its own stored form.
    const std::vector<uint8_t> header(bitmap.begin(), bitmap.begin() + kBitmapHeaderLength);
    EXPECT_EQ(StoreBitmapRotated(header), header);
    EXPECT_EQ(StoreBitmapRotated(std::vector<uint8_t>(53, 0)), std::nullopt);
}

}  // namespace
}  // namespace burnmark::testing
