// The USB transport over libusb-1.0: the programmer is found by its product
// id among the attached devices, interface 0 is claimed and its bulk IN and
// OUT endpoints carry the data. Every transfer has a finite time-out.
// Transfers run asynchronously and are waited for in short slices; between
// slices an optional wait hook lets the caller keep its window alive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/usb_transport.h"
#include "platform/usb_wait_loop.h"

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
    bool IsOpen() const override { return handle_ != nullptr && !closePending_; }

    // Called between the slices of every wait (the window pumps its events
    // there); empty for a plain wait. A transfer made from inside the hook
    // waits without calling it again.
    void SetWaitHook(std::function<void()> hook) { waitLoop_.SetHook(std::move(hook)); }

private:
    bool EnsureContext();
    // One control request; the data stage is data (IN: filled, OUT: sent).
    bool Control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                 uint8_t* data, size_t length);
    // One bulk transfer of exactly length bytes on endpoint.
    bool Bulk(uint8_t endpoint, uint8_t* data, size_t length);
    struct Pending;
    // Submits the prepared transfer and waits for its completion; false when
    // it was not submitted or never came back (then it is left allocated).
    bool SubmitAndWait(Pending& pending, unsigned timeoutMs);
    void CloseNow();

    std::optional<uint16_t> vendorId_;
    libusb_context* context_ = nullptr;
    libusb_device_handle* handle_ = nullptr;
    uint8_t endpointIn_ = 0;
    uint8_t endpointOut_ = 0;
    UsbWaitLoop waitLoop_;
    int inFlight_ = 0;  // transfers being waited for, nested ones included
    // A close asked for from the wait hook happens once the last wait ends.
    bool closePending_ = false;
    // A transfer was lost in flight: the handle and the context it refers to
    // are never freed.
    bool leaked_ = false;
};

}  // namespace burnmark
