#include "shell/ui/usb_wait_wiring.h"

#include "platform/libusb_transport.h"
#include "platform/ports.h"
#include "shell/ui/main_form.h"

namespace burnmark {

void ConnectUsbWaitsToWindow(LibusbTransport& usb, TMainForm& form, Pump& pump) {
    usb.SetWaitHook([&pump] { pump.ProcessEvents(); });
    usb.SetStopCount([&form] { return form.StopPresses(); });
}

}  // namespace burnmark
