// The core of the program put together: the sound player, the checksum
// field's rule, the Copy page's model, the selected device with its options,
// the data buffer and its sizing, the FPGA image, the fuse map, the
// programmer link over the USB transport it is given, the operation frame
// with its families (erase, blank check and protect; the downloads; the
// read-backs; the automatic run with Stop; the Edit area's sum), the load and
// save flows, the Copy page's source steps and the device
// selection dialog's state. The window builds
// one over its ports and connects its controls to it; everything it runs is
// here and is tested without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "buffer/buffer_sizing.h"
#include "buffer/checksum_view.h"
#include "buffer/data_buffer.h"
#include "flow/load_flow.h"
#include "flow/process_starter.h"
#include "flow/range_commands.h"
#include "flow/save_flow.h"
#include "catalogue/device_loader.h"
#include "catalogue/device_options.h"
#include "catalogue/device_record.h"
#include "catalogue/device_selection.h"
#include "catalogue/option_exchange.h"
#include "catalogue/option_pages.h"
#include "fusemap/fuse_map.h"
#include "link/fpga_image.h"
#include "link/programmer_link.h"
#include "operations/automatic_run.h"
#include "operations/copy_page_model.h"
#include "operations/download_operations.h"
#include "operations/edit_area_sum.h"
#include "operations/operation_frame.h"
#include "operations/read_back_operations.h"
#include "operations/simple_operations.h"
#include "platform/ports.h"
#include "platform/sound_player.h"
#include "platform/usb_transport.h"
#include "shell/app_state.h"
#include "shell/copy_source_steps.h"
#include "shell/session.h"
#include "shell/shell_only.h"
#include "shell/start_up.h"

namespace burnmark {

// The ports the core reports through and the services it uses. Not owned;
// they outlive the core.
struct CorePorts {
    UsbTransport& usb;
    Messages& messages;
    Sounds& sounds;
    Pump& pump;
    Progress& progress;
    ProcessStarter& processes;
    // The main window's id, written to DDEFile.ini for the external program.
    std::function<uint64_t()> mainWindowId = nullptr;
};

class ProgramCore {
public:
    // state: the main window's own state (application directory, busy lock,
    // project flag), which outlives the core. settings: what the main window
    // read at its creation (the sound settings).
    ProgramCore(AppState& state, CorePorts ports, const MainSettings& settings = {});
    ProgramCore(const ProgramCore&) = delete;
    ProgramCore& operator=(const ProgramCore&) = delete;

    SoundPlayer& Sounds() { return sounds_; }
    ChecksumDisplay& Checksum() { return checksum_; }
    CopyPageModel& Page() { return page_; }
    DeviceRecord& Device() { return device_; }
    DeviceOptions& Options() { return options_; }
    BufferSizing& Sizing() { return sizing_; }
    DataBuffer& Buffer() { return buffer_; }
    FpgaImage& Fpga() { return fpga_; }
    FuseMap& Fuses() { return fuseMap_; }
    ProgrammerLink& Link() { return link_; }
    // The operations: the frame they share and one part per family.
    OperationFrame& Frame() { return frame_; }
    SimpleOperations& Simple() { return simple_; }
    DownloadOperations& Downloads() { return downloads_; }
    ReadBackOperations& ReadBacks() { return readBacks_; }
    EditAreaSum& EditSum() { return editSum_; }
    LoadFlow& Loader() { return loadFlow_; }
    SaveFlow& Saver() { return saveFlow_; }
    // The editor's Sum, Fill and Block commands (BlockClick, FillDataClick,
    // GetSumClick) for the editor's menu and the Edit area's buttons.
    EditRangeCommands& Ranges() { return ranges_; }
    CopySourceSteps& Steps() { return steps_; }
    DeviceSelection& Selection() { return selection_; }
    // The option words to and from the programmer: protect sends through it,
    // the read's option-word tail takes ReadOptionData and StoreOptionWords.
    OptionExchange& Exchange() { return exchange_; }
    AutomaticRun& AutoRun() { return run_; }

    DeviceLoadContext LoadContext() { return DeviceLoadContext{device_, messages_, fpga_}; }

    // Runs a command with every command but Stop disabled.
    template <typename Command>
    void RunBusy(Command&& command) {
        BusyScope busy(state_.Busy);
        command();
    }

    // --- Run, Stop and the Edit-area OK ------------------------------------------------------
    // The automatic run, holding the program busy; only Stop stays live. A
    // click while the program is busy does nothing.
    void RunClick();
    // Stop acts at any time, busy or not.
    void StopClick();
    // Back to the Copy page, the device's sum in SumEdit.
    void EditOkClick();

    // --- The start-up restore's work -------------------------------------------------------
    // The restore's device load: the option values start from the
    // definition, the last device's maker, type and path go into the record,
    // the definition loads keeping that path, the verify-list choice follows
    // the device and a new run may start.
    DeviceFacts RestoreDevice(const std::string& icFileName);
    // The restore's buffer sizing for the device RestoreDevice loaded, the
    // size of earlier loads cleared.
    void SizeBufferForRestore();
    // The fuse map for the loaded device (it has one): allocated for its
    // geometry and cleared, so that program takes its data from it.
    void InitFuseMapForDevice();
    // The restore's seams served by the core (those still empty).
    void FillSessionSeams(SessionSeams& seams);

    // --- The option pages (the Parameters control) -------------------------------------
    // What the control opens for the selected device; nothing while the
    // program exits or is busy.
    OptionWindowChoice OptionWindowToShow() const;
    // The core of one showing of the option window. Its programmer work runs
    // with the program busy, as one operation.
    std::unique_ptr<OptionPages> MakeOptionPages(OptionWindowChoice choice);

    // The device check after the About box, holding the program busy.
    void CheckDeviceAfterAbout();
    // At exit: the FPGA image and the fuse buffer go.
    void ReleaseOnExit();

private:
    // The read's option-word tail: the read asks, the exchange does it.
    class ReadOptionBack : public OptionReadBack {
    public:
        explicit ReadOptionBack(OptionExchange& exchange) : exchange_(exchange) {}
        bool ReadOptionData() override { return exchange_.ReadOptionData(); }
        void StoreOptionWords() override { exchange_.StoreOptionWords(); }

    private:
        OptionExchange& exchange_;
    };

    // Protect's option send: protect asks, the exchange does it.
    class ProtectOptionSend : public OptionDataSender {
    public:
        explicit ProtectOptionSend(OptionExchange& exchange) : exchange_(exchange) {}
        bool SendOptionData() override { return exchange_.SendOptionData(); }

    private:
        OptionExchange& exchange_;
    };

    AppState& state_;
    Messages& messages_;
    SoundPlayer sounds_;
    ChecksumDisplay checksum_;
    CopyPageModel page_;
    DeviceRecord device_;
    DeviceOptions options_;
    BufferSizing sizing_;
    DataBuffer buffer_;
    // The FPGA image, the fuse map and the link report through the frame's
    // failure display, which is built after them: only references cross.
    FpgaImage fpga_;
    FuseMap fuseMap_;
    ProgrammerLink link_;
    OperationFrame frame_;
    SimpleOperations simple_{frame_};
    DownloadOperations downloads_{frame_};
    ReadBackOperations readBacks_{frame_, downloads_};
    EditAreaSum editSum_{frame_, downloads_};
    LoadFlow loadFlow_;
    SaveFlow saveFlow_;
    EditRangeCommands ranges_;
    CopySourceSteps steps_;
    DeviceSelection selection_;
    OptionExchange exchange_;
    ProtectOptionSend protectOptionSend_{exchange_};
    ReadOptionBack readOptionBack_{exchange_};
    AutomaticRun run_{frame_, simple_, downloads_, readBacks_};
};

}  // namespace burnmark
