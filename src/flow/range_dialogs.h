// What the block, fill and sum dialogs decide: their opening fields, the IC,
// Max and File range buttons, and the checks of their OK buttons, each
// returning what the dialog shows next or the typed answer it hands to its
// command. The windows only show the fields and collect the operator's
// entries; the answer is also remembered in the dialog's History_1.ini
// section ([BlockDlg], [FillDataDlg], [GetSumDlg]) for the next opening.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "buffer/data_buffer.h"
#include "catalogue/device_record.h"
#include "platform/ports.h"

namespace burnmark {

inline constexpr const char* kBlockSection = "BlockDlg";
inline constexpr const char* kFillSection = "FillDataDlg";
inline constexpr const char* kSumSection = "GetSumDlg";

// The File buttons without a load: the Block and Sum dialogs' spelling and
// the Fill dialog's.
inline constexpr const char* kNoFileSeletedText = "No File Seleted!!";
inline constexpr const char* kNoFileSelectedText = "No File Selected!!";

// The exclusive end E of the device's IC range: for option type 1 twice the
// words the programmer addresses, 2 x (((max_address_Hi << 16) |
// max_address_Low) + 1); otherwise one past the device's last byte, its
// extended area included (0 while no device is loaded).
uint64_t IcRangeEnd(const DeviceRecord& device);

// The four address fields of a range: byte start and end, word start and end.
struct RangeFields {
    std::string byteStart;
    std::string byteEnd;
    std::string wordStart;
    std::string wordEnd;
    bool operator==(const RangeFields&) const = default;
};

// How the word end follows from E: E / 2 - 1 for the Block and Fill dialogs
// and every IC button, (E - 1) / 2 for the Sum dialog's opening.
enum class WordEndRule { HalfMinusOne, MinusOneHalf };

// The shared part of the three dialogs. Only references are held.
class RangeDialogCore {
public:
    RangeDialogCore(DataBuffer& buffer, const DeviceRecord& device, Messages& messages)
        : buffer_(buffer), device_(device), messages_(messages) {}

    // Option type 1: the Max and File buttons are disabled (the Sum dialog
    // also disables its address fields).
    bool OptionType1() const { return device_.FuseTypeDigit == 1; }

    // The device range from StartAddress to E - 1.
    RangeFields IcFields(WordEndRule rule = WordEndRule::HalfMinusOne) const;
    // The whole buffer, 0 .. length - 1. With growToDevice the buffer is first
    // sized for the device when it is shorter than the device + 1024 bytes.
    // Nothing (nullopt) when the buffer is empty.
    std::optional<RangeFields> MaxFields(bool growToDevice);
    // 0 .. LoadedEnd - 1 of the last load; without one the message and nullopt.
    std::optional<RangeFields> FileFields(const char* noFileText);

    // The OK checks, each showing its message and false when it refuses:
    // the end above the start in the byte and then the word fields; every
    // field below the buffer length (byte start, byte end, word start, word
    // end).
    bool CheckOrder(const RangeFields& fields);
    bool CheckBelowLength(const RangeFields& fields);
    // The Block and Fill dialogs' first check: a byte end of 0, below the
    // start or beyond the buffer length shows "Range Error!!"; the fields to
    // show then (the device's range from 0) are returned.
    std::optional<RangeFields> RangeErrorReset(const RangeFields& fields);

    DataBuffer& Buffer() { return buffer_; }
    const DeviceRecord& Device() const { return device_; }
    Messages& Operator() { return messages_; }
    const std::string& HistoryIniPath() const { return buffer_.HistoryIniPath(); }

private:
    DataBuffer& buffer_;
    const DeviceRecord& device_;
    Messages& messages_;
};

// ---- Block -----------------------------------------------------------------------------------

enum class BlockAction : int32_t { Copy = 0, Move = 1, Swap = 2 };

struct BlockFields {
    RangeFields range;
    std::string dest8;   // destination start, byte address
    std::string dest16;  // destination start, word address
    int32_t action = 0;  // 0 Copy, 1 Move, 2 Swap
};

// What an OK press leads to: the answer (the dialog closes), or the dialog
// stays open, perhaps with its range fields reset.
template <typename Answer>
struct DialogOutcome {
    std::optional<Answer> answer;
    std::optional<RangeFields> reset;
};

class BlockDialogLogic : public RangeDialogCore {
public:
    using RangeDialogCore::RangeDialogCore;

    // Called by OK before its limit checks: the editor's byte view back to
    // its first row.
    std::function<void()> ScrollByteViewToTop;

    // The device range, with the last destination and action remembered.
    BlockFields Opening() const;
    // The destination end labels, byte and word: destination + (end - start)
    // when end lies above start, else the label keeps its text (nullopt).
    static std::optional<std::string> DestEnd8(const BlockFields& f);
    static std::optional<std::string> DestEnd16(const BlockFields& f);

    DialogOutcome<BlockRequest> Accept(const BlockFields& f);
    void Cancel();
};

// ---- Fill ------------------------------------------------------------------------------------

struct FillFields {
    RangeFields range;
    bool userCheck = false;       // "User define[BYTE] :" ticked
    int32_t byteWordSel = 0;      // "User Define": 0 Byte, 1 Word
    std::string userByte = "FF";  // UserDefineEdit
    std::string userWord = "FFFF";
    int32_t select = 0;  // "Fill Data Select" 0 to 4
};

// Which of the fill choices are enabled, by the tick and the width.
struct FillControls {
    bool fillDataGroup = true;
    bool defSetGroup = false;
    bool userByteEdit = false;
    bool userWordEdit = false;
    bool operator==(const FillControls&) const = default;
};
FillControls FillControlsFor(bool userCheck, int32_t byteWordSel);

// The typed answer of the Fill dialog.
struct FillRequest {
    uint32_t StartAdd = 0;
    uint32_t EndAdd = 0;  // inclusive
    int32_t UserCheck = 0;
    int32_t Select = 0;
    int32_t UserData = 0xFF;
    int32_t UserWordData = 0xFFFF;
    int32_t UserByteWordSel = 0;
};

class FillDialogLogic : public RangeDialogCore {
public:
    using RangeDialogCore::RangeDialogCore;

    std::function<void()> ScrollByteViewToTop;

    // The device range, with every other choice remembered.
    FillFields Opening() const;
    DialogOutcome<FillRequest> Accept(const FillFields& f);
    void Cancel();
};

// ---- Sum -------------------------------------------------------------------------------------

struct SumRequest {
    uint32_t StartAdd = 0;
    uint32_t EndAdd = 0;  // inclusive
};

class SumDialogLogic : public RangeDialogCore {
public:
    using RangeDialogCore::RangeDialogCore;

    // The programmer's checksum of a device of option type 1, run by the IC
    // button; true when it was shown.
    std::function<bool()> ProgrammerChecksum;

    RangeFields Opening() const { return IcFields(WordEndRule::MinusOneHalf); }
    // The IC button: for option type 1 the programmer's checksum first; when
    // that fails the range stays (nullopt). A press while the checksum runs
    // does nothing.
    std::optional<RangeFields> IcButton();
    bool ChecksumRunning() const { return checksumRunning_; }

    DialogOutcome<SumRequest> Accept(const RangeFields& f);
    void Cancel();

private:
    bool checksumRunning_ = false;
};

}  // namespace burnmark
