// What the three hex record readers share: the in-out image record, the ports
// they report through, the fill settings of the load dialog, the image cap, the
// hex digit tables and byte runs, the pacing of progress and event pumping
// during a scan, the text given in windows, and the reader's frame.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/ports.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace burnmark {

// The largest image a reader builds. A record whose data would lie beyond it
// gives "Out of buffer !" instead of an allocation of gigabytes.
inline constexpr uint64_t kMaxImageSize = 256ull * 1024 * 1024;

// The readers' in-out record.
struct ParsedImage {
    // Lowest data address seen (Motorola and Tektronix; always 0 for Intel).
    uint32_t LowAddress = 0;
    // The highest address a data record covers, inclusive; 0 when there is none.
    uint32_t HighAddress = 0;
    // The image of the store pass: byte a holds the data for address a. The
    // extent pass leaves it empty (it holds no data).
    std::vector<uint8_t> Image;
    // Where the store pass puts the data instead of an image of its own, when
    // the caller gives it: byte a of Target holds the data for address a. The
    // pass pre-fills all of it as it would its image, and data beyond it are
    // out of buffer; Image stays empty. The load flow hands over the buffer's
    // bytes from the destination, as many as the extent pass found, so the
    // data are written once, where they stay.
    std::span<uint8_t> Target;
};

enum class ReadPass : int { Extent = 0, Store = 1 };

// [LoadDlg] "UnuserFillCheck" and "UserFill": the store pass pre-fills its
// image with the fill byte when fillUnused is set.
struct FillSettings {
    bool fillUnused = false;
    uint8_t userFill = 0;
};

// Milliseconds from any fixed origin. Tests inject their own.
using MillisClock = std::function<int64_t()>;
int64_t SteadyMillis();

struct ReaderPorts {
    Messages& messages;
    Progress& progress;
    Pump& pump;
    MillisClock clock = nullptr;  // SteadyMillis when empty
};

// The probes' modes: silent, say so when the answer is no, say so when yes.
enum class ProbeMode : int { Silent = 0, ShowNo = 1, ShowYes = 2 };

// Whether a probed block is the whole file or only its head (a private read
// of the first bytes, used for detection): a record cut by the end of a head
// is not held against the file.
enum class BlockExtent { WholeFile, Head };

namespace format_text {
inline constexpr const char* kFormatError = "FORMAT ERROR !";
inline constexpr const char* kOutOfBuffer = "Out of buffer !";
inline constexpr const char* kChecksumWarning = "File read in complete!\nData still load in buffer.";
inline constexpr const char* kMemoryError = "Memory Error.";
inline constexpr const char* kProbeNoTitle = "ERROR !";
inline constexpr const char* kProbeYesTitle = "Auto detect";
}  // namespace format_text

namespace hex {
constexpr std::array<uint8_t, 256> MakeDigitValues() {
    std::array<uint8_t, 256> t{};
    for (auto& v : t) v = 0xFF;
    for (int c = '0'; c <= '9'; ++c) t[c] = static_cast<uint8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) t[c] = static_cast<uint8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) t[c] = static_cast<uint8_t>(c - 'a' + 10);
    return t;
}
constexpr std::array<char, 512> MakeBytePairs() {
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<char, 512> t{};
    for (int b = 0; b < 256; ++b) {
        t[2 * b] = digits[b >> 4];
        t[2 * b + 1] = digits[b & 15];
    }
    return t;
}
// Value of a hex digit (either case), or 0xFF for any other character.
inline constexpr std::array<uint8_t, 256> kDigitValue = MakeDigitValues();
// "00" .. "FF", two upper-case characters per byte.
inline constexpr std::array<char, 512> kBytePairs = MakeBytePairs();

inline bool IsDigit(uint8_t c) { return kDigitValue[c] != 0xFF; }

// The byte of two hex digits at p, or -1 when either is not a hex digit.
inline int Pair(const uint8_t* p) {
    const unsigned hi = kDigitValue[p[0]];
    const unsigned lo = kDigitValue[p[1]];
    return ((hi | lo) & 0xF0) ? -1 : static_cast<int>((hi << 4) | lo);
}

// Moves i to the next c at or after it among the n bytes at p; false when
// there is none.
inline bool SeekTo(const uint8_t* p, std::size_t n, std::size_t& i, uint8_t c) {
    if (i >= n) return false;
    const void* at = std::memchr(p + i, c, n - i);
    if (!at) return false;
    i = static_cast<std::size_t>(static_cast<const uint8_t*>(at) - p);
    return true;
}

#if defined(__SSE2__)
// Sixteen hex pairs at a time: record data is most of a hex file, and one
// character at a time through the digit table is most of a parse.
namespace simd {
// The values of the 16 digits at p; bad collects every lane that is no digit.
inline __m128i Nibbles(const uint8_t* p, __m128i& bad) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i zero = _mm_setzero_si128();
    const __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_subs_epu8(digit, _mm_set1_epi8(9)), zero);
    // Upper case folds onto lower; nothing else lands in 'a'..'f' by it.
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_subs_epu8(letter, _mm_set1_epi8(5)), zero);
    bad = _mm_or_si128(bad, _mm_cmpeq_epi8(_mm_or_si128(isDigit, isLetter), zero));
    return _mm_or_si128(_mm_and_si128(isDigit, digit),
                        _mm_andnot_si128(isDigit, _mm_add_epi8(letter, _mm_set1_epi8(10))));
}

// The 8 bytes of the 16 digits at p, one per 16-bit lane.
inline __m128i Words(const uint8_t* p, __m128i& bad) {
    const __m128i n = Nibbles(p, bad);
    return _mm_or_si128(_mm_slli_epi16(_mm_and_si128(n, _mm_set1_epi16(0x00FF)), 4),
                        _mm_srli_epi16(n, 8));
}

// Decodes the first count - count % 16 bytes of the pairs at p, into dst
// when it is given, and adds them to sum. False when a character is no digit.
inline bool Decode(const uint8_t* p, int count, uint8_t* dst, unsigned& sum) {
    __m128i bad = _mm_setzero_si128();
    __m128i total = _mm_setzero_si128();
    for (int k = 0; k + 16 <= count; k += 16) {
        const __m128i bytes = _mm_packus_epi16(Words(p + 2 * k, bad), Words(p + 2 * k + 16, bad));
        if (dst) _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + k), bytes);
        total = _mm_add_epi64(total, _mm_sad_epu8(bytes, _mm_setzero_si128()));
    }
    sum += static_cast<unsigned>(_mm_cvtsi128_si32(total) +
                                 _mm_cvtsi128_si32(_mm_unpackhi_epi64(total, total)));
    return _mm_movemask_epi8(bad) == 0;
}
}  // namespace simd
#endif

// Decodes count bytes written as hex pairs at p, into dst when it is given,
// and adds them to sum. False when a character is not a hex digit (the bytes
// and the sum are then of no use).
inline bool DecodeBytes(const uint8_t* p, int count, uint8_t* dst, unsigned& sum) {
    bool bad = false;
    int k = 0;
#if defined(__SSE2__)
    bad = !simd::Decode(p, count, dst, sum);
    k = count - count % 16;
#endif
    for (; k < count; ++k) {
        const int b = Pair(p + 2 * k);
        bad |= b < 0;
        if (dst) dst[k] = static_cast<uint8_t>(b);
        sum += static_cast<unsigned>(b);
    }
    return !bad;
}

// Adds the count bytes written as hex pairs at p to sum. False when a
// character is not a hex digit (the sum is then of no use).
inline bool SumBytes(const uint8_t* p, int count, unsigned& sum) {
    return DecodeBytes(p, count, nullptr, sum);
}

// SumBytes that also stores the bytes at dst.
inline bool StoreBytes(const uint8_t* p, int count, uint8_t* dst, unsigned& sum) {
    return DecodeBytes(p, count, dst, sum);
}

// Whether the n characters at p are all hex digits.
inline bool AllDigits(const uint8_t* p, std::size_t n) {
    bool bad = false;
    std::size_t k = 0;
#if defined(__SSE2__)
    __m128i lanes = _mm_setzero_si128();
    for (; k + 16 <= n; k += 16) (void)simd::Nibbles(p + k, lanes);
    bad = _mm_movemask_epi8(lanes) != 0;
#endif
    for (; k < n; ++k) bad |= !IsDigit(p[k]);
    return !bad;
}

inline char* PutByte(char* out, uint8_t b) {
    out[0] = kBytePairs[2 * b];
    out[1] = kBytePairs[2 * b + 1];
    return out + 2;
}
}  // namespace hex

// Steps the progress bar once per hundredth of the scan and pumps window events
// at most every kPumpIntervalMs, so that a parse of tens of megabytes neither
// freezes the window nor spends its time pumping. The clock is read only every
// few kilobytes of scan.
class ScanPacer {
public:
    static constexpr int64_t kPumpIntervalMs = 50;
    static constexpr uint64_t kClockStride = 16 * 1024;

    // stepBase: the length the hundredths are taken of. stepProgress: false
    // when the reader shows its progress otherwise (Motorola).
    ScanPacer(const ReaderPorts& ports, uint64_t stepBase, bool stepProgress = true);

    // Call with the scan position after each step of the scan.
    void At(uint64_t position) {
        if (position >= next_) Catch(position);
    }

private:
    void Catch(uint64_t position);

    Progress& progress_;
    Pump& pump_;
    MillisClock clock_;
    bool stepProgress_;
    uint64_t width_;
    uint64_t nextStep_;
    uint64_t nextClock_;
    uint64_t next_;
    int64_t lastPump_;
};

// A piece of the text a scan is given. A file is read in windows of a few MB,
// so that a scan of any size keeps its memory flat; a whole text in memory is
// one window that is also the last.
struct TextWindow {
    std::span<const uint8_t> bytes;
    uint64_t offset = 0;  // where bytes[0] lies in the text
    bool last = true;     // the text ends with this window
};

// A scan of records over a text given window after window. Whatever a scan
// decides at a position depends only on the text from there on, so a record
// cut by the end of a window is left for the next one, which begins with it;
// only at the true end of the text is a cut record what the whole text says
// it is.
class TextScan {
public:
    virtual ~TextScan() = default;
    // Scans the window; returns how many of its bytes the scan is through
    // with. The rest (a cut record) must begin the next window. A last window
    // is scanned to its end or until the scan stops.
    virtual std::size_t Scan(const TextWindow& window) = 0;
    // True once the scan needs no more text.
    virtual bool Done() const = 0;
};

// Runs a scan over a whole text: 0, or the code of the read that failed
// (the feeder's; the scan then saw only part of the text).
using TextFeed = std::function<int(TextScan&)>;

// The feed of a text held whole in memory; last false: the text is only the
// head of a longer one, and a record cut by its end is left unjudged.
inline TextFeed WholeTextFeed(std::span<const uint8_t> text, bool last = true) {
    return [text, last](TextScan& scan) {
        scan.Scan({text, 0, last});
        return 0;
    };
}

// The reader frame's messages, all with the plain OK box.
void ShowFormatError(Messages& messages);
void ShowOutOfBuffer(Messages& messages);
void ShowChecksumWarning(Messages& messages);
void ShowMemoryError(Messages& messages, const char* title);

// Allocates the store pass's image: min(imageSize, kMaxImageSize) bytes of fill.
// When the allocation fails: "Memory Error." with the reader's title, false.
bool AllocateImage(Messages& messages, const char* title, std::vector<uint8_t>& image,
                   uint64_t imageSize, uint8_t fill);

// The bytes a store pass writes: an image of its own, or the caller's
// ParsedImage::Target, pre-filled alike.
class StoreImage {
public:
    // The image pre-filled with fill: the target (at most imageSize bytes of
    // it), or one of its own (AllocateImage). False after "Memory Error.".
    bool Open(Messages& messages, const char* title, const ParsedImage& out, uint64_t imageSize,
              uint8_t fill);

    uint8_t* Data() { return data_; }
    uint64_t Size() const { return size_; }
    // The most the image may grow to: a target never grows.
    uint64_t Cap() const { return target_ ? size_ : kMaxImageSize; }
    // Grows an image of its own to n bytes of the fill; false when memory is short.
    bool Grow(uint64_t n);
    // The image of its own, for FinishRead (empty with a target).
    std::vector<uint8_t>& Own() { return own_; }

private:
    std::vector<uint8_t> own_;
    uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
    uint8_t fill_ = 0;
    bool target_ = false;
};

// How a reader's scan ended.
enum class ScanOutcome { Ok, FormatError, OutOfBuffer, MemoryError };

// What a reader's scan has seen.
struct ScanTally {
    bool found = false;         // a record start was met
    uint64_t low = UINT64_MAX;  // lowest data address; UINT64_MAX while there is none
    uint64_t end = 0;           // exclusive end of the data
    uint64_t mismatches = 0;    // records whose checksum did not match

    void Cover(uint64_t address, uint64_t count) {
        low = std::min(low, address);
        end = std::max(end, address + count);
    }
};

// The end of a reader's frame. A scan that met no record is a format error.
// On failure: "FORMAT ERROR !" (before the progress window is finished and
// closed) or "Out of buffer !" (after), false. On success: out gets the image
// and the range (HighAddress inclusive, 0 without data), the progress window is
// finished and closed, and checksum mismatches end with the warning.
bool FinishRead(const ReaderPorts& ports, ScanOutcome outcome, const ScanTally& tally,
                std::vector<uint8_t>& image, ParsedImage& out);

// The frame of a hex record reader, as a scan over windows: the image of the
// store pass, the progress window, the pacing by the position in the whole
// text, the tally, and how the scan ended, all carried from one window to
// the next.
class RecordReader : public TextScan {
public:
    // Opens the image of the store pass, pre-filled, and shows the progress
    // window. False after "Memory Error.", with nothing shown.
    bool Begin();
    bool Done() const override { return stopped_; }
    // The end of the frame once the text is scanned (FinishRead; a failed
    // growth of the image ends with "Memory Error.").
    bool Finish();
    // Finishes and closes the progress window of a scan whose text could not
    // be read to its end, and says nothing: the caller tells why.
    void Abandon();

protected:
    // How a reader shows itself: the title of its memory message, the
    // image's pre-fill, the progress caption (none when null), the bar's
    // first position, and whether the bar steps with the scan.
    struct Frame {
        const char* title;
        uint8_t prefill;
        const char* caption;
        int position;
        bool stepProgress;
    };
    // textLength: the length of the whole text, which the pacing divides.
    RecordReader(const ReaderPorts& ports, ReadPass pass, ParsedImage& out, uint64_t imageSize,
                 uint64_t textLength, Frame frame);

    void Pace(uint64_t position) { pacer_->At(position); }
    void Stop(ScanOutcome outcome) {
        outcome_ = outcome;
        stopped_ = true;
    }

    ReaderPorts ports_;
    bool store_;
    StoreImage image_;
    // Data beyond this are out of buffer: the image's size in the store
    // pass, the cap in the extent pass (which holds no data).
    uint64_t limit_ = kMaxImageSize;
    ScanTally tally_;

private:
    ParsedImage& out_;
    uint64_t imageSize_;
    uint64_t textLength_;
    Frame frame_;
    std::optional<ScanPacer> pacer_;
    ScanOutcome outcome_ = ScanOutcome::Ok;
    bool stopped_ = false;
};

// Runs a reader over the text of feed. False after the reader's own failure
// (it has told), or when the text could not be read: readError then holds the
// feed's code, the reader has closed its progress window and said nothing.
template <class Reader>
bool ReadText(Reader& reader, const TextFeed& feed, int& readError) {
    readError = 0;
    if (!reader.Begin()) return false;
    readError = feed(reader);
    if (readError != 0) {
        reader.Abandon();
        return false;
    }
    return reader.Finish();
}

// Runs a reader over a whole text in memory.
template <class Reader>
bool ReadWholeText(Reader& reader, std::span<const uint8_t> text) {
    int readError = 0;
    return ReadText(reader, WholeTextFeed(text), readError);
}

// Shows the probe's verdict as its mode asks. formatName: "Intel", "Motorola",
// "Tektronix".
bool ProbeVerdict(Messages& messages, ProbeMode mode, const char* formatName, bool yes);

}  // namespace burnmark
