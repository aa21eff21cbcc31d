#include "catalogue/device_facts.h"

namespace burnmark {

bool IsFirstSetup(std::string_view maker) { return maker == kFirstSetupMaker; }

SetupDevice MakeSetupDevice(const DeviceRecord& record, bool firstSetupSelected) {
    SetupDevice device{record.DeviceParamBlock.Sent()};
    device.fpgaFileMissing = record.FpgaFileMissing != 0;
    device.firstSetupSelected = firstSetupSelected;
    device.deviceValid = record.DeviceValid;
    return device;
}

DeviceSize DeviceSizeOf(const DeviceRecord& record) {
    DeviceSize size;
    if (record.DeviceValid) {
        size.DeviceBytes = record.DeviceBytes;
        size.HasExtArea = record.HasExtArea;
    }
    return size;
}

uint8_t VerifyListWantedFor(const DeviceRecord& record) {
    return (record.Type == "PLD" || record.FuseTypeDigit == 1) ? 0 : 1;
}

}  // namespace burnmark
