// LibusbTransport through the real libusb against the simulated programmer
// as a USB device (umockdev): finding the programmer, the six calls, what
// becomes of short transfers, stalls, silence and an unplug, and how a wait
// is sliced and ended.
#include "platform/libusb_transport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/simulated_programmer.h"
#include "support/usb_testbed/usb_testbed.h"

namespace burnmark {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;
using testing::HoldMode;
using testing::SimCallKind;
using testing::SimFault;
using testing::SimulatedProgrammer;
using testing::UsbDeviceLayout;
using testing::UsbDeviceStats;
using testing::UsbTestbed;

constexpr uint16_t kForeignProduct = 0x1234;

// Short enough that a test waits for them, far enough apart to tell apart.
LibusbTransport::Timeouts QuickTimeouts() {
    LibusbTransport::Timeouts t;
    t.control = milliseconds{30};
    t.routine = milliseconds{300};
    t.bulk = milliseconds{60};
    t.cancelGrace = milliseconds{40};
    return t;
}

milliseconds Since(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

class LibusbStackTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!UsbTestbed::Available())
            GTEST_SKIP() << "needs umockdev's preload library (run it through ctest)";
        bed_ = std::make_unique<UsbTestbed>();
        sim_.InsertChip(false, 0x10000);
        sim_.UsbOpen(ProgrammerProductId);
        sim_.ClearTrace();
    }

    int AddProgrammer(UsbDeviceLayout layout = {}) { return bed_->AddDevice(layout, &sim_); }

    LibusbTransport& Transport(LibusbTransport::Timeouts timeouts = QuickTimeouts(),
                               std::optional<uint16_t> vendor = std::nullopt) {
        usb_ = std::make_unique<LibusbTransport>(vendor, timeouts);
        return *usb_;
    }

    // Closing a handle reaches the device a moment later (on umockdev's thread).
    UsbDeviceStats Settled(int device, const std::function<bool(const UsbDeviceStats&)>& until) {
        const auto start = Clock::now();
        UsbDeviceStats stats = bed_->Stats(device);
        while (!until(stats) && Since(start) < milliseconds{2000}) {
            std::this_thread::sleep_for(milliseconds{2});
            stats = bed_->Stats(device);
        }
        return stats;
    }

    // One request with what belongs to it: a status read, a page change, a
    // 128-byte block read or write of the parameter area.
    bool Exercise(SimCallKind kind, std::vector<uint8_t>* readInto = nullptr) {
        LibusbTransport& usb = *usb_;
        std::vector<uint8_t> block(128, 0x3C);
        switch (kind) {
            case SimCallKind::VendorIn: {
                std::array<uint8_t, 16> status{};
                return usb.UsbVendorCmdRead(0x42, 0, 0, status);
            }
            case SimCallKind::VendorOut:
                return usb.UsbVendorCmdWrite(0x43, 0, 0);
            case SimCallKind::BulkIn:
                if (!usb.UsbVendorCmdWrite(0x46, 0x0B00, 0x80)) return false;
                return usb.UsbDataRead(readInto ? std::span<uint8_t>(*readInto)
                                                : std::span<uint8_t>(block));
            case SimCallKind::BulkOut:
                return usb.UsbVendorCmdWrite(0x47, 0x0B00, 0x80) && usb.UsbDataWrite(block);
            default:
                return false;
        }
    }

    SimulatedProgrammer sim_;
    std::unique_ptr<UsbTestbed> bed_;
    std::unique_ptr<LibusbTransport> usb_;  // goes before the test bed
};

// ---- Finding the programmer ----------------------------------------------------------------

TEST_F(LibusbStackTest, OpensTheProgrammerAndNoOtherDevice) {
    struct Case {
        const char* name;
        std::vector<UsbDeviceLayout> others;  // on the bus before the programmer
        bool programmer;
        std::optional<uint16_t> vendorAsked;
    };
    UsbDeviceLayout foreign;
    foreign.productId = kForeignProduct;
    UsbDeviceLayout noIn;
    noIn.bulkIn = false;
    UsbDeviceLayout noOut;
    noOut.bulkOut = false;
    UsbDeviceLayout otherVendor;
    otherVendor.vendorId = 0x04D8;
    const Case cases[] = {
        {"a device of another product comes first", {foreign}, true, std::nullopt},
        {"devices with its product id but one bulk endpoint", {noIn, noOut}, true, std::nullopt},
        {"another vendor's device when the vendor is given", {otherVendor}, true, 0x1209},
        {"no programmer among them", {foreign, noIn, noOut}, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        usb_.reset();
        bed_.reset();  // one test bed at a time
        bed_ = std::make_unique<UsbTestbed>();
        for (const UsbDeviceLayout& other : c.others) bed_->AddDevice(other, nullptr);
        const int programmer = c.programmer ? AddProgrammer() : -1;
        LibusbTransport& usb = Transport(QuickTimeouts(), c.vendorAsked);

        ASSERT_EQ(usb.UsbOpen(ProgrammerProductId), c.programmer);
        EXPECT_EQ(usb.IsOpen(), c.programmer);
        for (int d = 0; d < static_cast<int>(c.others.size()); ++d) {
            const UsbDeviceStats stats = bed_->Stats(d);
            EXPECT_EQ(stats.opens, 0) << "device " << d;
            EXPECT_EQ(stats.submitted, 0) << "device " << d;
        }
        if (!c.programmer) continue;
        EXPECT_EQ(bed_->Stats(programmer).opens, 1);
        EXPECT_TRUE(bed_->Stats(programmer).claimed);
        // Open again: the handle stays, nothing is opened anew.
        EXPECT_TRUE(usb.UsbOpen(ProgrammerProductId));
        EXPECT_EQ(bed_->Stats(programmer).opens, 1);
        sim_.ClearTrace();
        EXPECT_TRUE(Exercise(SimCallKind::VendorIn));
        EXPECT_EQ(sim_.TraceLines(), std::vector<std::string>{"in 42 0000 0000 16"});
    }
}

// ---- The six calls ---------------------------------------------------------------------------

TEST_F(LibusbStackTest, TheSixCallsMoveExactlyTheirBytes) {
    const int programmer = AddProgrammer();
    LibusbTransport& usb = Transport();
    ASSERT_TRUE(usb.UsbOpen(ProgrammerProductId));

    // A parameter block that selects bank 0 at offset 0, with a pattern behind.
    std::vector<uint8_t> block(128, 0);
    for (size_t i = 0x40; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7);
    EXPECT_TRUE(usb.UsbVendorCmdWrite(0x47, 0x0B00, 0x80));
    EXPECT_TRUE(usb.UsbDataWrite(block));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), sim_.Ram().begin() + 0x0B00));
    std::vector<uint8_t> back(128, 0xEE);
    EXPECT_TRUE(usb.UsbVendorCmdWrite(0x46, 0x0B00, 0x80));
    EXPECT_TRUE(usb.UsbDataRead(back));
    EXPECT_EQ(back, block);

    // A 64 KB chunk programmed through the data window, then read back.
    std::vector<uint8_t> chunk(0x10000);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(i ^ (i >> 8));
    const std::span<const uint8_t> halves[] = {std::span(chunk).first(0x8000),
                                               std::span(chunk).subspan(0x8000)};
    EXPECT_TRUE(usb.UsbVendorCmdWrite(0x43, 0, 0));
    for (std::span<const uint8_t> half : halves) {
        EXPECT_TRUE(usb.UsbVendorCmdWrite(0x4C, 0x8000, 0x8000));
        EXPECT_TRUE(usb.UsbDataWrite(half));
    }
    EXPECT_TRUE(usb.UsbVendorCmdWrite(0x49, 0x4000, 0x0500));
    // The status lands in exactly its 16 bytes.
    std::array<uint8_t, 20> status;
    status.fill(0xA5);
    EXPECT_TRUE(usb.UsbVendorCmdRead(0x42, 0, 0, std::span(status).first(16)));
    EXPECT_TRUE(std::equal(status.begin(), status.begin() + 16, sim_.StatusBytes().begin()));
    EXPECT_EQ(status[0], 0);
    EXPECT_EQ(status[1], 0);
    for (size_t i = 16; i < status.size(); ++i) EXPECT_EQ(status[i], 0xA5) << i;
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), sim_.Chip().main.begin()));

    std::vector<uint8_t> read(0x10000, 0);
    EXPECT_TRUE(usb.UsbVendorCmdWrite(0x49, 0x4000, 0x0100));
    EXPECT_TRUE(usb.UsbVendorCmdRead(0x42, 0, 0, std::span(status).first(16)));
    for (size_t half = 0; half < 2; ++half) {
        EXPECT_TRUE(usb.UsbVendorCmdWrite(0x4B, 0x8000, 0x8000));
        EXPECT_TRUE(usb.UsbDataRead(std::span(read).subspan(half * 0x8000, 0x8000)));
    }
    EXPECT_EQ(read, chunk);

    const std::vector<std::string> wire = {
        "out 47 0B00 0080",   "bulk-out 128",     "out 46 0B00 0080",   "bulk-in 128",
        "out 43 0000 0000",   "out 4C 8000 8000", "bulk-out 32768",     "out 4C 8000 8000",
        "bulk-out 32768",     "out 49 4000 0500", "in 42 0000 0000 16", "out 49 4000 0100",
        "in 42 0000 0000 16", "out 4B 8000 8000", "bulk-in 32768",      "out 4B 8000 8000",
        "bulk-in 32768",
    };
    EXPECT_EQ(sim_.TraceLines(), wire);
    EXPECT_TRUE(sim_.ProtocolErrors().empty());
    // One transfer each, the 32 KB halves included.
    EXPECT_EQ(bed_->Stats(programmer).submitted, static_cast<int>(wire.size()));

    EXPECT_TRUE(usb.UsbClose());
    EXPECT_FALSE(usb.UsbClose());
    EXPECT_FALSE(usb.IsOpen());
    const int submittedOpen = bed_->Stats(programmer).submitted;
    EXPECT_FALSE(Exercise(SimCallKind::VendorOut));
    EXPECT_FALSE(Exercise(SimCallKind::BulkOut));
    EXPECT_EQ(bed_->Stats(programmer).submitted, submittedOpen);
    EXPECT_FALSE(
        Settled(programmer, [](const UsbDeviceStats& s) { return s.openNow == 0; }).claimed);
}

// ---- Faults ------------------------------------------------------------------------------------

TEST_F(LibusbStackTest, AShortOrStalledTransferFailsAndTheNextOneWorks) {
    struct Case {
        const char* name;
        SimCallKind kind;
        SimFault fault;
        int request;
        bool stalledPipe;  // a bulk pipe that must be cleared
    };
    const Case cases[] = {
        {"a short status reply", SimCallKind::VendorIn, SimFault::Short, 0x42, false},
        {"a refused request", SimCallKind::VendorOut, SimFault::Fail, 0x43, false},
        {"a short bulk read", SimCallKind::BulkIn, SimFault::Short, -1, false},
        {"a stalled bulk read", SimCallKind::BulkIn, SimFault::Fail, -1, true},
        {"a short bulk write", SimCallKind::BulkOut, SimFault::Short, -1, false},
        {"a stalled bulk write", SimCallKind::BulkOut, SimFault::Fail, -1, true},
    };
    const int programmer = AddProgrammer();
    LibusbTransport& usb = Transport();
    ASSERT_TRUE(usb.UsbOpen(ProgrammerProductId));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int clearedBefore = bed_->Stats(programmer).clearedHalts;
        sim_.InjectFault(c.kind, 1, c.fault, c.request);
        std::vector<uint8_t> read(128, 0xEE);
        EXPECT_FALSE(Exercise(c.kind, &read));
        // What a failed read brought is not handed on.
        EXPECT_TRUE(std::all_of(read.begin(), read.end(), [](uint8_t b) { return b == 0xEE; }));
        EXPECT_EQ(bed_->Stats(programmer).clearedHalts - clearedBefore, c.stalledPipe ? 1 : 0);

        EXPECT_TRUE(Exercise(c.kind, &read)) << "the handle stays usable";
        EXPECT_TRUE(usb.IsOpen());
    }
}

TEST_F(LibusbStackTest, AnUnansweredTransferIsCancelledAndTheNextOpenWorks) {
    struct Case {
        const char* name;
        SimCallKind kind;
        int request;
        HoldMode mode;
        milliseconds timeout;
    };
    const LibusbTransport::Timeouts quick = QuickTimeouts();
    const Case cases[] = {
        {"a request the programmer does not answer", SimCallKind::VendorOut, 0x43,
         HoldMode::UntilCancel, quick.control},
        {"a bulk read that does not come", SimCallKind::BulkIn, -1, HoldMode::UntilCancel,
         quick.bulk},
        {"a request whose cancel never comes back", SimCallKind::VendorOut, 0x43, HoldMode::Forever,
         quick.control + quick.cancelGrace},
        {"a bulk write whose cancel never comes back", SimCallKind::BulkOut, -1, HoldMode::Forever,
         quick.bulk + quick.cancelGrace},
    };
    const int programmer = AddProgrammer();
    LibusbTransport& usb = Transport();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(usb.UsbOpen(ProgrammerProductId));
        const int discardedBefore = bed_->Stats(programmer).discarded;
        bed_->HoldNext(c.kind, c.request, c.mode);
        const auto start = Clock::now();
        EXPECT_FALSE(Exercise(c.kind));
        EXPECT_GE(Since(start), c.timeout);
        EXPECT_LT(Since(start), c.timeout + milliseconds{1000});
        EXPECT_EQ(bed_->Stats(programmer).discarded - discardedBefore, 1);

        // The set-up's close and open: interface 0 is free again and the
        // programmer answers on the new handle.
        EXPECT_TRUE(usb.UsbClose());
        const UsbDeviceStats closed =
            Settled(programmer, [](const UsbDeviceStats& s) { return s.openNow == 0; });
        EXPECT_EQ(closed.openNow, 0);
        EXPECT_FALSE(closed.claimed);
        ASSERT_TRUE(usb.UsbOpen(ProgrammerProductId));
        EXPECT_TRUE(Exercise(SimCallKind::VendorIn));
        EXPECT_TRUE(usb.UsbClose());
    }
}

TEST_F(LibusbStackTest, TheTimeOutFollowsTheRequestKind) {
    // The programmer answers execute and status when its routine ends: they
    // wait minutes, every other request seconds.
    const LibusbTransport::Timeouts defaults;
    EXPECT_GE(defaults.routine, std::chrono::minutes{2});
    EXPECT_LE(defaults.control, std::chrono::seconds{10});

    struct Case {
        const char* name;
        SimCallKind kind;
        uint8_t request;
        bool routine;
    };
    const Case cases[] = {
        {"execute", SimCallKind::VendorOut, 0x49, true},
        {"status", SimCallKind::VendorIn, 0x42, true},
        {"page change", SimCallKind::VendorOut, 0x43, false},
        {"block write", SimCallKind::VendorOut, 0x47, false},
        {"serial number", SimCallKind::VendorIn, 0x41, false},
    };
    const LibusbTransport::Timeouts quick = QuickTimeouts();
    AddProgrammer();
    LibusbTransport& usb = Transport();
    ASSERT_TRUE(usb.UsbOpen(ProgrammerProductId));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bed_->HoldNext(c.kind, c.request);
        const auto start = Clock::now();
        std::array<uint8_t, 22> reply{};
        const bool ok =
            c.kind == SimCallKind::VendorIn
                ? usb.UsbVendorCmdRead(c.request, 0, 0,
                                       std::span(reply).first(c.request == 0x41 ? 22 : 16))
                : usb.UsbVendorCmdWrite(c.request, 0x4000, 0x0200);
        const milliseconds waited = Since(start);
        EXPECT_FALSE(ok);
        if (c.routine) {
            EXPECT_GE(waited, quick.routine);
        } else {
            EXPECT_GE(waited, quick.control);
            EXPECT_LT(waited, quick.routine);
        }
    }
}

TEST_F(LibusbStackTest, AnUnplugDuringABulkTransferFailsItAtOnceAndTheProgrammerIsGone) {
    const int programmer = AddProgrammer();
    // Long time-outs: only the unplug can end the transfer early.
    LibusbTransport& usb = Transport(LibusbTransport::Timeouts{});
    ASSERT_TRUE(usb.UsbOpen(ProgrammerProductId));
    bed_->HoldNext(SimCallKind::BulkIn);
    usb.SetWaitHook([&] {
        if (bed_->HeldCount() > 0) bed_->Unplug(programmer);
    });
    std::vector<uint8_t> read(0x8000, 0xEE);
    const auto start = Clock::now();
    EXPECT_TRUE(usb.UsbVendorCmdWrite(0x46, 0x0B00, 0x80));
    EXPECT_FALSE(usb.UsbDataRead(std::span(read).first(128)));
    EXPECT_LT(Since(start), milliseconds{2000});
    EXPECT_TRUE(std::all_of(read.begin(), read.end(), [](uint8_t b) { return b == 0xEE; }));

    // Nothing more reaches it, and it is not found again until it is back.
    EXPECT_FALSE(Exercise(SimCallKind::VendorOut));
    EXPECT_TRUE(usb.UsbClose());
    EXPECT_FALSE(usb.UsbOpen(ProgrammerProductId));
    EXPECT_FALSE(usb.IsOpen());

    bed_->Replug(programmer);
    usb.SetWaitHook({});
    // libusb learns of it from udev, on a thread of its own.
    const auto replugged = Clock::now();
    while (!usb.UsbOpen(ProgrammerProductId) && Since(replugged) < milliseconds{2000})
        std::this_thread::sleep_for(milliseconds{5});
    ASSERT_TRUE(usb.IsOpen());
    EXPECT_TRUE(Exercise(SimCallKind::BulkIn));
}

// ---- The wait ----------------------------------------------------------------------------------

TEST_F(LibusbStackTest, AWaitPumpsInSlicesAndOnlyStopEndsARoutineWaitEarly) {
    struct Case {
        const char* name;
        SimCallKind kind;
        int request;
        bool stoppable;
    };
    const Case cases[] = {
        {"execute", SimCallKind::VendorOut, 0x49, true},
        {"status", SimCallKind::VendorIn, 0x42, true},
        {"page change", SimCallKind::VendorOut, 0x43, false},
        {"bulk write", SimCallKind::BulkOut, -1, false},
    };
    LibusbTransport::Timeouts timeouts = QuickTimeouts();
    timeouts.control = timeouts.bulk = milliseconds{120};
    timeouts.routine = milliseconds{5000};
    const int programmer = AddProgrammer();
    LibusbTransport& usb = Transport(timeouts);
    ASSERT_TRUE(usb.UsbOpen(ProgrammerProductId));

    unsigned long long presses = 7;  // earlier presses end nothing
    usb.SetStopCount([&presses] { return presses; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Clock::time_point> hooks;
        usb.SetWaitHook([&] {
            hooks.push_back(Clock::now());
            if (hooks.size() == 3) ++presses;  // Stop, while the programmer is silent
        });
        const int discardedBefore = bed_->Stats(programmer).discarded;
        bed_->HoldNext(c.kind, c.request);
        const auto start = Clock::now();
        bool ok = false;
        if (c.kind == SimCallKind::VendorOut && c.request == 0x49) {
            ok = usb.UsbVendorCmdWrite(0x49, 0x4000, 0x0200);
        } else {
            ok = Exercise(c.kind);
        }
        const milliseconds waited = Since(start);
        usb.SetWaitHook({});

        EXPECT_FALSE(ok);
        EXPECT_EQ(bed_->Stats(programmer).discarded - discardedBefore, 1);
        if (c.stoppable) {
            EXPECT_EQ(hooks.size(), 3u) << "ended at the press";
            EXPECT_LT(waited, milliseconds{1000});
        } else {
            EXPECT_GE(waited, timeouts.control) << "Stop does not end it";
        }
        // Between the slices the window gets its turn every 20 ms or so: the
        // wait neither spins nor sleeps through them.
        ASSERT_GE(hooks.size(), 3u);
        const auto span = std::chrono::duration_cast<milliseconds>(hooks.back() - hooks.front());
        const auto slice = span / static_cast<int>(hooks.size() - 1);
        EXPECT_GE(slice, milliseconds{5});
        EXPECT_LE(slice, milliseconds{200});

        EXPECT_TRUE(Exercise(SimCallKind::VendorIn)) << "the handle stays usable";
    }
}

}  // namespace
}  // namespace burnmark
