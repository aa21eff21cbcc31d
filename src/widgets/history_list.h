// The drop-down history of a file-name box, kept in an INI section as "H0",
// "H1", ... with the most recent first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile.h"

namespace burnmark {

inline constexpr int32_t kDefaultMaxHistoryLength = 7;

// The INI file of a box: its own name, or without one the program's path with
// its extension changed to ".INI".
std::string HistoryIniFile(const std::string& iniFileName, const std::string& programPath);

// "H0", "H1", ... from the section, up to maxLength entries (a negative one
// counts as 0), ending at the first empty value: a gap in the keys ends it.
std::vector<std::string> ReadHistory(const Profile& ini, std::string_view section,
                                     int32_t maxLength);

// The list after a write with `text` in the box: the text on top unless
// empty, every later entry equal to the first of its kind (case counts)
// dropped, then the first maxLength kept. Names with a carriage return or a
// line feed would break the file's lines and are dropped.
std::vector<std::string> HistoryAfterWrite(std::string_view text, std::vector<std::string> list,
                                           int32_t maxLength);

// Erases the section and writes the list as "H0", "H1", ... in order.
bool WriteHistory(Profile& ini, std::string_view section, const std::vector<std::string>& list);

}  // namespace burnmark
