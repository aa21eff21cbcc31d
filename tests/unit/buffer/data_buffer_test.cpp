// The buffer's life: creation, resize, locks, notices, sums and placement.
#include <cstdio>
#include <numeric>

#include "buffer_fixture.h"

namespace burnmark::testing {
namespace {

using Bytes = std::vector<uint8_t>;

TEST_F(BufferTest, FreshBufferIsAllOnesWithZeroMargin) {
    EXPECT_TRUE(buffer.HasBlock());
    EXPECT_EQ(buffer.GetBufferSize(), 8192u);
    EXPECT_EQ(buffer.BlockSize(), 9216u);
    EXPECT_EQ(buffer.RowCount(), 512u);
    EXPECT_EQ(buffer.RequestedBufferSize(), 0u);
    EXPECT_EQ(buffer.GetLoadedEnd(), 0u);
    EXPECT_EQ(buffer.ReturnDataMode(), DataMode::All);
    const Bytes all = All();
    EXPECT_EQ(std::count(all.begin(), all.end(), 0xFF), 8192);

    ASSERT_TRUE(buffer.GetSum(0, 8191, 0));
    EXPECT_EQ(buffer.GetCheckSum(), 8192u * 255u);
    EXPECT_TRUE(messages.shown.empty());

    // Growing shows the margin: it was zeroed, and the 0xFF bytes stay.
    ASSERT_TRUE(buffer.SetBufferSize(8192));
    EXPECT_EQ(buffer.GetBufferSize(), 8192u + 1024u);
    EXPECT_EQ(Read(8190, 4), (Bytes{0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(Read(9215, 1), Bytes{0});
}

TEST_F(BufferTest, ResizeGrowsKeepsBytesAndSkipsTheSameRequest) {
    Set(0, {1, 2, 3});
    ClearRecords();
    ASSERT_TRUE(buffer.SetBufferSize(0x10000));
    EXPECT_EQ(buffer.GetBufferSize(), 0x10400u);
    EXPECT_EQ(buffer.BlockSize(), 0x10000u + 2000u);
    EXPECT_EQ(buffer.RowCount(), 0x1040u);
    EXPECT_EQ(buffer.RequestedBufferSize(), 0x10000u);
    EXPECT_EQ(Read(0, 4), (Bytes{1, 2, 3, 0xFF}));
    EXPECT_EQ(Read(0x103FF, 1), Bytes{0});
    EXPECT_EQ(observer.changes, std::vector{BufferChange::Size});

    // The same size again is skipped: no notice, the bytes untouched.
    Set(0x10000, {0x77});
    observer.changes.clear();
    EXPECT_TRUE(buffer.SetBufferSize(0x10000));
    EXPECT_TRUE(observer.changes.empty());
    EXPECT_EQ(Read(0x10000, 1), Bytes{0x77});

    // Shrinking, then growing again: the bytes that come back are 0.
    ASSERT_TRUE(buffer.SetBufferSize(0x100));
    EXPECT_EQ(buffer.GetBufferSize(), 0x500u);
    ASSERT_TRUE(buffer.SetBufferSize(0x10000));
    EXPECT_EQ(Read(0x10000, 1), Bytes{0});
    EXPECT_EQ(Read(0, 3), (Bytes{1, 2, 3}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BufferTest, FailedResizeIsReportedAndNotRemembered) {
    ASSERT_TRUE(buffer.SetBufferSize(0x10000));
    Set(0, {0x42});
    ClearRecords();

    buffer.SetMaxBlockBytes(0x20000);
    EXPECT_FALSE(buffer.SetBufferSize(0x40000));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Memory error !");
    EXPECT_EQ(messages.shown[0].title, "Buffer Resize.");
    EXPECT_FALSE(messages.shown[0].plain);
    // The old block and length stay usable, and the failed size is not the
    // last request: asking again tries again.
    EXPECT_EQ(buffer.GetBufferSize(), 0x10400u);
    EXPECT_EQ(buffer.RequestedBufferSize(), 0x10000u);
    EXPECT_EQ(Read(0, 1), Bytes{0x42});
    EXPECT_TRUE(observer.changes.empty());
    EXPECT_FALSE(buffer.SetBufferSize(0x40000));
    EXPECT_EQ(messages.shown.size(), 2u);

    buffer.SetMaxBlockBytes(DataBuffer::kDefaultMaxBlockBytes);
    ASSERT_TRUE(buffer.SetBufferSize(0x40000));
    EXPECT_EQ(buffer.GetBufferSize(), 0x40400u);
    EXPECT_EQ(Read(0, 1), Bytes{0x42});

    // A size the 32-bit length cannot hold is refused, not wrapped.
    EXPECT_FALSE(buffer.SetBufferSize(0xFFFFFF00u));
    EXPECT_EQ(buffer.GetBufferSize(), 0x40400u);
}

TEST(DataBufferCreation, FailedAllocationLeavesNoBlock) {
    FakeMessages messages;
    FakeProgress progress;
    DataBuffer buffer(messages, progress, "/nonexistent/History_1.ini", 100);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Memory Error !");
    EXPECT_EQ(messages.shown[0].title, "Dump Edit");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Error);
    EXPECT_FALSE(buffer.HasBlock());
    EXPECT_EQ(buffer.GetBufferSize(), 0u);
    EXPECT_FALSE(buffer.GetBufferHandle());
    EXPECT_FALSE(buffer.GetSum(0, 0, 0));
    EXPECT_FALSE(buffer.FillBuffer(0, 1, 0));
    EXPECT_FALSE(buffer.BlockCopy(0, 1, 2));
    EXPECT_FALSE(buffer.ApplyDataMode());
    // Still no block: a size asked for is not reported done.
    EXPECT_FALSE(buffer.SetBufferSize(0));
    EXPECT_FALSE(buffer.HasBlock());
}

TEST_F(BufferTest, LockHoldsOffResizeAndReportsItsChangesOnce) {
    ClearRecords();
    {
        BufferLock outer = buffer.GetBufferHandle();
        ASSERT_TRUE(outer);
        EXPECT_EQ(outer.size(), 8192u);
        EXPECT_TRUE(buffer.Locked());
        EXPECT_FALSE(buffer.SetBufferSize(0x10000));
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Memory error !"});
        EXPECT_EQ(outer.size(), buffer.GetBufferSize());
        {
            BufferLock inner = buffer.GetBufferHandle();
            inner[5] = 0x11;
            inner.MarkChanged();
        }
        EXPECT_TRUE(observer.changes.empty());  // told when the last lock ends
        BufferLock moved = std::move(outer);
        EXPECT_FALSE(outer);
        EXPECT_TRUE(buffer.Locked());
    }
    EXPECT_FALSE(buffer.Locked());
    EXPECT_EQ(observer.changes, std::vector{BufferChange::Bytes});
    EXPECT_EQ(Read(5, 1), Bytes{0x11});
    // The refused size was not remembered.
    EXPECT_TRUE(buffer.SetBufferSize(0x10000));
    EXPECT_EQ(buffer.GetBufferSize(), 0x10400u);
}

// --- Sums ---------------------------------------------------------------------

struct SumCase {
    const char* name;
    DeviceSize device;
    uint32_t start, end;
    bool done;
    uint32_t sum, sumEnd;
};

void PrintTo(const SumCase& c, std::ostream* os) { *os << c.name; }

class SumTest : public BufferTest, public ::testing::WithParamInterface<SumCase> {};

TEST_P(SumTest, SumsTheInclusiveRange) {
    const SumCase& c = GetParam();
    ASSERT_TRUE(buffer.SetBufferSize(0x10000));
    Counting();
    Set(0x8000, {0x5A});  // the byte after a 32 KB device
    buffer.SetDeviceSizeProvider([&] { return c.device; });
    ClearRecords();

    EXPECT_EQ(buffer.GetSum(c.start, c.end, 0), c.done);
    EXPECT_EQ(buffer.GetCheckSum(), c.sum);
    if (c.done) {
        EXPECT_EQ(buffer.SumStart(), c.start);
        EXPECT_EQ(buffer.SumEnd(), c.sumEnd);
        EXPECT_EQ(progress.finishes, 1);
        EXPECT_EQ(progress.shows, 0);  // the caller shows the window
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(observer.changes.empty());
}

// 0..0x7FFF of the counting bytes: 128 runs of 0..255.
constexpr uint32_t kLow32K = 128u * 32640u;
INSTANTIATE_TEST_SUITE_P(
    Ranges, SumTest,
    ::testing::Values(
        SumCase{"DeviceSizeEndLeavesOutTheByteAfter",
                {0x8000, false},
                0,
                0x8000,
                true,
                kLow32K,
                0x7FFF},
        SumCase{"ExtendedAreaKeepsIt", {0x8000, true}, 0, 0x8000, true, kLow32K + 0x5A, 0x8000},
        SumCase{"NoDeviceKeepsIt", {0, false}, 0, 0x8000, true, kLow32K + 0x5A, 0x8000},
        SumCase{"NoDeviceOneByteDoesNotWrap", {0, false}, 3, 3, true, 3, 3},
        SumCase{"LastByteOfTheBuffer", {0, false}, 0x103FF, 0x103FF, true, 0xFF, 0x103FF},
        SumCase{"EndAtTheLengthRefused", {0, false}, 0, 0x10400, false, 0, 0},
        SumCase{"ReversedRefused", {0, false}, 5, 4, false, 0, 0},
        SumCase{"StartPastTheBufferRefused", {0, false}, 0xFFFFFFF0u, 0xFFFFFFFFu, false, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BufferTest, SumWrapsAt32BitsShowsItsTextAndColoursTheField) {
    RecordingChecksumView view;
    buffer.SetChecksumView(&view);
    // 20 MB of 0xFF is more than 32 bits hold.
    const uint32_t n = 20u << 20;
    ASSERT_TRUE(buffer.SetBufferSize(n));
    ASSERT_TRUE(buffer.FillBuffer(0, n - 1, 0xFF));
    ClearRecords();

    ASSERT_TRUE(buffer.GetSum(0, n - 1, 1));
    const uint32_t expected = static_cast<uint32_t>(uint64_t{n} * 255u);
    EXPECT_EQ(buffer.GetCheckSum(), expected);
    char text[32];
    std::snprintf(text, sizeof text, "SUM : %08X", expected);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, text);
    EXPECT_EQ(messages.shown[0].title, "Get Check Sum");
    EXPECT_EQ(view.last, expected);
    // The bar moved about a hundred times for the pass, not once per byte.
    EXPECT_GE(progress.steps, 95);
    EXPECT_LE(progress.steps, 105);

    ASSERT_TRUE(buffer.GetSum(0, n - 1, 0));  // same value: normal colour
    ASSERT_TRUE(buffer.GetSum(0, 0, 0));      // another: red again
    EXPECT_EQ(view.highlights, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(view.last, 0xFFu);
    EXPECT_EQ(messages.shown.size(), 1u);
}

// --- Placement ----------------------------------------------------------------

struct PlaceCase {
    const char* name;
    uint32_t initialSize;  // 0: the fresh 8192-byte buffer
    uint32_t dest;
    uint32_t length;
    bool fill;
    uint32_t expectRequested;  // size asked of SetBufferSize, 0: none
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

class PlaceTest : public BufferTest, public ::testing::WithParamInterface<PlaceCase> {};

TEST_P(PlaceTest, PlacesTheImageAndFillsTheRest) {
    const PlaceCase& c = GetParam();
    if (c.initialSize != 0) {
        ASSERT_TRUE(buffer.SetBufferSize(c.initialSize));
    }
    Counting();
    const Bytes before = All();
    Bytes image(c.length + 7);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(0x80 ^ (i * 3));
    ClearRecords();

    const bool done = c.fill ? buffer.PlaceLoadedDataFill(image, c.length, 0xAA, c.dest)
                             : buffer.PlaceLoadedData(image, c.length, c.dest);
    ASSERT_TRUE(done);
    EXPECT_EQ(buffer.RequestedBufferSize(), c.expectRequested ? c.expectRequested : c.initialSize);
    if (c.expectRequested != 0) {
        EXPECT_EQ(buffer.GetBufferSize(), c.expectRequested + 1024);
    }
    const Bytes after = All();
    for (std::size_t a = 0; a < after.size(); ++a) {
        uint8_t want;
        if (a >= c.dest && a < uint64_t{c.dest} + c.length)
            want = image[a - c.dest];
        else if (c.fill)
            want = 0xAA;
        else
            want = a < before.size() ? before[a] : 0;
        ASSERT_EQ(after[a], want) << "at " << std::hex << a;
    }
    EXPECT_EQ(observer.changes.size(), 1u);  // one notice, even when it grew
    EXPECT_EQ(progress.captions, (std::vector<std::string>{"Loading...", "Waiting..."}));
    EXPECT_EQ(progress.shows, 1);
    EXPECT_EQ(progress.closes, 1);
    EXPECT_EQ(progress.finishes, 1);
    EXPECT_LE(progress.steps, 105);
    EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Images, PlaceTest,
    ::testing::Values(PlaceCase{"SixteenBytesWithFill", 0xFC00, 0x10, 16, true, 0},
                      PlaceCase{"SixteenBytesWithoutFill", 0xFC00, 0x10, 16, false, 0},
                      PlaceCase{"SixtyFourKIntoFreshBuffer", 0, 0, 0x10000, true, 0x20000},
                      PlaceCase{"AcrossThe64KBoundary", 0xFC00, 0xFFF0, 0x20, true, 0x20000},
                      PlaceCase{"AcrossThe64KBoundaryWithoutFill", 0xFC00, 0xFFF0, 0x20, false,
                                0x20000},
                      PlaceCase{"EndingExactlyAtTheLength", 0xFC00, 0xFFF0, 0x10, true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BufferTest, PlacementRefusedWhenTheBufferCannotGrow) {
    const Bytes image(0x10000, 0x33);
    const Bytes before = All();
    ClearRecords();
    buffer.SetMaxBlockBytes(0x10000);

    EXPECT_FALSE(buffer.PlaceLoadedDataFill(image, image.size(), 0xAA, 0));
    EXPECT_FALSE(buffer.PlaceLoadedData(image, image.size(), 0x100));
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Memory error !", "Memory error !"}));
    EXPECT_EQ(All(), before);  // nothing written past or inside the short block
    EXPECT_EQ(progress.shows, 0);
    EXPECT_TRUE(observer.changes.empty());

    // The failed size was not remembered, so the same load works once memory is there.
    buffer.SetMaxBlockBytes(DataBuffer::kDefaultMaxBlockBytes);
    ASSERT_TRUE(buffer.PlaceLoadedData(image, image.size(), 0x100));
    EXPECT_EQ(buffer.GetBufferSize(), 0x20000u + 1024u);
    EXPECT_EQ(Read(0xFF, 2), (Bytes{0xFF, 0x33}));
    EXPECT_EQ(Read(0x100FF, 2), (Bytes{0x33, 0}));
}

TEST_F(BufferTest, PlacementRefusesAnImageShorterThanItsLength) {
    const Bytes image(16, 0x33);
    const Bytes before = All();
    EXPECT_FALSE(buffer.PlaceLoadedDataFill(image, 17, 0xAA, 0));
    EXPECT_FALSE(buffer.PlaceLoadedData(image, 17, 0));
    // A destination whose 64 KB round-up leaves 32 bits.
    EXPECT_FALSE(buffer.PlaceLoadedData(image, 16, 0xFFFFFFF8u));
    // An image written straight into the buffer that would end past it: no fill either.
    buffer.FinishLoadedData(16, buffer.GetBufferSize() - 8, true, 0xAA);
    buffer.FinishLoadedData(16, 0xFFFFFFF8u, true, 0xAA);
    EXPECT_EQ(All(), before);
}

}  // namespace
}  // namespace burnmark::testing
