// What the other subsystems need to know about the selected device, built
// from the one DeviceRecord.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "buffer/data_buffer.h"
#include "catalogue/device_record.h"
#include "link/programmer_link.h"

namespace burnmark {

// The pseudo maker of the device list that stands for no device chosen.
inline constexpr const char* kFirstSetupMaker = "First Setup";

bool IsFirstSetup(std::string_view maker);

// The programmer set-up's view of the device. The parameter block is a view of
// the record's own block, so it always carries the words the operation set
// last. A device whose load did not complete counts as not valid and the
// set-up refuses it silently.
SetupDevice MakeSetupDevice(const DeviceRecord& record, bool firstSetupSelected);

// The buffer's view of the device size (DeviceBytes 0 while no device loaded).
DeviceSize DeviceSizeOf(const DeviceRecord& record);

// The device's bytes in the data buffer, inclusive: the main area and, for a
// device with an extended area, the area behind it (ExtAreaLayoutOf). Every
// place that shows the device's sum and the save dialog's "IC" range use it.
struct DeviceByteRange {
    uint32_t start = 0;
    uint32_t end = 0;
};
// nullopt while no device is loaded (or it has no size).
std::optional<DeviceByteRange> DeviceChecksumRange(const DeviceRecord& record);
// The same range from the definition's sizes alone, for a definition read to
// its end whose FPGA image is missing (the device is taken, but not valid for
// the programmer). nullopt when it has no size.
std::optional<DeviceByteRange> DefinitionByteRange(const DeviceRecord& record);

// Whether verify and confirm list every difference for a newly chosen device:
// not for logic devices (type "PLD") nor for option type 1, whose verify runs
// on the programmer.
uint8_t VerifyListWantedFor(const DeviceRecord& record);

}  // namespace burnmark
