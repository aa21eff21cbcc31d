#include "support/usb_testbed/usb_testbed.h"

#include <fcntl.h>
#include <link.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <span>
#include <stdexcept>

namespace burnmark::testing {

namespace {

constexpr uint8_t kEndpointIn = 0x81;
constexpr uint8_t kEndpointOut = 0x02;
constexpr int kBus = 1;
constexpr int kFirstAddress = 2;
// One URB carries a whole 32 KB transfer.
constexpr uint32_t kCapabilities =
    USBDEVFS_CAP_BULK_SCATTER_GATHER | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// The raw "descriptors" attribute: the device descriptor, then the one
// configuration with interface 0 and its endpoints.
std::vector<uint8_t> Descriptors(const UsbDeviceLayout& layout) {
    std::vector<uint8_t> d = {18, 1};
    Put16(d, 0x0200);                           // bcdUSB
    d.insert(d.end(), {0xFF, 0x00, 0x00, 64});  // class, subclass, protocol, ep0 packet
    Put16(d, layout.vendorId);
    Put16(d, layout.productId);
    Put16(d, 0x0100);                 // bcdDevice
    d.insert(d.end(), {0, 0, 0, 1});  // no strings, one configuration

    const uint8_t endpoints =
        static_cast<uint8_t>(layout.bulkIn) + static_cast<uint8_t>(layout.bulkOut);
    const uint16_t total = static_cast<uint16_t>(9 + 9 + 7 * endpoints);
    d.insert(d.end(), {9, 2});
    Put16(d, total);
    d.insert(d.end(), {1, 1, 0, 0x80, 50});  // one interface, value 1, bus powered
    d.insert(d.end(), {9, 4, 0, 0, endpoints, 0xFF, 0, 0, 0});
    auto endpoint = [&](uint8_t address) {
        d.insert(d.end(), {7, 5, address, 0x02});  // bulk
        Put16(d, 512);
        d.push_back(0);
    };
    if (layout.bulkIn) endpoint(kEndpointIn);
    if (layout.bulkOut) endpoint(kEndpointOut);
    return d;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char two[3];
    for (uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02X", b);
        text += two;
    }
    return text;
}

// What the host asked for with one URB, in the simulator's terms.
SimCallKind KindOf(const usbdevfs_urb& urb, const uint8_t* setup) {
    if (urb.type == USBDEVFS_URB_TYPE_CONTROL)
        return (setup[0] & 0x80) ? SimCallKind::VendorIn : SimCallKind::VendorOut;
    return (urb.endpoint & 0x80) ? SimCallKind::BulkIn : SimCallKind::BulkOut;
}

}  // namespace

// One held or answered URB of one open handle. The URB and its buffer are
// umockdev's copies of the client's memory; changes reach the client when the
// reap that hands the URB back completes.
struct Urb {
    UMockdevIoctlClient* client = nullptr;
    UMockdevIoctlData* data = nullptr;    // the usbdevfs_urb
    UMockdevIoctlData* buffer = nullptr;  // its buffer, null when empty
    enum class State { Held, Lost, Answered } state = State::Answered;

    usbdevfs_urb& Get() const { return *reinterpret_cast<usbdevfs_urb*>(data->data); }
    uint8_t* Bytes() const { return buffer ? buffer->data : nullptr; }
    size_t Length() const { return buffer ? static_cast<size_t>(buffer->data_len) : 0; }
    void Release() {
        if (buffer) g_object_unref(buffer);
        if (data) g_object_unref(data);
        buffer = data = nullptr;
    }
};

struct UsbTestbed::Device {
    UsbTestbed* owner = nullptr;
    int number = 0;
    UsbDeviceLayout layout;
    SimulatedProgrammer* sim = nullptr;
    std::string syspath;  // as the test bed names it, "/sys/devices/..."
    std::string devnode;  // "/dev/bus/usb/001/002"
    UMockdevIoctlBase* handler = nullptr;

    // The node is a FIFO of one page: empty (writable, which is what libusb
    // polls for) only while a URB is ready to reap, so that its event loop
    // sleeps instead of spinning on empty reaps.
    int fifo = -1;
    bool blocked = false;

    std::map<UMockdevIoctlClient*, bool> clients;  // open handles, whether they claimed interface 0
    std::deque<Urb> urbs;
    bool inHalted = false;
    bool outHalted = false;
    bool unplugged = false;
    UsbDeviceStats stats;

    bool Has(uint8_t endpoint) const {
        return (endpoint == kEndpointIn && layout.bulkIn) ||
               (endpoint == kEndpointOut && layout.bulkOut);
    }
    bool& Halted(uint8_t endpoint) { return endpoint & 0x80 ? inHalted : outHalted; }

    void MakeFifo(const std::string& root) {
        const std::string path = root + devnode;
        unlink(path.c_str());
        if (mkfifo(path.c_str(), 0666) != 0) throw std::runtime_error("mkfifo " + path);
        if (fifo >= 0) close(fifo);
        fifo = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fifo < 0) throw std::runtime_error("open " + path);
        fcntl(fifo, F_SETPIPE_SZ, 4096);
        blocked = false;
        UpdateReadiness();
    }
    void UpdateReadiness() {
        if (fifo < 0) return;
        // Unplugged, the node stays ready, as the kernel's does after a
        // disconnect: every reap then says what happened.
        const bool ready = unplugged || std::any_of(urbs.begin(), urbs.end(), [](const Urb& u) {
                               return u.state == Urb::State::Answered;
                           });
        if (ready && blocked) {
            char byte;
            blocked = read(fifo, &byte, 1) != 1;
        } else if (!ready && !blocked) {
            blocked = write(fifo, "x", 1) == 1;
        }
    }
    // The URB's outcome, ready to be reaped.
    void Answer(Urb& urb, int status, int actual) {
        urb.Get().status = status;
        urb.Get().actual_length = actual;
        urb.state = Urb::State::Answered;
    }
    void Transfer(Urb& urb);
    // Forgets the handles whose node was closed: closing releases their
    // interfaces and ends their transfers. umockdev shows a close only as a
    // client that is no longer connected.
    void Prune() {
        for (auto it = clients.begin(); it != clients.end();) {
            UMockdevIoctlClient* client = it->first;
            if (umockdev_ioctl_client_get_connected(client)) {
                ++it;
                continue;
            }
            for (auto u = urbs.begin(); u != urbs.end();) {
                if (u->client == client) {
                    u->Release();
                    u = urbs.erase(u);
                } else {
                    ++u;
                }
            }
            g_object_unref(client);
            it = clients.erase(it);
        }
        UpdateReadiness();
    }
};

// Hands one URB to the simulator (or, without one, stalls it).
void UsbTestbed::Device::Transfer(Urb& urb) {
    usbdevfs_urb& u = urb.Get();
    uint8_t* bytes = urb.Bytes();
    const size_t length = urb.Length();
    if (unplugged) return Answer(urb, -ENODEV, 0);
    if (!sim) return Answer(urb, -EPIPE, 0);

    const size_t traced = sim->Trace().size();
    bool ok = false;
    size_t moved = 0;
    if (u.type == USBDEVFS_URB_TYPE_CONTROL) {
        if (length < 8) return Answer(urb, -EINVAL, 0);
        const uint8_t type = bytes[0];
        const uint8_t request = bytes[1];
        const uint16_t value = static_cast<uint16_t>(bytes[2] | bytes[3] << 8);
        const uint16_t index = static_cast<uint16_t>(bytes[4] | bytes[5] << 8);
        const size_t wLength =
            std::min<size_t>(static_cast<size_t>(bytes[6] | bytes[7] << 8), length - 8);
        const std::span<uint8_t> stage(bytes + 8, wLength);
        // Only vendor requests reach the programmer; it stalls anything else.
        if ((type & 0x60) != 0x40) return Answer(urb, -EPIPE, 0);
        if (type & 0x80) {
            ok = sim->UsbVendorCmdRead(request, value, index, stage);
            if (sim->Trace().size() > traced) moved = sim->Trace().back().data.size();
        } else {
            ok = sim->UsbVendorCmdWrite(request, value, index, stage);
            moved = ok ? wLength : 0;
        }
    } else {
        const std::span<uint8_t> data(bytes, length);
        if (u.endpoint & 0x80) {
            ok = sim->UsbDataRead(data);
        } else {
            ok = sim->UsbDataWrite(data);
        }
        moved = ok ? length : 0;
    }
    const std::optional<SimFault> fault =
        sim->Trace().size() > traced ? sim->Trace().back().fault : std::nullopt;
    if (fault == SimFault::Unplug || sim->Unplugged()) {
        owner->UnplugLocked(*this);
        return Answer(urb, -ENODEV, 0);
    }
    if (fault == SimFault::Short) {
        // Half of it moved, and the transfer ended early.
        if (u.type != USBDEVFS_URB_TYPE_CONTROL) moved = length / 2;
        return Answer(urb, 0, static_cast<int>(moved));
    }
    if (!ok && moved == 0) {
        // The programmer refuses: a stall. A bulk pipe stays halted until cleared.
        if (u.type != USBDEVFS_URB_TYPE_CONTROL) Halted(u.endpoint) = true;
        return Answer(urb, -EPIPE, 0);
    }
    Answer(urb, 0, static_cast<int>(moved));
}

// The handler's entry points on umockdev's thread.
struct UsbTestbedAccess {
    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user) {
        auto* device = static_cast<UsbTestbed::Device*>(user);
        std::lock_guard lock(device->owner->mutex_);
        device->Prune();
        Handle(*device, client);
        device->UpdateReadiness();
        return TRUE;
    }
    static void OnConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user) {
        auto* device = static_cast<UsbTestbed::Device*>(user);
        std::lock_guard lock(device->owner->mutex_);
        device->clients[static_cast<UMockdevIoctlClient*>(g_object_ref(client))] = false;
        ++device->stats.opens;
    }

    // A claim of an interface that another handle holds. The kernel gives it
    // back as the other device file closes; umockdev shows the close a moment
    // later, so the claim waits a little for that before it is refused.
    struct PendingClaim {
        UsbTestbed::Device* device;
        UMockdevIoctlClient* client;
        int tries = 0;
    };
    static bool TryClaim(UsbTestbed::Device& device, UMockdevIoctlClient* client) {
        for (const auto& [other, claimed] : device.clients)
            if (claimed && other != client) return false;
        device.clients[client] = true;
        return true;
    }
    static gboolean RetryClaim(gpointer data) {
        auto* claim = static_cast<PendingClaim*>(data);
        std::lock_guard lock(claim->device->owner->mutex_);
        claim->device->Prune();
        const bool claimed = TryClaim(*claim->device, claim->client);
        if (!claimed && ++claim->tries < 50) return G_SOURCE_CONTINUE;
        umockdev_ioctl_client_complete(claim->client, claimed ? 0 : -1, claimed ? 0 : EBUSY);
        g_object_unref(claim->client);
        delete claim;
        return G_SOURCE_REMOVE;
    }

    static UMockdevIoctlData* Resolve(UMockdevIoctlData* data, size_t offset, size_t length) {
        GError* error = nullptr;
        UMockdevIoctlData* out = umockdev_ioctl_data_resolve(data, offset, length, &error);
        if (error) g_error_free(error);
        return out;
    }

    static void Handle(UsbTestbed::Device& device, UMockdevIoctlClient* client) {
        const gulong request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        auto complete = [&](long result, int error) {
            umockdev_ioctl_client_complete(client, result, error);
        };
        auto withUnsigned = [&](auto&& use) {
            UMockdevIoctlData* value = Resolve(arg, 0, sizeof(unsigned));
            if (!value) return complete(-1, EFAULT);
            use(*reinterpret_cast<unsigned*>(value->data));
            g_object_unref(value);
        };

        // Answered transfers can be reaped after an unplug, as from the kernel.
        if (device.unplugged && request != USBDEVFS_REAPURBNDELAY) return complete(-1, ENODEV);

        switch (request) {
            case USBDEVFS_GET_CAPABILITIES:
                return withUnsigned([&](unsigned& caps) {
                    caps = kCapabilities;
                    complete(0, 0);
                });
            case USBDEVFS_CLAIMINTERFACE:
            case USBDEVFS_DISCONNECT_CLAIM:
                return withUnsigned([&](unsigned& interface) {
                    if (interface != 0) return complete(-1, EINVAL);
                    if (TryClaim(device, client)) return complete(0, 0);
                    GSource* retry = g_timeout_source_new(10);
                    g_source_set_callback(
                        retry, RetryClaim,
                        new PendingClaim{&device,
                                         static_cast<UMockdevIoctlClient*>(g_object_ref(client))},
                        nullptr);
                    g_source_attach(retry, g_main_context_get_thread_default());
                    g_source_unref(retry);
                });
            case USBDEVFS_RELEASEINTERFACE:
                return withUnsigned([&](unsigned& interface) {
                    if (interface != 0 || !device.clients[client]) return complete(-1, EINVAL);
                    device.clients[client] = false;
                    complete(0, 0);
                });
            case USBDEVFS_IOCTL:
                // Re-attaching a kernel driver: there is none for the programmer.
                return complete(-1, ENODATA);
            case USBDEVFS_CLEAR_HALT:
                return withUnsigned([&](unsigned& endpoint) {
                    if (!device.Has(static_cast<uint8_t>(endpoint))) return complete(-1, ENOENT);
                    device.Halted(static_cast<uint8_t>(endpoint)) = false;
                    ++device.stats.clearedHalts;
                    complete(0, 0);
                });
            case USBDEVFS_SUBMITURB:
                return Submit(device, client, arg);
            case USBDEVFS_REAPURBNDELAY:
                return Reap(device, client, arg);
            case USBDEVFS_DISCARDURB: {
                const gulong address = *reinterpret_cast<const gulong*>(arg->data);
                for (Urb& urb : device.urbs) {
                    if (urb.client != client || urb.data->client_addr != address) continue;
                    if (urb.state == Urb::State::Answered) break;  // too late: it is done
                    ++device.stats.discarded;
                    // A lost transfer takes the cancel and still never comes back.
                    if (urb.state == Urb::State::Held) device.Answer(urb, -ENOENT, 0);
                    return complete(0, 0);
                }
                return complete(-1, EINVAL);
            }
            default:
                return complete(-1, ENOTTY);
        }
    }

    static void Submit(UsbTestbed::Device& device, UMockdevIoctlClient* client,
                       UMockdevIoctlData* arg) {
        Urb urb;
        urb.client = client;
        urb.data = Resolve(arg, 0, sizeof(usbdevfs_urb));
        if (!urb.data) return umockdev_ioctl_client_complete(client, -1, EFAULT);
        const usbdevfs_urb& u = urb.Get();
        const bool control = u.type == USBDEVFS_URB_TYPE_CONTROL && u.endpoint == 0;
        const bool bulk = u.type == USBDEVFS_URB_TYPE_BULK && device.Has(u.endpoint);
        if ((!control && !bulk) || u.buffer_length < 0 || (control && u.buffer_length < 8)) {
            urb.Release();
            return umockdev_ioctl_client_complete(client, -1, control || bulk ? EINVAL : ENOENT);
        }
        if (u.buffer_length > 0) {
            urb.buffer = Resolve(urb.data, offsetof(usbdevfs_urb, buffer),
                                 static_cast<size_t>(u.buffer_length));
            if (!urb.buffer) {
                urb.Release();
                return umockdev_ioctl_client_complete(client, -1, EFAULT);
            }
        }
        ++device.stats.submitted;
        device.urbs.push_back(urb);
        Urb& queued = device.urbs.back();

        UsbTestbed& owner = *device.owner;
        const SimCallKind kind = KindOf(queued.Get(), queued.Bytes());
        const int request = control ? queued.Bytes()[1] : -1;
        auto hold = [&](HoldMode mode) {
            queued.state = mode == HoldMode::Forever ? Urb::State::Lost : Urb::State::Held;
        };
        if (owner.holdCall_ && --owner.holdCall_->remaining == 0) {
            hold(owner.holdCall_->mode);
            owner.holdCall_.reset();
        } else if (owner.hold_ && owner.hold_->kind == kind &&
                   (owner.hold_->request < 0 || owner.hold_->request == request)) {
            hold(owner.hold_->mode);
            owner.hold_.reset();
        } else if (bulk && device.Halted(u.endpoint)) {
            device.Answer(queued, -EPIPE, 0);
        } else {
            device.Transfer(queued);
        }
        umockdev_ioctl_client_complete(client, 0, 0);
    }

    static void Reap(UsbTestbed::Device& device, UMockdevIoctlClient* client,
                     UMockdevIoctlData* arg) {
        for (auto it = device.urbs.begin(); it != device.urbs.end(); ++it) {
            if (it->client != client || it->state != Urb::State::Answered) continue;
            UMockdevIoctlData* slot = Resolve(arg, 0, sizeof(void*));
            if (!slot) return umockdev_ioctl_client_complete(client, -1, EFAULT);
            // The client's pointer now names its URB, which goes back with our changes.
            umockdev_ioctl_data_set_ptr(slot, 0, it->data);
            g_object_unref(slot);
            it->Release();
            device.urbs.erase(it);
            return umockdev_ioctl_client_complete(client, 0, 0);
        }
        umockdev_ioctl_client_complete(client, -1, device.unplugged ? ENODEV : EAGAIN);
    }
};

bool UsbTestbed::Available() {
    // Loaded, not merely named in LD_PRELOAD.
    int found = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "libumockdev-preload"))
                *static_cast<int*>(data) = 1;
            return 0;
        },
        &found);
    return found != 0;
}

UsbTestbed::UsbTestbed() : testbed_(umockdev_testbed_new()) {}

UsbTestbed::~UsbTestbed() {
    for (auto& device : devices_) {
        GError* error = nullptr;
        umockdev_testbed_detach_ioctl(testbed_, device->devnode.c_str(), &error);
        if (error) g_error_free(error);
    }
    g_object_unref(testbed_);
    for (auto& device : devices_) {
        for (Urb& urb : device->urbs) urb.Release();
        for (auto& [client, claimed] : device->clients) g_object_unref(client);
        if (device->fifo >= 0) close(device->fifo);
        g_object_unref(device->handler);
    }
}

void UsbTestbed::AddToSysfs(Device& device) {
    const int address = kFirstAddress + device.number;
    char node[32];
    std::snprintf(node, sizeof node, "bus/usb/%03d/%03d", kBus, address);
    char name[16];
    std::snprintf(name, sizeof name, "%d-%d", kBus, device.number + 1);
    std::string record = std::string("P: /devices/pci0000:00/0000:00:14.0/usb1/") + name + "\n";
    record += std::string("N: ") + node + "\n";
    record += "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n";
    record += std::string("E: DEVNAME=/dev/") + node + "\n";
    record += "E: BUSNUM=" + std::to_string(kBus) + "\nE: DEVNUM=" + std::to_string(address) + "\n";
    record += "A: busnum=" + std::to_string(kBus) + "\\n\n";
    record += "A: devnum=" + std::to_string(address) + "\\n\n";
    record += "A: speed=480\\n\nA: bConfigurationValue=1\\n\n";
    record += "H: descriptors=" + Hex(Descriptors(device.layout)) + "\n";

    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, record.c_str(), &error)) {
        const std::string what = error ? error->message : "?";
        if (error) g_error_free(error);
        throw std::runtime_error("umockdev: " + what);
    }
    device.syspath = std::string("/sys/devices/pci0000:00/0000:00:14.0/usb1/") + name;
    device.devnode = std::string("/dev/") + node;
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    const std::string rootDir = root;
    g_free(root);
    device.MakeFifo(rootDir);
}

int UsbTestbed::AddDevice(const UsbDeviceLayout& layout, SimulatedProgrammer* sim) {
    std::lock_guard lock(mutex_);
    auto device = std::make_unique<Device>();
    device->owner = this;
    device->number = static_cast<int>(devices_.size());
    device->layout = layout;
    device->sim = sim;
    AddToSysfs(*device);

    device->handler = umockdev_ioctl_base_new();
    g_signal_connect(device->handler, "handle-ioctl", G_CALLBACK(UsbTestbedAccess::OnIoctl),
                     device.get());
    g_signal_connect(device->handler, "client-connected", G_CALLBACK(UsbTestbedAccess::OnConnected),
                     device.get());
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, device->devnode.c_str(), device->handler,
                                       &error)) {
        const std::string what = error ? error->message : "?";
        if (error) g_error_free(error);
        throw std::runtime_error("umockdev: " + what);
    }
    devices_.push_back(std::move(device));
    return static_cast<int>(devices_.size()) - 1;
}

void UsbTestbed::HoldNext(SimCallKind kind, int request, HoldMode mode) {
    std::lock_guard lock(mutex_);
    hold_ = HoldRule{kind, request, mode};
}

void UsbTestbed::HoldCall(int nth, HoldMode mode) {
    std::lock_guard lock(mutex_);
    if (nth >= 1) holdCall_ = CallHold{nth, mode};
}

int UsbTestbed::HeldCount() const {
    std::lock_guard lock(mutex_);
    int held = 0;
    for (const auto& device : devices_)
        for (const Urb& urb : device->urbs)
            if (urb.state != Urb::State::Answered) ++held;
    return held;
}

void UsbTestbed::ReleaseHeld() {
    std::lock_guard lock(mutex_);
    for (const auto& device : devices_) {
        for (Urb& urb : device->urbs)
            if (urb.state != Urb::State::Answered) device->Transfer(urb);
        device->UpdateReadiness();
    }
}

void UsbTestbed::UnplugLocked(Device& device) {
    if (device.unplugged) return;
    device.unplugged = true;
    if (device.sim) device.sim->Unplug();
    // Everything in flight ends, as the kernel ends it on a disconnect.
    for (Urb& urb : device.urbs)
        if (urb.state != Urb::State::Answered) device.Answer(urb, -ENODEV, 0);
    umockdev_testbed_uevent(testbed_, device.syspath.c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, device.syspath.c_str());
    device.UpdateReadiness();
}

void UsbTestbed::Unplug(int number) {
    std::lock_guard lock(mutex_);
    Device& device = *devices_.at(static_cast<size_t>(number));
    UnplugLocked(device);
}

void UsbTestbed::Replug(int number) {
    std::lock_guard lock(mutex_);
    Device& device = *devices_.at(static_cast<size_t>(number));
    if (!device.unplugged) return;
    device.unplugged = false;
    AddToSysfs(device);
    device.inHalted = device.outHalted = false;
    if (device.sim) device.sim->Replug();
    umockdev_testbed_uevent(testbed_, device.syspath.c_str(), "add");
}

UsbDeviceStats UsbTestbed::Stats(int number) const {
    std::lock_guard lock(mutex_);
    Device& device = *devices_.at(static_cast<size_t>(number));
    device.Prune();
    UsbDeviceStats stats = device.stats;
    stats.openNow = static_cast<int>(device.clients.size());
    stats.claimed = std::any_of(device.clients.begin(), device.clients.end(),
                                [](const auto& c) { return c.second; });
    return stats;
}

}  // namespace burnmark::testing
