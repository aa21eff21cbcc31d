// The programmer's vocabulary: vendor request numbers, its memory map, the
// operation codes of its routines, the 16-byte operation status and the
// failure texts the callers show for each request.
#pragma once

#include <array>
#include <cstdint>

namespace burnmark {

// Vendor requests.
inline constexpr uint8_t CmdReadSerial = 0x41;       // IN, 22 bytes of identity
inline constexpr uint8_t CmdStatus = 0x42;           // IN, 16-byte OperationStatus
inline constexpr uint8_t CmdChangePage = 0x43;       // OUT, Value page, Index data-memory select
inline constexpr uint8_t CmdMemoryRead = 0x44;       // diagnostic, never sent
inline constexpr uint8_t CmdMemoryWriteByte = 0x45;  // diagnostic, never sent
inline constexpr uint8_t CmdBlockRead = 0x46;        // OUT, address, length; bulk IN follows
inline constexpr uint8_t CmdBlockWrite = 0x47;       // OUT, address, length; bulk OUT follows
inline constexpr uint8_t CmdSramCopy = 0x48;         // never sent
inline constexpr uint8_t CmdExecute = 0x49;          // OUT, Value 0x4000, Index operation code
inline constexpr uint8_t CmdFpgaLoad = 0x4A;         // never sent
inline constexpr uint8_t CmdDataRead = 0x4B;         // OUT, 0x8000/0x8000; 32 KB bulk IN follows
inline constexpr uint8_t CmdDataWrite = 0x4C;        // OUT, 0x8000/0x8000; 32 KB bulk OUT follows
inline constexpr uint8_t CmdReadVersion = 0x4D;      // IN, 16 bytes of firmware name and version

inline constexpr uint16_t kSerialLength = 22;
inline constexpr uint16_t kStatusLength = 16;
inline constexpr uint16_t kVersionLength = 16;

// Programmer memory map.
inline constexpr uint16_t kDiagnosticWindowAddr = 0x0800;
inline constexpr uint16_t kParamBlockAddr = 0x0B00;
inline constexpr uint16_t kParamBlockLength = 0x80;
inline constexpr uint16_t kParamClearLength = 0x100;  // the set-up clears 0x0B00 onward
inline constexpr uint16_t kOptionWordsAddr = 0x0B80;
inline constexpr uint16_t kOptionWordsLength = 0x80;
inline constexpr uint16_t kChipOptionAddr = 0x0E00;
inline constexpr uint16_t kChipOptionLength = 0x100;
inline constexpr uint16_t kPatchListAddr = 0x0F00;
inline constexpr uint16_t kPatchListLength = 0x100;
inline constexpr uint16_t kFpgaImageAddr = 0x4000;  // also the routines' entry address
inline constexpr uint16_t kFpgaPageLength = 0x4000;
inline constexpr uint16_t kFpgaPageCount = 8;
inline constexpr uint16_t kRoutineEntry = 0x4000;
inline constexpr uint16_t kDataWindowAddr = 0x8000;
inline constexpr uint16_t kDataWindowLength = 0x8000;  // one CmdDataRead / CmdDataWrite
inline constexpr uint32_t kChunkLength = 0x10000;      // two data windows

// Transfer words of the parameter block (byte offsets of 16-bit words).
inline constexpr unsigned kWordOffset = 0x10;     // offset within the bank, 0 or 0x8000
inline constexpr unsigned kWordBank = 0x12;       // bank number
inline constexpr unsigned kWordSmallSize = 0x14;  // size below 0x10000, else 0

// Operation codes (Index of CmdExecute).
inline constexpr uint16_t OpRead = 0x0100;
inline constexpr uint16_t OpErase = 0x0200;
inline constexpr uint16_t OpBlankCheck = 0x0400;
inline constexpr uint16_t OpProgram = 0x0500;
inline constexpr uint16_t OpVerify = 0x0600;
inline constexpr uint16_t OpProtect = 0x0700;
inline constexpr uint16_t OpExtractOptions = 0x0B00;
inline constexpr uint16_t OpApplyOptions = 0x0C00;
inline constexpr uint16_t OpReadExt = 0x0D00;
inline constexpr uint16_t OpProgramExt = 0x0E00;

// The status of the last executed routine. It starts as 0xFF bytes and a
// failed or short status request leaves it so, so that it never reads as a pass.
struct OperationStatus {
    std::array<uint8_t, kStatusLength> bytes;

    OperationStatus() { Invalidate(); }
    void Invalidate() { bytes.fill(0xFF); }

    bool Pass() const { return bytes[0] == 0 && bytes[1] == 0; }
    bool ReadProtected() const { return bytes[0] == 0 && bytes[1] == 4; }
    // Bytes 2 (low) and 3: the checksum after OpExtractOptions and
    // OpApplyOptions, otherwise the high word of the error address.
    uint16_t ResultWord() const { return static_cast<uint16_t>(bytes[2] | (bytes[3] << 8)); }
    uint16_t Checksum() const { return ResultWord(); }
    uint32_t ErrorAddress() const {
        return (static_cast<uint32_t>(ResultWord()) << 16) |
               static_cast<uint32_t>(bytes[4] | (bytes[5] << 8));
    }
    uint16_t ErrorData() const { return static_cast<uint16_t>(bytes[6] | (bytes[7] << 8)); }
};

// Failure texts, shown with the plain message dialog.
inline constexpr const char* kErrChangePage = "Error 43! Change 0x0000 Page Fail !!";
inline constexpr const char* kErrBlockRead = "Error 46! Read Command Fail";
inline constexpr const char* kErrBlockReadData = "Error! Data -> DE-48 256 Buffer Fail";
inline constexpr const char* kErrBlockWrite = "Error 47! Write Command Fail";
inline constexpr const char* kErrBlockWriteData = "Error! Data -> Buffer Fail";
inline constexpr const char* kErrExecute = "Command 0x49 Fail!";
inline constexpr const char* kErrExecute49 = "Error 49! Command Fail";
inline constexpr const char* kErrExecuteProgram = "Error 49! USB Program Command Fail !";
inline constexpr const char* kErrExecuteProtect = "USB Protect Command Fail !";
inline constexpr const char* kErrDataRead = "Error 4b! Read Command Fail";
inline constexpr const char* kErrDataWrite = "Error 4c! Read Command Fail";
inline constexpr const char* kErrReadData = " Read Data Fail";
inline constexpr const char* kErrWriteData = " Write Data Fail";

}  // namespace burnmark
