// Settings (INI) files with the private-profile rules: sections and keys match
// without regard to case, values are trimmed, a missing key gives the caller's
// default, and every call opens, reads or writes, and closes the file, so that a
// file written by somebody else is seen at once. LF and CRLF are read; CRLF is
// written. A write changes the key in place and keeps every other line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace burnmark {

class Profile {
public:
    explicit Profile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }
    bool FileExists() const;

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
    // a missing section at the end of the file; creates the file. False when the
    // file cannot be written.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, int32_t value);
    bool WriteBool(std::string_view section, std::string_view key, bool value);
    // Several keys of one section in one pass over the file, each as
    // WriteString would write it (later pairs win over earlier ones).
    bool WriteStrings(std::string_view section,
                      const std::vector<std::pair<std::string, std::string>>& pairs);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool EraseSection(std::string_view section);

private:
    std::string path_;
};

// A settings file read once, for a caller that looks up many keys of one file
// in one go: the lookups follow Profile's rules (the first section of a name
// and the first key in it count) without reading the file for each key.
class ProfileSnapshot {
public:
    explicit ProfileSnapshot(const std::string& path);

    bool FileRead() const { return read_; }
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback,
                           std::size_t maxLength = std::string::npos) const;
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
    bool KeyExists(std::string_view section, std::string_view key) const;

private:
    const std::string* Find(std::string_view section, std::string_view key) const;

    bool read_ = false;
    // Lower-case section and key names to values.
    std::unordered_map<std::string, std::unordered_map<std::string, std::string>> sections_;
};

}  // namespace burnmark
