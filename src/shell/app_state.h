// The main window's own state: the application directory, the exit guard,
// the busy lock, and the project and lamp flags. Everything else lives with
// the subsystem that writes it (the device record and its fuse-map geometry,
// the buffer sizing, the option words, the run state, the link's flags, the
// sound settings, the checksum field).
#pragma once

#include "shell/shell_only.h"

#include <cstdint>
#include <string>

#include "platform/busy.h"

namespace burnmark {

struct AppState {
    // Application directory, always ending in '/'.
    std::string AppDir;
    // Scratch for the settings path (AppDir + "History_1.ini").
    std::string PathBuffer;

    // 1 from the moment the exit question is asked; cleared by No.
    uint8_t ExitGuard = 0;

    // The device file the start-up restored ([SelectDlg] "IcFileName"); the
    // device check after the About box loads it again.
    std::string DeviceIniPath;

    // 1 once the fuse-map editor window exists.
    uint8_t Form2Created = 0;
    // 1 after a project entry was opened.
    uint8_t ProjectOpened = 0;

    // The second Run picture's lamp sequence (else it shows the editor): 0
    // after the main window's creation, 1 whenever the Copy page is shown,
    // toggled by every click on CheckBox1, CheckBox6 and CheckBox7.
    uint8_t Run2LedFlag = 0;

    // Set while an operation, a load or the automatic run is going: every
    // command but Stop is disabled.
    BusyState Busy;

    std::string HistoryIniPath() const { return AppDir + "History_1.ini"; }
};

}  // namespace burnmark
