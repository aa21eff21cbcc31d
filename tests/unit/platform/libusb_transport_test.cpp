// Runs against the real USB stack of the machine. Build machines and
// containers have no programmer (often no USB at all): the transport must
// then fail cleanly, neither hang nor crash, and the wait hook (the window's
// event pump) runs only while a transfer waits.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <vector>

#include "platform/libusb_transport.h"

namespace burnmark {
namespace {

TEST(LibusbTransport, WithoutAProgrammerOpenFailsCleanly) {
    LibusbTransport usb;
    int hooks = 0;
    usb.SetWaitHook([&] { ++hooks; });
    const auto start = std::chrono::steady_clock::now();
    if (usb.UsbOpen(ProgrammerProductId)) GTEST_SKIP() << "a programmer is attached";
    EXPECT_FALSE(usb.IsOpen());
    // Trying again (the set-up reopens before every operation) is as clean.
    EXPECT_FALSE(usb.UsbOpen(ProgrammerProductId));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(usb.UsbClose());
    EXPECT_EQ(hooks, 0);
}

TEST(LibusbTransport, ClosedTransportRefusesEveryTransfer) {
    LibusbTransport usb;
    int hooks = 0;
    usb.SetWaitHook([&] { ++hooks; });
    std::array<uint8_t, 16> reply;
    reply.fill(0xA5);
    std::vector<uint8_t> bulk(64, 0x5A);
    EXPECT_FALSE(usb.UsbVendorCmdRead(0x42, 0, 0, reply));
    EXPECT_FALSE(usb.UsbVendorCmdWrite(0x43, 0, 0));
    EXPECT_FALSE(usb.UsbDataRead(bulk));
    EXPECT_FALSE(usb.UsbDataWrite(bulk));
    for (uint8_t b : reply) EXPECT_EQ(b, 0xA5);
    for (uint8_t b : bulk) EXPECT_EQ(b, 0x5A);
    EXPECT_EQ(hooks, 0);
}

}  // namespace
}  // namespace burnmark
