// The selected device: what the selection dialog chose, what the device file
// says about the chip, the values derived from it, and the parameter block that
// the programmer receives at 0x0B00 before every operation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace burnmark {

// The largest data buffer a device may ask for. A device file whose sizes
// would need more is refused by the loader instead of wrapping in 32 bits.
inline constexpr uint64_t kMaxBufferBytes = 256ull * 1024 * 1024;

// Data_DoNotCare keeps at most this many characters.
inline constexpr std::size_t kMaxDataDoNotCareChars = 11;

inline constexpr std::size_t kSocketPins = 48;

// Byte offsets of the words of the parameter block.
namespace param {
inline constexpr std::size_t TransferOffset = 0x10;
inline constexpr std::size_t TransferBank = 0x12;
inline constexpr std::size_t TransferSize = 0x14;
inline constexpr std::size_t max_address_Hi = 0x16;
inline constexpr std::size_t max_address_Low = 0x18;
inline constexpr std::size_t ext_address_Hi = 0x1A;
inline constexpr std::size_t ext_address_Low = 0x1C;
inline constexpr std::size_t id_address = 0x1E;
inline constexpr std::size_t CurrentVcc = 0x20;
inline constexpr std::size_t CurrentVpp = 0x22;
inline constexpr std::size_t CurrentVhh = 0x24;
inline constexpr std::size_t vc2 = 0x26;
inline constexpr std::size_t vp2 = 0x28;
inline constexpr std::size_t vh2 = 0x2A;
inline constexpr std::size_t GndPins = 0x2C;
inline constexpr std::size_t VccPins = 0x2E;
inline constexpr std::size_t read_mode = 0x30;
inline constexpr std::size_t erase_mode = 0x32;
inline constexpr std::size_t blank_mode = 0x34;
inline constexpr std::size_t prog_mode = 0x36;
inline constexpr std::size_t verify_mode = 0x38;
inline constexpr std::size_t prot_mode = 0x3A;
inline constexpr std::size_t test_mode = 0x3C;
inline constexpr std::size_t id_mode = 0x3E;
inline constexpr std::size_t program_pulse = 0x40;
inline constexpr std::size_t erase_pulse = 0x42;
inline constexpr std::size_t protect_pulse = 0x44;
inline constexpr std::size_t unprotect_pulse = 0x46;
inline constexpr std::size_t program_times = 0x48;
inline constexpr std::size_t erase_times = 0x4A;
inline constexpr std::size_t protect_times = 0x4C;
inline constexpr std::size_t unprotect_times = 0x4E;
inline constexpr std::size_t program_retry = 0x50;
inline constexpr std::size_t erase_retry = 0x52;
inline constexpr std::size_t protect_retry = 0x54;
inline constexpr std::size_t unprotect_retry = 0x56;
inline constexpr std::size_t prot_address = 0x58;
inline constexpr std::size_t Current_Limit = 0x5A;
inline constexpr std::size_t para1 = 0x5C;
inline constexpr std::size_t para2 = 0x5E;
inline constexpr std::size_t unprotect_mode = 0x60;
inline constexpr std::size_t page_size = 0x62;
inline constexpr std::size_t Option_Fuse_Type = 0x64;
inline constexpr std::size_t start_address_Hi = 0x66;
inline constexpr std::size_t start_address_Low = 0x68;
inline constexpr std::size_t id1_address = 0x70;
inline constexpr std::size_t id2_address = 0x72;
inline constexpr std::size_t id3_address = 0x74;
}  // namespace param

// 64 little-endian 16-bit words (the first 128 bytes, sent whole to the
// programmer) and 128 further bytes that are cleared with them and otherwise
// unused.
class DeviceParamBlock {
public:
    static constexpr std::size_t kAreaBytes = 256;
    static constexpr std::size_t kSentBytes = 128;

    // The word at an even byte offset below kAreaBytes; 0 for any other offset.
    uint16_t Word(std::size_t byteOffset) const;
    // Writes the word at an even byte offset below kAreaBytes; other offsets
    // are ignored, so a bad offset never writes outside the block.
    void SetWord(std::size_t byteOffset, uint16_t value);

    void Clear() { bytes_.fill(0); }

    // The 128 bytes the programmer receives.
    std::span<const uint8_t, kSentBytes> Sent() const {
        return std::span<const uint8_t, kSentBytes>(bytes_.data(), kSentBytes);
    }
    std::span<const uint8_t, kAreaBytes> Area() const { return bytes_; }

private:
    std::array<uint8_t, kAreaBytes> bytes_{};
};

// Indices into DeviceRecord::Voltages.
enum VoltageIndex : std::size_t {
    kIdVcc, kIdVpp, kIdVhh,
    kReadVcc, kReadVpp, kReadVhh,
    kEraseVcc, kEraseVpp, kEraseVhh,
    kProgramVcc, kProgramVpp, kProgramVhh,
    kProtectVcc, kProtectVpp, kProtectVhh,
    kVoltageCount
};

// Indices into DeviceRecord::PulseUnits.
enum PulseIndex : std::size_t { kProgramPulse, kErasePulse, kProtectPulse, kUnprotectPulse };

struct DeviceRecord {
    // Selection (written by the selection dialog).
    std::string HistoryIniPath;
    std::string AppDir;
    std::string Manufacturer;
    std::string TypeNum;

    std::string InfoHeader;
    std::string IC_Information2;
    std::string IC_Information3;
    std::string IC_Information4;
    std::string IC_Information5;

    std::string LastTypeNum;
    bool TypeChanged = false;

    std::string FpgaFilePath;
    std::string IcFileName;
    std::string Data_Width;
    std::string UserEdit;
    std::string BRAND;
    std::string Name;
    // Units of program, erase, protect and unprotect pulses ("uS", "mS", "S").
    std::array<std::string, 4> PulseUnits;
    std::string DataDoNotCare;

    burnmark::DeviceParamBlock DeviceParamBlock;

    // Tenths of a volt, in VoltageIndex order.
    std::array<uint16_t, kVoltageCount> Voltages{};
    // program_pulse, erase_pulse, program_times, program_retry as read.
    std::array<uint16_t, 4> PulseCopies{};
    uint8_t FpgaFileMissing = 0;
    // One flag per socket pin from "AllPinDef".
    std::array<uint8_t, kSocketPins> PinFlags{};
    std::string Type;
    uint16_t FuseTypeDigit = 0;
    uint32_t BufferBytes = 0;
    uint32_t DeviceBytes = 0;
    std::string Menu;
    std::string IniPathInUse;
    uint32_t Cancelled = 0;
    uint32_t StartAddress = 0;
    std::string IC_Information1;
    std::string InfoText;
    std::string StartAddressHiText;
    bool HasIdMode = false;
    int32_t Intact = 0;
    bool HasExtArea = false;

    // Fuse-map geometry, set by the loader: "fuse_row" gives the fuses per
    // row (FuseCols), "fuse_col" the rows (FuseRows); the device has a fuse
    // map when both are non-zero.
    uint8_t HasFuseMap = 0;
    int32_t FuseRows = 0;
    int32_t FuseCols = 0;
    uint8_t PinCount = 0;
    uint32_t FuseCount = 0;

    // 1 while the start-up restore loads the device: the loader then keeps
    // IniPathInUse as it was given instead of copying IcFileName into it.
    uint8_t SkipIniPathCopy = 0;

    // Set only when a device load ran to its end. A load that stops half way
    // leaves a record that mixes two devices (and the previous device's FPGA
    // image), so the programmer set-ups and the operations refuse while it is
    // false.
    bool DeviceValid = false;
};

// ---- Data width -------------------------------------------------------------

enum class DataWidth { Word16, Byte8, Neither };

// Which spellings a caller accepts besides "0xFFFF", "0xffff" (16-bit) and
// "0x00FF", "0x00ff" (8-bit), which every caller accepts.
enum class DataWidthSpellings {
    // Only the four common texts.
    Common,
    // The device loader: "0xffFF" and "0xFFff" also mean 16-bit, but only for a
    // device of 65536 addresses or more (pass its size).
    Loader,
    // "0xffFF" and "0xFFff" mean 16-bit whatever the size.
    MixedCase16,
    // "0xFF" and "0xff" also mean 8-bit.
    Short8,
};

// Classifies a Data_Width text; texts are compared exactly (case matters).
// sizeInAddresses is only looked at with DataWidthSpellings::Loader.
DataWidth ClassifyDataWidth(std::string_view text,
                            DataWidthSpellings spellings = DataWidthSpellings::Common,
                            uint64_t sizeInAddresses = 0);

// ---- Derived values ---------------------------------------------------------

// Size in addresses: max_address + ext_address + 1 (ext_address 0 when the
// device has no extended area). For a 16-bit device an address holds one
// word. Needs up to 34 bits.
uint64_t DeviceSizeInAddresses(uint16_t maxHi, uint16_t maxLow, uint16_t extHi, uint16_t extLow);

// Where the extended area lies in the data buffer: directly behind the main
// area, at the main area's size in bytes ((max_address + 1), twice that for a
// 16-bit device), and how many bytes it holds ((ext_address + 1), twice that
// for 16-bit). The read places the area there; program and the compares use
// the same place.
struct ExtAreaLayout {
    uint64_t offset = 0;
    uint64_t bytes = 0;
};
ExtAreaLayout ExtAreaLayoutOf(const DeviceParamBlock& block, DataWidth width);

struct DeviceSizes {
    uint64_t size = 0;        // addresses
    DataWidth width = DataWidth::Neither;
    // Only set when the loader recognises the width; otherwise the record keeps
    // its previous DeviceBytes and BufferBytes.
    std::optional<uint64_t> deviceBytes;
    std::optional<uint64_t> bufferBytes;
    uint16_t transferSize = 0;  // addresses when below 65536, else 0
    bool hasExtArea = false;
};

// The sizes of a device from the address words of its block and its width text,
// with the loader's spellings. All in 64 bits: the caller checks them against
// kMaxBufferBytes before storing them.
DeviceSizes ComputeDeviceSizes(const DeviceParamBlock& block, std::string_view dataWidth);

// start_address_Hi is the first 64 KB bank, start_address_Low the offset in it.
uint32_t ComputeStartAddress(uint16_t startHi, uint16_t startLow);

// max_address_Hi shifted left by (max_address_Low + 16), the shift count taken
// modulo 32, kept to 32 bits (max_address_Hi 1 with max_address_Low 0x1B gives
// 1 << 11 = 2048 fuses).
uint32_t ComputeFuseCount(uint16_t maxHi, uint16_t maxLow);

// The heading and a line feed, then each information line and a line feed,
// stopping before the first line that is exactly "None".
std::string BuildInfoText(std::string_view header, const std::array<std::string_view, 5>& lines);

// "0"-"9" give 0-9, "A"-"F" and "a"-"f" give 10-15; any other character 0.
uint8_t HexDigitValue(char c);

// The option type from an "Option_Fuse_Type" text: the digit at index 3 when
// index 1 is a lower-case 'x', else the digit at index 1. A text too short for
// the rule gives 0.
uint16_t FuseTypeDigit(std::string_view optionFuseType);

}  // namespace burnmark
