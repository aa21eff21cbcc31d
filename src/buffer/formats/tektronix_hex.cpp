#include "buffer/formats/tektronix_hex.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "buffer/formats/text_block.h"

namespace burnmark {

namespace {

// "/" and four hex digits at i.
bool IsRecordStart(const uint8_t* p, std::size_t n, std::size_t i) {
    return n - i >= 5 && p[i] == '/' && hex::IsDigit(p[i + 1]) && hex::IsDigit(p[i + 2]) &&
           hex::IsDigit(p[i + 3]) && hex::IsDigit(p[i + 4]);
}

// The digit sum of the record head (address and count) and whether the head's
// checksum field matches it. The caller has checked the address digits.
struct Head {
    unsigned address = 0;
    int count = -1;       // -1: a non-hex count or checksum
    bool matches = false;
};

Head ReadHead(const uint8_t* r) {
    Head h;
    const int count = hex::Pair(r + 5);
    const int checksum = hex::Pair(r + 7);
    if (count < 0 || checksum < 0) return h;
    unsigned digits = 0;
    for (int k = 1; k <= 6; ++k) digits += hex::kDigitValue[r[k]];
    h.address = static_cast<unsigned>(hex::Pair(r + 1) << 8 | hex::Pair(r + 3));
    h.count = count;
    h.matches = (digits & 0xFF) == static_cast<unsigned>(checksum);
    return h;
}

// "/", address, count and head checksum: what must be read to judge a record.
constexpr std::size_t kHeadChars = 9;

// A record line of the writer: 16 data bytes, CR LF included.
constexpr std::size_t kRecordLineChars = 45;

bool IsBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

TektronixHexReader::TektronixHexReader(const ReaderPorts& ports, ReadPass pass,
                                       ParsedImage& image, uint64_t imageSize,
                                       uint64_t textLength, const FillSettings& fill)
    // Stepped by the text's length: the image size says nothing about how
    // far the scan has come.
    : RecordReader(ports, pass, image, imageSize, textLength,
                   {"", static_cast<uint8_t>(fill.fillUnused ? fill.userFill : 0), nullptr, 0,
                    true}) {}

std::size_t TektronixHexReader::Scan(const TextWindow& window) {
    const uint8_t* p = window.bytes.data();
    const std::size_t n = window.bytes.size();
    std::size_t i = 0;

    while (!Done() && hex::SeekTo(p, n, i, '/')) {
        Pace(window.offset + i);
        if (n - i < kHeadChars && !window.last) return i;
        if (!IsRecordStart(p, n, i)) {
            ++i;
            continue;
        }
        tally_.found = true;
        if (n - i < kHeadChars) {
            Stop(ScanOutcome::FormatError);
            break;
        }
        const Head head = ReadHead(p + i);
        if (head.count < 0 || !head.matches) {
            Stop(ScanOutcome::FormatError);
            break;
        }
        if (head.count == 0) {
            Stop(ScanOutcome::Ok);
            break;
        }
        const std::size_t recordEnd = i + 11 + 2 * static_cast<std::size_t>(head.count);
        if (recordEnd > n) {
            if (!window.last) return i;
            Stop(ScanOutcome::FormatError);
            break;
        }
        const uint8_t* data = p + i + kHeadChars;
        const uint64_t address = head.address;
        if (address + head.count > limit_) {
            Stop(ScanOutcome::OutOfBuffer);
            break;
        }
        unsigned digits = 0;
        bool bad = false;
        for (int k = 0; k < head.count; ++k) {
            const int b = hex::Pair(data + 2 * k);
            bad |= b < 0;
            digits += static_cast<unsigned>((b >> 4) + (b & 15));
            if (store_) image_.Data()[address + k] = static_cast<uint8_t>(b);
        }
        const int checksum = hex::Pair(data + 2 * head.count);
        if (bad || checksum < 0) {
            Stop(ScanOutcome::FormatError);
            break;
        }
        if (store_ && (digits & 0xFF) != static_cast<unsigned>(checksum)) ++tally_.mismatches;
        tally_.Cover(address, static_cast<uint64_t>(head.count));
        i = recordEnd;
    }
    return Done() ? i : n;
}

bool LoadTektronixHex(const ReaderPorts& ports, ReadPass pass, ParsedImage& out,
                      uint64_t imageSize, std::span<const uint8_t> file, const FillSettings& fill) {
    TektronixHexReader reader(ports, pass, out, imageSize, file.size(), fill);
    return ReadWholeText(reader, file);
}

std::size_t TektronixHexProbe::Scan(const TextWindow& window) {
    const uint8_t* p = window.bytes.data();
    const std::size_t n = window.bytes.size();
    std::size_t i = 0;
    while (!done_) {
        while (i < n && IsBlank(p[i])) ++i;
        // The head decides whether a record starts here.
        if (n - i < kHeadChars && !window.last) return i;
        done_ = true;  // unless the record below has a bad data checksum
        if (i >= n || !IsRecordStart(p, n, i) || n - i < kHeadChars) break;
        const Head head = ReadHead(p + i);
        if (head.count <= 0 || !head.matches) break;
        const std::size_t recordEnd = i + 11 + 2 * static_cast<std::size_t>(head.count);
        if (recordEnd > n) {
            if (!window.last) {
                done_ = false;
                return i;
            }
            break;
        }
        unsigned digits = 0;
        bool bad = false;
        for (int k = 0; k < 2 * head.count; ++k) {
            const uint8_t v = hex::kDigitValue[p[i + kHeadChars + k]];
            bad |= v == 0xFF;
            digits += v;
        }
        const int checksum = hex::Pair(p + i + kHeadChars + 2 * head.count);
        if (bad || checksum < 0) break;
        if ((digits & 0xFF) == static_cast<unsigned>(checksum)) {
            yes_ = true;
            break;
        }
        done_ = false;
        i = recordEnd;
    }
    return i;
}

bool IsTektronixHexFile(Messages& messages, ProbeMode mode, std::span<const uint8_t> block) {
    TektronixHexProbe probe;
    WholeTextFeed(block)(probe);
    return ProbeVerdict(messages, mode, "Tektronix", probe.Answer());
}

bool WriteTektronixHex(std::span<const uint8_t> buffer, uint64_t start, uint64_t length,
                       Progress* progress, const TextSink& sink, std::size_t pieceBytes) {
    const uint64_t rounded = RoundUpTo32(length);
    TextPieces pieces(sink, std::max(pieceBytes, kRecordLineChars));
    char* out = pieces.Begin();
    ProgressSteps steps(progress, length);
    SourceBytes source(buffer, start);

    uint8_t bytes[16];
    for (uint64_t a = 0; a < rounded && pieces.Ok(); a += 16) {
        out = pieces.Room(out, kRecordLineChars);
        const unsigned address = static_cast<unsigned>(a & 0xFFFF);
        *out++ = '/';
        out = hex::PutByte(out, static_cast<uint8_t>(address >> 8));
        out = hex::PutByte(out, static_cast<uint8_t>(address));
        *out++ = '1';
        *out++ = '0';
        const unsigned head = ((address >> 12) & 15) + ((address >> 8) & 15) +
                              ((address >> 4) & 15) + (address & 15) + 1;
        out = hex::PutByte(out, static_cast<uint8_t>(head));
        source.Copy(a, bytes, 16);
        unsigned digits = 0;
        for (uint8_t b : bytes) {
            out = hex::PutByte(out, b);
            digits += (b >> 4) + (b & 15);
        }
        out = hex::PutByte(out, static_cast<uint8_t>(digits));
        *out++ = '\r';
        *out++ = '\n';
        steps.At(a + 16);
    }
    out = pieces.Room(out, 11);
    std::memcpy(out, "/00000000\r\n", 11);
    return pieces.Finish(out + 11);
}

std::string FormatTektronixHex(std::span<const uint8_t> buffer, uint64_t start, uint64_t length,
                               Progress* progress) {
    return WholeText([&](const TextSink& sink) {
        return WriteTektronixHex(buffer, start, length, progress, sink);
    });
}

}  // namespace burnmark
