// The drop-down history of a file-name box, kept in an INI section as "H0",
// "H1", ... with the most recent first.
//
// Every name the history keeps reads back exactly as it was written. The
// settings reader trims blanks from a value and takes off one pair of
// enclosing quotes, so a name that would lose something that way (leading or
// trailing blanks, enclosing quotes, a name of blanks only) is written inside
// one pair of double quotes, which the reader takes off again; every other
// name is written as it is, as older files have it. A name that no line can
// hold (empty, or with a carriage return or a line feed) is not kept.
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

// Whether the history can keep the name (see above).
bool StorableHistoryName(std::string_view name);
// The value written for a storable name.
std::string HistoryValue(std::string_view name);

// "H0", "H1", ... from the section, up to maxLength entries (a negative one
// counts as 0), ending at the first empty value: a gap in the keys ends it.
// A value no history writes (one with a carriage return inside) is passed over.
std::vector<std::string> ReadHistory(const Profile& ini, std::string_view section,
                                     int32_t maxLength);

// The list after a write with `text` in the box: the text on top unless
// empty, every later entry equal to the text (case counts) dropped, then the
// first maxLength kept. Copies of other names stay where they are. Names the
// history cannot keep are dropped.
std::vector<std::string> HistoryAfterWrite(std::string_view text, std::vector<std::string> list,
                                           int32_t maxLength);

// Writes the list as "H0", "H1", ... in order in place of the section's
// keys, in one write of the file; false when the file could not be written
// (it is then left as it was).
bool WriteHistory(Profile& ini, std::string_view section, const std::vector<std::string>& list);

}  // namespace burnmark
