#include "shell/device_by_name.h"

#include <algorithm>
#include <vector>

namespace burnmark {

namespace {

// Names are compared as the catalogue writes them.
int IndexOf(const std::vector<std::string>& names, const std::string& name) {
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

bool TakeType(DeviceSelection& selection, const std::string& maker, const std::string& type) {
    const int makerIndex = IndexOf(selection.Makers(), maker);
    if (makerIndex < 0) return false;
    selection.MaunListBoxClick(makerIndex);
    const int typeIndex = IndexOf(selection.Types(), type);
    if (typeIndex < 0) return false;
    selection.NumListBoxClick(typeIndex);
    return true;
}

}  // namespace

DeviceChoice SelectDeviceByName(DeviceSelection& selection, CopySourceSteps& steps,
                                const std::string& maker, const std::string& type) {
    if (selection.Busy()) return DeviceChoice::Refused;
    // The choice reads the catalogue as a showing of the dialog does.
    selection.BeginShowing();
    struct ShowingEnd {
        DeviceSelection& selection;
        ~ShowingEnd() { selection.EndShowing(); }
    } end{selection};
    if (!TakeType(selection, maker, type)) {
        if (selection.Filter() == 0) return DeviceChoice::NotInCatalogue;
        selection.TypeGroupClick(0);
        if (!TakeType(selection, maker, type)) return DeviceChoice::NotInCatalogue;
    }
    switch (selection.OKBtnClick()) {
        case OkEnd::Accepted:
            break;
        case OkEnd::NoType:
        case OkEnd::NoTypeText:
            return DeviceChoice::NotInCatalogue;
        case OkEnd::Ignored:
        case OkEnd::LoadFailed:
            return DeviceChoice::Refused;
    }
    steps.DeviceTakenByName();
    return DeviceChoice::Selected;
}

}  // namespace burnmark
