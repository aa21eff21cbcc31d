// The editor's Load command from end to end: the load dialog's hand-back in
// History_1.ini [LoadDlg], the read of the chosen byte range of the file,
// format detection, the two passes of the hex readers, placement into the
// data buffer with the fill byte, the range and sum of the load, the hand-off
// to the device's external program, and for devices of option type 1 the
// exchange with the programmer that patches the loaded data.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "buffer/address_entry.h"
#include "flow/file_dialogs.h"
#include "flow/flow_context.h"
#include "flow/load_source.h"
#include "buffer/formats/binary_image.h"
#include "buffer/option_patches.h"
#include "platform/byte_block.h"
#include "platform/profile.h"

namespace burnmark {

inline constexpr const char* kLoadSection = "LoadDlg";

inline constexpr const char* kLoadNoDeviceText = "Please Selete IC...";
inline constexpr const char* kLoadOpenFailText = "Format Error !";
inline constexpr const char* kLoadMemoryText = "Memory error.";
inline constexpr const char* kLoadMemoryTitle = "Load BIN File";
inline constexpr const char* kLoadBinaryText = "Binary Code File";
inline constexpr const char* kLoadBinaryTitle = "Detect";
inline constexpr const char* kLoadResizeTitle = "Out of buffer";
inline constexpr const char* kRangeErrorText = kInputValueErrorText;
// The texts of the option-type-1 exchange after a load.
inline constexpr const char* kErrOptionWordsData = "Error! Data -> DE-48 0x300 Buffer Fail";
inline constexpr const char* kErrPatchListData = "Error! Data -> DE-48 256 Buffer Fail";

// The load dialog's answer, as it also remembers it in [LoadDlg]; integers
// default to 0.
struct LoadSettings {
    int32_t OK = 0;
    std::string Name = "None";
    int32_t SourceSAdd = 0;  // first byte of the file to read
    int32_t SourceEAdd = 0;  // last byte of the file to read (inclusive)
    int32_t Format = 0;      // LoadFormat
    int32_t DistSadd = 0;    // buffer address of the first loaded byte
    int32_t UserFill = 0;
    int32_t UnuserFillCheck = 0;
};
LoadSettings ReadLoadSettings(const Profile& history);

// "Resize to " + the address as 7 upper-case hex digits + "H".
std::string ResizeQuestion(uint32_t highAddress);

// The path of a regular file by that name (a stored name with backslashes is
// resolved), or empty. Only regular files are loaded: a named pipe would hold
// the window, a folder has no bytes to take a range of.
std::string LoadableFilePath(const std::string& name);

// The file's size in bytes (low 32 bits); 0 when there is no such regular file.
uint32_t GetFileSizeByName(const std::string& name);

// The format of a file for the load dialog: 4, 5 or 6 for Intel, Motorola or
// Tektronix, else 0. The probes run silently on a private read of the file's
// head; the data buffer is not touched.
LoadFormat DetectFileFormatOf(const std::string& name, Messages& messages);
// The same for the file remembered in [LoadDlg] "Name".
LoadFormat DetectFileFormat(const std::string& historyIniPath, Messages& messages);

// The window's side of the Load command.
class LoadDialogPort {
public:
    virtual ~LoadDialogPort() = default;
    // Creates the load dialog over the logic, shows it modally and deletes
    // it. The answer of its Load button, or nullopt for every other way out.
    virtual std::optional<LoadSettings> RunLoadDialog(LoadDialogLogic& logic) = 0;
    // The main window's LoadPathEdit takes the name of the file chosen.
    virtual void SetLoadPathEdit(const std::string& name) = 0;
};

// How a load command ended, for the callers and the tests.
enum class LoadEnd {
    Ignored,         // the program was busy
    NoDevice,        // "First Setup" selected: refused before the dialog
    Cancelled,       // the dialog closed with Cancel
    ReadFailed,      // the file range could not be read
    LoadFailed,      // detection, parse or placement failed; no exchange
    Loaded,          // in the buffer (and, for option type 1, exchanged)
    ExchangeFailed,  // in the buffer, but the option-type-1 exchange failed
};

class LoadFlow {
public:
    explicit LoadFlow(FlowContext ctx) : ctx_(std::move(ctx)) {}

    // The Load command: the dialog, then the load of what it handed back.
    LoadEnd LoadFileClick(LoadDialogPort& dialog);

    // While "First Setup" is selected the load is refused: the failure sound
    // (whatever "sound_setup" holds), "Please Selete IC...", LoadPending = 1.
    // True when it refused.
    bool RefuseLoadWithoutDevice();

    // Everything after the dialog's Load button: the data mode back to All,
    // the read, the load, the external program, the option-type-1 exchange.
    // The program is busy meanwhile.
    LoadEnd RunLoad(const LoadSettings& s);

    // Opens the answer's range of the file for the load and makes the buffer
    // at least as long as the range. The range is clamped to the bytes the
    // file holds; a reversed range, or one that starts past the end of the
    // file, is refused with "Input Value Error !". A name that is no regular
    // file (a pipe, a folder) cannot be opened: "Format Error !". The bytes
    // are read by the load (LoadSource), which must get every byte of the
    // range as the file was when it was opened: a read error, or a file that
    // another program cut short meanwhile, fails the load with "Can't read"
    // and what went wrong, titled "Error", and leaves the buffer as it was.
    bool ReadSourceFile(const LoadSettings& s, LoadSource& source);

    // Detection (the format found is remembered in [LoadDlg] "Format"),
    // parse, placement at "DistSadd", LoadedStart and LoadedEnd, the sum
    // (Intel and Motorola). A failure leaves the buffer at the size it had
    // when the call began, never below the device's need.
    bool LoadIntoBuffer(const LoadSettings& s, int32_t announce, int32_t showSum,
                        LoadSource& source);

    // Test seam: the new bytes each window of a hex pass brings.
    void SetTextWindowBytes(std::size_t bytes) { windowBytes_ = bytes; }

    // The exchange of a device of option type 1 after a load: reload and
    // set up, download the buffer, write OptionWords to 0x0E00, apply the
    // options and read their status, and only when they passed read the
    // patch list and apply it to the buffer.
    bool ExchangeOptionsAfterLoad();

    // The device's external program for the action (see RunExtendPro).
    int32_t RunExtendPro(int32_t action);

    // 1 after a load was refused for want of a device: the load waits for
    // the device choice, which runs it again.
    uint8_t LoadPending = 0;

private:
    bool FirstSetupSelected() const;
    // The buffer size the selected device needs (its bytes, at least 64 KB
    // for 8-bit and 128 KB for 16-bit devices); 0 when nothing is known.
    uint32_t DeviceFloor() const;
    // Sets the logical length back to what it was (never below the device's
    // need) after a load that did not land.
    void RestoreBufferLength(uint32_t length);
    bool Place(std::span<const uint8_t> image, uint64_t length, const LoadSettings& s);
    // LoadIntoBuffer, telling a file that could not be read (ReadFailed, it
    // has told) from every other failure (LoadFailed).
    LoadEnd LoadSourceIntoBuffer(const LoadSettings& s, int32_t announce, int32_t showSum,
                                 LoadSource& source);
    // The binary and .exe loads: the whole range read into memory, then
    // placed. detected: binary was found by detection, which is announced
    // and remembered after the read.
    LoadEnd LoadExe(LoadSource& source, const LoadSettings& s, int32_t announce, bool detected);
    // A detected binary file: its format remembered and, when announce is 1, said.
    void AnnounceBinary(int32_t announce, bool detected);
    // "Memory" for the load's own blocks; a read failure.
    LoadEnd ShowNoMemoryForLoad();
    LoadEnd LoadWhole(LoadFormat format, LoadSource& source, const LoadSettings& s,
                      int32_t announce, bool detected);
    // detected: the format was just found by its probe.
    LoadEnd LoadHex(LoadFormat format, LoadSource& source, const LoadSettings& s, int32_t showSum,
                    bool detected);
    // The store pass, straight into the buffer at the destination.
    LoadEnd StoreHex(LoadFormat format, LoadSource& source, const LoadSettings& s,
                     const ReaderPorts& ports, const FillSettings& fill, ParsedImage& stored,
                     uint64_t length);
    void RememberFormat(LoadFormat format);
    void ExchangeFail(const char* message);

    FlowContext ctx_;
    std::size_t windowBytes_ = kTextWindowBytes;
    // The buffer's block before the load began: what a store pass must put
    // back when the file cannot be read to its end.
    std::size_t blockBytesBeforeLoad_ = 0;
};

}  // namespace burnmark
