#include "buffer/formats/motorola_hex.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "buffer/formats/text_block.h"

namespace burnmark {

namespace {

// Address bytes of a record type digit, 0 for the pairs that are no record.
int AddressBytes(uint8_t digit) {
    switch (digit) {
        case '1': case '9': return 2;
        case '2': case '8': return 3;
        case '3': case '7': return 4;
        default: return 0;
    }
}

bool IsDataType(uint8_t digit) { return digit >= '1' && digit <= '3'; }

// The type digits the probe takes: 0, 1, 2, 3, 5, 6, 7, 8, 9.
bool IsProbedType(uint8_t digit) { return digit >= '0' && digit <= '9' && digit != '4'; }

}  // namespace

MotorolaHexReader::MotorolaHexReader(const ReaderPorts& ports, ReadPass pass, ParsedImage& image,
                                     uint64_t imageSize, uint64_t textLength,
                                     const FillSettings& fill)
    // This reader shows no running progress: the bar stands at 99 and the
    // end records fill it.
    : RecordReader(ports, pass, image, imageSize, textLength,
                   {"", static_cast<uint8_t>(fill.fillUnused ? fill.userFill : 0xFF), "Waiting...",
                    99, false}) {}

std::size_t MotorolaHexReader::Scan(const TextWindow& window) {
    const uint8_t* p = window.bytes.data();
    const std::size_t n = window.bytes.size();
    std::size_t i = 0;

    while (!Done() && hex::SeekTo(p, n, i, 'S')) {
        Pace(window.offset + i);
        if (i + 1 >= n && !window.last) return i;
        const uint8_t digit = i + 1 < n ? p[i + 1] : 0;
        const int addressBytes = AddressBytes(digit);
        if (!addressBytes) {
            ++i;
            continue;
        }
        tally_.found = true;
        if (n - i < 4) {
            if (!window.last) return i;
            Stop(ScanOutcome::FormatError);
            break;
        }
        const int count = hex::Pair(p + i + 2);
        // The count covers address, data and checksum.
        if (count < addressBytes + 1) {
            Stop(ScanOutcome::FormatError);
            break;
        }
        const std::size_t recordEnd = i + 4 + 2 * static_cast<std::size_t>(count);
        if (recordEnd > n) {
            if (!window.last) return i;
            Stop(ScanOutcome::FormatError);
            break;
        }
        const uint8_t* field = p + i + 4;
        unsigned sum = static_cast<unsigned>(count);
        uint64_t address = 0;
        bool good = true;
        for (int k = 0; k < addressBytes; ++k) {
            const int b = hex::Pair(field + 2 * k);
            good &= b >= 0;
            address = address << 8 | static_cast<uint8_t>(b);
            sum += static_cast<unsigned>(b);
        }
        const int dataCount = count - addressBytes - 1;
        const uint8_t* data = field + 2 * addressBytes;
        if (IsDataType(digit) && dataCount > 0) {
            if (!good) {
                Stop(ScanOutcome::FormatError);
                break;
            }
            if (address + dataCount > limit_) {
                Stop(ScanOutcome::OutOfBuffer);
                break;
            }
            good = store_ ? hex::StoreBytes(data, dataCount, image_.Data() + address, sum)
                          : hex::AllDigits(data, 2 * static_cast<std::size_t>(dataCount));
            tally_.Cover(address, static_cast<uint64_t>(dataCount));
        } else {
            good &= hex::SumBytes(data, dataCount, sum);
        }
        const int checksum = hex::Pair(data + 2 * dataCount);
        if (!good || checksum < 0) {
            Stop(ScanOutcome::FormatError);
            break;
        }
        if (store_ && checksum != static_cast<int>(~sum & 0xFF)) ++tally_.mismatches;
        i = recordEnd;
        if (!IsDataType(digit)) {
            ports_.progress.ProgressStep();
            ports_.progress.ProgressStep();
            Stop(ScanOutcome::Ok);
            break;
        }
    }
    return Done() ? i : n;
}

bool LoadMotorolaHex(const ReaderPorts& ports, ReadPass pass, ParsedImage& out, uint64_t imageSize,
                     std::span<const uint8_t> file, const FillSettings& fill) {
    MotorolaHexReader reader(ports, pass, out, imageSize, file.size(), fill);
    return ReadWholeText(reader, file);
}

std::size_t MotorolaHexProbe::Scan(const TextWindow& window) {
    const uint8_t* p = window.bytes.data();
    const std::size_t n = window.bytes.size();
    const bool last = window.last;
    std::size_t i = 0;
    while (i < n && !no_) {
        if (p[i] != 'S' && p[i] != '%') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        // A "%" is a prefix: the pair is read one character later.
        if (p[i] == '%') ++i;
        if (i + 1 >= n) {
            if (!last) return start;
            no_ = true;  // the pair runs past the end of the text
            break;
        }
        const uint8_t digit = p[i + 1];
        // S5 and S6 count the records (S6 in 24 bits, for files of more than
        // 65535 records); S4 is no record.
        if (p[i] != 'S' || !IsProbedType(digit)) {
            no_ = true;
            break;
        }
        i += 2;  // the scan goes on at the count field
        if (!IsDataType(digit)) continue;
        if (n - i < 2) {
            if (!last) return start;
            no_ = true;
            break;
        }
        const int count = hex::Pair(p + i);
        if (count < 1) continue;
        const int addressBytes = AddressBytes(digit);
        if (count < addressBytes + 1) {
            no_ = true;
            break;
        }
        if (n - i < 2 + 2 * static_cast<std::size_t>(count)) {
            if (!last) return start;
            no_ = true;
            break;
        }
        unsigned sum = static_cast<unsigned>(count);
        const bool good = hex::SumBytes(p + i + 2, count - 1, sum);
        const int checksum = hex::Pair(p + i + 2 * count);
        if (!good || checksum != static_cast<int>(~sum & 0xFF)) {
            no_ = true;
            break;
        }
        ++valid_;
        i += 2 + 2 * static_cast<std::size_t>(count);
    }
    return i;
}

bool IsMotorolaHexFile(Messages& messages, ProbeMode mode, std::span<const uint8_t> block,
                       BlockExtent extent) {
    // A head: a record cut by its end is not held against the file.
    MotorolaHexProbe probe;
    WholeTextFeed(block, extent == BlockExtent::WholeFile)(probe);
    return ProbeVerdict(messages, mode, "Motorola", probe.Answer());
}

bool WriteMotorolaHex(std::span<const uint8_t> buffer, uint64_t start, MotorolaRecord type,
                      uint64_t length, Progress* progress, const TextSink& sink,
                      std::size_t pieceBytes) {
    const uint64_t rounded = RoundUpTo32(length);
    const int addressBytes = type == MotorolaRecord::S1 ? 2 : type == MotorolaRecord::S2 ? 3 : 4;
    const std::size_t lineLength = 4 + 2 * addressBytes + 32 + 2 + 2;
    const char* header = type == MotorolaRecord::S1   ? "S113"
                         : type == MotorolaRecord::S2 ? "S214"
                                                      : "S315";
    const char* ending = type == MotorolaRecord::S3 ? "S70500000000FA\r\n" : "S9030000FC\r\n";
    const std::size_t endingLength = std::strlen(ending);

    TextPieces pieces(sink, std::max(pieceBytes, lineLength));
    char* out = pieces.Room(pieces.Begin(), 12);
    std::memcpy(out, "S0030000FC\r\n", 12);
    out += 12;
    ProgressSteps steps(progress, length);
    SourceBytes source(buffer, start);
    const unsigned base = 0x10 + static_cast<unsigned>(addressBytes) + 1;

    uint8_t bytes[16];
    for (uint64_t a = 0; a < rounded && pieces.Ok(); a += 16) {
        out = pieces.Room(out, lineLength);
        std::memcpy(out, header, 4);
        out += 4;
        unsigned sum = base;
        for (int k = addressBytes - 1; k >= 0; --k) {
            const uint8_t b = static_cast<uint8_t>(a >> (8 * k));
            out = hex::PutByte(out, b);
            sum += b;
        }
        source.Copy(a, bytes, 16);
        for (uint8_t b : bytes) {
            out = hex::PutByte(out, b);
            sum += b;
        }
        out = hex::PutByte(out, static_cast<uint8_t>(~sum));
        *out++ = '\r';
        *out++ = '\n';
        steps.At(a + 16);
    }
    out = pieces.Room(out, endingLength);
    std::memcpy(out, ending, endingLength);
    return pieces.Finish(out + endingLength);
}

std::string FormatMotorolaHex(std::span<const uint8_t> buffer, uint64_t start, MotorolaRecord type,
                              uint64_t length, Progress* progress) {
    return WholeText([&](const TextSink& sink) {
        return WriteMotorolaHex(buffer, start, type, length, progress, sink);
    });
}

}  // namespace burnmark
