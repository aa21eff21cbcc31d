// The fuse-map editor window as the core sees it: one window for the program,
// bound to the one FuseMap and bound again when a new logic device is chosen.
#pragma once

namespace burnmark {

class FuseMapEditor {
public:
    virtual ~FuseMapEditor() = default;
    // The map was built anew for a device: back to its first fuse, its ranges
    // and texts.
    virtual void Rebind() = 0;
    // The Copy page's Edit step: shown modally over the main window until its
    // OK closes it.
    virtual void ShowModal() = 0;
};

}  // namespace burnmark
