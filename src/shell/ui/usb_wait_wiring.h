// The programmer's transfers wait with the window alive: the window's events
// are handled between the slices of every wait (the busy window keeps every
// command but Stop disabled meanwhile), and a Stop press where Stop may act
// ends a wait for the programmer's routine.
#pragma once

namespace burnmark {

class LibusbTransport;
class Pump;
class TMainForm;

// The transport and the pump outlive the window's use of them.
void ConnectUsbWaitsToWindow(LibusbTransport& usb, TMainForm& form, Pump& pump);

}  // namespace burnmark
