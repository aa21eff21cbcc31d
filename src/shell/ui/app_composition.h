// Puts the program together for the main window: the Qt ports the core needs
// (the progress window, the process starter, the checksum field, the five
// buffer dialogs, the device selection dialog once it is made), the core
// itself, and the Copy page's view over the core's model with its clicks
// bound to the core. Nothing here decides anything: the
// steps and their rules are in ProgramCore.
#pragma once

#include <functional>
#include <memory>

#include "flow/ui/qt_process_starter.h"
#include "platform/ports.h"
#include "platform/usb_transport.h"
#include "shell/program_core.h"
#include "shell/start_up.h"

class QWidget;

namespace burnmark {

class CopyPageController;
class QtBufferDialogs;
class PeripheralCommands;
class QtChecksumField;
class QtFuseFileChooser;
class QtBufferEditorArea;
class TMainEdit;
class TMainForm;
class Tform2;
class TProgressWindow;
class TSelectICDialog;
class QtSelectDialog;
struct MainEditHooks;
struct MainFormSeams;

// The buffer editor's commands that open one of the buffer dialogs. Each is
// given the window its dialog opens over: the main window. An empty one does
// nothing.
struct BufferDialogCommands {
    std::function<void(QWidget& dialogParent)> GetSum;    // "Sum"
    std::function<void(QWidget& dialogParent)> FillData;  // "Fill"
    std::function<void(QWidget& dialogParent)> Block;     // "Block"
};

class AppComposition {
public:
    // form: the window whose Copy page shows the model and whose state the
    // core shares. The ports and the transport outlive the composition.
    AppComposition(TMainForm& form, UsbTransport& usb, Messages& messages, Sounds& sounds,
                   Pump& pump, const MainSettings& settings);
    ~AppComposition();
    AppComposition(const AppComposition&) = delete;
    AppComposition& operator=(const AppComposition&) = delete;

    // Fills every seam of the window that the core serves and that is still
    // empty (a test may have put its own there).
    void FillSeams(MainFormSeams& seams);

    // The dialogs of Load and Save and of the editor's Block, Fill and Sum.
    // The program's own serve until a test gives its own; nullptr goes back
    // to them. Not owned.
    void SetLoadDialog(LoadDialogPort* dialog);
    void SetSaveDialog(SaveDialogPort* dialog);
    void SetFuseFileChooser(FuseFileChooser* chooser);
    void SetBlockDialog(BlockDialogPort* dialog);
    void SetFillDialog(FillDialogPort* dialog);
    void SetSumDialog(SumDialogPort* dialog);

    // The Edit area's and the editor menu's Block, Fill and Sum commands.
    void BlockClick();
    void FillDataClick();
    void GetSumClick();
    // The device selection dialog made at start-up; the Type step shows it
    // over the Copy page. Not owned; nullptr takes it away.
    void SetSelectICDialog(TSelectICDialog* dialog);
    // What the buffer editor's Sum, Fill and Block run.
    void SetBufferDialogs(BufferDialogCommands commands) { bufferDialogs_ = std::move(commands); }

    ProgramCore& Core() { return *core_; }
    DeviceRecord& Device() { return core_->Device(); }
    DataBuffer& Buffer() { return core_->Buffer(); }
    FpgaImage& Fpga() { return core_->Fpga(); }
    FuseMap& Fuses() { return core_->Fuses(); }
    ProgrammerLink& Link() { return core_->Link(); }
    OperationFrame& Frame() { return core_->Frame(); }
    ReadBackOperations& ReadBacks() { return core_->ReadBacks(); }
    CopyPageModel& Page() { return core_->Page(); }
    LoadFlow& Loader() { return core_->Loader(); }
    SaveFlow& Saver() { return core_->Saver(); }
    EditRangeCommands& Ranges() { return core_->Ranges(); }
    CopyPageController& PageView() { return *pageView_; }
    // The fuse-map editor, once a device with a fuse map made it.
    Tform2* FuseEditor() const { return fuseEditor_.get(); }
    TProgressWindow& ProgressWindow() { return *progressWindow_; }
    // The buffer editor, once the window made it.
    TMainEdit* BufferEditor() const;
    // About, the project list and the Utility page's lamp runs.
    PeripheralCommands& Peripherals() { return *peripherals_; }

private:
    // The buffer editor's menu items whose work lies outside it, all wired here.
    MainEditHooks EditorHooks();

    TMainForm& form_;
    Messages& messages_;
    std::unique_ptr<TProgressWindow> progressWindow_;
    QtProcessStarter processes_;
    std::unique_ptr<QtChecksumField> sumField_;
    std::unique_ptr<ProgramCore> core_;
    std::unique_ptr<CopyPageController> pageView_;
    std::unique_ptr<PeripheralCommands> peripherals_;

    std::unique_ptr<QtBufferDialogs> dialogs_;
    std::unique_ptr<QtFuseFileChooser> plainFuseFiles_;
    std::unique_ptr<QtSelectDialog> selectDialog_;
    std::unique_ptr<QtBufferEditorArea> editArea_;
    BufferDialogCommands bufferDialogs_;
    // One editor for every device, bound to the core's fuse map: it goes
    // before the core.
    std::unique_ptr<Tform2> fuseEditor_;
};

}  // namespace burnmark
