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

std::optional<DeviceByteRange> DeviceChecksumRange(const DeviceRecord& record) {
    if (!record.DeviceValid) return std::nullopt;
    return DefinitionByteRange(record);
}

std::optional<DeviceByteRange> DefinitionByteRange(const DeviceRecord& record) {
    if (record.DeviceBytes == 0) return std::nullopt;
    if (!record.HasExtArea) return DeviceByteRange{0, record.DeviceBytes - 1};
    const DataWidth width = ComputeDeviceSizes(record.DeviceParamBlock, record.Data_Width).width;
    const ExtAreaLayout area = ExtAreaLayoutOf(record.DeviceParamBlock, width);
    // The loader refuses devices beyond kMaxBufferBytes, so the end fits.
    return DeviceByteRange{0, static_cast<uint32_t>(area.offset + area.bytes - 1)};
}

uint8_t VerifyListWantedFor(const DeviceRecord& record) {
    return (record.Type == "PLD" || record.FuseTypeDigit == 1) ? 0 : 1;
}

}  // namespace burnmark
