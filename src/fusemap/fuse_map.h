// The fuse map of a logic device: one byte per fuse (0 or 1; 2 marks a cell
// without a fuse), the fuse count plus 4096 bytes of slack that the editor's
// window may show. It is loaded from and saved to JEDEC files, summed with the
// JEDEC fuse checksum and handed to program, verify and confirm as their data.
// The geometry comes in as plain values from the device that is selected.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace burnmark {

inline constexpr uint8_t kNoFuse = 2;
inline constexpr int64_t kFuseSlack = 4096;
// The count is kept as a signed 32-bit value; larger counts are refused.
inline constexpr int64_t kMaxFuseCount = 0x7FFFFFFF;

struct FuseGeometry {
    int64_t FuseCount = 0;      // fuses of the map
    int32_t FuseCols = 0;       // fuses per grid row and per L row ("fuse_row")
    int32_t FuseRows = 0;       // grid rows ("fuse_col")
    int32_t PinCount = 0;       // the chip's pins; at least 20 for a logic device
    int32_t IntactPolarity = 0; // "Intact": 1 means value 1 is an intact fuse
};

enum class FuseLoadStatus {
    Loaded,
    CannotOpen,     // "Can't Open File"
    TooBig,         // "File size is too big"
    NotJedec,       // "This file is not a JEDEC file"
    SizeMismatch,   // "Fuse Size is not Match"; the map is unchanged
};

enum class FuseSaveStatus {
    Saved,
    Cancelled,      // the operator kept the existing file
    NoMemory,       // "Memory error !"
    WriteFailed,    // "Can't Write File", the name and why; the old file and JedecPath stand
};

class FuseMap {
public:
    FuseMap(Messages& messages, OperationFailDisplay& failDisplay)
        : messages_(messages), failDisplay_(failDisplay) {}

    // Allocates and clears the map for the geometry (ClearFuseMap(0), slack 2).
    // A geometry without fuses or rows of less than one fuse is refused with
    // "'' maybe error.." and " Insufficient memory for GlobalAlloc! " and
    // leaves no map; so does a failed allocation ("Momery not enough !").
    bool InitFuseBuffer(const FuseGeometry& geometry);
    void FreeFuseBuffer();
    bool HasBlock() const { return !block_.empty(); }

    const FuseGeometry& Geometry() const { return geometry_; }
    int64_t FuseCount() const { return geometry_.FuseCount; }
    int32_t FuseCols() const { return geometry_.FuseCols; }
    int32_t FuseRows() const { return geometry_.FuseRows; }
    int32_t IntactPolarity() const { return geometry_.IntactPolarity; }

    // Every byte of the block = v when v is 0 or 1, else 2.
    void FillFuseBuffer(int v);
    // FillFuseBuffer(2), then every fuse = v when v is 0 or 1, else 2.
    void ClearFuseMap(int v);

    // The byte at an index of the block; 2 (no fuse) past its end.
    uint8_t FuseAt(int64_t index) const;
    // Sets one fuse (an index below FuseCount) to 0, or to 1 for any other value.
    bool SetFuse(int64_t index, int value);
    // Takes fuses from a chip read, from fuse first on: none at or past
    // FuseCount, each non-zero byte a 1. Returns the number taken.
    int64_t StoreFuses(std::span<const uint8_t> source, int64_t first = 0);

    // The FuseCount fuse bytes that program, verify and confirm send.
    std::span<const uint8_t> GetFuseBuffer() const;
    // The whole block, slack included, as the editor's window reads it.
    std::span<const uint8_t> Block() const { return block_; }

    uint32_t FuseChecksum() const;
    // Computes the checksum; modes 1 and 6 show it (OnChecksumShown, red when
    // it changed), mode 1 also in a box "Get Check Sum". Returns the checksum.
    uint32_t ShowFuseChecksum(int mode);

    // Copies the fuses to the start of the data buffer. An empty destination
    // (no buffer) or one shorter than the map is refused with its message.
    bool CopyFusesToBuffer(std::span<uint8_t> dataBuffer);

    // The load of a JEDEC file the operator chose: read, check, parse into a
    // scratch map, and only on success take it, show the checksum (mode 1)
    // and copy the fuses to the data buffer.
    FuseLoadStatus LoadJedecFile(const std::string& path, std::span<uint8_t> dataBuffer);
    // The save to the chosen path: asks before it replaces an existing file.
    FuseSaveStatus SaveJedecFile(const std::string& path);
    // Writes the map to the path (no question). JedecPath follows on success.
    FuseSaveStatus WriteJedecFile(const std::string& path);

    // Path of the JEDEC file last loaded or saved.
    const std::string& JedecPath() const { return jedecPath_; }

    // The window's side: the checksum field (text, changed) and the redraw of
    // the editor over the map.
    std::function<void(const std::string& text, bool changed)> OnChecksumShown;
    std::function<void()> OnRefreshView;
    // The editor redraws over the map (after a chip read changed it).
    void RefreshFuseView();

    // First fuse column and row the editor shows.
    int32_t ColOffset = 0;
    int32_t RowOffset = 0;
    // Checksum last shown by ShowFuseChecksum.
    uint32_t FuseLastChecksum = 0;

private:
    void FailNoBlock();

    Messages& messages_;
    OperationFailDisplay& failDisplay_;
    FuseGeometry geometry_{};
    std::vector<uint8_t> block_;
    std::string jedecPath_;
};

}  // namespace burnmark
