// The one way the program writes a file: the bytes go to a temporary file
// beside the target, are flushed and synced, and the temporary file is
// renamed over the target. A failure at any point removes the temporary file
// and leaves the old file as it was, so a full disk or a file-size limit never
// costs the operator a file.
//
// An existing target keeps its permission bits (and, where allowed, its
// owner); a symbolic link is written through to the file it names rather than
// replaced; a target the operator cannot write (no write permission, or not
// a regular file) is refused before anything is written.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace burnmark {

enum class FileWriteStatus {
    Ok,
    CannotCreate,  // refused, or the temporary file could not be made
    WriteFailed,   // writing, syncing or renaming failed
};

struct FileWriteResult {
    FileWriteStatus status = FileWriteStatus::Ok;
    int error = 0;  // the system's error number of the failure
    explicit operator bool() const { return status == FileWriteStatus::Ok; }
    // The system's text for the error ("No space left on device", ...).
    std::string SystemText() const;
};

FileWriteResult WriteFileAtomically(const std::string& path, std::span<const char> bytes);

// The same for a file written piece by piece, so that a large file need not
// be held in memory whole: Open refuses or makes the temporary file, Write
// appends a piece, Commit syncs it and renames it over the target. Once a call
// failed the rest fail too. A writer that goes without a successful Commit
// removes its temporary file, and the old file stays as it was.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    FileWriteResult Open(const std::string& path);
    FileWriteResult Write(std::span<const char> bytes);
    FileWriteResult Commit();

private:
    FileWriteResult Fail(int error);
    void Abandon();

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    FileWriteResult failure_;
};
FileWriteResult WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace burnmark
