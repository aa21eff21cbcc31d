// The Copy page's source steps: Type (the device selection dialog and what a
// newly chosen device changes on the page), Load and Save, for data devices
// through the data buffer's load and save flows and for devices with a fuse
// map through JEDEC files; and what follows a load (the device's sum in the
// checksum field, the steps enabled and refreshed). The window only hands the
// clicks over; the dialogs and the file chooser are ports.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "buffer/checksum_view.h"
#include "buffer/data_buffer.h"
#include "buffer/flow/load_flow.h"
#include "buffer/flow/save_flow.h"
#include "catalogue/device_options.h"
#include "catalogue/device_record.h"
#include "catalogue/device_selection.h"
#include "fusemap/fuse_file_chooser.h"
#include "fusemap/fuse_map.h"
#include "fusemap/fuse_map_editor.h"
#include "operations/copy_page_model.h"
#include "operations/operation_engine.h"
#include "platform/busy.h"
#include "platform/ports.h"
#include "shell/app_state.h"
#include "shell/shell_only.h"

namespace burnmark {

// What the steps work on; only references are held.
struct SourceStepParts {
    AppState& state;
    DeviceRecord& device;
    DataBuffer& buffer;
    FuseMap& fuses;
    OperationEngine& engine;
    CopyPageModel& page;
    ChecksumDisplay& checksum;
    LoadFlow& loader;
    SaveFlow& saver;
    Messages& messages;
    DeviceOptions& options;
};

class CopySourceSteps {
public:
    explicit CopySourceSteps(SourceStepParts parts) : p_(parts) {}

    // The dialogs and the JEDEC file chooser. Not owned; set before a click.
    void SetSelectDialog(SelectDialogPort* dialog) { selectDialog_ = dialog; }
    void SetLoadDialog(LoadDialogPort* dialog) { loadDialog_ = dialog; }
    void SetSaveDialog(SaveDialogPort* dialog) { saveDialog_ = dialog; }
    void SetFuseFileChooser(FuseFileChooser* chooser) { fuseFiles_ = chooser; }
    // The fuse-map editor, once a device with a fuse map made it. Not owned.
    void SetFuseMapEditor(FuseMapEditor* editor) { fuseEditor_ = editor; }
    FuseMapEditor* FuseEditor() const { return fuseEditor_; }
    // The main window's LoadPathEdit, which names the JEDEC file last loaded.
    std::function<void(const std::string& path)> ShowLoadPath;
    // Shows the Copy page (the editors open over it).
    std::function<void()> ShowCopyPage;
    // Items 0 and 1 of the main window's SelectedType: maker and type.
    std::function<void(const std::string& maker, const std::string& type)> ShowSelectedType;
    // Makes the one fuse-map editor when there is none yet; may throw.
    std::function<void()> CreateFuseMapEditor;
    // Builds the fuse map for the device in force (the editor follows it).
    std::function<void()> InitFuseBuffer;

    // The device choice: the dialog over the Copy page; after an OK the
    // device's information, its names and, for a device that differs from
    // the one before, the steps refreshed and the fuse map built anew; then
    // a load that waited for the device.
    void TypeStepClick();
    // The dialog's OK took a device: the Erase, Blank-check, Read and Load
    // steps usable again where the device offers them (when the use before
    // chose no new type), and the "Device Parameter" picture.
    void ReofferSteps(bool previousTypeChanged);

    // A click while the program is busy does nothing.
    void LoadStepClick();
    void SaveStepClick();
    // For a device with a fuse map: the fuse-map editor over the Copy page.
    void EditStepClick();

private:
    // After a new device was chosen: the fuse map of the device before goes,
    // the new device's is built.
    void RebuildFuseMap();
    // The rest of the Load step after the buffer's load flow: the sum of the
    // device range in SumEdit, the steps enabled and refreshed.
    void AfterBufferLoad(uint32_t shownBefore);
    // Says so when the device's fuse map could not be built.
    bool FuseMapReady();
    void LoadFuseMapFile();
    void SaveFuseMapFile();

    SourceStepParts p_;
    SelectDialogPort* selectDialog_ = nullptr;
    // Set while the Type step continues a load that waited for the device: a
    // second refusal does not open the dialog again.
    bool continuingLoad_ = false;
    LoadDialogPort* loadDialog_ = nullptr;
    SaveDialogPort* saveDialog_ = nullptr;
    FuseFileChooser* fuseFiles_ = nullptr;
    FuseMapEditor* fuseEditor_ = nullptr;
};

}  // namespace burnmark
