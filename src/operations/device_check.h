// The device check after the About box: the box opened the programmer to read
// its firmware version, so the device is loaded again, the programmer set up
// for it, and its on-programmer verify run; the Copy page's verify step shows
// the outcome.
#pragma once

#include <string>

#include "catalogue/device_loader.h"
#include "operations/operation_frame.h"

namespace burnmark {

// Returns true when the verify passed; false when nothing was done or a step
// failed (each failure shows its own failure display).
// deviceIniPath: the device file the start-up restored; nothing is done when
// it is empty.
bool CheckDeviceAfterAbout(OperationFrame& frame, const DeviceLoadContext& device,
                           const std::string& deviceIniPath, ProgrammerLink& link,
                           CopyPageModel& page, Messages& messages);

}  // namespace burnmark
