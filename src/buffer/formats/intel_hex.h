// Intel HEX: the two-pass reader, the probe and the text builder of the writer.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "buffer/formats/record_scan.h"
#include "buffer/formats/text_block.h"

namespace burnmark {

// Reads Intel HEX records from file. The extent pass only learns HighAddress
// (the image stays empty); the store pass builds an image of imageSize bytes
// (at most kMaxImageSize), pre-filled with the fill byte when fill.fillUnused,
// else 0, stores every data byte at record address + segment base + linear
// base, and tests every checksum. Type 02 and 04 records set the bases (both
// are added); type 01 ends the scan; other types are skipped.
// False after "FORMAT ERROR !" (no record, a non-hex character or a truncated
// record), "Out of buffer !" (data beyond the image, or beyond kMaxImageSize in
// the extent pass) or "Memory Error." titled "ITL". A store pass that met bad
// checksums keeps the data and ends with "File read in complete!\nData still
// load in buffer.".
bool LoadIntelHex(const ReaderPorts& ports, ReadPass pass, ParsedImage& image,
                  uint64_t imageSize, std::span<const uint8_t> file,
                  const FillSettings& fill = {});

// The same reader as a scan over a text of textLength bytes given in windows
// (ReadText); LoadIntelHex runs it over one window.
class IntelHexReader final : public RecordReader {
public:
    IntelHexReader(const ReaderPorts& ports, ReadPass pass, ParsedImage& image, uint64_t imageSize,
                   uint64_t textLength, const FillSettings& fill = {});
    std::size_t Scan(const TextWindow& window) override;

private:
    uint64_t segmentBase_ = 0;
    uint64_t linearBase_ = 0;
};

// True when a data record with a matching checksum is found before 128
// characters other than ':' have been passed.
bool IsIntelHexFile(Messages& messages, ProbeMode mode, std::span<const uint8_t> block);

// The same probe as a scan over windows; Answer once it is done or the text
// has ended.
class IntelHexProbe final : public TextScan {
public:
    std::size_t Scan(const TextWindow& window) override;
    bool Done() const override { return done_; }
    bool Answer() const { return yes_; }

private:
    int others_ = 0;
    bool yes_ = false;
    bool done_ = false;
};

// The text of an Intel HEX save of length bytes from start: 32-byte records
// (the length rounded up to 32; bytes past the end of buffer read as 0),
// record addresses from 0 at the start, an extended segment record before each
// further 64 KB, ":00000001FF" at the end; CR LF line ends. Beyond 1 MB, where
// a segment record cannot reach, the segment base is set back to 0 once and
// extended linear records follow, so that such a file still reads back right.
// progress, when given, is stepped once per hundredth of the length.
std::string FormatIntelHex(std::span<const uint8_t> buffer, uint64_t start, uint64_t length,
                           Progress* progress = nullptr);
// The same text handed to sink in pieces of at most pieceBytes (text_block.h;
// never less than one line). False when the sink refused a piece or there was
// no memory for one.
bool WriteIntelHex(std::span<const uint8_t> buffer, uint64_t start, uint64_t length,
                   Progress* progress, const TextSink& sink,
                   std::size_t pieceBytes = kTextPieceBytes);

}  // namespace burnmark
