// The configuration image of the programmer's FPGA for the selected device
// (the FpgaBuffer): 0x6000 bytes, 0xFF where the file gives no byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/ports.h"

namespace burnmark {

inline constexpr std::size_t kFpgaBufferSize = 0x6000;
inline constexpr const char* kFpgaAllocFailText = "Memory Can't Open 32K Byte";
inline constexpr const char* kFpgaOpenFailText = "Can't Open File !!";

class FpgaImage {
public:
    using Block = std::array<uint8_t, kFpgaBufferSize>;

    FpgaImage(Messages& messages, OperationFailDisplay& fail);
    virtual ~FpgaImage() = default;

    FpgaImage(const FpgaImage&) = delete;
    FpgaImage& operator=(const FpgaImage&) = delete;

    // Reads the file into a fresh block (at most 0x6000 bytes, the rest 0xFF)
    // and makes it the image. True only when the file was read: the device
    // loader sets FpgaFileMissing from a false result. On failure the image
    // held before stays as it was; allocation and open failures are reported
    // ("Memory Can't Open 32K Byte", "Can't Open File !!") after the
    // operation-fail display.
    bool LoadFpgaFile(const std::string& path);

    // True once a file has been loaded completely: the FpgaBuffer is owned.
    bool Owned() const { return image_ != nullptr; }
    uint8_t FpgaBufferOwned() const { return Owned() ? 1 : 0; }

    // The whole image; only valid while Owned().
    std::span<const uint8_t, kFpgaBufferSize> Data() const;

    // Drops the image (program exit, tests).
    void Release();

protected:
    // The one allocation of a load; a test subclass returns nullptr to play a
    // failed allocation.
    virtual std::unique_ptr<Block> AllocateBlock();

private:
    Messages& messages_;
    OperationFailDisplay& fail_;
    std::unique_ptr<Block> image_;
};

}  // namespace burnmark
