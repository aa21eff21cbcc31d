// The sizes the data buffer is given for the selected device: the device
// loader decides them, the load dialog raises them, the start-up restore
// clears the loaded size. Within one run the buffer never shrinks.
#pragma once

#include <cstdint>

namespace burnmark {

struct BufferSizing {
    // The size chosen for the device; 0 until a device was sized.
    uint32_t BufferSize = 0;
    // The size set by earlier sizing and file loads.
    uint32_t LoadedBufferSize = 0;
};

}  // namespace burnmark
