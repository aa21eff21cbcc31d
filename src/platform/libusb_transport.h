// The USB transport over libusb-1.0: the programmer is found by its product
// id among the attached devices, interface 0 is claimed and its bulk IN and
// OUT endpoints carry the data. Every transfer has a finite time-out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/usb_transport.h"

struct libusb_context;
struct libusb_device_handle;

namespace burnmark {

class LibusbTransport : public UsbTransport {
public:
    // The programmer may complete an execute or status request only when its
    // routine has finished, and erasing or programming a chip takes seconds.
    static constexpr unsigned kControlTimeoutMs = 30000;
    static constexpr unsigned kBulkTimeoutMs = 10000;
    // As many candidates as the programmer's driver numbers device files (0 to 14).
    static constexpr int kMaxCandidates = 15;

    // vendorId: when given, only devices of that vendor are considered; the
    // programmer is otherwise known by its product id alone.
    explicit LibusbTransport(std::optional<uint16_t> vendorId = std::nullopt);
    ~LibusbTransport() override;

    LibusbTransport(const LibusbTransport&) = delete;
    LibusbTransport& operator=(const LibusbTransport&) = delete;

    bool UsbOpen(uint16_t productId) override;
    bool UsbClose() override;
    bool UsbVendorCmdRead(uint8_t request, uint16_t value, uint16_t index,
                          std::span<uint8_t> data) override;
    bool UsbVendorCmdWrite(uint8_t request, uint16_t value, uint16_t index,
                           std::span<const uint8_t> data = {}) override;
    bool UsbDataRead(std::span<uint8_t> data) override;
    bool UsbDataWrite(std::span<const uint8_t> data) override;
    bool IsOpen() const override { return handle_ != nullptr; }

private:
    bool EnsureContext();
    // One bulk transfer of exactly data.size() bytes on endpoint.
    bool Bulk(uint8_t endpoint, uint8_t* data, size_t length);

    std::optional<uint16_t> vendorId_;
    libusb_context* context_ = nullptr;
    libusb_device_handle* handle_ = nullptr;
    uint8_t endpointIn_ = 0;
    uint8_t endpointOut_ = 0;
};

}  // namespace burnmark
