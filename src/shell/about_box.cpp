#include "shell/about_box.h"

#include <array>
#include <exception>

#ifndef BURNMARK_VERSION
#define BURNMARK_VERSION "0.0"
#endif

namespace burnmark {

std::string SoftwareVersion() { return BURNMARK_VERSION; }

std::string FirmwareTextOf(std::span<const uint8_t, kSerialLength> reply) {
    std::string text;
    for (std::size_t i = 6; i <= 9; ++i)
        if (reply[i] >= 0x20 && reply[i] < 0x7F) text += static_cast<char>(reply[i]);
    // Blanks alone say nothing either.
    if (text.find_first_not_of(' ') == std::string::npos) return kFirmwareNotAvailable;
    return text;
}

std::string ReadFirmwareVersion(ProgrammerLink& link, BusyState& busy) {
    BusyScope held(busy);
    if (!link.Reopen()) return kFirmwareNotAvailable;
    std::array<uint8_t, kSerialLength> reply{};
    if (!link.ReadSerial(reply)) return kFirmwareNotAvailable;
    return FirmwareTextOf(reply);
}

void AboutCredits::Image2Click() {
    armed_ = 1;
    doubleClicks_ = 0;
}

bool AboutCredits::Image1DblClick() {
    ++doubleClicks_;
    if (armed_ == 0 || doubleClicks_ < kDoubleClicksToOpen) return false;
    armed_ = 0;
    doubleClicks_ = 0;
    detailsShown_ = true;
    return true;
}

void AboutCredits::ProgramIconClick() {
    armed_ = 0;
    doubleClicks_ = 0;
    detailsShown_ = false;
}

void AboutCredits::Label2Click() { creditsShown_ = !creditsShown_; }

AboutEnd HelpHintClick(AppState& state, ProgrammerLink& link, AboutBoxPort& box, Messages& messages,
                       const std::function<void()>& checkDeviceAfterAbout) {
    if (state.ExitGuard != 0 || state.Busy.Busy()) return AboutEnd::Ignored;
    try {
        const std::string firmware = ReadFirmwareVersion(link, state.Busy);
        if (!box.ShowAboutBox(firmware)) return AboutEnd::Closed;
        if (link.IsOpen() && checkDeviceAfterAbout) checkDeviceAfterAbout();
        return AboutEnd::Ok;
    } catch (const std::exception& e) {
        // The application's exception display.
        messages.MessageBox(e.what(), "Error", MsgButtons::Ok, MsgIcon::Error);
        return AboutEnd::Closed;
    }
}

}  // namespace burnmark
