// Saving a range of the data buffer: binary, Intel HEX, Motorola S1, S2, S3
// and Tektronix hex. A text save makes its text in pieces of a few megabytes
// and writes each as it is made, through the atomic writer, which replaces the
// old file only when the whole text was written and synced.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "buffer/formats/motorola_hex.h"
#include "platform/ports.h"

namespace burnmark {

class Profile;

// [SaveDlg] "Format". Any other value saves binary.
enum class SaveFormat : int {
    Binary = 0,
    IntelHex = 1,
    MotorolaS1 = 2,
    MotorolaS2 = 3,
    MotorolaS3 = 4,
    Tektronix = 5,
};
SaveFormat SaveFormatFromSetting(int32_t value);

// [SaveDlg] "Name", "SourceSAdd", "SourceEAdd" (inclusive buffer range), "Format".
struct SaveSettings {
    std::string Name = "None";
    int64_t SourceSAdd = 0;
    int64_t SourceEAdd = 0;
    SaveFormat Format = SaveFormat::Binary;
};
SaveSettings ReadSaveSettings(const Profile& history);

enum class SaveStatus {
    Ok,
    EmptyRange,      // the end lies before the start
    RangeTooLarge,   // more than the format's addresses reach
    OutsideBuffer,   // the range does not lie within the buffer
    FileError,       // the file could not be created or written
};

struct SaveResult {
    SaveStatus status = SaveStatus::Ok;
    std::string message;  // for FileError: what the file system said
    explicit operator bool() const { return status == SaveStatus::Ok; }
};

// The largest range each format's record addresses reach.
uint64_t MaxSaveLength(SaveFormat format);

// Writes text (or bytes) as the whole new content of the file. The old file
// stays whole when anything fails (platform/atomic_file.h); a read-only file
// is refused.
SaveResult WriteWholeFile(const std::string& path, std::span<const char> bytes);

// The L bytes from offset, exactly (no rounding); replaces an older file.
SaveResult SaveBlockToFile(std::span<const uint8_t> block, uint64_t length,
                           const std::string& path, uint64_t offset);
SaveResult SaveIntelHex(const std::string& path, std::span<const uint8_t> block, uint64_t start,
                        uint64_t length, Progress& progress);
SaveResult SaveMotorolaHex(const std::string& path, std::span<const uint8_t> block,
                           uint64_t start, MotorolaRecord type, uint64_t length,
                           Progress& progress);
SaveResult SaveTektronixHex(const std::string& path, std::span<const uint8_t> block,
                            uint64_t start, uint64_t length, Progress& progress);

// Dispatches on settings.Format with start = SourceSAdd and
// L = SourceEAdd + 1 - SourceSAdd. The text saves show the progress window
// while they build the text.
SaveResult SaveBufferToFile(const SaveSettings& settings, std::span<const uint8_t> buffer,
                            Progress& progress);
// The same with the settings read from History_1.ini [SaveDlg].
SaveResult SaveBufferToFile(const Profile& history, std::span<const uint8_t> buffer,
                            Progress& progress);

}  // namespace burnmark
