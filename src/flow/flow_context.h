// What the editor's Load and Save commands work with: the program's busy
// state, the selected device and its option words, the data buffer, the
// operator's ports, the process starter for the external program, and the
// programmer side for the option-type-1 exchange after a load. Only
// references and pointers are held.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "buffer/data_buffer.h"
#include "flow/process_starter.h"
#include "catalogue/device_options.h"
#include "catalogue/device_record.h"
#include "platform/busy.h"
#include "platform/ports.h"
#include "platform/sound_player.h"

namespace burnmark {

class ProgrammerLink;
class OperationFrame;
class DownloadOperations;
class FpgaImage;
class CopyPageModel;
struct BufferSizing;

struct FlowContext {
    // Every command but Stop is disabled while it is set.
    BusyState& busy;
    DeviceRecord& device;
    DeviceOptions& options;
    DataBuffer& buffer;
    Messages& messages;
    SoundPlayer& sounds;
    Progress& progress;
    Pump& pump;
    ProcessStarter& processes;
    ProgrammerLink& link;
    OperationFrame& frame;
    DownloadOperations& downloads;
    FpgaImage& fpga;
    // The main window's window id, written to DDEFile.ini as "MainHandle".
    std::function<uint64_t()> mainWindowId = nullptr;
    // The buffer sizes the load dialog raises for a long file, and the Copy
    // page whose steps its Load and Cancel offer. Without them those parts
    // are skipped.
    BufferSizing* sizing = nullptr;
    CopyPageModel* page = nullptr;

    const std::string& HistoryIniPath() const { return device.HistoryIniPath; }
};

}  // namespace burnmark
