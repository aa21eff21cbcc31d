// The program-wide state the main window holds for every subsystem. One
// instance, owned by TMainForm, handed to the others by reference.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace burnmark {

inline constexpr const char* kHardwareMissingText =
    " Hardware not connected! \n\n Please Check USB cable connect,Power,Power Switch..\n\n"
    " The System is in DEMO mode Now !!";

struct AppState {
    // Application directory, always ending in '/'.
    std::string AppDir;
    // Scratch for the settings path (AppDir + "History_1.ini").
    std::string PathBuffer;

    uint8_t SoundOn = 1;
    uint8_t SoundMode = 0;
    std::string HardwareMissingMessage = kHardwareMissingText;

    uint8_t ExitGuard = 0;
    uint8_t StopFlag = 0;

    std::string DeviceIniPath;
    uint8_t SkipIniPathCopy = 0;
    uint8_t FpgaBufferOwned = 0;

    // Fuse-map geometry of the selected device.
    uint8_t HasFuseMap = 0;
    int32_t FuseRows = 0;
    int32_t FuseCols = 0;
    uint8_t PinCount = 0;
    uint32_t FuseCount = 0;
    uint8_t Form2Created = 0;

    std::array<uint16_t, 128> OptionWords{};
    std::array<uint16_t, 128> ChipOptionWords{};
    int32_t OptionValuesSaved = 0;
    uint8_t VerifyListWanted = 0;
    uint8_t ProjectOpened = 0;

    // Automatic run.
    uint8_t RunActive = 0;
    uint8_t RunReady = 0;
    uint8_t RunFailed = 0;
    uint8_t VerifyErrorsFound = 0;
    uint8_t ReadOkFlag = 0;

    uint32_t LastChecksum = 0;

    // Buffer sizing.
    uint32_t BufferSize = 0;
    uint32_t LoadedBufferSize = 0;

    uint8_t WholeDeviceSum = 0;
    uint8_t LoadPending = 0;

    // The second Run picture's lamp sequence: 0 after the main window's
    // creation, 1 whenever the Copy page is shown, toggled by CheckBox1.
    uint8_t Run2LedFlag = 0;

    // True while an operation, a load or the automatic run is going: every
    // command but Stop is disabled.
    bool Busy = false;

    std::string HistoryIniPath() const { return AppDir + "History_1.ini"; }
};

}  // namespace burnmark
