// The device definition loader: reads section [DE_48ExternValue] of the
// selected device file into the DeviceRecord and its parameter block, sets the
// main window's device fields, loads the device's FPGA image, and sizes the
// data buffer for the device.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/device_record.h"
#include "platform/ports.h"
#include "buffer/buffer_sizing.h"

namespace burnmark {

class FpgaImage;
class DataBuffer;

inline constexpr const char* kDeviceSection = "DE_48ExternValue";
inline constexpr const char* kInfoHeaderText = "IC Information : ";

inline constexpr const char* kIniMissingText = "Ini File missing !!";
inline constexpr const char* kProgramPulseUnitErrorText = "INI:Program_pulse_unit Error !";
inline constexpr const char* kErasePulseUnitErrorText = "INI:Erase_pulse_unit Error !";
inline constexpr const char* kProtectPulseUnitErrorText = "INI:Protect_pulse_unit Error !";
inline constexpr const char* kUnprotectPulseUnitErrorText = "INI:Unprotect_pulse_unit Error !";
inline constexpr const char* kFpgaNotFoundPrefix = "No found ";
// A "UserWav" name that leaves the FPGA folder.
inline constexpr const char* kFpgaNameErrorText = "[DE_48ExternValue]-UserWav item error";
// A "Menu" name that leaves the program's folder.
inline constexpr const char* kMenuNameErrorText = "[DE_48ExternValue]-Menu item error";

// What a device load did. Everything but Loaded leaves DeviceValid false
// (NoPath leaves the record untouched).
enum class DeviceLoadResult {
    Loaded,
    NoPath,           // IniPathInUse empty: nothing changes, no message
    IniMissing,       // "Ini File missing !!"
    IniUnreadable,    // "Ini File can't be read !!" and the path
    IniTooLarge,      // "Ini File too large !! (more than 4 MB)" and the path
    NotANumber,       // "'%s' is not a valid integer value"
    DeviceTooLarge,   // the sizes would need a buffer beyond kMaxBufferBytes
    BadFuseMap,       // a logic device whose fuse geometry gives no usable map
    BadPin,           // a supply or ground pin outside the chip or the socket
    MenuNameOutside,  // "Menu" leaves the program's folder; Menu keeps its earlier value
    BadPulseUnit,     // "INI:..._pulse_unit Error !"
    FpgaNameOutside,  // "UserWav" leaves the FPGA folder; FpgaFileMissing set
    FpgaMissing,      // "No found " + file name; FpgaFileMissing set
    FpgaLoadFailed,   // the FPGA file exists but could not be read; FpgaFileMissing set
};

// What the loader works on: the one device record (its fuse-map geometry
// included), the operator's messages and the FPGA image.
struct DeviceLoadContext {
    DeviceRecord& record;
    Messages& messages;
    FpgaImage& fpga;
};

// Voltage sets for block words 0x20 to 0x24; every caller of the system passes
// kReadVoltages.
enum VoltageSet : uint16_t {
    kReadVoltages = 0,
    kProgramVoltages = 1,
    kEraseVoltages = 2,
    kProtectVoltages = 3,
    kIdVoltages = 4,
    kTestVoltages = 5,
};

// Loads the device file named by IcFileName (or by IniPathInUse while
// SkipIniPathCopy is set). Stops at the first bad key with its message; the
// fields after the stopping point keep their earlier values and DeviceValid
// stays false until a load runs to its end.
DeviceLoadResult LoadDeviceIni(const DeviceLoadContext& ctx, uint16_t voltageSet = kReadVoltages,
                               uint16_t bank = 0, uint16_t offset = 0);

// Loads the device, then sizes the data buffer: the device's need (at least
// 64 KB for 8-bit and 128 KB for 16-bit devices) merged with LoadedBufferSize,
// so that within one run the buffer never shrinks.
DeviceLoadResult ApplyDeviceBufferSize(const DeviceLoadContext& ctx, BufferSizing& sizing,
                                       DataBuffer& buffer);

// The buffer size ApplyDeviceBufferSize asks for, from the record after a load
// and the sizes recorded so far. Also updates sizing.BufferSize and
// sizing.LoadedBufferSize.
uint32_t MergeDeviceBufferSize(const DeviceRecord& record, BufferSizing& sizing);

// Chip pin to socket pin: the chip's last pin of its first side sits at socket
// pin 24. 0 (no pin) stays 0. 8-bit arithmetic, as the block carries bytes.
uint8_t SocketPin(uint8_t chipPin, uint8_t pinCount);

// The 48 pin flags from an "AllPinDef" text: characters 4 to 16 are 13
// hexadecimal digits of a 52-bit number N, most significant first; flag k is
// bit (49 - k) of N. A text shorter than 17 characters sets no flag.
std::array<uint8_t, kSocketPins> DecodeAllPinDef(std::string_view allPinDef);

}  // namespace burnmark
