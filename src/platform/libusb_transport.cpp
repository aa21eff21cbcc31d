#include "platform/libusb_transport.h"

#include <libusb.h>
#include <sys/time.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

namespace burnmark {

namespace {

struct Endpoints {
    uint8_t in = 0;
    uint8_t out = 0;
};

// The bulk IN and OUT endpoints of interface 0, alternate setting 0. A device
// without both is not the programmer.
std::optional<Endpoints> FindBulkEndpoints(libusb_device* device) {
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != 0 &&
        libusb_get_config_descriptor(device, 0, &config) != 0)
        return std::nullopt;
    Endpoints found;
    bool haveIn = false, haveOut = false;
    if (config->bNumInterfaces > 0 && config->interface[0].num_altsetting > 0) {
        const libusb_interface_descriptor& alt = config->interface[0].altsetting[0];
        for (int i = 0; i < alt.bNumEndpoints; ++i) {
            const libusb_endpoint_descriptor& ep = alt.endpoint[i];
            if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK)
                continue;
            if ((ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN) {
                if (!haveIn) found.in = ep.bEndpointAddress;
                haveIn = true;
            } else {
                if (!haveOut) found.out = ep.bEndpointAddress;
                haveOut = true;
            }
        }
    }
    libusb_free_config_descriptor(config);
    if (!haveIn || !haveOut) return std::nullopt;
    return found;
}

void LIBUSB_CALL MarkCompleted(libusb_transfer* transfer) {
    *static_cast<int*>(transfer->user_data) = 1;
}

}  // namespace

// One transfer with a buffer of its own, so that a transfer lost in flight
// can be kept without pointing into the caller's memory.
struct LibusbTransport::Pending {
    libusb_transfer* transfer = libusb_alloc_transfer(0);
    std::vector<uint8_t> buffer;
    int completed = 0;

    Pending() = default;
    Pending(const Pending&) = delete;
    Pending& operator=(const Pending&) = delete;
    ~Pending() {
        if (transfer) libusb_free_transfer(transfer);
    }
};

namespace {

// Counts the transfers being waited for; a close asked for meanwhile (from the
// wait hook) is carried out when the outermost one has ended.
class InFlightScope {
public:
    InFlightScope(int& count, std::function<void()> atEnd)
        : count_(count), atEnd_(std::move(atEnd)) {
        ++count_;
    }
    ~InFlightScope() {
        if (--count_ == 0) atEnd_();
    }
    InFlightScope(const InFlightScope&) = delete;
    InFlightScope& operator=(const InFlightScope&) = delete;

private:
    int& count_;
    std::function<void()> atEnd_;
};

}  // namespace

LibusbTransport::LibusbTransport(std::optional<uint16_t> vendorId, Timeouts timeouts)
    : vendorId_(vendorId), timeouts_(timeouts) {
    waitLoop_.SetCancelGrace(timeouts_.cancelGrace);
}

LibusbTransport::~LibusbTransport() {
    closePending_ = false;
    UsbClose();
    if (context_) libusb_exit(context_);
}

bool LibusbTransport::EnsureContext() {
    if (context_) return true;
    // Created on first use, so that a program that never talks to the
    // programmer never touches USB; a failed init (no USB at all) is tried
    // again at the next open.
    libusb_context* context = nullptr;
    if (libusb_init(&context) != 0) return false;
    context_ = context;
    return true;
}

bool LibusbTransport::UsbOpen(uint16_t productId) {
    if (handle_) {
        // Opened again before a close asked for during a wait took place:
        // the handle simply stays.
        closePending_ = false;
        return true;
    }
    if (!EnsureContext()) return false;

    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context_, &list);
    if (count < 0) return false;

    // A stable order (bus, then address) stands for the driver's numbered
    // device files.
    std::vector<libusb_device*> devices(list, list + count);
    std::sort(devices.begin(), devices.end(), [](libusb_device* a, libusb_device* b) {
        return std::make_tuple(libusb_get_bus_number(a), libusb_get_device_address(a)) <
               std::make_tuple(libusb_get_bus_number(b), libusb_get_device_address(b));
    });

    int candidates = 0;
    for (libusb_device* device : devices) {
        if (candidates >= kMaxCandidates) break;
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != 0) continue;
        if (descriptor.idProduct != productId) continue;
        if (vendorId_ && descriptor.idVendor != *vendorId_) continue;
        ++candidates;

        const std::optional<Endpoints> endpoints = FindBulkEndpoints(device);
        if (!endpoints) continue;

        libusb_device_handle* handle = nullptr;
        if (libusb_open(device, &handle) != 0) continue;
        // Not every platform supports detaching; the claim below decides.
        libusb_set_auto_detach_kernel_driver(handle, 1);
        if (libusb_claim_interface(handle, 0) != 0) {
            libusb_close(handle);
            continue;
        }
        handle_ = handle;
        endpointIn_ = endpoints->in;
        endpointOut_ = endpoints->out;
        break;
    }
    libusb_free_device_list(list, 1);
    return handle_ != nullptr;
}

bool LibusbTransport::UsbClose() {
    if (!handle_ || closePending_) return false;
    // Closing under a transfer in flight (a close from the wait hook) would
    // free what the transfer still uses.
    if (inFlight_ > 0) {
        closePending_ = true;
        return true;
    }
    CloseNow();
    return true;
}

void LibusbTransport::CloseNow() {
    closePending_ = false;
    if (!handle_) return;
    libusb_release_interface(handle_, 0);
    // Also with a lost transfer: libusb takes it off the handle, and closing
    // the device file ends it in the kernel, so that the next open can claim
    // the interface again.
    libusb_close(handle_);
    lost_.clear();
    handle_ = nullptr;
    endpointIn_ = endpointOut_ = 0;
}

bool LibusbTransport::SubmitAndWait(std::unique_ptr<Pending>& owned,
                                    std::chrono::milliseconds timeout, bool stoppable) {
    Pending& pending = *owned;
    if (libusb_submit_transfer(pending.transfer) != 0) return false;
    const UsbWaitLoop::Transfer transfer{
        [&pending] { return pending.completed != 0; },
        [this, &pending](std::chrono::milliseconds slice) {
            timeval tv{};
            tv.tv_sec = static_cast<time_t>(slice.count() / 1000);
            tv.tv_usec = static_cast<suseconds_t>(slice.count() % 1000 * 1000);
            const int rc =
                libusb_handle_events_timeout_completed(context_, &tv, &pending.completed);
            return rc == 0 || rc == LIBUSB_ERROR_INTERRUPTED;
        },
        [&pending] { libusb_cancel_transfer(pending.transfer); },
    };
    if (waitLoop_.Wait(transfer, timeout, stoppable) == UsbWaitLoop::Outcome::Abandoned) {
        // Its completion could still arrive: kept, with its buffer, until the close.
        lost_.push_back(std::move(owned));
        return false;
    }
    return true;
}

bool LibusbTransport::Control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                              uint8_t* data, size_t length) {
    if (!IsOpen() || length > 0xFFFF) return false;
    const InFlightScope scope(inFlight_, [this] {
        if (closePending_) CloseNow();
    });
    auto pending = std::make_unique<Pending>();
    if (!pending->transfer) return false;
    pending->buffer.resize(LIBUSB_CONTROL_SETUP_SIZE + length);
    uint8_t* buffer = pending->buffer.data();
    libusb_fill_control_setup(buffer, requestType, request, value, index,
                              static_cast<uint16_t>(length));
    const bool in = (requestType & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN;
    if (!in && length > 0) std::memcpy(buffer + LIBUSB_CONTROL_SETUP_SIZE, data, length);
    // The wait loop owns the time-out, so libusb is given none.
    libusb_fill_control_transfer(pending->transfer, handle_, buffer, MarkCompleted,
                                 &pending->completed, 0);

    const bool routine = AnsweredWhenRoutineEnds(request);
    if (!SubmitAndWait(pending, routine ? timeouts_.routine : timeouts_.control, routine))
        return false;
    const libusb_transfer* t = pending->transfer;
    const bool ok =
        t->status == LIBUSB_TRANSFER_COMPLETED && static_cast<size_t>(t->actual_length) == length;
    if (ok && in && length > 0) std::memcpy(data, buffer + LIBUSB_CONTROL_SETUP_SIZE, length);
    return ok;
}

bool LibusbTransport::UsbVendorCmdRead(uint8_t request, uint16_t value, uint16_t index,
                                       std::span<uint8_t> data) {
    return Control(kVendorIn, request, value, index, data.data(), data.size());
}

bool LibusbTransport::UsbVendorCmdWrite(uint8_t request, uint16_t value, uint16_t index,
                                        std::span<const uint8_t> data) {
    // Only read for an OUT stage.
    return Control(kVendorOut, request, value, index, const_cast<uint8_t*>(data.data()),
                   data.size());
}

bool LibusbTransport::Bulk(uint8_t endpoint, uint8_t* data, size_t length) {
    if (!IsOpen() || length > 0x7FFFFFFF) return false;
    const InFlightScope scope(inFlight_, [this] {
        if (closePending_) CloseNow();
    });
    auto pending = std::make_unique<Pending>();
    if (!pending->transfer) return false;
    const bool in = (endpoint & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN;
    if (in)
        pending->buffer.resize(length);
    else
        pending->buffer.assign(data, data + length);
    libusb_fill_bulk_transfer(pending->transfer, handle_, endpoint, pending->buffer.data(),
                              static_cast<int>(length), MarkCompleted, &pending->completed, 0);

    if (!SubmitAndWait(pending, timeouts_.bulk, false)) return false;
    const libusb_transfer* t = pending->transfer;
    // A stalled pipe stays stalled across a reopen; clear it so that the next
    // set-up finds the programmer usable again.
    if (t->status == LIBUSB_TRANSFER_STALL) libusb_clear_halt(handle_, endpoint);
    const bool ok =
        t->status == LIBUSB_TRANSFER_COMPLETED && static_cast<size_t>(t->actual_length) == length;
    if (ok && in && length > 0) std::memcpy(data, pending->buffer.data(), length);
    return ok;
}

bool LibusbTransport::UsbDataRead(std::span<uint8_t> data) {
    return Bulk(endpointIn_, data.data(), data.size());
}

bool LibusbTransport::UsbDataWrite(std::span<const uint8_t> data) {
    // Only read for an OUT transfer.
    return Bulk(endpointOut_, const_cast<uint8_t*>(data.data()), data.size());
}

}  // namespace burnmark
