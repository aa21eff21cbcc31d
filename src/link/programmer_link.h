// The programmer link: the request set over the USB transport and the
// programmer set-up that every operation runs first (parameter block and FPGA
// image). It holds no device state of its own beyond the transport's handle;
// what it needs of the selected device comes in a SetupDevice.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "link/fpga_image.h"
#include "link/programmer_requests.h"
#include "platform/ports.h"
#include "platform/usb_transport.h"
#include "platform/sound_player.h"

namespace burnmark {

inline constexpr std::size_t kParamBlockSize = 128;

inline constexpr const char* kHardwareMissingText =
    " Hardware not connected! \n\n Please Check USB cable connect,Power,Power Switch..\n\n"
    " The System is in DEMO mode Now !!";
using ParamBlockView = std::span<const uint8_t, kParamBlockSize>;

// What the set-up needs to know of the selected device; the catalogue fills it.
struct SetupDevice {
    ParamBlockView paramBlock;
    // The FPGA file the device names could not be loaded.
    bool fpgaFileMissing = false;
    // "First Setup" (no device chosen) is selected.
    bool firstSetupSelected = false;
    // The device definition loaded completely.
    bool deviceValid = true;
};

class ProgrammerLink {
public:
    ProgrammerLink(UsbTransport& usb, Messages& messages, SoundPlayer& sounds,
                   OperationFailDisplay& fail, FpgaImage& fpga);

    // What the operator is told when no programmer answers.
    std::string HardwareMissingMessage = kHardwareMissingText;

    // Brings the programmer into a known state before an operation: reopen,
    // clear the parameter area, parameter block, FPGA image. Refuses silently
    // (nothing opened or sent) for a device whose FPGA image or definition is
    // missing; reports a missing programmer with HardwareMissingMessage.
    bool FirstSetup(const SetupDevice& device);
    // Reopens and sends the parameter block and the FPGA image; silent when no
    // programmer answers. Refuses like FirstSetup when the image is missing.
    bool ReopenAndSetup(const SetupDevice& device);
    // The parameter block to 0x0B00. Failures: the fail display, no message.
    bool SendParamBlock(ParamBlockView block);
    // The FPGA image: announce at 0x4000, then pages 0 to 7, each carrying the
    // image's first 16 KB. Failures (and a missing image): the fail display, no message.
    bool SendFpgaPages();

    // UsbClose then UsbOpen with the programmer's product id.
    bool Reopen();
    bool IsOpen() const { return usb_.IsOpen(); }

    // The requests themselves; they report nothing, the callers choose the texts.
    bool ReadSerial(std::span<uint8_t, kSerialLength> serial);
    bool ReadVersion(std::span<uint8_t, kVersionLength> version);
    // The status of the last execute. A failed or short reply leaves it all 0xFF.
    bool ReadStatus(OperationStatus& status);
    bool ChangePage(uint16_t page, uint16_t dataSelect = 0);
    bool BlockRead(uint16_t address, uint16_t length);
    bool BlockWrite(uint16_t address, uint16_t length);
    bool Execute(uint16_t operation);
    bool DataReadRequest();
    bool DataWriteRequest();
    // Bulk transfers that follow an announcing request.
    bool DataRead(std::span<uint8_t> data);
    bool DataWrite(std::span<const uint8_t> data);

    UsbTransport& Transport() { return usb_; }

private:
    bool SetupRefused(const SetupDevice& device) const;
    void Fail(const char* message);

    UsbTransport& usb_;
    Messages& messages_;
    SoundPlayer& sounds_;
    OperationFailDisplay& fail_;
    FpgaImage& fpga_;
};

}  // namespace burnmark
