#include "buffer/formats/detect_file.h"

#include <algorithm>
#include <cstdio>

#include "buffer/formats/intel_hex.h"
#include "buffer/formats/motorola_hex.h"
#include "buffer/formats/tektronix_hex.h"

namespace burnmark {

bool ProbeFormat(Messages& messages, LoadFormat format, ProbeMode mode,
                 std::span<const uint8_t> block, BlockExtent extent) {
    switch (format) {
        case LoadFormat::IntelHex: return IsIntelHexFile(messages, mode, block);
        case LoadFormat::Motorola: return IsMotorolaHexFile(messages, mode, block, extent);
        case LoadFormat::Tektronix: return IsTektronixHexFile(messages, mode, block);
        default: return false;
    }
}

LoadFormat DetectHexFormat(Messages& messages, ProbeMode mode, std::span<const uint8_t> block,
                           BlockExtent extent) {
    for (LoadFormat f : {LoadFormat::IntelHex, LoadFormat::Motorola, LoadFormat::Tektronix}) {
        if (ProbeFormat(messages, f, mode, block, extent)) return f;
    }
    return LoadFormat::Auto;
}

std::optional<FileHead> ReadFileHead(const std::string& path, std::size_t maxBytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    FileHead head;
    head.bytes.resize(maxBytes + 1);  // one more tells whether the file goes on
    const std::size_t got = std::fread(head.bytes.data(), 1, head.bytes.size(), f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    head.extent = got > maxBytes ? BlockExtent::Head : BlockExtent::WholeFile;
    head.bytes.resize(std::min(got, maxBytes));
    return head;
}

}  // namespace burnmark
