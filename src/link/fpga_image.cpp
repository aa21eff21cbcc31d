#include "link/fpga_image.h"

#include <cstdio>
#include <new>

namespace burnmark {

FpgaImage::FpgaImage(Messages& messages, OperationFailDisplay& fail)
    : messages_(messages), fail_(fail) {}

std::unique_ptr<FpgaImage::Block> FpgaImage::AllocateBlock() {
    return std::unique_ptr<Block>(new (std::nothrow) Block);
}

bool FpgaImage::LoadFpgaFile(const std::string& path) {
    // The old image stays until the new one is complete, so that a failure
    // never leaves a freed or half-filled block behind.
    std::unique_ptr<Block> fresh;
    try {
        fresh = AllocateBlock();
    } catch (const std::bad_alloc&) {
        fresh.reset();
    }
    if (!fresh) {
        fail_.ShowOperationFail();
        messages_.ShowMessage(kFpgaAllocFailText);
        return false;
    }
    fresh->fill(0xFF);

    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        fail_.ShowOperationFail();
        messages_.ShowMessage(kFpgaOpenFailText);
        return false;
    }
    // A longer file gives only its first 0x6000 bytes.
    std::fread(fresh->data(), 1, fresh->size(), file);
    const bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    if (readFailed) {
        fail_.ShowOperationFail();
        messages_.ShowMessage(kFpgaOpenFailText);
        return false;
    }

    image_ = std::move(fresh);
    return true;
}

std::span<const uint8_t, kFpgaBufferSize> FpgaImage::Data() const {
    static const Block kNone = [] {
        Block b;
        b.fill(0xFF);
        return b;
    }();
    // Never read through a missing block; callers check Owned() first.
    return image_ ? std::span<const uint8_t, kFpgaBufferSize>(*image_)
                  : std::span<const uint8_t, kFpgaBufferSize>(kNone);
}

void FpgaImage::Release() {
    image_.reset();
}

}  // namespace burnmark
