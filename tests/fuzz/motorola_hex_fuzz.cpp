// Fuzzes the motorola reader through both passes.
#include "buffer/formats/motorola_hex.h"
#include "reader_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    burnmark::fuzzing::RunReader(burnmark::LoadMotorolaHex, data, size);
    return 0;
}
