// Tektronix hex: the two-pass reader, the probe and the text builder of the
// writer.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "buffer/formats/record_scan.h"
#include "buffer/formats/text_block.h"

namespace burnmark {

// Reads "/" records: 16-bit address, count, header checksum (the digit sum of
// address and count), data, data checksum (the digit sum of the data). A "/"
// starts a record only when four hex digits follow; a count of 0 ends the scan.
// The store pass pre-fills its image with the fill byte when fill.fillUnused,
// else 0. A header checksum that does not match is a format error in both
// passes; data checksum mismatches keep the data and end the store pass with
// the same warning as the Intel reader.
bool LoadTektronixHex(const ReaderPorts& ports, ReadPass pass, ParsedImage& image,
                      uint64_t imageSize, std::span<const uint8_t> file,
                      const FillSettings& fill = {});

// The same reader as a scan over a text of textLength bytes given in windows
// (ReadText); LoadTektronixHex runs it over one window.
class TektronixHexReader final : public RecordReader {
public:
    TektronixHexReader(const ReaderPorts& ports, ReadPass pass, ParsedImage& image,
                       uint64_t imageSize, uint64_t textLength, const FillSettings& fill = {});
    std::size_t Scan(const TextWindow& window) override;
};

// True when the block begins (after white space) with records whose header
// checksums match and one of them has a matching data checksum before a
// terminator.
bool IsTektronixHexFile(Messages& messages, ProbeMode mode, std::span<const uint8_t> block);

// The same probe as a scan over windows; Answer once it is done or the text
// has ended.
class TektronixHexProbe final : public TextScan {
public:
    std::size_t Scan(const TextWindow& window) override;
    bool Done() const override { return done_; }
    bool Answer() const { return yes_; }

private:
    bool yes_ = false;
    bool done_ = false;
};

// The text of a Tektronix save of length bytes from start: 16-byte records with
// addresses from 0 at the start (the length rounded up to 32; bytes past the
// end of buffer read as 0), then "/00000000"; CR LF line ends.
std::string FormatTektronixHex(std::span<const uint8_t> buffer, uint64_t start, uint64_t length,
                               Progress* progress = nullptr);
// The same text handed to sink in pieces of at most pieceBytes (text_block.h;
// never less than one line). False when the sink refused a piece or there was
// no memory for one.
bool WriteTektronixHex(std::span<const uint8_t> buffer, uint64_t start, uint64_t length,
                       Progress* progress, const TextSink& sink,
                   std::size_t pieceBytes = kTextPieceBytes);

}  // namespace burnmark
