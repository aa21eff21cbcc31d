// Images that need no record reader: binary files, MS-DOS .com files (the file
// is the image) and MS-DOS .exe files (the image follows a 512-byte header).
#pragma once

#include <cstdint>
#include <span>

#include "platform/ports.h"

namespace burnmark {

// [LoadDlg] "Format".
enum class LoadFormat : int {
    Auto = 0,
    DosExe = 1,
    DosCom = 2,
    Binary = 3,
    IntelHex = 4,
    Motorola = 5,
    Tektronix = 6,
};

inline constexpr std::size_t kExeHeaderBytes = 512;

// Drops the .exe header from the view of the file block (nothing is copied).
// A block shorter than the header shows "Format Error !" titled "Load" and
// gives false, the view unchanged.
bool StripExeHeader(std::span<const uint8_t>& block, Messages& messages);

}  // namespace burnmark
