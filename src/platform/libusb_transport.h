// The USB transport over libusb-1.0: the programmer is found by its product
// id among the attached devices, interface 0 is claimed and its bulk IN and
// OUT endpoints carry the data. Every transfer has a finite time-out.
// Transfers run asynchronously and are waited for in short slices; between
// slices an optional wait hook lets the caller keep its window alive.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/usb_transport.h"
#include "platform/usb_wait_loop.h"

struct libusb_context;
struct libusb_device_handle;

namespace burnmark {

// How long each kind of transfer may take before it is cancelled.
struct UsbTimeouts {
    // Requests the programmer answers at once.
    std::chrono::milliseconds control{5000};
    // Execute and status: the programmer answers them only when its
    // routine has ended, and erasing a slow flash chip or programming a
    // chunk of a slow EPROM takes a minute or more.
    std::chrono::milliseconds routine{std::chrono::minutes{5}};
    std::chrono::milliseconds bulk{10000};
    // How long a cancelled transfer may take to report back.
    std::chrono::milliseconds cancelGrace = UsbWaitLoop::kCancelGrace;
};

class LibusbTransport : public UsbTransport {
public:
    using Timeouts = UsbTimeouts;
    // As many candidates as the programmer's driver numbers device files (0 to 14).
    static constexpr int kMaxCandidates = 15;

    // The requests the programmer answers only when its routine has ended:
    // execute (0x49) and status (0x42). They wait the routine time-out, and
    // Stop may end their wait.
    static bool AnsweredWhenRoutineEnds(uint8_t request) {
        return request == 0x49 || request == 0x42;
    }

    // vendorId: when given, only devices of that vendor are considered; the
    // programmer is otherwise known by its product id alone.
    explicit LibusbTransport(std::optional<uint16_t> vendorId = std::nullopt,
                             Timeouts timeouts = Timeouts{});
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
    // How often the operator has pressed Stop where Stop may act. A wait for
    // the programmer's routine (execute, status) ends early, as a failed
    // request, when it grows meanwhile; the other transfers always run to
    // their end.
    void SetStopCount(UsbWaitLoop::StopCount count) { waitLoop_.SetStopCount(std::move(count)); }

private:
    bool EnsureContext();
    // One control request; the data stage is data (IN: filled, OUT: sent).
    bool Control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                 uint8_t* data, size_t length);
    // One bulk transfer of exactly length bytes on endpoint.
    bool Bulk(uint8_t endpoint, uint8_t* data, size_t length);
    struct Pending;
    // Submits the prepared transfer and waits for its completion; false when
    // it was not submitted or never came back (then the transport keeps it
    // until the handle is closed).
    bool SubmitAndWait(std::unique_ptr<Pending>& pending, std::chrono::milliseconds timeout,
                       bool stoppable);
    void CloseNow();

    std::optional<uint16_t> vendorId_;
    Timeouts timeouts_;
    libusb_context* context_ = nullptr;
    libusb_device_handle* handle_ = nullptr;
    uint8_t endpointIn_ = 0;
    uint8_t endpointOut_ = 0;
    UsbWaitLoop waitLoop_;
    int inFlight_ = 0;  // transfers being waited for, nested ones included
    // A close asked for from the wait hook happens once the last wait ends.
    bool closePending_ = false;
    // Transfers that never came back after their cancel. libusb still counts
    // them in flight on the handle; closing the handle drops them (and closes
    // the device file, which gives interface 0 back), after which they can
    // be freed.
    std::vector<std::unique_ptr<Pending>> lost_;
};

}  // namespace burnmark
