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

// What the dialog highlights under which filter, so that a device refused
// leaves the dialog as the operator left it.
struct Highlight {
    int filter;
    int maker;
    int type;
};

Highlight MarkHighlight(const DeviceSelection& selection) {
    return {selection.Filter(), selection.MakerIndex(), selection.TypeIndex()};
}

void PutBack(DeviceSelection& selection, const Highlight& mark) {
    if (selection.Filter() != mark.filter) selection.TypeGroupClick(mark.filter);
    // No maker was highlighted (the catalogue lists neither the last one nor
    // "General Type"): there is no highlight to go back to.
    if (mark.maker < 0) return;
    selection.MaunListBoxClick(mark.maker);
    if (mark.type >= 0) selection.NumListBoxClick(mark.type);
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
    const Highlight mark = MarkHighlight(selection);
    DeviceChoice choice = DeviceChoice::Selected;
    if (!TakeType(selection, maker, type)) {
        if (selection.Filter() != 0) selection.TypeGroupClick(0);
        if (mark.filter == 0 || !TakeType(selection, maker, type))
            choice = DeviceChoice::NotInCatalogue;
    }
    if (choice == DeviceChoice::Selected) {
        switch (selection.OKBtnClick()) {
            case OkEnd::Accepted:
                break;
            case OkEnd::NoType:
            case OkEnd::NoTypeText:
                choice = DeviceChoice::NotInCatalogue;
                break;
            case OkEnd::Ignored:
            case OkEnd::LoadFailed:
                choice = DeviceChoice::Refused;
                break;
        }
    }
    if (choice != DeviceChoice::Selected) {
        PutBack(selection, mark);
        return choice;
    }
    steps.DeviceTakenByName();
    return DeviceChoice::Selected;
}

}  // namespace burnmark
