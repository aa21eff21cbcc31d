// Fuzzes the three format probes, on whole files and on heads, detection in
// every mode, the probes over the file in small windows, and the .exe header
// strip.
#include "buffer/formats/binary_image.h"
#include "buffer/formats/detect_file.h"
#include "buffer/formats/intel_hex.h"
#include "buffer/formats/motorola_hex.h"
#include "buffer/formats/tektronix_hex.h"
#include "buffer/formats/text_windows.h"
#include "reader_harness.h"

using namespace burnmark;

namespace {

// The probe's answer over the block in windows of window bytes.
template <class Probe>
bool ProbeInWindows(std::span<const uint8_t> block, std::size_t window) {
    Probe probe;
    TextWindows windows(window);
    const TextRead read = [block](uint64_t offset, std::span<uint8_t> into) {
        std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(offset), into.size(), into.begin());
        return 0;
    };
    fuzzing::Check(windows.Feed(probe, block.size(), read) == 0);
    return probe.Answer();
}

}  // namespace

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
    // Windows of 1 to 64 bytes cut the records everywhere.
    const std::size_t window = size > 0 ? 1 + data[size - 1] % 64 : 1;
    fuzzing::Check(ProbeInWindows<IntelHexProbe>(block, window) ==
                   IsIntelHexFile(messages, ProbeMode::Silent, block));
    fuzzing::Check(ProbeInWindows<MotorolaHexProbe>(block, window) ==
                   IsMotorolaHexFile(messages, ProbeMode::Silent, block));
    fuzzing::Check(ProbeInWindows<TektronixHexProbe>(block, window) ==
                   IsTektronixHexFile(messages, ProbeMode::Silent, block));
    std::span<const uint8_t> view = block;
    const bool stripped = StripExeHeader(view, messages);
    fuzzing::Check(stripped == (size >= kExeHeaderBytes));
    fuzzing::Check(view.size() == (stripped ? size - kExeHeaderBytes : size));
    return 0;
}
