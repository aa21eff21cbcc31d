// Fuzzes the tektronix reader through both passes.
#include "buffer/formats/tektronix_hex.h"
#include "reader_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace burnmark;
    fuzzing::RunReader<TektronixHexReader>(LoadTektronixHex, data, size);
    return 0;
}
