// Runs one record reader the way the load flow does (extent pass, then the
// store pass into an image that holds what the extent pass found, and into
// the caller's bytes) and checks what a caller relies on; then runs it again
// over the text given in small windows, which must change nothing.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "buffer/formats/record_scan.h"
#include "buffer/formats/text_windows.h"
#include "platform/quiet_ports.h"

namespace burnmark::fuzzing {


using Reader = bool (*)(const ReaderPorts&, ReadPass, ParsedImage&, uint64_t,
                        std::span<const uint8_t>, const FillSettings&);

// Images beyond this are not built here: the fuzzer should spend its time on
// parsing, not on filling hundreds of megabytes.
inline constexpr uint64_t kLargestStoredImage = 1u << 20;

inline void Check(bool ok) {
    if (!ok) std::abort();
}

// The reader's two passes over the text in windows of window bytes.
template <class ReaderClass>
bool ReadInWindows(const ReaderPorts& ports, ReadPass pass, ParsedImage& image, uint64_t imageSize,
                   std::span<const uint8_t> file, const FillSettings& fill, std::size_t window) {
    ReaderClass reader(ports, pass, image, imageSize, file.size(), fill);
    TextWindows windows(window);
    const TextRead read = [file](uint64_t offset, std::span<uint8_t> into) {
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), into.size(), into.begin());
        return 0;
    };
    int readError = 0;
    const bool ok = ReadText(
        reader, [&](TextScan& scan) { return windows.Feed(scan, file.size(), read); }, readError);
    Check(readError == 0);
    return ok;
}

template <class ReaderClass>
inline void RunReader(Reader read, const uint8_t* data, std::size_t size) {
    QuietMessages messages;
    QuietProgress progress;
    QuietPump pump;
    int64_t now = 0;
    const ReaderPorts ports{messages, progress, pump, [&now] { return now += 7; }};
    const std::span<const uint8_t> file(data, size);
    const FillSettings fill{size > 0 && (data[0] & 1), static_cast<uint8_t>(size ? data[0] : 0)};

    ParsedImage extent;
    const bool extentOk = read(ports, ReadPass::Extent, extent, 0x2400, file, fill);
    Check(!progress.shown);
    Check(extent.Image.empty());
    // Windows of 1 to 64 bytes cut the records everywhere.
    const std::size_t window = size > 0 ? 1 + data[size - 1] % 64 : 1;
    ParsedImage windowed;
    Check(ReadInWindows<ReaderClass>(ports, ReadPass::Extent, windowed, 0x2400, file, fill,
                                     window) == extentOk);
    Check(!progress.shown);
    if (!extentOk) return;
    Check(windowed.HighAddress == extent.HighAddress && windowed.LowAddress == extent.LowAddress);
    Check(extent.LowAddress <= extent.HighAddress);
    Check(extent.HighAddress < kMaxImageSize);

    uint64_t imageSize = 0x2400;
    if (extent.HighAddress >= imageSize) imageSize = uint64_t{extent.HighAddress} + 1024;
    if (imageSize > kLargestStoredImage) return;
    ParsedImage stored;
    const bool storeOk = read(ports, ReadPass::Store, stored, imageSize, file, fill);
    Check(!progress.shown);
    // The store pass sees what the extent pass saw: same verdict, same range.
    Check(storeOk);
    Check(stored.HighAddress == extent.HighAddress);
    Check(stored.LowAddress == extent.LowAddress);
    Check(stored.Image.size() >= imageSize && stored.HighAddress < stored.Image.size());
    ParsedImage storedInWindows;
    Check(ReadInWindows<ReaderClass>(ports, ReadPass::Store, storedInWindows, imageSize, file, fill,
                                     window));
    Check(storedInWindows.HighAddress == stored.HighAddress);
    Check(storedInWindows.Image == stored.Image);

    // The store pass into the caller's bytes, as the load flow runs it into
    // the buffer: the same image, and nothing written around it.
    const std::size_t length = std::size_t{stored.HighAddress} + 1;
    constexpr std::size_t kGuard = 32;
    std::vector<uint8_t> room(length + 2 * kGuard, 0xA5);
    ParsedImage placed;
    placed.Target = std::span<uint8_t>(room).subspan(kGuard, length);
    Check(read(ports, ReadPass::Store, placed, imageSize, file, fill));
    Check(!progress.shown);
    Check(placed.Image.empty());
    Check(placed.HighAddress == stored.HighAddress);
    Check(std::equal(room.begin() + kGuard, room.begin() + kGuard + length, stored.Image.begin()));
    Check(std::all_of(room.begin(), room.begin() + kGuard, [](uint8_t b) { return b == 0xA5; }));
    Check(std::all_of(room.end() - kGuard, room.end(), [](uint8_t b) { return b == 0xA5; }));
}

}  // namespace burnmark::fuzzing
