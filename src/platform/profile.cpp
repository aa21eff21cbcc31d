#include "platform/profile.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

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

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The file as lines without their line ends. Empty when it cannot be read.
std::vector<std::string> ReadLines(const std::string& path, bool* exists = nullptr) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    if (exists) *exists = static_cast<bool>(in);
    if (!in) return lines;
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::size_t len = end - start;
        if (len > 0 && text[start + len - 1] == '\r') --len;
        lines.emplace_back(text, start, len);
        start = end + 1;
    }
    return lines;
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) {
        text += l;
        text += "\r\n";
    }
    // Write beside the file and rename over it, so a failed write never leaves
    // half a settings file behind.
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
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

Location Find(const std::vector<std::string>& lines, std::string_view section, std::string_view key) {
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

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

bool Profile::FileExists() const {
    struct stat st {};
    return ::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Profile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback, std::size_t maxLength) const {
    const auto lines = ReadLines(path_);
    const auto loc = Find(lines, section, key);
    std::string result(fallback);
    if (loc.keyLine >= 0) {
        std::string_view k, v;
        KeyValue(lines[static_cast<std::size_t>(loc.keyLine)], &k, &v);
        result = std::string(Unquote(v));
    }
    if (result.size() > maxLength) result.resize(maxLength);
    return result;
}

int32_t Profile::ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const {
    const std::string text = ReadString(section, key, "");
    if (text.empty()) return fallback;
    return StrToIntDef(text, fallback);
}

bool Profile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

bool Profile::SectionExists(std::string_view section) const {
    return Find(ReadLines(path_), section, {}).sectionLine >= 0;
}

bool Profile::KeyExists(std::string_view section, std::string_view key) const {
    return Find(ReadLines(path_), section, key).keyLine >= 0;
}

std::vector<std::string> Profile::ReadSection(std::string_view section) const {
    const auto lines = ReadLines(path_);
    const auto loc = Find(lines, section, {});
    std::vector<std::string> keys;
    if (loc.sectionLine < 0) return keys;
    for (long i = loc.sectionLine + 1; i < loc.sectionEnd; ++i) {
        std::string_view k, v;
        if (KeyValue(lines[static_cast<std::size_t>(i)], &k, &v)) keys.emplace_back(k);
    }
    return keys;
}

std::vector<std::string> Profile::ReadSections() const {
    std::vector<std::string> names;
    for (const auto& line : ReadLines(path_)) {
        std::string_view name;
        if (SectionName(line, &name)) names.emplace_back(name);
    }
    return names;
}

bool Profile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    auto lines = ReadLines(path_);
    const auto loc = Find(lines, section, key);
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
    return WriteLines(path_, lines);
}

bool Profile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    return WriteString(section, key, std::to_string(value));
}

bool Profile::WriteBool(std::string_view section, std::string_view key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

bool Profile::WriteStrings(std::string_view section,
                           const std::vector<std::pair<std::string, std::string>>& pairs) {
    auto lines = ReadLines(path_);
    for (const auto& [key, value] : pairs) {
        const auto loc = Find(lines, section, key);
        if (loc.keyLine >= 0) {
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
    return WriteLines(path_, lines);
}

bool Profile::DeleteKey(std::string_view section, std::string_view key) {
    auto lines = ReadLines(path_);
    const auto loc = Find(lines, section, key);
    if (loc.keyLine < 0) return true;
    lines.erase(lines.begin() + loc.keyLine);
    return WriteLines(path_, lines);
}

bool Profile::EraseSection(std::string_view section) {
    auto lines = ReadLines(path_);
    const auto loc = Find(lines, section, {});
    if (loc.sectionLine < 0) return true;
    lines.erase(lines.begin() + loc.sectionLine, lines.begin() + loc.sectionEnd);
    return WriteLines(path_, lines);
}

// ---- ProfileSnapshot ---------------------------------------------------------------------

ProfileSnapshot::ProfileSnapshot(const std::string& path) {
    const auto lines = ReadLines(path, &read_);
    // Keys of a section seen before go nowhere: the first section counts.
    std::unordered_map<std::string, std::string>* current = nullptr;
    for (const auto& line : lines) {
        std::string_view name;
        if (SectionName(line, &name)) {
            const auto [it, added] = sections_.try_emplace(Lower(name));
            current = added ? &it->second : nullptr;
            continue;
        }
        std::string_view k, v;
        if (current && KeyValue(line, &k, &v)) current->try_emplace(Lower(k), Unquote(v));
    }
}

const std::string* ProfileSnapshot::Find(std::string_view section, std::string_view key) const {
    const auto s = sections_.find(Lower(section));
    if (s == sections_.end()) return nullptr;
    const auto k = s->second.find(Lower(key));
    return k == s->second.end() ? nullptr : &k->second;
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

bool ProfileSnapshot::KeyExists(std::string_view section, std::string_view key) const {
    return Find(section, key) != nullptr;
}

}  // namespace burnmark
