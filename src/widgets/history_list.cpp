#include "widgets/history_list.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace burnmark {

namespace {

std::size_t Cap(int32_t maxLength) {
    return maxLength > 0 ? static_cast<std::size_t>(maxLength) : 0;
}

std::string Key(std::size_t index) { return "H" + std::to_string(index); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsQuote(char c) { return c == '"' || c == '\''; }

// What the settings reader would change of the name written bare.
bool NeedsQuotes(std::string_view name) {
    if (IsBlank(name.front()) || IsBlank(name.back())) return true;
    return name.size() >= 2 && IsQuote(name.front()) && name.back() == name.front();
}

}  // namespace

std::string HistoryIniFile(const std::string& iniFileName, const std::string& programPath) {
    if (!iniFileName.empty()) return iniFileName;
    return std::filesystem::path(programPath).replace_extension(".INI").string();
}

bool StorableHistoryName(std::string_view name) {
    return !name.empty() && name.find_first_of("\r\n") == std::string_view::npos;
}

std::string HistoryValue(std::string_view name) {
    if (!NeedsQuotes(name)) return std::string(name);
    std::string value = "\"";
    value += name;
    value += '"';
    return value;
}

std::vector<std::string> ReadHistory(const Profile& ini, std::string_view section,
                                     int32_t maxLength) {
    const ProfileSnapshot file(ini.Path());
    std::vector<std::string> list;
    for (std::size_t i = 0; i < Cap(maxLength); ++i) {
        std::string entry = file.ReadString(section, Key(i), "");
        if (entry.empty()) break;
        if (StorableHistoryName(entry)) list.push_back(std::move(entry));
    }
    return list;
}

std::vector<std::string> HistoryAfterWrite(std::string_view text, std::vector<std::string> list,
                                           int32_t maxLength) {
    if (!text.empty()) list.insert(list.begin(), std::string(text));
    std::vector<std::string> result;
    bool textSeen = false;
    for (std::string& entry : list) {
        if (!StorableHistoryName(entry)) continue;
        if (!text.empty() && entry == text) {
            if (textSeen) continue;
            textSeen = true;
        }
        result.push_back(std::move(entry));
    }
    if (result.size() > Cap(maxLength)) result.resize(Cap(maxLength));
    return result;
}

bool WriteHistory(Profile& ini, std::string_view section, const std::vector<std::string>& list) {
    std::vector<std::pair<std::string, std::string>> pairs;
    pairs.reserve(list.size());
    for (const std::string& entry : list) {
        if (!StorableHistoryName(entry)) continue;
        pairs.emplace_back(Key(pairs.size()), HistoryValue(entry));
    }
    return ini.ReplaceSection(section, pairs);
}

}  // namespace burnmark
