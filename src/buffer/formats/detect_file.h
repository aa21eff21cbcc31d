// Format detection: the probes in their order, over a block that may be the
// whole file or a private read of its head (detection never touches the data
// buffer).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "buffer/formats/binary_image.h"
#include "buffer/formats/record_scan.h"

namespace burnmark {

// Enough of a file's head for every probe: the Intel probe gives up within
// 128 characters, the Tektronix probe at its first good record, and the
// Motorola probe judges the records that fit.
inline constexpr std::size_t kProbeHeadBytes = 64 * 1024;

// Intel, then Motorola, then Tektronix: the first probe that answers yes gives
// the format (IntelHex, Motorola or Tektronix); LoadFormat::Auto when none does.
// Probes run in the given mode (ShowYes to announce the find).
LoadFormat DetectHexFormat(Messages& messages, ProbeMode mode, std::span<const uint8_t> block,
                           BlockExtent extent = BlockExtent::WholeFile);

// The probe of one hex format (IntelHex, Motorola, Tektronix); false for others.
bool ProbeFormat(Messages& messages, LoadFormat format, ProbeMode mode,
                 std::span<const uint8_t> block, BlockExtent extent = BlockExtent::WholeFile);

// The same over a text given by feed (a file read in windows, each probe
// reading it from the start): nullopt, with nothing said, when the text could
// not be read; readError then holds the feed's code.
std::optional<LoadFormat> DetectHexFormat(Messages& messages, ProbeMode mode,
                                          const TextFeed& feed, int& readError);
std::optional<bool> ProbeFormat(Messages& messages, LoadFormat format, ProbeMode mode,
                                const TextFeed& feed, int& readError);

// Reads up to maxBytes from the start of a file; nullopt when it cannot be read.
// extent tells whether that was the whole file.
struct FileHead {
    std::vector<uint8_t> bytes;
    BlockExtent extent = BlockExtent::WholeFile;
};
std::optional<FileHead> ReadFileHead(const std::string& path,
                                     std::size_t maxBytes = kProbeHeadBytes);

}  // namespace burnmark
