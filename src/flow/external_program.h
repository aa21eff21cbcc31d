// The hand-off to a device's external processing program: a native program
// in the "ExtPro" folder under History_1.ini [System] "Path", named by the
// device file's [ExtendPro] keys. The load writes DDEFile.ini into that
// folder (the action, the device file, the main window's id) and starts the
// program without waiting; the program answers through the same file.
#pragma once

#include <cstdint>
#include <string>

#include "flow/process_starter.h"
#include "platform/ports.h"

namespace burnmark {

inline constexpr const char* kDdeFileName = "DDEFile.ini";
inline constexpr const char* kExtProFolder = "ExtPro";
// [Action] "ActionFlag" after a load.
inline constexpr int32_t kActionAfterLoad = 4;

inline constexpr const char* kExtProNameErrorText = "[ExtendPro]-ExtendProName item error";
inline constexpr const char* kExtProNameErrorTitle = "INI file error";
inline constexpr const char* kExtProStartFailText = "Run external plugin fail !";
inline constexpr const char* kExtProStartFailTitle = "ERROR";

// History_1.ini [System] "Path" (default "None"): the folder that holds
// DDEFile.ini and the ExtPro folder.
std::string ReadSystemPath(const std::string& historyIniPath);
// [ExtendPro] "HaveExtendPro" of the device file is not 0.
bool HasExtendPro(const std::string& deviceIniPath);

enum ExtendProResult : int32_t {
    kExtendProFailed = -1,
    kExtendProNone = 0,
    kExtendProStarted = 1,
};

// Starts the external program of the device whose definition file deviceIni
// names (a stored path: the selected device's) for the action: 0 when the
// device has none; -1 after "[ExtendPro]-ExtendProName item error" ("INI file error")
// when the name is missing or is not a plain file name, or after
// "Run external plugin fail !" ("ERROR") when DDEFile.ini cannot be written
// or the program cannot start; 1 when it started.
int32_t RunExtendPro(int32_t action, const std::string& deviceIni,
                     const std::string& historyIniPath, uint64_t mainWindowId,
                     ProcessStarter& processes, Messages& messages);

}  // namespace burnmark
