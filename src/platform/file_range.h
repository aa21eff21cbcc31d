// Reads of a range of an open file that must deliver every byte asked for.
#pragma once

#include <cstdint>
#include <span>

namespace burnmark {

// The file ended before the bytes asked for: another program cut it short.
inline constexpr int kFileEndedEarly = -1;

// Reads into.size() bytes at offset of the open file fd, going on after reads
// the kernel cut short or a signal broke off. 0 when every byte arrived;
// kFileEndedEarly when the file ended first; else the errno of the failed read.
int ReadFileAt(int fd, uint64_t offset, std::span<uint8_t> into);

}  // namespace burnmark
