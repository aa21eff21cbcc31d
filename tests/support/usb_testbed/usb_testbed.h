// The simulated programmer behind the real USB stack: a umockdev test bed
// that presents devices to unmodified libusb code. Each device sits in the
// test bed's sysfs with its descriptors, and a handler of the usbdevfs
// requests that libusb issues (run on umockdev's own thread) hands every
// transfer of the programmer to a SimulatedProgrammer: control transfers as
// vendor requests, bulk transfers as data. What the simulator refuses comes
// back as a stall, its short fault as a short transfer, its unplug as the
// device going away (a udev "remove" and "no device" from then on).
//
// The process must run with umockdev's preload library (umockdev-wrapper or
// LD_PRELOAD); Available() tells. Test support only: the program never links
// umockdev.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/usb_transport.h"
#include "support/simulated_programmer.h"

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace burnmark::testing {

// The descriptors of one device: interface 0 with the bulk endpoints asked for.
struct UsbDeviceLayout {
    uint16_t vendorId = 0x1209;
    uint16_t productId = ProgrammerProductId;
    bool bulkIn = true;   // endpoint 0x81
    bool bulkOut = true;  // endpoint 0x02
};

// What one device saw of the host.
struct UsbDeviceStats {
    int opens = 0;         // its node opened
    int openNow = 0;       // handles open at the moment
    int submitted = 0;     // transfers (URBs) sent to it
    int discarded = 0;     // cancels
    int clearedHalts = 0;  // stalled pipes cleared
    bool claimed = false;  // interface 0 is claimed by an open handle
};

// How a held transfer ends.
enum class HoldMode {
    UntilCancel,  // answered by the host's cancel, as a device that is slow
    Forever,      // not even the cancel comes back, as a lost transfer
};

class UsbTestbed {
public:
    // Whether umockdev's preload library is in the process.
    static bool Available();

    UsbTestbed();
    ~UsbTestbed();
    UsbTestbed(const UsbTestbed&) = delete;
    UsbTestbed& operator=(const UsbTestbed&) = delete;

    // Adds a device; returns its number. With sim it is the programmer and
    // hands its transfers to sim; without, every request to it stalls.
    int AddDevice(const UsbDeviceLayout& layout, SimulatedProgrammer* sim);

    // The next transfer of that kind (and, for vendor requests, that request
    // number; -1 for any) is not answered until the host cancels it, the
    // device is unplugged or ReleaseHeld is called.
    void HoldNext(SimCallKind kind, int request = -1, HoldMode mode = HoldMode::UntilCancel);
    // The nth transfer from now (1 = the next one), whatever it is, is held
    // in the same way: the fault sweeps hold each call of a clean run in turn.
    void HoldCall(int nth, HoldMode mode = HoldMode::UntilCancel);
    // Transfers held at the moment.
    int HeldCount() const;
    // Answers every held transfer now.
    void ReleaseHeld();

    // The device goes away: what it holds ends with "no device", udev says
    // "remove", and it is no longer listed.
    void Unplug(int device);
    // It comes back as it was (with its simulator plugged in again).
    void Replug(int device);

    UsbDeviceStats Stats(int device) const;

    struct Device;

private:
    friend struct UsbTestbedAccess;
    void AddToSysfs(Device& device);
    void UnplugLocked(Device& device);

    UMockdevTestbed* testbed_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Device>> devices_;
    struct HoldRule {
        SimCallKind kind;
        int request;
        HoldMode mode;
    };
    std::optional<HoldRule> hold_;
    struct CallHold {
        int remaining;
        HoldMode mode;
    };
    std::optional<CallHold> holdCall_;
};

}  // namespace burnmark::testing
