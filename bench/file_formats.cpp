// Load and save speed of the data file formats, through the program's own
// Load and Save flows (LoadFlow::RunLoad, SaveFlow::RunSave) over the whole
// core, as the window runs them.
//
//   bench_file_formats                       every text format: 16 MB saved, then loaded back
//   bench_file_formats load FILE [EXPECTED]  loads FILE with auto-detection into the buffer of a
//                                            small device (64 KB), as the window does; with
//                                            EXPECTED (a binary file) the loaded bytes are checked
//   bench_file_formats save FORMAT DATA OUT  puts the binary file DATA into the buffer, then saves
//                                            all of it as FORMAT to OUT
//
// FORMAT: intel, s19, s28, s37, tek, bin. The load and save modes print the
// seconds the flow took (only the flow: putting the data into the buffer and
// checking it are not timed) and the final buffer length in bytes, so that a
// script can run them under /usr/bin/time for their peak memory
// (bench/compare_srec_cat.sh).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "flow/load_flow.h"
#include "flow/save_flow.h"
#include "platform/quiet_ports.h"
#include "shell/program_core.h"

using namespace burnmark;

namespace {

// No programmer on the bench: every transfer fails, as with the cable out.


class NoProcesses : public ProcessStarter {
public:
    bool StartDetached(const std::string&) override { return false; }
};

// The whole core over quiet ports, in an application directory of its own.
// Message boxes answer OK (the load's "Resize to" question included).
class Bench {
public:
    Bench()
        : dir_(MakeDir()),
          core_((state_.AppDir = dir_, state_),
                CorePorts{usb_, messages_, sounds_, pump_, progress_, processes_}) {
        // The buffer of a small 8-bit device; a load grows it as it needs.
        core_.Buffer().SetBufferSize(0x10000);
    }
    ~Bench() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    ProgramCore& Core() { return core_; }
    QuietMessages& Messages() { return messages_; }

private:
    static std::string MakeDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench_ff.XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        return pattern + "/";
    }

    std::string dir_;
    AppState state_;
    NoProgrammer usb_;
    QuietMessages messages_{/*echo=*/false};
    QuietSounds sounds_;
    QuietPump pump_;
    QuietProgress progress_;
    NoProcesses processes_;
    ProgramCore core_;
};

bool ParseFormat(const std::string& s, SaveFormat& f) {
    if (s == "intel")
        f = SaveFormat::IntelHex;
    else if (s == "s19")
        f = SaveFormat::MotorolaS1;
    else if (s == "s28")
        f = SaveFormat::MotorolaS2;
    else if (s == "s37")
        f = SaveFormat::MotorolaS3;
    else if (s == "tek")
        f = SaveFormat::Tektronix;
    else if (s == "bin")
        f = SaveFormat::Binary;
    else
        return false;
    return true;
}

double Seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    bytes.resize(static_cast<std::size_t>(size));
    if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
    std::fclose(f);
    return bytes;
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

// The buffer holds data from address 0 (untimed).
bool PutIntoBuffer(DataBuffer& buffer, std::span<const uint8_t> data) {
    if (data.size() + DataBuffer::kLengthSlack > buffer.GetBufferSize() &&
        !buffer.SetBufferSize(static_cast<uint32_t>(data.size())))
        return false;
    BufferLock lock = buffer.GetBufferHandle();
    std::memcpy(lock.data(), data.data(), data.size());
    return true;
}

bool SameBytes(DataBuffer& buffer, std::span<const uint8_t> expected) {
    BufferLock lock = buffer.GetBufferHandle();
    return lock.size() >= expected.size() &&
           std::memcmp(lock.data(), expected.data(), expected.size()) == 0;
}

// One load as the dialog's Load button hands it over: the whole file,
// auto-detection, destination 0, no fill. The seconds of the flow, or < 0.
double TimedLoad(Bench& bench, const std::string& path) {
    LoadSettings s;
    s.OK = 1;
    s.Name = path;
    s.SourceSAdd = 0;
    s.SourceEAdd = static_cast<int32_t>(GetFileSizeByName(path)) - 1;
    s.Format = static_cast<int32_t>(LoadFormat::Auto);
    s.UserFill = 0xFF;
    const auto t = std::chrono::steady_clock::now();
    const LoadEnd end = bench.Core().Loader().RunLoad(s);
    const double seconds = Seconds(t);
    if (end != LoadEnd::Loaded) {
        for (const auto& text : bench.Messages().boxes) std::fprintf(stderr, "%s\n", text.c_str());
        return -1;
    }
    return seconds;
}

double TimedSave(Bench& bench, SaveFormat f, uint64_t length, const std::string& out) {
    SaveSettings s;
    s.Name = out;
    s.SourceSAdd = 0;
    s.SourceEAdd = static_cast<int64_t>(length) - 1;
    s.Format = f;
    const auto t = std::chrono::steady_clock::now();
    const SaveEnd end = bench.Core().Saver().RunSave(s);
    const double seconds = Seconds(t);
    if (end != SaveEnd::Saved) {
        for (const auto& text : bench.Messages().boxes) std::fprintf(stderr, "%s\n", text.c_str());
        return -1;
    }
    return seconds;
}

int LoadMode(const std::string& path, const char* expectedPath) {
    Bench bench;
    const double seconds = TimedLoad(bench, path);
    if (seconds < 0) return 1;
    if (expectedPath && !SameBytes(bench.Core().Buffer(), ReadFile(expectedPath))) {
        std::fprintf(stderr, "%s: the loaded bytes differ from %s\n", path.c_str(), expectedPath);
        return 1;
    }
    std::printf("%.6f %u\n", seconds, bench.Core().Buffer().GetBufferSize());
    return 0;
}

int SaveMode(SaveFormat f, const std::string& dataPath, const std::string& out) {
    Bench bench;
    const std::vector<uint8_t> data = ReadFile(dataPath);
    if (data.empty() || !PutIntoBuffer(bench.Core().Buffer(), data)) {
        std::fprintf(stderr, "cannot put %s into the buffer\n", dataPath.c_str());
        return 1;
    }
    const double seconds = TimedSave(bench, f, data.size(), out);
    if (seconds < 0) return 1;
    std::printf("%.6f %u\n", seconds, bench.Core().Buffer().GetBufferSize());
    return 0;
}

int AllFormats() {
    constexpr uint64_t kTotal = 16ull << 20;
    const auto data = Generate(kTotal);
    const SaveFormat formats[] = {SaveFormat::IntelHex,   SaveFormat::MotorolaS1,
                                  SaveFormat::MotorolaS2, SaveFormat::MotorolaS3,
                                  SaveFormat::Tektronix,  SaveFormat::Binary};
    const char* names[] = {"Intel HEX",   "Motorola S1", "Motorola S2",
                           "Motorola S3", "Tektronix",   "binary"};
    std::printf("%-12s %9s %9s %11s %11s\n", "format", "data MB", "text MB", "save MB/s",
                "load MB/s");
    for (int k = 0; k < 6; ++k) {
        const SaveFormat f = formats[k];
        // S1 and Tektronix addresses reach 64 KB.
        const uint64_t length = std::min<uint64_t>(kTotal, MaxSaveLength(f));
        const std::span<const uint8_t> part(data.data(), length);
        const std::string path =
            (std::filesystem::temp_directory_path() / ("bench_file_formats." + std::to_string(k)))
                .string();
        double save = 0;
        {
            Bench bench;
            if (!PutIntoBuffer(bench.Core().Buffer(), part)) return 1;
            save = TimedSave(bench, f, length, path);
            if (save < 0) return 1;
        }
        Bench bench;
        const double load = TimedLoad(bench, path);
        if (load < 0) return 1;
        if (!SameBytes(bench.Core().Buffer(), part)) {
            std::fprintf(stderr, "%s: loaded bytes differ\n", names[k]);
            return 1;
        }
        const double textMb = std::filesystem::file_size(path) / 1048576.0;
        std::filesystem::remove(path);
        std::printf("%-12s %9.2f %9.2f %11.0f %11.0f\n", names[k], length / 1048576.0, textMb,
                    length / 1048576.0 / save, length / 1048576.0 / load);
    }
    std::printf("(MB/s of data bytes; saves include the fsync of the atomic writer)\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return AllFormats();
    const std::string mode = argv[1];
    if (mode == "load" && (argc == 3 || argc == 4))
        return LoadMode(argv[2], argc == 4 ? argv[3] : nullptr);
    SaveFormat f;
    if (mode == "save" && argc == 5 && ParseFormat(argv[2], f))
        return SaveMode(f, argv[3], argv[4]);
    std::fprintf(stderr,
                 "usage: %s [load FILE [EXPECTED] | save FORMAT DATA OUT]\n"
                 "FORMAT: intel s19 s28 s37 tek bin\n",
                 argv[0]);
    return 2;
}
