// The About box's rules: the versions it shows, the programmer's firmware
// text, the hidden credits, and the About command around the box (the device
// check after its OK). The box itself is a window behind AboutBoxPort.
#pragma once

#include "shell/shell_only.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "link/programmer_link.h"
#include "link/programmer_requests.h"
#include "platform/busy.h"
#include "platform/ports.h"
#include "shell/app_state.h"

namespace burnmark {

inline constexpr const char* kAboutTitle = "About";
inline constexpr const char* kSoftwareVersionLabel = "Software Version  :";
inline constexpr const char* kFirmwareVersionLabel = "Firmware Version :";
inline constexpr const char* kFirmwareNotAvailable = "Not Available";

// The program's own version, from the build.
std::string SoftwareVersion();

// Bytes 6 to 9 of the programmer's identity reply as text, printable
// characters only; "Not Available" when none is printable.
std::string FirmwareTextOf(std::span<const uint8_t, kSerialLength> reply);

// What the box shows beside "Firmware Version :": the programmer is closed
// and reopened, then asked for its identity (request 0x41). "Not Available"
// when it cannot be opened or the request fails. The program is held busy
// meanwhile, since the window's events are handled while a transfer waits.
std::string ReadFirmwareVersion(ProgrammerLink& link, BusyState& busy);

// The hidden credits: a click on the small picture Image2 arms them; the 15th
// double click on Image1 while armed opens the maker's details; a click on
// the program icon closes them; a click on the rights notice shows or hides
// the three credit texts.
class AboutCredits {
public:
    static constexpr int kDoubleClicksToOpen = 15;
    // Panel1's height and the box's height, closed and open.
    static constexpr int kPanelClosed = 161;
    static constexpr int kPanelOpen = 273;
    static constexpr int kBoxClosed = 163;
    static constexpr int kBoxOpen = 275;

    void Image2Click();
    // True when this double click opened the details.
    bool Image1DblClick();
    void ProgramIconClick();
    void Label2Click();

    bool DetailsShown() const { return detailsShown_; }
    bool CreditsShown() const { return creditsShown_; }
    bool Armed() const { return armed_ != 0; }
    int32_t DoubleClicks() const { return doubleClicks_; }
    // How much taller the box is while the details show.
    int ExtraHeight() const { return detailsShown_ ? kBoxOpen - kBoxClosed : 0; }

private:
    int32_t doubleClicks_ = 0;
    int32_t armed_ = 0;
    bool detailsShown_ = false;
    bool creditsShown_ = false;
};

// The box: shows the firmware text modally and returns when it has closed;
// true when it closed with its OK button.
class AboutBoxPort {
public:
    virtual ~AboutBoxPort() = default;
    virtual bool ShowAboutBox(const std::string& firmware) = 0;
};

enum class AboutEnd {
    Ignored,  // the exit question is open, or the program is busy
    Closed,   // closed without OK: no device check
    Ok,       // closed with OK
};

// Help_HintClick. The device check runs after the box has gone and only on
// OK, and only when the box found the programmer: without one there is no
// check to run, and nothing to report. An exception on the way is shown and
// ends the command.
AboutEnd HelpHintClick(AppState& state, ProgrammerLink& link, AboutBoxPort& box, Messages& messages,
                       const std::function<void()>& checkDeviceAfterAbout);

}  // namespace burnmark
