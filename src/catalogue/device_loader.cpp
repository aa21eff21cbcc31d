#include "catalogue/device_loader.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

#include "buffer/data_buffer.h"
#include "link/fpga_image.h"
#include "platform/number.h"
#include "platform/paths.h"
#include "platform/profile.h"

namespace burnmark {

namespace {

const char* const kPulseUnitKeys[4] = {"program_pulse_unit", "erase_pulse_unit",
                                       "protect_pulse_unit", "unprotect_pulse_unit"};
const char* const kPulseUnitErrors[4] = {kProgramPulseUnitErrorText, kErasePulseUnitErrorText,
                                         kProtectPulseUnitErrorText, kUnprotectPulseUnitErrorText};

const char* const kVoltageKeys[kVoltageCount] = {
    "id_vcc",      "id_vpp",      "id_vhh",      "read_vcc",    "read_vpp",
    "read_vhh",    "erase_vcc",   "erase_vpp",   "erase_vhh",   "program_vcc",
    "program_vpp", "program_vhh", "protect_vcc", "protect_vpp", "protect_vhh"};

// The keys whose values go into the current voltage words, per voltage set.
struct VoltageKeys {
    const char* vcc;
    const char* vpp;
    const char* vhh;
};
VoltageKeys KeysOfVoltageSet(uint16_t set) {
    switch (set) {
    case kProgramVoltages: return {"program_vcc", "program_vpp", "program_vhh"};
    case kEraseVoltages: return {"erase_vcc", "erase_vpp", "erase_vhh"};
    case kProtectVoltages: return {"protect_vcc", "protect_vpp", "protect_vhh"};
    case kIdVoltages: return {"id_vcc", "id_vpp", "id_vhh"};
    case kTestVoltages: return {"test_vcc", "test_vpp", "test_vhh"};
    default: return {"read_vcc", "read_vpp", "read_vhh"};
    }
}

bool IsPulseUnit(const std::string& unit) { return unit == "uS" || unit == "mS" || unit == "S"; }

std::string PinErrorText(const char* key, int32_t pin, int32_t pinCount) {
    return std::string("INI:") + key + " Error ! Pin " + std::to_string(pin) +
           " is not a pin of a " + std::to_string(pinCount) + "-pin device.";
}

std::string PinCountErrorText(int32_t pinCount) {
    return "INI:PIN Error ! A " + std::to_string(pinCount) +
           "-pin device does not fit the 48-pin socket.";
}

std::string MissingPinText(const char* first, const char* second, const char* what) {
    return std::string("INI:") + first + " Error ! Neither " + first + " nor " + second +
           " names a " + what + " pin.";
}

// One device file, read once when the load begins; every key is looked up in
// memory. Reads stop the load on the first bad number.
class DeviceFile {
public:
    DeviceFile(const std::string& path, Messages& messages) : profile_(path), messages_(messages) {}

    ProfileFileState State() const { return profile_.State(); }

    std::string Text(const char* key, const char* fallback) const {
        return profile_.ReadString(kDeviceSection, key, fallback);
    }

    // A number key: missing reads as "0"; anything StrToInt refuses shows the
    // conversion message and gives nullopt.
    std::optional<int32_t> Number(const char* key) const {
        const std::string text = profile_.ReadString(kDeviceSection, key, "0");
        std::optional<int32_t> value = StrToInt(text);
        if (!value) messages_.ShowMessage(NotValidIntegerMessage(text));
        return value;
    }

    // A number key kept to the 16 bits of a block word.
    bool Word(const char* key, uint16_t& out) const {
        std::optional<int32_t> value = Number(key);
        if (!value) return false;
        out = static_cast<uint16_t>(static_cast<uint32_t>(*value) & 0xFFFF);
        return true;
    }

    bool BlockWord(const char* key, DeviceParamBlock& block, std::size_t offset) const {
        uint16_t value = 0;
        if (!Word(key, value)) return false;
        block.SetWord(offset, value);
        return true;
    }

    int32_t Integer(const char* key) const { return profile_.ReadInteger(kDeviceSection, key, 0); }

private:
    ProfileSnapshot profile_;
    Messages& messages_;
};

struct BlockKey {
    const char* key;
    std::size_t offset;
};

bool ReadBlockWords(const DeviceFile& file, DeviceParamBlock& block,
                    std::initializer_list<BlockKey> keys) {
    for (const BlockKey& k : keys) {
        if (!file.BlockWord(k.key, block, k.offset)) return false;
    }
    return true;
}

// The fuse map is fuse count + 4096 bytes and is shown as FuseRows rows of
// FuseCols fuses; any geometry outside that would loop or read outside the map.
bool FuseGeometryUsable(int32_t fuseCols, int32_t fuseRows, uint32_t fuseCount) {
    if (fuseCols < 0 || fuseRows < 0 || fuseCount < 1) return false;
    if (fuseCount > kMaxBufferBytes) return false;
    const uint64_t cells = uint64_t(uint32_t(fuseCols)) * uint64_t(uint32_t(fuseRows));
    return cells <= uint64_t{fuseCount} + 4096;
}

}  // namespace

uint8_t SocketPin(uint8_t chipPin, uint8_t pinCount) {
    if (chipPin == 0) return 0;
    return static_cast<uint8_t>(chipPin + 24 - pinCount / 2);
}

std::array<uint8_t, kSocketPins> DecodeAllPinDef(std::string_view allPinDef) {
    std::array<uint8_t, kSocketPins> flags{};
    if (allPinDef.size() < 17) return flags;
    uint64_t n = 0;
    for (std::size_t i = 4; i <= 16; ++i) n = (n << 4) | HexDigitValue(allPinDef[i]);
    for (std::size_t k = 0; k < kSocketPins; ++k) flags[k] = static_cast<uint8_t>((n >> (49 - k)) & 1);
    return flags;
}

DeviceLoadResult LoadDeviceIni(const DeviceLoadContext& ctx, uint16_t voltageSet, uint16_t bank,
                               uint16_t offset) {
    DeviceRecord& rec = ctx.record;
    Messages& msg = ctx.messages;
    DeviceParamBlock& block = rec.DeviceParamBlock;

    // 1-2. The path to read.
    const std::string& path = rec.SkipIniPathCopy ? rec.IniPathInUse : rec.IcFileName;
    if (path.empty()) return DeviceLoadResult::NoPath;
    rec.DeviceValid = false;
    if (!rec.SkipIniPathCopy) rec.IniPathInUse = rec.IcFileName;

    // 3-5.
    block.Clear();
    if (!StoredFileExists(rec.IniPathInUse)) {
        msg.ShowMessage(kIniMissingText);
        return DeviceLoadResult::IniMissing;
    }
    const std::string resolved = ResolvePath(rec.IniPathInUse);
    const DeviceFile file(resolved, msg);
    switch (file.State()) {
        case ProfileFileState::Read:
            break;
        case ProfileFileState::Missing:  // gone since it was looked for
            msg.ShowMessage(kIniMissingText);
            return DeviceLoadResult::IniMissing;
        case ProfileFileState::TooLarge:
            msg.ShowMessage(ProfileProblemText(rec.IniPathInUse, file.State()));
            return DeviceLoadResult::IniTooLarge;
        case ProfileFileState::Unreadable:
            msg.ShowMessage(ProfileProblemText(rec.IniPathInUse, file.State()));
            return DeviceLoadResult::IniUnreadable;
    }

    // 6. Keys 1 to 43.
    const std::string userWav = file.Text("UserWav", "None");
    rec.BRAND = file.Text("BRAND", "None");
    rec.Name = file.Text("Name", "None");
    rec.Type = file.Text("Type", "None");
    rec.UserEdit = file.Text("UserEdit", "MainEdit");

    rec.StartAddressHiText = file.Text("start_address_Hi", "0");
    if (!ReadBlockWords(file, block, {{"start_address_Hi", param::start_address_Hi},
                                      {"start_address_Low", param::start_address_Low}}))
        return DeviceLoadResult::NotANumber;
    rec.StartAddress =
        ComputeStartAddress(block.Word(param::start_address_Hi), block.Word(param::start_address_Low));

    rec.DataDoNotCare = file.Text("Data_DoNotCare", "None").substr(0, kMaxDataDoNotCareChars);
    rec.Data_Width = file.Text("Data_Width", "0");
    block.SetWord(param::TransferOffset, offset);
    block.SetWord(param::TransferBank, bank);

    if (!ReadBlockWords(file, block, {{"max_address_Hi", param::max_address_Hi},
                                      {"max_address_Low", param::max_address_Low},
                                      {"ext_address_Hi", param::ext_address_Hi},
                                      {"ext_address_Low", param::ext_address_Low}}))
        return DeviceLoadResult::NotANumber;

    std::optional<int32_t> fuseRow = file.Number("fuse_row");
    if (!fuseRow) return DeviceLoadResult::NotANumber;
    rec.FuseCols = *fuseRow;
    std::optional<int32_t> fuseCol = file.Number("fuse_col");
    if (!fuseCol) return DeviceLoadResult::NotANumber;
    rec.FuseRows = *fuseCol;
    rec.FuseCount =
        ComputeFuseCount(block.Word(param::max_address_Hi), block.Word(param::max_address_Low));

    rec.Intact = file.Integer("Intact");
    const bool hasFuseMap = rec.FuseCols != 0 && rec.FuseRows != 0;
    if (hasFuseMap && !FuseGeometryUsable(rec.FuseCols, rec.FuseRows, rec.FuseCount)) {
        rec.HasFuseMap = 0;
        msg.ShowMessage("INI:Fuse map Error ! fuse_row " + std::to_string(rec.FuseCols) +
                        ", fuse_col " + std::to_string(rec.FuseRows) + " and " +
                        std::to_string(rec.FuseCount) + " fuses give no usable fuse map.");
        return DeviceLoadResult::BadFuseMap;
    }
    rec.HasFuseMap = hasFuseMap ? 1 : 0;

    const DeviceSizes sizes = ComputeDeviceSizes(block, rec.Data_Width);
    if (sizes.bufferBytes && (*sizes.bufferBytes > kMaxBufferBytes ||
                              *sizes.deviceBytes > kMaxBufferBytes)) {
        msg.ShowMessage("INI:Device size Error ! The device needs more than 256 MB of buffer.");
        return DeviceLoadResult::DeviceTooLarge;
    }
    rec.HasExtArea = sizes.hasExtArea;
    block.SetWord(param::TransferSize, sizes.transferSize);
    if (sizes.deviceBytes) {
        rec.DeviceBytes = static_cast<uint32_t>(*sizes.deviceBytes);
        rec.BufferBytes = static_cast<uint32_t>(*sizes.bufferBytes);
    }

    if (!ReadBlockWords(file, block, {{"id_address", param::id_address},
                                      {"id1_address", param::id1_address},
                                      {"id2_address", param::id2_address},
                                      {"id3_address", param::id3_address},
                                      {"Option_Fuse_Type", param::Option_Fuse_Type}}))
        return DeviceLoadResult::NotANumber;
    rec.FuseTypeDigit = FuseTypeDigit(file.Text("Option_Fuse_Type", "0"));

    for (std::size_t i = 0; i < kVoltageCount; ++i) {
        if (!file.Word(kVoltageKeys[i], rec.Voltages[i])) return DeviceLoadResult::NotANumber;
    }
    const VoltageKeys current = KeysOfVoltageSet(voltageSet);
    if (!ReadBlockWords(file, block, {{current.vcc, param::CurrentVcc},
                                      {current.vpp, param::CurrentVpp},
                                      {current.vhh, param::CurrentVhh},
                                      {"vc2", param::vc2},
                                      {"vp2", param::vp2},
                                      {"vh2", param::vh2}}))
        return DeviceLoadResult::NotANumber;

    // 7. Supply and ground pins. A pin outside the chip or the socket would put
    // supply or ground on a wrong socket pin, so such a device is refused; 0
    // names no pin. That each pair names a pin at all is checked once the
    // whole definition has been read (a file without the section stops at its
    // pulse units first).
    std::optional<int32_t> gnd2 = file.Number("Gnd_pin2");
    if (!gnd2) return DeviceLoadResult::NotANumber;
    std::optional<int32_t> gnd1 = file.Number("Gnd_pin1");
    if (!gnd1) return DeviceLoadResult::NotANumber;
    std::optional<int32_t> pins = file.Number("PIN");
    if (!pins) return DeviceLoadResult::NotANumber;
    if (*pins < 0 || *pins > int32_t(kSocketPins)) {
        msg.ShowMessage(PinCountErrorText(*pins));
        return DeviceLoadResult::BadPin;
    }
    const auto pinCount = static_cast<uint8_t>(*pins);
    auto pinOk = [&](int32_t pin) { return pin >= 0 && pin <= *pins; };
    for (const auto& [key, pin] : {std::pair{"Gnd_pin2", *gnd2}, std::pair{"Gnd_pin1", *gnd1}}) {
        if (!pinOk(pin)) {
            msg.ShowMessage(PinErrorText(key, pin, *pins));
            return DeviceLoadResult::BadPin;
        }
    }
    rec.PinCount = pinCount;
    block.SetWord(param::GndPins,
                  static_cast<uint16_t>(SocketPin(uint8_t(*gnd2), pinCount) << 8 |
                                        SocketPin(uint8_t(*gnd1), pinCount)));

    std::optional<int32_t> vcc2 = file.Number("Vcc_pin2");
    if (!vcc2) return DeviceLoadResult::NotANumber;
    std::optional<int32_t> vcc1 = file.Number("Vcc_pin1");
    if (!vcc1) return DeviceLoadResult::NotANumber;
    for (const auto& [key, pin] : {std::pair{"Vcc_pin2", *vcc2}, std::pair{"Vcc_pin1", *vcc1}}) {
        if (!pinOk(pin)) {
            msg.ShowMessage(PinErrorText(key, pin, *pins));
            return DeviceLoadResult::BadPin;
        }
    }
    block.SetWord(param::VccPins,
                  static_cast<uint16_t>(SocketPin(uint8_t(*vcc2), pinCount) << 8 |
                                        SocketPin(uint8_t(*vcc1), pinCount)));
    const bool groundNamed = *gnd1 != 0 || *gnd2 != 0;
    const bool supplyNamed = *vcc1 != 0 || *vcc2 != 0;

    // 8. Keys 49 to 61.
    if (!ReadBlockWords(file, block, {{"read_mode", param::read_mode},
                                      {"erase_mode", param::erase_mode},
                                      {"blank_mode", param::blank_mode},
                                      {"prog_mode", param::prog_mode},
                                      {"verify_mode", param::verify_mode},
                                      {"prot_mode", param::prot_mode},
                                      {"test_mode", param::test_mode},
                                      {"id_mode", param::id_mode}}))
        return DeviceLoadResult::NotANumber;
    rec.HasIdMode = block.Word(param::id_mode) != 0;

    if (!file.Word("program_pulse", rec.PulseCopies[0])) return DeviceLoadResult::NotANumber;
    block.SetWord(param::program_pulse, rec.PulseCopies[0]);
    if (!file.Word("erase_pulse", rec.PulseCopies[1])) return DeviceLoadResult::NotANumber;
    block.SetWord(param::erase_pulse, rec.PulseCopies[1]);
    if (!ReadBlockWords(file, block, {{"protect_pulse", param::protect_pulse},
                                      {"unprotect_pulse", param::unprotect_pulse}}))
        return DeviceLoadResult::NotANumber;

    // The option pages are read from the program's folder, never from another
    // file that a name with parent steps would reach.
    const std::string menu = file.Text("Menu", "0");
    if (!StaysInFolder(menu)) {
        msg.ShowMessage(kMenuNameErrorText);
        return DeviceLoadResult::MenuNameOutside;
    }
    rec.Menu = menu;

    // 9. Pulse units label their widths; only these three are known.
    for (std::size_t i = 0; i < 4; ++i) {
        rec.PulseUnits[i] = file.Text(kPulseUnitKeys[i], "0");
        if (!IsPulseUnit(rec.PulseUnits[i])) {
            msg.ShowMessage(kPulseUnitErrors[i]);
            return DeviceLoadResult::BadPulseUnit;
        }
    }

    // 10. Keys 66 to 84.
    if (!file.Word("program_times", rec.PulseCopies[2])) return DeviceLoadResult::NotANumber;
    block.SetWord(param::program_times, rec.PulseCopies[2]);
    if (!ReadBlockWords(file, block, {{"erase_times", param::erase_times},
                                      {"protect_times", param::protect_times},
                                      {"unprotect_times", param::unprotect_times}}))
        return DeviceLoadResult::NotANumber;
    if (!file.Word("program_retry", rec.PulseCopies[3])) return DeviceLoadResult::NotANumber;
    block.SetWord(param::program_retry, rec.PulseCopies[3]);
    if (!ReadBlockWords(file, block, {{"erase_retry", param::erase_retry},
                                      {"protect_retry", param::protect_retry},
                                      {"unprotect_retry", param::unprotect_retry},
                                      {"prot_address", param::prot_address},
                                      {"Current_Limit", param::Current_Limit},
                                      {"para1", param::para1},
                                      {"para2", param::para2},
                                      {"unprotect_mode", param::unprotect_mode},
                                      {"page_size", param::page_size}}))
        return DeviceLoadResult::NotANumber;

    rec.IC_Information1 = file.Text("IC_Information1", "None");
    rec.IC_Information2 = file.Text("IC_Information2", "None");
    rec.IC_Information3 = file.Text("IC_Information3", "None");
    rec.IC_Information4 = file.Text("IC_Information4", "None");
    rec.IC_Information5 = file.Text("IC_Information5", "None");
    rec.InfoHeader = kInfoHeaderText;
    rec.InfoText = BuildInfoText(rec.InfoHeader, {rec.IC_Information1, rec.IC_Information2,
                                                  rec.IC_Information3, rec.IC_Information4,
                                                  rec.IC_Information5});

    // 11.
    rec.PinFlags = DecodeAllPinDef(file.Text("AllPinDef", "None"));

    // A chip without a ground or a supply pin cannot be powered: refused
    // before its FPGA image is loaded.
    if (pinCount == 0) {
        msg.ShowMessage(PinCountErrorText(0));
        return DeviceLoadResult::BadPin;
    }
    if (!groundNamed) {
        msg.ShowMessage(MissingPinText("Gnd_pin1", "Gnd_pin2", "ground"));
        return DeviceLoadResult::BadPin;
    }
    if (!supplyNamed) {
        msg.ShowMessage(MissingPinText("Vcc_pin1", "Vcc_pin2", "supply"));
        return DeviceLoadResult::BadPin;
    }

    // 12. The FPGA image the device names: a file of the FPGA folder, never
    // another file that a name with parent steps would reach.
    if (!StaysInFolder(userWav)) {
        msg.ShowMessage(kFpgaNameErrorText);
        rec.FpgaFileMissing = 1;
        return DeviceLoadResult::FpgaNameOutside;
    }
    rec.FpgaFilePath = rec.AppDir + "FPGA\\" + userWav;
    if (!StoredFileExists(rec.FpgaFilePath)) {
        msg.ShowMessage(kFpgaNotFoundPrefix + userWav);
        rec.FpgaFileMissing = 1;
        return DeviceLoadResult::FpgaMissing;
    }
    rec.FpgaFileMissing = 0;
    if (!ctx.fpga.LoadFpgaFile(ResolvePath(rec.FpgaFilePath))) {
        // The image in place is the previous device's: never send it.
        rec.FpgaFileMissing = 1;
        return DeviceLoadResult::FpgaLoadFailed;
    }
    rec.DeviceValid = true;
    return DeviceLoadResult::Loaded;
}

uint32_t MergeDeviceBufferSize(const DeviceRecord& rec, BufferSizing& st) {
    // The same classification the loader used for DeviceBytes, so that the
    // buffer always covers a device whose size the loader set.
    const DeviceSizes sizes = ComputeDeviceSizes(rec.DeviceParamBlock, rec.Data_Width);
    if (sizes.width == DataWidth::Word16)
        st.BufferSize = std::max<uint32_t>(rec.DeviceBytes, 0x20000);
    else if (sizes.width == DataWidth::Byte8)
        st.BufferSize = std::max<uint32_t>(rec.DeviceBytes, 0x10000);
    st.BufferSize = std::max(st.BufferSize, st.LoadedBufferSize);
    st.LoadedBufferSize = st.BufferSize;
    return st.BufferSize;
}

DeviceLoadResult ApplyDeviceBufferSize(const DeviceLoadContext& ctx, BufferSizing& sizing,
                                       DataBuffer& buffer) {
    const DeviceLoadResult result = LoadDeviceIni(ctx, kReadVoltages, 0, 0);
    buffer.SetBufferSize(MergeDeviceBufferSize(ctx.record, sizing));
    return result;
}

}  // namespace burnmark
