// Load and save speed of the data file formats.
//
//   bench_file_formats                      16 MB in every text format: save, then load back
//   bench_file_formats save FORMAT OUT MB   saves MB megabytes of generated data
//   bench_file_formats load FORMAT FILE     loads a file as the load flow does
//
// FORMAT: intel, s19, s28, s37, tek. S19 and Tektronix records reach 64 KB, so
// their 16 MB figure is 256 saves (or loads) of 64 KB. The load mode keeps the
// file, the image and a data buffer alive together, as the load flow does, so
// that /usr/bin/time shows its real peak memory.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "buffer/formats/file_writers.h"
#include "buffer/formats/intel_hex.h"
#include "buffer/formats/motorola_hex.h"
#include "buffer/formats/tektronix_hex.h"
#include "platform/quiet_ports.h"

using namespace burnmark;

namespace {


QuietMessages gMessages{/*echo=*/true};
QuietProgress gProgress;
QuietPump gPump;

using Reader = bool (*)(const ReaderPorts&, ReadPass, ParsedImage&, uint64_t,
                        std::span<const uint8_t>, const FillSettings&);

Reader ReaderOf(SaveFormat f) {
    switch (f) {
        case SaveFormat::IntelHex: return LoadIntelHex;
        case SaveFormat::Tektronix: return LoadTektronixHex;
        default: return LoadMotorolaHex;
    }
}


bool ParseFormat(const std::string& s, SaveFormat& f) {
    if (s == "intel") f = SaveFormat::IntelHex;
    else if (s == "s19") f = SaveFormat::MotorolaS1;
    else if (s == "s28") f = SaveFormat::MotorolaS2;
    else if (s == "s37") f = SaveFormat::MotorolaS3;
    else if (s == "tek") f = SaveFormat::Tektronix;
    else return false;
    return true;
}

std::vector<uint8_t> Generate(std::size_t n) {
    std::vector<uint8_t> v(n);
    std::mt19937_64 random(12345);
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
        const uint64_t r = random();
        std::memcpy(v.data() + i, &r, 8);
    }
    return v;
}

double Seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

std::vector<uint8_t> ReadFile(const char* path) {
    std::vector<uint8_t> bytes;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return bytes;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    bytes.resize(static_cast<std::size_t>(size));
    if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
    std::fclose(f);
    return bytes;
}

// The load flow's two passes and placement: file, image and buffer together.
bool LoadLikeTheFlow(SaveFormat f, std::span<const uint8_t> file, std::vector<uint8_t>& buffer) {
    const ReaderPorts ports{gMessages, gProgress, gPump};
    const Reader read = ReaderOf(f);
    ParsedImage extent;
    if (!read(ports, ReadPass::Extent, extent, buffer.size(), file, {})) return false;
    if (extent.HighAddress >= buffer.size()) buffer.resize(uint64_t{extent.HighAddress} + 1024);
    ParsedImage image;
    if (!read(ports, ReadPass::Store, image, buffer.size(), file, {})) return false;
    std::memcpy(buffer.data(), image.Image.data(), uint64_t{image.HighAddress} + 1);
    return true;
}

int SaveMode(SaveFormat f, const char* out, uint64_t megabytes) {
    const uint64_t size = std::min<uint64_t>(megabytes << 20, MaxSaveLength(f));
    const auto data = Generate(size);
    const auto t = std::chrono::steady_clock::now();
    SaveSettings s;
    s.Name = out;
    s.SourceSAdd = 0;
    s.SourceEAdd = static_cast<int64_t>(size) - 1;
    s.Format = f;
    const SaveResult r = SaveBufferToFile(s, data, gProgress);
    if (!r) {
        std::fprintf(stderr, "save failed: %s\n", r.message.c_str());
        return 1;
    }
    std::printf("saved %.1f MB in %.3f s\n", size / 1048576.0, Seconds(t));
    return 0;
}

int LoadMode(SaveFormat f, const char* path) {
    const auto t = std::chrono::steady_clock::now();
    const auto file = ReadFile(path);
    if (file.empty()) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }
    std::vector<uint8_t> buffer(64 * 1024 + 1024, 0xFF);
    if (!LoadLikeTheFlow(f, file, buffer)) return 1;
    std::printf("loaded %.1f MB of text into %.1f MB in %.3f s\n", file.size() / 1048576.0,
                buffer.size() / 1048576.0, Seconds(t));
    return 0;
}

int AllFormats() {
    constexpr uint64_t kTotal = 16ull << 20;
    const auto data = Generate(kTotal);
    const SaveFormat formats[] = {SaveFormat::IntelHex, SaveFormat::MotorolaS1,
                                  SaveFormat::MotorolaS2, SaveFormat::MotorolaS3,
                                  SaveFormat::Tektronix};
    const char* names[] = {"Intel HEX", "Motorola S1", "Motorola S2", "Motorola S3", "Tektronix"};
    std::printf("%-12s %10s %12s %12s %12s\n", "format", "text MB", "save MB/s", "load MB/s",
                "file MB/s");
    for (int k = 0; k < 5; ++k) {
        const SaveFormat f = formats[k];
        const uint64_t piece = std::min<uint64_t>(kTotal, MaxSaveLength(f));
        const uint64_t pieces = kTotal / piece;
        const std::string path = "/tmp/bench_file_formats." + std::to_string(k);

        auto t = std::chrono::steady_clock::now();
        uint64_t textBytes = 0;
        for (uint64_t p = 0; p < pieces; ++p) {
            SaveSettings s;
            s.Name = path;
            s.SourceSAdd = static_cast<int64_t>(p * piece);
            s.SourceEAdd = static_cast<int64_t>(p * piece + piece - 1);
            s.Format = f;
            if (!SaveBufferToFile(s, data, gProgress)) return 1;
        }
        const double saveSeconds = Seconds(t);

        const auto file = ReadFile(path.c_str());
        textBytes = file.size() * pieces;
        t = std::chrono::steady_clock::now();
        for (uint64_t p = 0; p < pieces; ++p) {
            std::vector<uint8_t> buffer(64 * 1024 + 1024, 0xFF);
            if (!LoadLikeTheFlow(f, file, buffer)) return 1;
            // The file holds the last piece saved, its addresses from 0.
            if (std::memcmp(buffer.data(), data.data() + (pieces - 1) * piece, piece) != 0) {
                std::fprintf(stderr, "%s: loaded bytes differ\n", names[k]);
                return 1;
            }
        }
        const double loadSeconds = Seconds(t);
        std::remove(path.c_str());
        std::printf("%-12s %10.1f %12.0f %12.0f %12.0f\n", names[k], textBytes / 1048576.0,
                    kTotal / 1048576.0 / saveSeconds, kTotal / 1048576.0 / loadSeconds,
                    textBytes / 1048576.0 / loadSeconds);
    }
    std::printf("(MB/s of data bytes; file MB/s: text bytes parsed per second)\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return AllFormats();
    SaveFormat f;
    if (argc >= 4 && ParseFormat(argv[2], f)) {
        if (std::strcmp(argv[1], "save") == 0 && argc == 5)
            return SaveMode(f, argv[3], std::strtoull(argv[4], nullptr, 10));
        if (std::strcmp(argv[1], "load") == 0) return LoadMode(f, argv[3]);
    }
    std::fprintf(stderr,
                 "usage: %s [save FORMAT OUT MB | load FORMAT FILE]\n"
                 "FORMAT: intel s19 s28 s37 tek\n",
                 argv[0]);
    return 2;
}
