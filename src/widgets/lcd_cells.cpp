#include "widgets/lcd_cells.h"

#include <algorithm>

namespace burnmark {

bool LcdText::SetText(std::span<const uint8_t> block) {
    if (block.size() < kLcdTextBytes) return false;
    std::copy_n(block.begin(), kLcdTextBytes, bytes_.begin());
    return true;
}

}  // namespace burnmark
