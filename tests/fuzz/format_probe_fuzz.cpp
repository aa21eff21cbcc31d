// Fuzzes the three format probes, on whole files and on heads, detection in
// every mode and the .exe header strip.
#include "buffer/formats/binary_image.h"
#include "buffer/formats/detect_file.h"
#include "buffer/formats/intel_hex.h"
#include "buffer/formats/motorola_hex.h"
#include "buffer/formats/tektronix_hex.h"
#include "reader_harness.h"

using namespace burnmark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    QuietMessages messages;
    const std::span<const uint8_t> block(data, size);
    for (BlockExtent extent : {BlockExtent::WholeFile, BlockExtent::Head}) {
        const LoadFormat found = DetectHexFormat(messages, ProbeMode::Silent, block, extent);
        for (ProbeMode mode : {ProbeMode::Silent, ProbeMode::ShowNo, ProbeMode::ShowYes}) {
            // A probe's answer does not depend on its mode.
            const bool intel = IsIntelHexFile(messages, mode, block);
            const bool motorola = IsMotorolaHexFile(messages, mode, block, extent);
            const bool tek = IsTektronixHexFile(messages, mode, block);
            fuzzing::Check(found == (intel      ? LoadFormat::IntelHex
                                     : motorola ? LoadFormat::Motorola
                                     : tek      ? LoadFormat::Tektronix
                                                : LoadFormat::Auto));
        }
    }
    // A whole file that passes the Motorola probe passes it as a head too.
    if (IsMotorolaHexFile(messages, ProbeMode::Silent, block, BlockExtent::WholeFile)) {
        fuzzing::Check(IsMotorolaHexFile(messages, ProbeMode::Silent, block, BlockExtent::Head));
    }
    std::span<const uint8_t> view = block;
    const bool stripped = StripExeHeader(view, messages);
    fuzzing::Check(stripped == (size >= kExeHeaderBytes));
    fuzzing::Check(view.size() == (stripped ? size - kExeHeaderBytes : size));
    return 0;
}
