// The lowest layer of the programmer link: open the programmer, vendor
// control requests in both directions, bulk data. Every call reports only
// success; the callers choose what the operator sees. A transfer that moves
// fewer bytes than asked is a failure.
#pragma once

#include <cstdint>
#include <span>

namespace burnmark {

// USB product id of the programmer; every caller of UsbOpen passes it.
inline constexpr uint16_t ProgrammerProductId = 0x0A5E;

// Vendor request types on the default control pipe.
inline constexpr uint8_t kVendorIn = 0xC0;   // vendor, device-to-host
inline constexpr uint8_t kVendorOut = 0x40;  // vendor, host-to-device

class UsbTransport {
public:
    virtual ~UsbTransport() = default;

    // Finds and opens the first device whose product id matches. True at once
    // (nothing touched) when a device is already open.
    virtual bool UsbOpen(uint16_t productId) = 0;
    // False when nothing was open.
    virtual bool UsbClose() = 0;
    // One device-to-host vendor request; the data stage (data.size() bytes,
    // at most 0xFFFF) lands in data. A short reply is a failure.
    virtual bool UsbVendorCmdRead(uint8_t request, uint16_t value, uint16_t index,
                                  std::span<uint8_t> data) = 0;
    // One host-to-device vendor request; data is the data stage (usually empty).
    virtual bool UsbVendorCmdWrite(uint8_t request, uint16_t value, uint16_t index,
                                   std::span<const uint8_t> data = {}) = 0;
    // One bulk read of exactly data.size() bytes.
    virtual bool UsbDataRead(std::span<uint8_t> data) = 0;
    // One bulk write of exactly data.size() bytes.
    virtual bool UsbDataWrite(std::span<const uint8_t> data) = 0;

    virtual bool IsOpen() const = 0;
};

}  // namespace burnmark
