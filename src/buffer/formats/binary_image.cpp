#include "buffer/formats/binary_image.h"

namespace burnmark {

bool StripExeHeader(std::span<const uint8_t>& block, Messages& messages) {
    if (block.size() < kExeHeaderBytes) {
        messages.MessageBox("Format Error !", "Load", MsgButtons::Ok, MsgIcon::None);
        return false;
    }
    block = block.subspan(kExeHeaderBytes);
    return true;
}

}  // namespace burnmark
