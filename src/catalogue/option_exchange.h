// The option words between the option value store and the programmer:
// SendOptionData packs the stored values into OptionWords and writes them to
// the programmer (for option type 1 it also lets the programmer apply them
// and patches the data buffer with what it reports), ReadOptionData takes the
// words the programmer derived from a chip into the store, StoreOptionWords
// does the same from the chip option block a read or load fetched, and
// RefreshOptionChecksum shows the programmer's checksum of the buffer with
// the options applied. None of them needs the option window.
#pragma once

#include <functional>
#include <string>

#include "buffer/checksum_view.h"
#include "buffer/data_buffer.h"
#include "catalogue/device_options.h"
#include "catalogue/device_record.h"
#include "catalogue/option_layout.h"
#include "link/programmer_link.h"
#include "platform/ports.h"

namespace burnmark {

// Texts of the exchange (the others are the link's request texts).
inline constexpr const char* kErrOptionWordsWrite = "Error! Data -> DE-48 0x300 Buffer Fail";
inline constexpr const char* kErrOptionWordsRead = "Error! MPU Option Data -> Buffer Fail";

// What the read-back takes of the 128 bytes at 0x0B80: words 0 to 31.
inline constexpr std::size_t kReadBackWords = 32;

// What the exchange works on; only references are held.
struct OptionExchangeParts {
    DeviceRecord& device;
    DeviceOptions& options;
    DataBuffer& buffer;
    ProgrammerLink& link;
    Messages& messages;
    OperationFailDisplay& fail;
    ChecksumDisplay& checksum;
};

class OptionExchange {
public:
    explicit OptionExchange(OptionExchangeParts parts) : p_(parts) {}

    // The operations' buffer download (SendBufferToProgrammer), which the
    // checksum needs; it reports its own failures.
    void SetBufferSender(std::function<bool()> sender) { sendBuffer_ = std::move(sender); }

    // The device's pages with the values as the store and OptionValuesSaved
    // give them.
    OptionLayout Layout() const;
    // Fills OptionWords from the store; words past the walk keep theirs.
    void PackOptionWords();

    // Packs from the store and sends (SendOptionWords). Refuses, and says
    // why, while the store missed a write of values the pages hold
    // (StoreBehind): it would send options nobody chose.
    bool SendOptionData();

    // Reopens the programmer and sends the FPGA image, the parameter block
    // and the first 64 option words as OptionWords holds them to 0x0B80.
    // Option type 1 goes on: the read voltages into the block, OpApplyOptions,
    // its status, the patch list from 0x0F00 applied to the buffer (only on a
    // pass). Refuses without opening anything for a device whose definition
    // or FPGA image is missing. True when everything went through.
    bool SendOptionWords();

    // After OpExtractOptions on an open programmer: the 128 bytes at 0x0B80,
    // words 0 to 31 into OptionWords (the rest cleared) and into the store.
    // A failed transfer leaves OptionWords and the store as they were; a
    // store that cannot be written is reported (the words arrived all the
    // same, so the result is true).
    bool ReadOptionData();

    // The chip option block in ChipOptionWords (the caller fetched it from
    // 0x0E00) into the store, reported as above. Sends nothing.
    void StoreOptionWords();

    // Option type 1, after SendOptionData: the buffer downloaded, the options
    // applied, the programmer's checksum shown in the checksum field.
    void RefreshOptionChecksum();

private:
    bool DeviceUsable() const;
    bool Reconnect();
    void Fail(const std::string& message);
    void SetReadVoltages();
    // Writes what the words give into the store; the store then holds the
    // values every component shows.
    void Unpack(std::span<const uint16_t, kOptionWordCount> words, std::size_t available);

    OptionExchangeParts p_;
    std::function<bool()> sendBuffer_;
};

}  // namespace burnmark
