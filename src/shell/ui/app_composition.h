// The core of the program put together for the main window: the selected
// device, the data buffer, the FPGA image, the fuse map, the programmer link
// over the USB transport it is given, the operation engine, the load and save
// flows, the Copy page with its model, and the progress window. The main window owns one and lets
// it fill the window's seams.
#pragma once

#include <memory>
#include <string>

#include "buffer/checksum_view.h"
#include "buffer/data_buffer.h"
#include "buffer/flow/load_flow.h"
#include "buffer/flow/save_flow.h"
#include "buffer/flow/ui/qt_process_starter.h"
#include "catalogue/device_loader.h"
#include "catalogue/device_record.h"
#include "fusemap/fuse_map.h"
#include "link/fpga_image.h"
#include "link/programmer_link.h"
#include "operations/copy_page_model.h"
#include "operations/operation_engine.h"
#include "platform/ports.h"
#include "platform/usb_transport.h"
#include "shell/session.h"

class QLineEdit;
class QString;

namespace burnmark {

class CopyPageController;
class FuseFileChooser;
class PlainLoadDialog;
class PlainSaveDialog;
class QtFuseFileChooser;
class TMainForm;
class Tform2;
class TProgressWindow;
struct MainFormSeams;

class AppComposition : private ChecksumView {
public:
    // form: the window whose Copy page shows the model and whose state the
    // core shares. The ports and the transport outlive the composition.
    AppComposition(TMainForm& form, UsbTransport& usb, Messages& messages, Sounds& sounds,
                   Pump& pump);
    ~AppComposition() override;
    AppComposition(const AppComposition&) = delete;
    AppComposition& operator=(const AppComposition&) = delete;

    // Fills every seam of the window that the core serves and that is still
    // empty (a test may have put its own there).
    void FillSeams(MainFormSeams& seams);

    // The start-up restore's device load: the last device's path into the
    // record, then the definition.
    DeviceFacts LoadDevice(const std::string& icFileName);
    // The restore's buffer sizing for the device LoadDevice loaded.
    void SizeBufferForDevice();
    // The fuse map for the device LoadDevice loaded (it has one): allocated
    // for its geometry and cleared, so that program takes its data from it.
    void InitFuseMapForDevice();

    // The Copy page's Load and Save steps: the data buffer's load and save
    // flows, or for a device with a fuse map its JEDEC load and save. A click
    // while the window is busy does nothing.
    void LoadStepClick();
    void SaveStepClick();
    // The Copy page's Edit step: for a device with a fuse map, the fuse-map
    // editor shown modally over the window.
    void EditStepClick();

    // The file choices of Load and Save. The plain dialogs serve until a test
    // gives its own; nullptr goes back to them. Not owned.
    void SetLoadDialog(LoadDialogPort* dialog);
    void SetSaveDialog(SaveDialogPort* dialog);
    void SetFuseFileChooser(FuseFileChooser* chooser);

    DeviceRecord& Device() { return device_; }
    DataBuffer& Buffer() { return buffer_; }
    FpgaImage& Fpga() { return fpga_; }
    FuseMap& Fuses() { return fuseMap_; }
    ProgrammerLink& Link() { return link_; }
    OperationEngine& Engine() { return engine_; }
    CopyPageModel& Page() { return page_; }
    LoadFlow& Loader() { return *loadFlow_; }
    SaveFlow& Saver() { return *saveFlow_; }
    CopyPageController& PageView() { return *pageView_; }
    // The fuse-map editor, once a device with a fuse map made it.
    Tform2* FuseEditor() const { return fuseEditor_.get(); }
    TProgressWindow& ProgressWindow() { return *progressWindow_; }

private:
    DeviceLoadContext Context() { return DeviceLoadContext{device_, state_, messages_, fpga_}; }
    // Runs an engine command with every command but Stop disabled.
    template <typename Command>
    void Busy(Command&& command);

    // ChecksumView over the Copy page's SumEdit.
    uint32_t LastChecksum() const override { return state_.LastChecksum; }
    void SetLastChecksum(uint32_t value) override { state_.LastChecksum = value; }
    void SetChecksumHighlight(bool changed) override;
    void ShowSumText(const QString& text);

    // The rest of the Load step after the buffer's load flow: the sum of the
    // device range in SumEdit, the steps enabled and refreshed.
    void AfterBufferLoad(uint32_t shownBefore);
    // Says so when the device's fuse map could not be built.
    bool FuseMapReady();
    void LoadFuseMapFile();
    void SaveFuseMapFile();
    // The end of the save dialog's "IC" range: the device's last byte (one
    // further with an extended area), the buffer's while no device is known.
    int64_t DeviceRangeEnd() const;

    TMainForm& form_;
    AppState& state_;
    Messages& messages_;

    // Only references cross between these: the FPGA image, the fuse map and the
    // link report through the engine's failure display, which is built last.
    CopyPageModel page_;
    DeviceRecord device_;
    std::unique_ptr<TProgressWindow> progressWindow_;
    DataBuffer buffer_;
    FpgaImage fpga_;
    FuseMap fuseMap_;
    ProgrammerLink link_;
    OperationEngine engine_;
    QtProcessStarter processes_;
    std::unique_ptr<LoadFlow> loadFlow_;
    std::unique_ptr<SaveFlow> saveFlow_;
    std::unique_ptr<CopyPageController> pageView_;
    QLineEdit* sumEdit_ = nullptr;
    QLineEdit* loadPathEdit_ = nullptr;

    std::unique_ptr<PlainLoadDialog> plainLoad_;
    std::unique_ptr<PlainSaveDialog> plainSave_;
    std::unique_ptr<QtFuseFileChooser> plainFuseFiles_;
    LoadDialogPort* loadDialog_ = nullptr;
    SaveDialogPort* saveDialog_ = nullptr;
    FuseFileChooser* fuseFiles_ = nullptr;
    // One editor for every device, bound to fuseMap_; it goes before the map.
    std::unique_ptr<Tform2> fuseEditor_;
};

}  // namespace burnmark
