// The pictures of the splash window and of the main window's custom logo are
// kept as bitmap files whose 54-byte header (file header and information
// header) has been moved to the end. They are put back together in memory:
// nothing is written to disk, so no operator's file is ever overwritten or
// removed and no stale picture can pass for a new one.
#pragma once

#include "shell/shell_only.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace burnmark {

inline constexpr std::size_t kBitmapHeaderLength = 54;
// Far beyond any picture of the program; a larger file is not read at all.
inline constexpr uint64_t kMaxPictureFileBytes = 64ull << 20;

inline constexpr const char* kErrPictureOpen = "Can't Open File";
inline constexpr const char* kErrPictureMemory = "Can't open file_buffer !!";
inline constexpr const char* kErrPictureShort = "Picture file damaged";

// The splash picture and the custom logo, in the application directory.
inline constexpr const char* kSplashPictureFile = "Temp1.cue";
inline constexpr const char* kLogoPictureFile = "Temp0.cue";

// Reads the stored picture file and gives the bitmap with its header back in
// front (the last 54 bytes, then the first n - 54). A file that cannot be
// opened or read ("Can't Open File"), one shorter than the header ("Picture
// file damaged") and one too large to hold ("Can't open file_buffer !!") are
// reported and give nothing.
std::optional<std::vector<uint8_t>> RestoreBitmapFile(const std::string& source,
                                                      Messages& messages);

// The stored form of a bitmap: its first 54 bytes moved to the end. Nothing
// for fewer than 54 bytes.
std::optional<std::vector<uint8_t>> StoreBitmapRotated(std::span<const uint8_t> bitmap);

}  // namespace burnmark
