#include "link/programmer_link.h"

#include <array>


namespace burnmark {

ProgrammerLink::ProgrammerLink(UsbTransport& usb, Messages& messages, SoundPlayer& sounds,
                               OperationFailDisplay& fail, FpgaImage& fpga)
    : usb_(usb), messages_(messages), sounds_(sounds), fail_(fail), fpga_(fpga) {}

void ProgrammerLink::Fail(const char* message) {
    fail_.ShowOperationFail();
    if (message) messages_.ShowMessage(message);
}

bool ProgrammerLink::SetupRefused(const SetupDevice& device) const {
    // The device load has already said why; half a definition must not reach
    // the chip.
    return device.fpgaFileMissing || !device.deviceValid;
}

bool ProgrammerLink::Reopen() {
    usb_.UsbClose();
    return usb_.UsbOpen(ProgrammerProductId);
}

bool ProgrammerLink::FirstSetup(const SetupDevice& device) {
    if (SetupRefused(device)) return false;

    if (!Reopen()) {
        messages_.ShowMessage(HardwareMissingMessage);
        return false;
    }
    if (device.firstSetupSelected) {
        // Whatever SoundOn says: the operator tried to work without a device.
        // The step's failure display that follows stays silent.
        sounds_.FailSoundAlways();
        fail_.FailureSounded();
        return false;
    }
    // No image was ever loaded (the first device's file was missing or
    // unreadable): an all-0xFF block must not go out as if it were one.
    if (!fpga_.Owned()) return false;

    // Clear the parameter area. The first request announces 128 bytes and is
    // followed by 256: the programmer takes it so.
    static const std::array<uint8_t, 256> kZeros{};
    if (!BlockWrite(kParamBlockAddr, kParamBlockLength)) {
        Fail(kErrBlockWrite);
        return false;
    }
    if (!DataWrite(kZeros)) {
        Fail(kErrBlockWriteData);
        return false;
    }
    if (!BlockWrite(kParamBlockAddr, kParamClearLength)) {
        Fail(kErrBlockWrite);
        return false;
    }
    if (!DataWrite(kZeros)) {
        Fail(nullptr);
        return false;
    }

    if (!SendParamBlock(device.paramBlock)) return false;
    return SendFpgaPages();
}

bool ProgrammerLink::ReopenAndSetup(const SetupDevice& device) {
    if (SetupRefused(device) || !fpga_.Owned()) return false;
    if (!Reopen()) return false;
    if (!SendParamBlock(device.paramBlock)) return false;
    return SendFpgaPages();
}

bool ProgrammerLink::SendParamBlock(ParamBlockView block) {
    if (!BlockWrite(kParamBlockAddr, kParamBlockLength) || !DataWrite(block)) {
        Fail(nullptr);
        return false;
    }
    return true;
}

bool ProgrammerLink::SendFpgaPages() {
    if (!fpga_.Owned()) {
        Fail(nullptr);
        return false;
    }
    // No bulk transfer follows the announcement directly: each page has its own.
    if (!BlockWrite(kFpgaImageAddr, kFpgaPageLength)) {
        Fail(nullptr);
        return false;
    }
    // Every page carries the image's first 16 KB, as the programmer expects.
    const auto firstPage = fpga_.Data().first<kFpgaPageLength>();
    for (uint16_t page = 0; page < kFpgaPageCount; ++page) {
        if (!ChangePage(page, 0) || !DataWrite(firstPage)) {
            Fail(nullptr);
            return false;
        }
    }
    return true;
}

bool ProgrammerLink::ReadSerial(std::span<uint8_t, kSerialLength> serial) {
    return usb_.UsbVendorCmdRead(burnmark::CmdReadSerial, 0, 0, serial);
}

bool ProgrammerLink::ReadVersion(std::span<uint8_t, kVersionLength> version) {
    return usb_.UsbVendorCmdRead(burnmark::CmdReadVersion, 0, 0, version);
}

bool ProgrammerLink::ReadStatus(OperationStatus& status) {
    std::array<uint8_t, kStatusLength> reply;
    reply.fill(0xFF);
    if (!usb_.UsbVendorCmdRead(burnmark::CmdStatus, 0, 0, reply)) {
        status.Invalidate();
        return false;
    }
    status.bytes = reply;
    return true;
}

bool ProgrammerLink::ChangePage(uint16_t page, uint16_t dataSelect) {
    return usb_.UsbVendorCmdWrite(burnmark::CmdChangePage, page, dataSelect);
}

bool ProgrammerLink::BlockRead(uint16_t address, uint16_t length) {
    return usb_.UsbVendorCmdWrite(burnmark::CmdBlockRead, address, length);
}

bool ProgrammerLink::BlockWrite(uint16_t address, uint16_t length) {
    return usb_.UsbVendorCmdWrite(burnmark::CmdBlockWrite, address, length);
}

bool ProgrammerLink::Execute(uint16_t operation) {
    return usb_.UsbVendorCmdWrite(burnmark::CmdExecute, kRoutineEntry, operation);
}

bool ProgrammerLink::DataReadRequest() {
    return usb_.UsbVendorCmdWrite(burnmark::CmdDataRead, kDataWindowAddr, kDataWindowLength);
}

bool ProgrammerLink::DataWriteRequest() {
    return usb_.UsbVendorCmdWrite(burnmark::CmdDataWrite, kDataWindowAddr, kDataWindowLength);
}

bool ProgrammerLink::DataRead(std::span<uint8_t> data) { return usb_.UsbDataRead(data); }

bool ProgrammerLink::DataWrite(std::span<const uint8_t> data) { return usb_.UsbDataWrite(data); }

}  // namespace burnmark
