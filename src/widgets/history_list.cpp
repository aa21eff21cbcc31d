#include "widgets/history_list.h"

#include <algorithm>
#include <filesystem>

namespace burnmark {

namespace {

std::size_t Cap(int32_t maxLength) {
    return maxLength > 0 ? static_cast<std::size_t>(maxLength) : 0;
}

bool Storable(std::string_view entry) {
    return entry.find_first_of("\r\n") == std::string_view::npos;
}

std::string Key(std::size_t index) { return "H" + std::to_string(index); }

}  // namespace

std::string HistoryIniFile(const std::string& iniFileName, const std::string& programPath) {
    if (!iniFileName.empty()) return iniFileName;
    return std::filesystem::path(programPath).replace_extension(".INI").string();
}

std::vector<std::string> ReadHistory(const Profile& ini, std::string_view section,
                                     int32_t maxLength) {
    std::vector<std::string> list;
    for (std::size_t i = 0; i < Cap(maxLength); ++i) {
        std::string entry = ini.ReadString(section, Key(i), "");
        if (entry.empty()) break;
        list.push_back(std::move(entry));
    }
    return list;
}

std::vector<std::string> HistoryAfterWrite(std::string_view text, std::vector<std::string> list,
                                           int32_t maxLength) {
    if (!text.empty()) list.insert(list.begin(), std::string(text));
    std::vector<std::string> result;
    for (std::string& entry : list) {
        if (!Storable(entry)) continue;
        if (std::find(result.begin(), result.end(), entry) != result.end()) continue;
        result.push_back(std::move(entry));
    }
    if (result.size() > Cap(maxLength)) result.resize(Cap(maxLength));
    return result;
}

bool WriteHistory(Profile& ini, std::string_view section, const std::vector<std::string>& list) {
    ini.EraseSection(section);
    bool ok = true;
    for (std::size_t i = 0; i < list.size(); ++i)
        ok = ini.WriteString(section, Key(i), list[i]) && ok;
    return ok;
}

}  // namespace burnmark
