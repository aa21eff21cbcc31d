#include "buffer/formats/file_writers.h"

#include <cerrno>
#include <cstring>
#include <functional>

#include "buffer/formats/intel_hex.h"
#include "buffer/formats/tektronix_hex.h"
#include "platform/atomic_file.h"

namespace burnmark {

namespace {

SaveResult FileError(const std::string& path, const char* what, int error) {
    return {SaveStatus::FileError,
            std::string(what) + " \"" + path + "\". " + std::strerror(error)};
}

// Checks the range against the buffer and the format's reach.
SaveResult CheckRange(std::span<const uint8_t> block, uint64_t start, uint64_t length,
                      SaveFormat format) {
    if (length > MaxSaveLength(format)) return {SaveStatus::RangeTooLarge, {}};
    if (start > block.size() || length > block.size() - start) {
        return {SaveStatus::OutsideBuffer, {}};
    }
    return {};
}

SaveResult WriteFailure(const std::string& path, const FileWriteResult& written) {
    return FileError(path,
                     written.status == FileWriteStatus::CannotCreate ? "Cannot create file"
                                                                     : "Stream write error",
                     written.error);
}

// The common frame of the text saves: the progress window shown at 0 while
// the text is made and written piece by piece through the atomic writer, then
// finished and closed; the file replaces the old one only when all of it was
// written and synced.
SaveResult SaveText(const std::string& path, Progress& progress,
                    const std::function<bool(Progress*, const TextSink&)>& write) {
    AtomicFileWriter file;
    if (const FileWriteResult opened = file.Open(path); !opened) return WriteFailure(path, opened);
    FileWriteResult written;
    const TextSink sink = [&](std::span<const char> piece) {
        written = file.Write(piece);
        return static_cast<bool>(written);
    };
    progress.Show();
    progress.ProgressSetPosition(0);
    const bool made = write(&progress, sink);
    progress.ProgressFinish();
    progress.Close();
    if (!written) return WriteFailure(path, written);
    // No memory for a piece of the text.
    if (!made) return FileError(path, "Cannot create file", ENOMEM);
    if (const FileWriteResult committed = file.Commit(); !committed)
        return WriteFailure(path, committed);
    return {};
}

}  // namespace

SaveFormat SaveFormatFromSetting(int32_t value) {
    return value >= 0 && value <= 5 ? static_cast<SaveFormat>(value) : SaveFormat::Binary;
}

uint64_t MaxSaveLength(SaveFormat format) {
    switch (format) {
        case SaveFormat::MotorolaS1:
        case SaveFormat::Tektronix: return 0x10000;
        case SaveFormat::MotorolaS2: return 0x1000000;
        default: return 0x100000000ull;
    }
}

SaveResult WriteWholeFile(const std::string& path, std::span<const char> bytes) {
    const FileWriteResult written = WriteFileAtomically(path, bytes);
    if (written) return {};
    return WriteFailure(path, written);
}

SaveResult SaveBlockToFile(std::span<const uint8_t> block, uint64_t length,
                           const std::string& path, uint64_t offset) {
    if (SaveResult r = CheckRange(block, offset, length, SaveFormat::Binary); !r) return r;
    const auto* data = reinterpret_cast<const char*>(block.data() + offset);
    return WriteWholeFile(path, {data, static_cast<std::size_t>(length)});
}

SaveResult SaveIntelHex(const std::string& path, std::span<const uint8_t> block, uint64_t start,
                        uint64_t length, Progress& progress) {
    if (SaveResult r = CheckRange(block, start, length, SaveFormat::IntelHex); !r) return r;
    return SaveText(path, progress, [&](Progress* p, const TextSink& sink) {
        return WriteIntelHex(block, start, length, p, sink);
    });
}

SaveResult SaveMotorolaHex(const std::string& path, std::span<const uint8_t> block,
                           uint64_t start, MotorolaRecord type, uint64_t length,
                           Progress& progress) {
    const SaveFormat format = type == MotorolaRecord::S1   ? SaveFormat::MotorolaS1
                              : type == MotorolaRecord::S2 ? SaveFormat::MotorolaS2
                                                           : SaveFormat::MotorolaS3;
    if (SaveResult r = CheckRange(block, start, length, format); !r) return r;
    return SaveText(path, progress, [&](Progress* p, const TextSink& sink) {
        return WriteMotorolaHex(block, start, type, length, p, sink);
    });
}

SaveResult SaveTektronixHex(const std::string& path, std::span<const uint8_t> block,
                            uint64_t start, uint64_t length, Progress& progress) {
    if (SaveResult r = CheckRange(block, start, length, SaveFormat::Tektronix); !r) return r;
    return SaveText(path, progress, [&](Progress* p, const TextSink& sink) {
        return WriteTektronixHex(block, start, length, p, sink);
    });
}

SaveResult SaveBufferToFile(const SaveSettings& s, std::span<const uint8_t> buffer,
                            Progress& progress) {
    if (s.SourceEAdd < s.SourceSAdd - 1 || s.SourceSAdd < 0) return {SaveStatus::EmptyRange, {}};
    const uint64_t start = static_cast<uint64_t>(s.SourceSAdd);
    const uint64_t length = static_cast<uint64_t>(s.SourceEAdd + 1 - s.SourceSAdd);
    switch (s.Format) {
        case SaveFormat::IntelHex: return SaveIntelHex(s.Name, buffer, start, length, progress);
        case SaveFormat::MotorolaS1:
            return SaveMotorolaHex(s.Name, buffer, start, MotorolaRecord::S1, length, progress);
        case SaveFormat::MotorolaS2:
            return SaveMotorolaHex(s.Name, buffer, start, MotorolaRecord::S2, length, progress);
        case SaveFormat::MotorolaS3:
            return SaveMotorolaHex(s.Name, buffer, start, MotorolaRecord::S3, length, progress);
        case SaveFormat::Tektronix: return SaveTektronixHex(s.Name, buffer, start, length, progress);
        default: return SaveBlockToFile(buffer, length, s.Name, start);
    }
}

}  // namespace burnmark
