#include "platform/profile.h"
#include "platform/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <span>

#include "platform/atomic_file.h"
#include "platform/number.h"

namespace burnmark {

namespace {

std::string_view Trim(std::string_view s) {
    const char* blanks = " \t\r\n";
    const auto b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos) return {};
    const auto e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}


std::string IndexKey(std::string_view section, std::string_view key) {
    std::string k = AsciiLower(section);
    k.push_back('\0');
    k += AsciiLower(key);
    return k;
}

// Calls line(text) for each line of the file without its line end (LF or
// CRLF) until it returns false, and tells whether the file could be read. A
// file that fails part way reads as empty: line() may have seen lines of it.
template <typename Line>
void ScanLines(const std::string& path, ProfileFileState& state, Line&& line) {
    // Without blocking: a pipe at the path must not hold the window.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        state = errno == ENOENT || errno == ENOTDIR ? ProfileFileState::Missing
                                                    : ProfileFileState::Unreadable;
        return;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        state = ProfileFileState::Unreadable;
        return;
    }
    if (static_cast<uint64_t>(st.st_size) > kMaxProfileFileBytes) {
        state = ProfileFileState::TooLarge;
        return;
    }
    state = ProfileFileState::Read;
    auto each = [&](std::string_view text) {
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        return line(text);
    };
    // The lines of each piece as it comes, the start of a line the piece
    // cuts kept for the next.
    std::string pending;
    std::size_t total = 0;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            state = ProfileFileState::Unreadable;
            return;
        }
        if (n == 0) break;
        total += static_cast<std::size_t>(n);
        // The file may have grown since its size was taken.
        if (total > kMaxProfileFileBytes) {
            state = ProfileFileState::TooLarge;
            return;
        }
        std::string_view piece(chunk, static_cast<std::size_t>(n));
        for (std::size_t end; (end = piece.find('\n')) != std::string_view::npos;) {
            bool go;
            if (pending.empty()) {
                go = each(piece.substr(0, end));
            } else {
                pending.append(piece.substr(0, end));
                go = each(pending);
                pending.clear();
            }
            if (!go) return;
            piece.remove_prefix(end + 1);
        }
        pending.append(piece);
    }
    if (!pending.empty()) each(pending);
}

// The file as lines without their line ends, and whether it could be read.
std::vector<std::string> ReadLines(const std::string& path, ProfileFileState& state) {
    std::vector<std::string> lines;
    ScanLines(path, state, [&](std::string_view l) {
        lines.emplace_back(l);
        return true;
    });
    if (state != ProfileFileState::Read) lines.clear();
    return lines;
}

// "[name]" gives name; nullopt for other lines.
bool SectionName(std::string_view line, std::string_view* name) {
    const auto t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    const auto close = t.find(']');
    if (close == std::string_view::npos) return false;
    *name = Trim(t.substr(1, close - 1));
    return true;
}

// "key=value" gives both (trimmed); false for comments and other lines.
bool KeyValue(std::string_view line, std::string_view* key, std::string_view* value) {
    const auto t = Trim(line);
    if (t.empty() || t.front() == ';') return false;
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    *key = Trim(t.substr(0, eq));
    *value = Trim(t.substr(eq + 1));
    return true;
}

struct Location {
    long sectionLine = -1;  // index of the "[section]" line
    long sectionEnd = -1;   // one past the last line of the section
    long keyLine = -1;      // index of the key's line
    long lastKeyLine = -1;  // last key line of the section
};

Location Locate(const std::vector<std::string>& lines, std::string_view section,
                std::string_view key) {
    Location loc;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (SectionName(lines[i], &name)) {
            if (inSection) {
                loc.sectionEnd = static_cast<long>(i);
                return loc;
            }
            // The first section of that name is the one that counts.
            if (loc.sectionLine < 0 && EqualNoCase(name, section)) {
                inSection = true;
                loc.sectionLine = static_cast<long>(i);
            }
            continue;
        }
        if (!inSection) continue;
        std::string_view k, v;
        if (KeyValue(lines[i], &k, &v)) {
            loc.lastKeyLine = static_cast<long>(i);
            if (loc.keyLine < 0 && !key.empty() && EqualNoCase(k, key)) loc.keyLine = static_cast<long>(i);
        }
    }
    if (inSection) loc.sectionEnd = static_cast<long>(lines.size());
    return loc;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}


// The value of one key by the snapshot's rules (the first section of the
// name, in it the first line of the key), found without indexing the file:
// a lookup of one key reads no further than it has to.
std::optional<std::string> FindValue(const std::string& path, std::string_view section,
                                     std::string_view key) {
    std::optional<std::string> found;
    if (key.empty()) return found;
    bool inSection = false;
    ProfileFileState state;
    ScanLines(path, state, [&](std::string_view line) {
        std::string_view name;
        if (SectionName(line, &name)) {
            // Past the first section of that name nothing else counts.
            if (inSection) return false;
            inSection = EqualNoCase(name, section);
            return true;
        }
        std::string_view k, v;
        if (inSection && KeyValue(line, &k, &v) && EqualNoCase(k, key)) {
            found = std::string(Unquote(v));
            return false;
        }
        return true;
    });
    // A file that failed part way counts as unread, as a snapshot of it does.
    if (state != ProfileFileState::Read) found.reset();
    return found;
}

}  // namespace

std::string ProfileProblemText(const std::string& path, ProfileFileState state) {
    switch (state) {
        case ProfileFileState::Unreadable:
            return "Ini File can't be read !!\n" + path;
        case ProfileFileState::TooLarge:
            return "Ini File too large !! (more than " +
                   std::to_string(kMaxProfileFileBytes >> 20) + " MB)\n" + path;
        default:
            return {};
    }
}

// ---- ProfileSnapshot -------------------------------------------------------------------------

ProfileSnapshot::ProfileSnapshot(const std::string& path) {
    lines_ = ReadLines(path, state_);
    // Only the first section of a name counts, and in it the first line of a key.
    bool inFirst = false;
    std::string section;
    std::pair<std::size_t, std::size_t>* lines = nullptr;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        std::string_view name;
        if (SectionName(line, &name)) {
            if (lines) lines->second = i;
            lines = nullptr;
            section = AsciiLower(name);
            inFirst = sections_.insert(section).second;
            if (inFirst) lines = &(sectionLines_[section] = {i + 1, lines_.size()});
            continue;
        }
        std::string_view k, v;
        if (!inFirst || !KeyValue(line, &k, &v) || k.empty()) continue;
        values_.try_emplace(IndexKey(section, k), Unquote(v));
    }
}

const std::string* ProfileSnapshot::Find(std::string_view section, std::string_view key) const {
    if (key.empty()) return nullptr;
    const auto it = values_.find(IndexKey(section, key));
    return it == values_.end() ? nullptr : &it->second;
}

std::string ProfileSnapshot::ReadString(std::string_view section, std::string_view key,
                                        std::string_view fallback, std::size_t maxLength) const {
    const std::string* value = Find(section, key);
    std::string result = value ? *value : std::string(fallback);
    if (result.size() > maxLength) result.resize(maxLength);
    return result;
}

int32_t ProfileSnapshot::ReadInteger(std::string_view section, std::string_view key,
                                     int32_t fallback) const {
    const std::string* value = Find(section, key);
    if (!value || value->empty()) return fallback;
    return StrToIntDef(*value, fallback);
}

bool ProfileSnapshot::SectionExists(std::string_view section) const {
    return sections_.count(AsciiLower(section)) != 0;
}

bool ProfileSnapshot::KeyExists(std::string_view section, std::string_view key) const {
    return Find(section, key) != nullptr;
}

std::vector<std::string> ProfileSnapshot::ReadSection(std::string_view section) const {
    std::vector<std::string> keys;
    const auto found = sectionLines_.find(AsciiLower(section));
    if (found == sectionLines_.end()) return keys;
    for (std::size_t i = found->second.first; i < found->second.second; ++i) {
        std::string_view k, v;
        if (KeyValue(lines_[i], &k, &v)) keys.emplace_back(k);
    }
    return keys;
}

std::vector<std::string> ProfileSnapshot::ReadSections() const {
    std::vector<std::string> names;
    for (const auto& line : lines_) {
        std::string_view name;
        if (SectionName(line, &name)) names.emplace_back(name);
    }
    return names;
}

// ---- Profile ---------------------------------------------------------------------------------

bool Profile::FileExists() const {
    struct stat st {};
    return ::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

ProfileFileState Profile::State() const { return ProfileSnapshot(path_).State(); }

std::string Profile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback, std::size_t maxLength) const {
    std::string result = FindValue(path_, section, key).value_or(std::string(fallback));
    if (result.size() > maxLength) result.resize(maxLength);
    return result;
}

int32_t Profile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t fallback) const {
    const std::optional<std::string> value = FindValue(path_, section, key);
    if (!value || value->empty()) return fallback;
    return StrToIntDef(*value, fallback);
}

bool Profile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

bool Profile::SectionExists(std::string_view section) const {
    return ProfileSnapshot(path_).SectionExists(section);
}

bool Profile::KeyExists(std::string_view section, std::string_view key) const {
    return FindValue(path_, section, key).has_value();
}

std::vector<std::string> Profile::ReadSection(std::string_view section) const {
    return ProfileSnapshot(path_).ReadSection(section);
}

std::vector<std::string> Profile::ReadSections() const {
    return ProfileSnapshot(path_).ReadSections();
}

bool Profile::LinesForWrite(std::vector<std::string>& lines) {
    lastWriteError_.clear();
    ProfileFileState state;
    lines = ReadLines(path_, state);
    if (state == ProfileFileState::Missing || state == ProfileFileState::Read) return true;
    lastWriteError_ = ProfileProblemText(path_, state);
    return false;
}

bool Profile::WriteLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) {
        text += l;
        text += "\r\n";
    }
    const FileWriteResult written = WriteFileAtomically(path_, std::span<const char>(text));
    lastWriteError_ = written ? std::string() : written.SystemText();
    return static_cast<bool>(written);
}

bool Profile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::vector<std::string> lines;
    if (!LinesForWrite(lines)) return false;
    const auto loc = Locate(lines, section, key);
    const std::string entry = std::string(key) + "=" + std::string(value);
    if (loc.keyLine >= 0) {
        // Keep the key as the file spells it.
        std::string_view k, v;
        KeyValue(lines[static_cast<std::size_t>(loc.keyLine)], &k, &v);
        lines[static_cast<std::size_t>(loc.keyLine)] = std::string(k) + "=" + std::string(value);
    } else if (loc.sectionLine >= 0) {
        const long at = loc.lastKeyLine >= 0 ? loc.lastKeyLine + 1 : loc.sectionLine + 1;
        lines.insert(lines.begin() + at, entry);
    } else {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(entry);
    }
    return WriteLines(lines);
}

bool Profile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    return WriteString(section, key, std::to_string(value));
}

bool Profile::WriteBool(std::string_view section, std::string_view key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

bool Profile::WriteStrings(std::string_view section,
                           const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::vector<std::string> lines;
    if (!LinesForWrite(lines)) return false;
    for (const auto& [key, value] : pairs) {
        const auto loc = Locate(lines, section, key);
        if (loc.keyLine >= 0) {
            // Keep the key as the file spells it.
            std::string_view k, v;
            KeyValue(lines[static_cast<std::size_t>(loc.keyLine)], &k, &v);
            lines[static_cast<std::size_t>(loc.keyLine)] = std::string(k) + "=" + value;
        } else if (loc.sectionLine >= 0) {
            const long at = loc.lastKeyLine >= 0 ? loc.lastKeyLine + 1 : loc.sectionLine + 1;
            lines.insert(lines.begin() + at, key + "=" + value);
        } else {
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(key + "=" + value);
        }
    }
    return WriteLines(lines);
}

bool Profile::DeleteKey(std::string_view section, std::string_view key) {
    std::vector<std::string> lines;
    if (!LinesForWrite(lines)) return false;
    const auto loc = Locate(lines, section, key);
    if (loc.keyLine < 0) return true;
    lines.erase(lines.begin() + loc.keyLine);
    return WriteLines(lines);
}

bool Profile::EraseSection(std::string_view section) {
    std::vector<std::string> lines;
    if (!LinesForWrite(lines)) return false;
    const auto loc = Locate(lines, section, {});
    if (loc.sectionLine < 0) return true;
    lines.erase(lines.begin() + loc.sectionLine, lines.begin() + loc.sectionEnd);
    return WriteLines(lines);
}

bool Profile::ReplaceSection(std::string_view section,
                             const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::vector<std::string> lines;
    if (!LinesForWrite(lines)) return false;
    const auto loc = Locate(lines, section, {});
    // Nothing to write and no section: nothing to change, and no file made.
    if (pairs.empty() && loc.sectionLine < 0) return true;
    std::vector<std::string> keys;
    keys.reserve(pairs.size());
    for (const auto& [key, value] : pairs) keys.push_back(key + "=" + value);
    if (loc.sectionLine < 0) {
        lines.push_back("[" + std::string(section) + "]");
        lines.insert(lines.end(), keys.begin(), keys.end());
    } else {
        const long from = loc.sectionLine + 1;
        const long to = loc.lastKeyLine >= 0 ? loc.lastKeyLine + 1 : from;
        lines.erase(lines.begin() + from, lines.begin() + to);
        lines.insert(lines.begin() + from, keys.begin(), keys.end());
    }
    return WriteLines(lines);
}

}  // namespace burnmark
