// The choice of a device by its maker and type without showing the
// selection dialog, on the way its OK takes: the maker and the type are
// taken in the dialog's lists, then its OK loads the definition, records the
// choice, sizes the buffer and sets the programmer up; then the Copy page
// follows the device as after the Type step.
#pragma once

#include "shell/shell_only.h"

#include <string>

#include "catalogue/device_selection.h"
#include "shell/copy_source_steps.h"

namespace burnmark {

enum class DeviceChoice {
    Selected,        // the device is the one in force now
    NotInCatalogue,  // the catalogue lists no such maker or type: nothing changed
    Refused,         // the OK refused it (its definition did not load) and said why
};

// The category filter is set aside when it hides the type. A device refused
// (not in the catalogue, or its definition did not load) leaves the dialog's
// highlight and filter as they were.
DeviceChoice SelectDeviceByName(DeviceSelection& selection, CopySourceSteps& steps,
                                const std::string& maker, const std::string& type);

}  // namespace burnmark
