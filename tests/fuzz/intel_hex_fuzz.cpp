// Fuzzes the intel reader through both passes.
#include "buffer/formats/intel_hex.h"
#include "reader_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace burnmark;
    fuzzing::RunReader<IntelHexReader>(LoadIntelHex, data, size);
    return 0;
}
