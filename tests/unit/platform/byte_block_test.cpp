// The byte block: resizing keeps the bytes and adds zeros, however the sizes
// fall on pages; a refused size changes nothing; a moved block moves its bytes.
#include "platform/byte_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace burnmark {
namespace {

TEST(ByteBlock, ResizesAsAVectorDoesWhateverThePagesHeld) {
    // Every size is written over before the next, so that a shrink into the
    // middle of a page leaves written bytes behind it; growing again must
    // add zeros there. Sizes cross page ends and the huge-page threshold.
    const std::size_t sizes[] = {1,     4096, 4097, 10000,   3,   8191, 5000000, 4095,
                                 12288, 0,    77,   6000000, 100, 4100, 9216,    4200000};
    ByteBlock block;
    std::vector<uint8_t> model;
    uint8_t stamp = 0x11;
    for (std::size_t n : sizes) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(block.Resize(n));
        model.resize(n);
        ASSERT_EQ(block.size(), n);
        EXPECT_EQ(block.empty(), n == 0);
        EXPECT_TRUE(std::equal(model.begin(), model.end(), block.data()));
        if (n > 0) std::memset(block.data(), stamp, n);
        std::fill(model.begin(), model.end(), stamp);
        stamp = static_cast<uint8_t>(stamp + 0x22);
    }
}

TEST(ByteBlock, RefusedSizeLeavesTheBlockAsItWas) {
    ByteBlock block;
    ASSERT_TRUE(block.Resize(5000));
    std::memset(block.data(), 0xA5, 5000);
    const uint8_t* before = block.data();

    EXPECT_FALSE(block.Resize(SIZE_MAX));
    EXPECT_FALSE(block.Resize(SIZE_MAX / 2));  // no memory for it
    EXPECT_EQ(block.size(), 5000u);
    EXPECT_EQ(block.data(), before);
    EXPECT_TRUE(
        std::all_of(block.data(), block.data() + 5000, [](uint8_t b) { return b == 0xA5; }));
}

TEST(ByteBlock, MovesItsBytesAndLeavesTheOtherEmpty) {
    ByteBlock a;
    ASSERT_TRUE(a.Resize(3));
    std::memcpy(a.data(), "abc", 3);

    ByteBlock b(std::move(a));
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(a.data(), nullptr);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(std::memcmp(b.data(), "abc", 3), 0);

    ByteBlock c;
    ASSERT_TRUE(c.Resize(100));
    c = std::move(b);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(std::memcmp(c.data(), "abc", 3), 0);
    EXPECT_TRUE(b.empty());

    // An emptied block can be used again.
    ASSERT_TRUE(a.Resize(2));
    EXPECT_EQ(a.data()[1], 0);
    c.Clear();
    EXPECT_TRUE(c.empty());
}

}  // namespace
}  // namespace burnmark
