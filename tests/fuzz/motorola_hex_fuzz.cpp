// Fuzzes the motorola reader through both passes.
#include "buffer/formats/motorola_hex.h"
#include "reader_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace burnmark;
    fuzzing::RunReader<MotorolaHexReader>(LoadMotorolaHex, data, size);
    return 0;
}
