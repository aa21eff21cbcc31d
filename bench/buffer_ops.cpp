// Buffer operations on a 64 MB buffer, in bytes per second, beside plain
// memset / memcpy of the same size as the memory-speed yardstick.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "buffer/data_buffer.h"
#include "platform/ports.h"
#include "platform/quiet_ports.h"

namespace {

using burnmark::DataBuffer;
using burnmark::DataMode;


class CountingProgress : public burnmark::Progress {
public:
    void SetCaption(const std::string&) override {}
    void Show() override {}
    void Close() override {}
    bool Shown() const override { return false; }
    void ProgressSetPosition(int p) override { position = p; }
    void ProgressStep() override { ++steps; }
    void ProgressFinish() override {}
    int position = 0;
    long steps = 0;
};

constexpr uint32_t kSize = 64u << 20;
constexpr int kRounds = 5;

// Best of kRounds, so that page faults of the first touch do not count.
double BestSeconds(const std::function<void()>& setup, const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < kRounds; ++i) {
        if (setup) setup();
        const auto t0 = std::chrono::steady_clock::now();
        work();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    }
    return best;
}

void Report(const char* name, double bytes, double seconds, long steps = -1) {
    std::printf("%-34s %9.1f ms %9.2f GB/s", name, seconds * 1e3, bytes / seconds / 1e9);
    if (steps >= 0) std::printf("   %ld progress steps", steps);
    std::printf("\n");
}

}  // namespace

int main() {
    burnmark::QuietMessages messages{/*echo=*/true};
    CountingProgress progress;

    // Yardsticks.
    {
        std::vector<uint8_t> a(kSize, 1), b(kSize, 2);
        Report("memset (yardstick)", kSize,
               BestSeconds(nullptr, [&] { std::memset(a.data(), 0x5A, kSize); }));
        Report("memcpy (yardstick)", kSize,
               BestSeconds(nullptr, [&] { std::memcpy(b.data(), a.data(), kSize); }));
        // A fresh block costs its first-touch page faults, whoever writes it.
        Report("new block + memcpy (yardstick)", kSize, BestSeconds(nullptr, [&] {
                   std::vector<uint8_t> fresh(a.begin(), a.end());
                   if (fresh[1] != a[1]) std::abort();
               }));
    }

    // Growth from the fresh 8 KB buffer to 64 MB, then by 1 KB more: the
    // block is reserved exactly, so each growth copies the old bytes once.
    {
        double grow = 1e30, step = 1e30;
        for (int i = 0; i < kRounds; ++i) {
            DataBuffer fresh(messages, progress, "/nonexistent/History_1.ini");
            auto t0 = std::chrono::steady_clock::now();
            if (!fresh.SetBufferSize(kSize)) return 1;
            auto t1 = std::chrono::steady_clock::now();
            if (!fresh.SetBufferSize(kSize + 1024)) return 1;
            auto t2 = std::chrono::steady_clock::now();
            grow = std::min(grow, std::chrono::duration<double>(t1 - t0).count());
            step = std::min(step, std::chrono::duration<double>(t2 - t1).count());
            if (fresh.BlockSize() != std::size_t{kSize} + 1024 + DataBuffer::kBlockSlack) {
                std::fprintf(stderr, "block not exact: %zu\n", fresh.BlockSize());
                return 1;
            }
        }
        Report("SetBufferSize 8 KB -> 64 MB", kSize, grow);
        Report("SetBufferSize 64 MB -> +1 KB", kSize, step);
    }

    DataBuffer buffer(messages, progress, "/nonexistent/History_1.ini");
    if (!buffer.SetBufferSize(kSize)) return 1;
    const uint32_t last = kSize - 1;  // inclusive end of the device part
    auto resetSteps = [&] { progress.steps = 0; };

    double s = BestSeconds(resetSteps, [&] { buffer.FillBuffer(0, last, 0xA5); });
    Report("FillBuffer", kSize, s, progress.steps);

    s = BestSeconds(resetSteps, [&] { buffer.FillBufferWord(0, last, 0x12AB); });
    Report("FillBufferWord", kSize, s, progress.steps);

    s = BestSeconds(resetSteps, [&] { buffer.GetSum(0, last, 0); });
    Report("GetSum", kSize, s, progress.steps);

    const uint32_t half = kSize / 2;
    s = BestSeconds(nullptr, [&] { buffer.BlockCopy(0, half - 1, half); });
    Report("BlockCopy 32 MB apart", half, s);
    s = BestSeconds(nullptr, [&] { buffer.BlockCopy(0, half - 1, half / 2); });
    Report("BlockCopy 32 MB overlap forwards", half, s);
    s = BestSeconds(nullptr, [&] { buffer.BlockCopy(half / 2, half / 2 + half - 1, 0); });
    Report("BlockCopy 32 MB overlap backwards", half, s);
    s = BestSeconds(nullptr, [&] { buffer.BlockMove(0, half - 1, half / 2); });
    Report("BlockMove 32 MB overlap forwards", half, s);
    s = BestSeconds(nullptr, [&] { buffer.BlockExchange(0, half - 1, half); });
    Report("BlockExchange 32 MB apart", half, s);

    const uint32_t length = buffer.GetBufferSize();
    s = BestSeconds(resetSteps, [&] { buffer.SetDataMode(DataMode::SwapByte); });
    Report("SetDataMode Swap Byte", length, s, progress.steps);
    s = BestSeconds(
        [&] {
            buffer.FillPattern(0, last, 1);
            resetSteps();
        },
        [&] { buffer.SetDataMode(DataMode::Even); });
    Report("SetDataMode Even", length, s, progress.steps);
    s = BestSeconds(
        [&] {
            buffer.FillPattern(0, last, 1);
            resetSteps();
        },
        [&] { buffer.SetDataMode(DataMode::Odd); });
    Report("SetDataMode Odd", length, s, progress.steps);

    s = BestSeconds(resetSteps, [&] { buffer.FillPattern(0, last, 1); });
    Report("FillPattern address bytes", kSize, s, progress.steps);
    s = BestSeconds(resetSteps, [&] { buffer.FillPattern(0, last, 2); });
    Report("FillPattern address words", kSize, s, progress.steps);

    const std::vector<uint8_t> image(kSize - 4096, 0x3C);
    s = BestSeconds(resetSteps,
                    [&] { buffer.PlaceLoadedDataFill(image, image.size(), 0xFF, 2048); });
    Report("PlaceLoadedDataFill 64 MB", length, s, progress.steps);
    return 0;
}
