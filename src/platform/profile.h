// Settings (INI) files with the private-profile rules: sections and keys match
// without regard to case, values are trimmed, a missing key gives the caller's
// default, and every call opens, reads or writes, and closes the file, so that a
// file written by somebody else is seen at once. LF and CRLF are read; CRLF is
// written. A write changes the key in place and keeps every other line.
//
// A file that exists but cannot be read (no permission, not a regular file,
// larger than kMaxProfileFileBytes) reads as empty, so every read gives its
// default, and every write to it fails and leaves it alone: a settings file
// is never replaced by one that holds only the key just written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/ports.h"

namespace burnmark {

// Settings and definition files are a few kilobytes; one this large is not
// one of them, and reading it would hold the window for seconds.
inline constexpr std::size_t kMaxProfileFileBytes = std::size_t{4} << 20;

enum class ProfileFileState {
    Missing,  // no such file: reads give defaults, a write creates it
    Read,
    Unreadable,  // exists, but cannot be read (or is no regular file)
    TooLarge,    // exists, but is larger than kMaxProfileFileBytes
};

// What the operator is told of a file that exists and is not read:
// "Ini File can't be read !!" or "Ini File too large !! (more than 4 MB)",
// each followed by a line feed and the path. Empty for the other states.
std::string ProfileProblemText(const std::string& path, ProfileFileState state);

// A settings file read once, for a reader that looks up many keys (the
// device definition loader): the same rules as Profile, from memory.
class ProfileSnapshot {
public:
    explicit ProfileSnapshot(const std::string& path);

    ProfileFileState State() const { return state_; }
    bool FileExists() const { return state_ != ProfileFileState::Missing; }
    bool FileRead() const { return state_ == ProfileFileState::Read; }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback,
                           std::size_t maxLength = std::string::npos) const;
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
    bool SectionExists(std::string_view section) const;
    bool KeyExists(std::string_view section, std::string_view key) const;
    std::vector<std::string> ReadSection(std::string_view section) const;
    std::vector<std::string> ReadSections() const;

private:
    const std::string* Find(std::string_view section, std::string_view key) const;

    ProfileFileState state_ = ProfileFileState::Missing;
    std::vector<std::string> lines_;
    // The value of each key (section and key in lower case, a NUL between)
    // as its first line in the first section of that name gives it, and the
    // lower-case section names seen.
    std::unordered_map<std::string, std::string> values_;
    std::unordered_set<std::string> sections_;
    // The lines of the first section of each (lower-case) name, after its
    // header: [first, end).
    std::unordered_map<std::string, std::pair<std::size_t, std::size_t>> sectionLines_;
};

class Profile {
public:
    explicit Profile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }
    bool FileExists() const;
    // Reads the file to tell whether it can be used.
    ProfileFileState State() const;

    // The value of the key, trimmed of blanks; one pair of enclosing quotes is
    // removed. maxLength caps the characters returned.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback,
                           std::size_t maxLength = std::string::npos) const;
    // Decimal, or hexadecimal after "0x" or "$"; the default when missing or
    // not a number.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

    bool SectionExists(std::string_view section) const;
    bool KeyExists(std::string_view section, std::string_view key) const;
    // Key names of a section, in file order.
    std::vector<std::string> ReadSection(std::string_view section) const;
    // Section names, in file order.
    std::vector<std::string> ReadSections() const;

    // Writes the key in place; adds a missing key at the end of its section and
    // a missing section at the end of the file; creates the file. The file is
    // replaced whole (platform/atomic_file.h). False when the file cannot be
    // read or written; it is then left as it was.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, int32_t value);
    bool WriteBool(std::string_view section, std::string_view key, bool value);
    // Several keys of one section in one pass over the file, each as
    // WriteString would write it (later pairs win over earlier ones).
    bool WriteStrings(std::string_view section,
                      const std::vector<std::pair<std::string, std::string>>& pairs);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool EraseSection(std::string_view section);
    // The section's keys replaced by the pairs, in their order, in one pass
    // over the file: the section keeps its place (a missing one is added at
    // the end of the file) and lines after its last key stay. With no pairs
    // the section stays without keys, so that a later section of the same
    // name does not come to count in its place. Values are written as given.
    bool ReplaceSection(std::string_view section,
                        const std::vector<std::pair<std::string, std::string>>& pairs);

    // Why the last write through this object failed, for the operator: the
    // system's text ("Permission denied", "No space left on device", ...) or
    // ProfileProblemText for a file that cannot be read. Empty after a success.
    const std::string& LastWriteError() const { return lastWriteError_; }

private:
    // Reads the lines for a change; false (and the reason noted) when the
    // file cannot be read and so must not be rewritten.
    bool LinesForWrite(std::vector<std::string>& lines);
    bool WriteLines(const std::vector<std::string>& lines);

    std::string path_;
    std::string lastWriteError_;
};

}  // namespace burnmark
