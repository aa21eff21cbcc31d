// Motorola S-records: the two-pass reader, the probe and the text builder of
// the writer.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "buffer/formats/record_scan.h"
#include "buffer/formats/text_block.h"

namespace burnmark {

// Reads S1, S2 and S3 data records; S7, S8 and S9 end the scan; S0, S5 and
// every other "S" pair are passed over. Records are found by scanning for "S"
// one character at a time, so line ends of any kind (CR LF, LF, CR alone) and
// a "%" prefix do not matter. The store pass pre-fills its image with the fill
// byte when fill.fillUnused, else 0xFF, and tests the checksums: a mismatch
// keeps the data and ends with the same warning as the Intel reader.
// False after "FORMAT ERROR !" (no record, a count too small for its address,
// a non-hex character or a truncated record) or "Out of buffer !" (data beyond
// the image, or beyond kMaxImageSize in the extent pass).
bool LoadMotorolaHex(const ReaderPorts& ports, ReadPass pass, ParsedImage& image,
                     uint64_t imageSize, std::span<const uint8_t> file,
                     const FillSettings& fill = {});

// The same reader as a scan over a text of textLength bytes given in windows
// (ReadText); LoadMotorolaHex runs it over one window.
class MotorolaHexReader final : public RecordReader {
public:
    MotorolaHexReader(const ReaderPorts& ports, ReadPass pass, ParsedImage& image,
                      uint64_t imageSize, uint64_t textLength, const FillSettings& fill = {});
    std::size_t Scan(const TextWindow& window) override;
};

// True when every S1, S2 and S3 record up to the end of the block has a
// matching checksum and there is at least one; an "S" (after an optional "%")
// followed by anything but 0, 1, 2, 3, 5, 7, 8 or 9 answers no. With
// BlockExtent::Head a record cut by the end of the block ends the scan.
bool IsMotorolaHexFile(Messages& messages, ProbeMode mode, std::span<const uint8_t> block,
                       BlockExtent extent = BlockExtent::WholeFile);

// The same probe as a scan over windows; Answer once it is done or the text
// has ended (a text that ends with a window that is not the last is a head).
class MotorolaHexProbe final : public TextScan {
public:
    std::size_t Scan(const TextWindow& window) override;
    bool Done() const override { return no_; }
    bool Answer() const { return !no_ && valid_ > 0; }

private:
    uint64_t valid_ = 0;
    bool no_ = false;
};

// The record types the writer saves.
enum class MotorolaRecord : int { S1 = 0, S2 = 2, S3 = 3 };

// The text of a Motorola save of length bytes from start: "S0030000FC", 16-byte
// records with addresses from 0 at the start (the length rounded up to 32;
// bytes past the end of buffer read as 0), then "S9030000FC" after S1 and S2
// records, "S70500000000FA" after S3 records; CR LF line ends.
std::string FormatMotorolaHex(std::span<const uint8_t> buffer, uint64_t start,
                              MotorolaRecord type, uint64_t length, Progress* progress = nullptr);
// The same text handed to sink in pieces of at most pieceBytes (text_block.h;
// never less than one line). False when the sink refused a piece or there was
// no memory for one.
bool WriteMotorolaHex(std::span<const uint8_t> buffer, uint64_t start, MotorolaRecord type,
                      uint64_t length, Progress* progress, const TextSink& sink,
                      std::size_t pieceBytes = kTextPieceBytes);

}  // namespace burnmark
