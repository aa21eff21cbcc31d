#include "fusemap/jedec.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/atomic_file.h"

namespace burnmark {

uint32_t JedecFuseChecksum(std::span<const uint8_t> fuses) {
    uint32_t sum = 0;
    for (size_t g = 0; g < fuses.size(); g += 8) {
        uint32_t byte = 0;
        for (size_t k = 0; k < 8 && g + k < fuses.size(); ++k) {
            if (fuses[g + k] != 0) byte |= 1u << k;
        }
        sum += byte;
    }
    return sum;
}

std::string FuseChecksumText(uint32_t checksum) {
    char text[16];
    std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(checksum));
    return text;
}

namespace {

void Append(std::vector<char>& out, std::string_view s) {
    out.insert(out.end(), s.begin(), s.end());
}

void AppendCrLf(std::vector<char>& out) { Append(out, "\r\n"); }

}  // namespace

std::vector<char> BuildJedecText(std::span<const uint8_t> fuses, int32_t fuseCols) {
    const int64_t count = static_cast<int64_t>(fuses.size());
    const int64_t cols = fuseCols < 1 ? 1 : fuseCols;
    std::vector<char> out;
    // One character per fuse plus the "Lnnn  " and "*\r\n" of each row.
    out.reserve(static_cast<size_t>(count + (count / cols + 1) * 16 + 128));
    char number[40];

    out.push_back(kJedecStx);
    Append(out, kJedecGeneratorNote);
    AppendCrLf(out);
    AppendCrLf(out);
    AppendCrLf(out);
    Append(out, "*");
    AppendCrLf(out);
    std::snprintf(number, sizeof number, "QF%lld*", static_cast<long long>(count));
    Append(out, number);
    AppendCrLf(out);
    for (int64_t a = 0; a < count; a += cols) {
        std::snprintf(number, sizeof number, "L%lld  ", static_cast<long long>(a));
        Append(out, number);
        const int64_t end = std::min(count, a + cols);
        for (int64_t i = a; i < end; ++i) out.push_back(fuses[static_cast<size_t>(i)] ? '1' : '0');
        Append(out, "*");
        AppendCrLf(out);
    }
    std::snprintf(number, sizeof number, "C%04lX*",
                  static_cast<unsigned long>(JedecFuseChecksum(fuses) % 0x10000));
    Append(out, number);
    AppendCrLf(out);
    out.push_back(kJedecEtx);

    // Transmission checksum: readers that check it find it right after ETX.
    uint32_t transmission = 0;
    for (char c : out) transmission += static_cast<unsigned char>(c);
    std::snprintf(number, sizeof number, "%04X", static_cast<unsigned>(transmission & 0xFFFF));
    Append(out, number);
    return out;
}

bool CheckJedecFile(std::string_view text) {
    int stx = 0;
    for (char c : text) {
        if (c == '*') return stx == 1;
        if (c == kJedecStx) ++stx;
    }
    return false;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Walks the field list of a text that passed CheckJedecFile: each field starts
// after a '*' (blanks and line ends skipped) with its letter and runs to the
// next '*'. The list ends at ETX or at the end of the text. The callback gets
// the letter and the body after it and returns false to stop the walk.
template <typename Visit>
void ForEachJedecField(std::string_view text, Visit&& visit) {
    size_t pos = text.find('*');
    if (pos == std::string_view::npos) return;
    ++pos;
    while (pos < text.size()) {
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
        if (pos >= text.size() || text[pos] == kJedecEtx) return;
        // An empty field ("**", or a '*' alone on a line): its '*' must not
        // be taken as a letter, or the field after it would be lost.
        if (text[pos] == '*') {
            ++pos;
            continue;
        }
        const char letter = text[pos++];
        size_t end = pos;
        while (end < text.size() && text[end] != '*' && text[end] != kJedecEtx) ++end;
        if (!visit(letter, text.substr(pos, end - pos))) return;
        if (end >= text.size() || text[end] == kJedecEtx) return;
        pos = end + 1;
    }
}

// "0" or "1" directly after the letter, then only blanks: the default state.
int DefaultFieldValue(std::string_view body) {
    if (body.empty() || (body[0] != '0' && body[0] != '1')) return -1;
    for (size_t i = 1; i < body.size(); ++i) {
        if (!IsBlank(body[i])) return -1;
    }
    return body[0] - '0';
}

}  // namespace

int JedecDefaultFuse(std::string_view text) {
    int value = -1;
    ForEachJedecField(text, [&](char letter, std::string_view body) {
        if (letter == 'F') {
            const int v = DefaultFieldValue(body);
            if (v != -1) value = v;
        }
        return true;
    });
    return value;
}

JedecParseStatus ParseJedecFuses(std::string_view text, std::span<uint8_t> fuses) {
    if (!CheckJedecFile(text)) return JedecParseStatus::NotJedec;
    const int64_t count = static_cast<int64_t>(fuses.size());

    const int d = JedecDefaultFuse(text);
    if (d != -1) std::fill(fuses.begin(), fuses.end(), static_cast<uint8_t>(d));

    JedecParseStatus status = JedecParseStatus::Ok;
    int64_t ones = 0;  // fuses read as 1 from the L fields so far
    ForEachJedecField(text, [&](char letter, std::string_view body) {
        // The checksum or the test vectors after a real fuse list end it;
        // a list of hardly any set fuses is read on past them.
        if (letter == 'C' || letter == 'V') return ones <= 10;
        // Notes, test vectors and every other field are passed over whole, so
        // an "L" inside them writes nothing.
        if (letter != 'L' || body.empty() || !IsDigit(body[0])) return true;
        size_t i = 0;
        int64_t address = 0;
        for (; i < body.size() && IsDigit(body[i]); ++i) {
            // Saturate: any address this long is beyond every map.
            if (address <= (INT64_MAX - 9) / 10) address = address * 10 + (body[i] - '0');
            else address = INT64_MAX;
        }
        if (address > count) {
            status = JedecParseStatus::SizeMismatch;
            return false;
        }
        int64_t at = address;
        for (; i < body.size() && at < count; ++i) {
            const char c = body[i];
            if (c != '0' && c != '1') continue;  // blanks and line ends use no fuse
            fuses[static_cast<size_t>(at)] = static_cast<uint8_t>(c - '0');
            if (c == '1') ++ones;
            ++at;
        }
        return true;
    });
    return status;
}

std::string StripNuls(std::string_view raw) {
    std::string text;
    text.reserve(raw.size());
    for (char c : raw) {
        if (c != '\0') text.push_back(c);
    }
    return text;
}

JedecParseStatus ReadJedecFuses(std::string_view raw, std::span<uint8_t> fuses) {
    return ParseJedecFuses(StripNuls(raw), fuses);
}

JedecReadStatus ReadJedecText(const std::string& path, std::string& out) {
    out.clear();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return JedecReadStatus::CannotOpen;
    std::ifstream in(path, std::ios::binary);
    if (!in) return JedecReadStatus::CannotOpen;
    char chunk[65536];
    while (in) {
        in.read(chunk, sizeof chunk);
        const std::streamsize got = in.gcount();
        if (got <= 0) break;
        if (static_cast<int64_t>(out.size()) + got > kMaxJedecFileSize) {
            out.clear();
            return JedecReadStatus::TooBig;
        }
        out.append(chunk, static_cast<size_t>(got));
    }
    if (in.bad()) {
        out.clear();
        return JedecReadStatus::CannotOpen;
    }
    return JedecReadStatus::Ok;
}

FileWriteResult WriteBufferToFile(std::span<const char> bytes, const std::string& path) {
    return WriteFileAtomically(path, bytes);
}

std::string JedecWriteFailText(const std::string& path, const FileWriteResult& result) {
    return "Can't Write File \"" + path + "\". " + result.SystemText();
}

bool JedecFileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec)) && !ec;
}

}  // namespace burnmark
