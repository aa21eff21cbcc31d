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

namespace {

template <class Probe>
bool Answer(const TextFeed& feed, int& readError) {
    Probe probe;
    readError = feed(probe);
    return probe.Answer();
}

}  // namespace

std::optional<bool> ProbeFormat(Messages& messages, LoadFormat format, ProbeMode mode,
                                const TextFeed& feed, int& readError) {
    readError = 0;
    bool yes = false;
    const char* name = "";
    switch (format) {
        case LoadFormat::IntelHex:
            yes = Answer<IntelHexProbe>(feed, readError);
            name = "Intel";
            break;
        case LoadFormat::Motorola:
            yes = Answer<MotorolaHexProbe>(feed, readError);
            name = "Motorola";
            break;
        case LoadFormat::Tektronix:
            yes = Answer<TektronixHexProbe>(feed, readError);
            name = "Tektronix";
            break;
        default: return false;
    }
    if (readError != 0) return std::nullopt;
    return ProbeVerdict(messages, mode, name, yes);
}

std::optional<LoadFormat> DetectHexFormat(Messages& messages, ProbeMode mode,
                                          const TextFeed& feed, int& readError) {
    for (LoadFormat f : {LoadFormat::IntelHex, LoadFormat::Motorola, LoadFormat::Tektronix}) {
        const std::optional<bool> yes = ProbeFormat(messages, f, mode, feed, readError);
        if (!yes) return std::nullopt;
        if (*yes) return f;
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
