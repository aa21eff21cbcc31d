#include "buffer/formats/intel_hex.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "buffer/formats/text_block.h"

namespace burnmark {

namespace {

// Characters of a record around its data: ':', count, address, type, checksum.
constexpr std::size_t kRecordFrame = 11;
// Lines the writer makes, CR LF included.
constexpr std::size_t kBaseRecordChars = 17;
constexpr std::size_t kDataRecordChars = 77;

}  // namespace

IntelHexReader::IntelHexReader(const ReaderPorts& ports, ReadPass pass, ParsedImage& image,
                               uint64_t imageSize, uint64_t textLength, const FillSettings& fill)
    : RecordReader(ports, pass, image, imageSize, textLength,
                   {"ITL", static_cast<uint8_t>(fill.fillUnused ? fill.userFill : 0), nullptr, 0,
                    true}) {}

std::size_t IntelHexReader::Scan(const TextWindow& window) {
    const uint8_t* p = window.bytes.data();
    const std::size_t n = window.bytes.size();
    std::size_t i = 0;

    // LowAddress stays 0 for Intel: the tally's end alone is kept.
    while (!Done() && hex::SeekTo(p, n, i, ':')) {
        tally_.found = true;
        Pace(window.offset + i);

        if (n - i < kRecordFrame) {
            if (!window.last) return i;
            Stop(ScanOutcome::FormatError);
            break;
        }
        const int count = hex::Pair(p + i + 1);
        const int addrHi = hex::Pair(p + i + 3);
        const int addrLo = hex::Pair(p + i + 5);
        const int type = hex::Pair(p + i + 7);
        if ((count | addrHi | addrLo | type) < 0) {
            Stop(ScanOutcome::FormatError);
            break;
        }
        if (type != 0 && type != 1 && type != 2 && type != 4) {
            // Start addresses (03, 05) and unknown types carry nothing for us.
            ++i;
            continue;
        }
        if ((type == 2 || type == 4) && count < 2) {
            Stop(ScanOutcome::FormatError);
            break;
        }
        const std::size_t recordEnd = i + kRecordFrame + 2 * static_cast<std::size_t>(count);
        if (recordEnd > n) {
            if (!window.last) return i;
            Stop(ScanOutcome::FormatError);
            break;
        }
        const uint8_t* data = p + i + 9;
        unsigned sum = static_cast<unsigned>(count + addrHi + addrLo + type);
        bool good;

        if (type == 0 && count > 0) {
            const uint64_t address =
                segmentBase_ + linearBase_ + (static_cast<unsigned>(addrHi) << 8 | addrLo);
            if (address + count > limit_) {
                Stop(ScanOutcome::OutOfBuffer);
                break;
            }
            if (store_) {
                if (address + count > image_.Size() && !image_.Grow(limit_)) {
                    Stop(ScanOutcome::MemoryError);
                    break;
                }
                good = hex::StoreBytes(data, count, image_.Data() + address, sum);
            } else {
                good = hex::AllDigits(data, 2 * static_cast<std::size_t>(count));
            }
            tally_.end = std::max(tally_.end, address + count);
        } else {
            good = hex::SumBytes(data, count, sum);
        }
        const int checksum = hex::Pair(data + 2 * count);
        if (!good || checksum < 0) {
            Stop(ScanOutcome::FormatError);
            break;
        }
        if (store_ && checksum != static_cast<int>((0x100 - (sum & 0xFF)) & 0xFF)) {
            ++tally_.mismatches;
        }
        i = recordEnd;

        if (type == 1) {
            Stop(ScanOutcome::Ok);
            break;
        }
        if (type == 2 || type == 4) {
            const uint64_t value =
                static_cast<uint64_t>(hex::Pair(data) << 8 | hex::Pair(data + 2));
            if (type == 2) {
                segmentBase_ = value << 4;
            } else {
                linearBase_ = value << 16;
                if (store_ && linearBase_ >= limit_) {
                    // The image takes in the 64 KB this base opens (also when
                    // the image ends right at the base); it is allocated when
                    // data arrive there, not for a bare base.
                    limit_ = std::min(linearBase_ + 0x10000, image_.Cap());
                }
            }
        }
    }
    return Done() ? i : n;
}

bool LoadIntelHex(const ReaderPorts& ports, ReadPass pass, ParsedImage& out, uint64_t imageSize,
                  std::span<const uint8_t> file, const FillSettings& fill) {
    IntelHexReader reader(ports, pass, out, imageSize, file.size(), fill);
    return ReadWholeText(reader, file);
}

std::size_t IntelHexProbe::Scan(const TextWindow& window) {
    const uint8_t* p = window.bytes.data();
    const std::size_t n = window.bytes.size();
    for (std::size_t i = 0; i < n && !done_; ++i) {
        if (p[i] != ':') {
            done_ = ++others_ >= 128;
            continue;
        }
        if (n - i < kRecordFrame) {
            if (!window.last) return i;
            continue;
        }
        const int count = hex::Pair(p + i + 1);
        const int addrHi = hex::Pair(p + i + 3);
        const int addrLo = hex::Pair(p + i + 5);
        const int type = hex::Pair(p + i + 7);
        if (count <= 0 || addrHi < 0 || addrLo < 0 || type != 0) continue;
        if (n - i < kRecordFrame + 2 * static_cast<std::size_t>(count)) {
            if (!window.last) return i;
            continue;
        }
        unsigned sum = static_cast<unsigned>(count + addrHi + addrLo);
        const bool good = hex::SumBytes(p + i + 9, count, sum);
        const int checksum = hex::Pair(p + i + 9 + 2 * count);
        yes_ = good && checksum == static_cast<int>((0x100 - (sum & 0xFF)) & 0xFF);
        done_ = yes_;
    }
    return n;
}

bool IsIntelHexFile(Messages& messages, ProbeMode mode, std::span<const uint8_t> block) {
    IntelHexProbe probe;
    WholeTextFeed(block)(probe);
    return ProbeVerdict(messages, mode, "Intel", probe.Answer());
}

bool WriteIntelHex(std::span<const uint8_t> buffer, uint64_t start, uint64_t length,
                   Progress* progress, const TextSink& sink, std::size_t pieceBytes) {
    const uint64_t rounded = RoundUpTo32(length);
    TextPieces pieces(sink, std::max(pieceBytes, 2 * kBaseRecordChars + kDataRecordChars));
    char* out = pieces.Begin();
    ProgressSteps steps(progress, length);
    SourceBytes source(buffer, start);
    uint64_t segment = 0;

    auto putBaseRecord = [&out](uint8_t type, uint16_t value) {
        std::memcpy(out, ":02000002", 9);
        out[8] = static_cast<char>('0' + type);
        out += 9;
        out = hex::PutByte(out, static_cast<uint8_t>(value >> 8));
        out = hex::PutByte(out, static_cast<uint8_t>(value));
        const unsigned sum = 2 + type + (value >> 8) + (value & 0xFF);
        out = hex::PutByte(out, static_cast<uint8_t>(0x100 - (sum & 0xFF)));
        *out++ = '\r';
        *out++ = '\n';
    };

    uint8_t bytes[32];
    for (uint64_t a = 0; a < rounded && pieces.Ok(); a += 32) {
        // At most two base records and the data record.
        out = pieces.Room(out, 2 * kBaseRecordChars + kDataRecordChars);
        if (a / 0x10000 > segment) {
            ++segment;
            if (segment < 16) {
                putBaseRecord(2, static_cast<uint16_t>(segment << 12));
            } else {
                if (segment == 16) putBaseRecord(2, 0);
                putBaseRecord(4, static_cast<uint16_t>(segment));
            }
        }
        source.Copy(a, bytes, 32);
        const unsigned address = static_cast<unsigned>(a & 0xFFFF);
        unsigned sum = 0x20 + (address >> 8) + (address & 0xFF);
        std::memcpy(out, ":20", 3);
        out += 3;
        out = hex::PutByte(out, static_cast<uint8_t>(address >> 8));
        out = hex::PutByte(out, static_cast<uint8_t>(address));
        *out++ = '0';
        *out++ = '0';
        for (uint8_t b : bytes) {
            out = hex::PutByte(out, b);
            sum += b;
        }
        out = hex::PutByte(out, static_cast<uint8_t>(0x100 - (sum & 0xFF)));
        *out++ = '\r';
        *out++ = '\n';
        steps.At(a + 32);
    }
    out = pieces.Room(out, 13);
    std::memcpy(out, ":00000001FF\r\n", 13);
    return pieces.Finish(out + 13);
}

std::string FormatIntelHex(std::span<const uint8_t> buffer, uint64_t start, uint64_t length,
                           Progress* progress) {
    return WholeText(
        [&](const TextSink& sink) { return WriteIntelHex(buffer, start, length, progress, sink); });
}

}  // namespace burnmark
