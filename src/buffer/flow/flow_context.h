// What the editor's Load and Save commands work with: the program-wide state,
// the selected device, the data buffer, the operator's ports, the process
// starter for the external program, and the programmer side for the
// option-type-1 exchange after a load. Only references are held.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "buffer/data_buffer.h"
#include "buffer/flow/process_starter.h"
#include "catalogue/device_record.h"
#include "platform/ports.h"
#include "shell/app_state.h"

namespace burnmark {

class ProgrammerLink;
class OperationEngine;
class FpgaImage;

struct FlowContext {
    AppState& state;
    DeviceRecord& device;
    DataBuffer& buffer;
    Messages& messages;
    Sounds& sounds;
    Progress& progress;
    Pump& pump;
    ProcessStarter& processes;
    ProgrammerLink& link;
    OperationEngine& engine;
    FpgaImage& fpga;
    // The main window's busy switch (it counts nesting and disables every
    // command but Stop). Empty: the flow sets AppState::Busy itself.
    std::function<void(bool)> setBusy = nullptr;
    // The main window's window id, written to DDEFile.ini as "MainHandle".
    std::function<uint64_t()> mainWindowId = nullptr;

    std::string HistoryIniPath() const { return state.HistoryIniPath(); }
};

// Holds the program busy for one scope and lets it go on every way out.
class FlowBusyScope {
public:
    explicit FlowBusyScope(const FlowContext& ctx) : ctx_(ctx), was_(ctx.state.Busy) {
        if (ctx_.setBusy)
            ctx_.setBusy(true);
        else
            ctx_.state.Busy = true;
    }
    ~FlowBusyScope() {
        if (ctx_.setBusy)
            ctx_.setBusy(false);
        else
            ctx_.state.Busy = was_;
    }
    FlowBusyScope(const FlowBusyScope&) = delete;
    FlowBusyScope& operator=(const FlowBusyScope&) = delete;

private:
    const FlowContext& ctx_;
    bool was_;
};

}  // namespace burnmark
