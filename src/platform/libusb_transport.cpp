#include "platform/libusb_transport.h"

#include <libusb.h>

#include <algorithm>
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

}  // namespace

LibusbTransport::LibusbTransport(std::optional<uint16_t> vendorId) : vendorId_(vendorId) {}

LibusbTransport::~LibusbTransport() {
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
    if (handle_) return true;
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
    if (!handle_) return false;
    libusb_release_interface(handle_, 0);
    libusb_close(handle_);
    handle_ = nullptr;
    endpointIn_ = endpointOut_ = 0;
    return true;
}

bool LibusbTransport::UsbVendorCmdRead(uint8_t request, uint16_t value, uint16_t index,
                                       std::span<uint8_t> data) {
    if (!handle_ || data.size() > 0xFFFF) return false;
    const int n = libusb_control_transfer(handle_, kVendorIn, request, value, index,
                                          data.empty() ? nullptr : data.data(),
                                          static_cast<uint16_t>(data.size()), kControlTimeoutMs);
    return n >= 0 && static_cast<size_t>(n) == data.size();
}

bool LibusbTransport::UsbVendorCmdWrite(uint8_t request, uint16_t value, uint16_t index,
                                        std::span<const uint8_t> data) {
    if (!handle_ || data.size() > 0xFFFF) return false;
    // libusb takes a non-const pointer for both directions; an OUT stage is only read.
    auto* bytes = const_cast<uint8_t*>(data.empty() ? nullptr : data.data());
    const int n = libusb_control_transfer(handle_, kVendorOut, request, value, index, bytes,
                                          static_cast<uint16_t>(data.size()), kControlTimeoutMs);
    return n >= 0 && static_cast<size_t>(n) == data.size();
}

bool LibusbTransport::Bulk(uint8_t endpoint, uint8_t* data, size_t length) {
    if (!handle_ || length > 0x7FFFFFFF) return false;
    int transferred = 0;
    const int rc = libusb_bulk_transfer(handle_, endpoint, data, static_cast<int>(length),
                                        &transferred, kBulkTimeoutMs);
    // A stalled pipe stays stalled across a reopen; clear it so that the next
    // set-up finds the programmer usable again.
    if (rc == LIBUSB_ERROR_PIPE) libusb_clear_halt(handle_, endpoint);
    return rc == 0 && static_cast<size_t>(transferred) >= length;
}

bool LibusbTransport::UsbDataRead(std::span<uint8_t> data) {
    return Bulk(endpointIn_, data.data(), data.size());
}

bool LibusbTransport::UsbDataWrite(std::span<const uint8_t> data) {
    // libusb takes a non-const pointer for both directions; an OUT transfer is only read.
    return Bulk(endpointOut_, const_cast<uint8_t*>(data.data()), data.size());
}

}  // namespace burnmark
