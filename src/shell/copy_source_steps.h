// The Copy page's source steps: Type (the device selection dialog and what a
// newly chosen device changes on the page), Load, Save and Edit, for data
// devices through the data buffer's load and save flows and the buffer
// editor, for devices with a fuse map through JEDEC files and the fuse-map
// editor; and what follows a load (the device's sum, or for option type 1 the
// programmer's checksum and chip option block, the steps enabled and
// refreshed). The window only hands the clicks over; the dialogs, the file
// chooser and the editors are ports.
#pragma once

#include "shell/shell_only.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "buffer/checksum_view.h"
#include "buffer/data_buffer.h"
#include "buffer/editor_view.h"
#include "flow/load_flow.h"
#include "flow/save_flow.h"
#include "catalogue/device_options.h"
#include "catalogue/device_record.h"
#include "catalogue/device_selection.h"
#include "fusemap/fuse_file_chooser.h"
#include "fusemap/fuse_map.h"
#include "fusemap/fuse_map_editor.h"
#include "link/programmer_link.h"
#include "operations/copy_page_model.h"
#include "operations/download_operations.h"
#include "operations/operation_frame.h"
#include "platform/busy.h"
#include "platform/ports.h"
#include "shell/app_state.h"

namespace burnmark {

// What the steps work on; only references are held.
struct SourceStepParts {
    AppState& state;
    DeviceRecord& device;
    DeviceOptions& options;
    DataBuffer& buffer;
    FuseMap& fuses;
    ProgrammerLink& link;
    OperationFrame& frame;
    DownloadOperations& downloads;
    CopyPageModel& page;
    ChecksumDisplay& checksum;
    LoadFlow& loader;
    SaveFlow& saver;
    Messages& messages;
};

// The buffer editor's page for the device's Data_Width text: the 8-bit page
// for "0x00FF", "0x00ff", "0xFF" and "0xff", the 16-bit page for "0xFFFF" and
// "0xffff"; any other text keeps the page shown (nullopt).
std::optional<EditorPage> EditPageForWidth(std::string_view dataWidth);

// Told when a device with a fuse map has no fuse-map editor to hold it.
inline constexpr const char* kFuseEditorMissingText =
    "The fuse map editor could not be created for this device.";

// The buffer editor over the main window's Edit area, as the Edit step of a
// data device sees it. The window implements it.
class BufferEditorArea {
public:
    virtual ~BufferEditorArea() = default;
    // The Edit area over the Copy page; the run's tick boxes, the overall
    // progress bar, Run and Stop hidden.
    virtual void ShowEditArea() = 0;
    // The buffer editor placed over the Edit area and shown on `page`, or on
    // the page it shows when there is none; made first if it does not exist.
    virtual void ShowBufferEditor(std::optional<EditorPage> page) = 0;
};

class CopySourceSteps {
public:
    explicit CopySourceSteps(SourceStepParts parts) : p_(parts) {}

    // The dialogs and the JEDEC file chooser. Not owned; set before a click.
    void SetSelectDialog(SelectDialogPort* dialog) { selectDialog_ = dialog; }
    void SetLoadDialog(LoadDialogPort* dialog) { loadDialog_ = dialog; }
    void SetSaveDialog(SaveDialogPort* dialog) { saveDialog_ = dialog; }
    void SetFuseFileChooser(FuseFileChooser* chooser) { fuseFiles_ = chooser; }
    // The buffer editor's Edit area. Not owned.
    void SetBufferEditorArea(BufferEditorArea* area) { editArea_ = area; }
    // The fuse-map editor, once a device with a fuse map made it. Not owned.
    void SetFuseMapEditor(FuseMapEditor* editor) { fuseEditor_ = editor; }
    FuseMapEditor* FuseEditor() const { return fuseEditor_; }
    // The window's maker of the fuse-map editor: the one window, made on the
    // first call and the same one on every later call; nullptr (or an
    // exception) when it cannot be made.
    std::function<FuseMapEditor*()> MakeFuseMapEditor;
    // The option values of the chip option block just read into
    // ChipOptionWords go to the option value store (the option pages' work).
    std::function<void()> StoreOptionWords;
    // The main window's LoadPathEdit, which names the JEDEC file last loaded.
    std::function<void(const std::string& path)> ShowLoadPath;
    // Shows the Copy page (the editors open over it).
    std::function<void()> ShowCopyPage;
    // Items 0 and 1 of the main window's SelectedType: maker and type.
    std::function<void(const std::string& maker, const std::string& type)> ShowSelectedType;

    // The device choice: the dialog over the Copy page; after an OK the
    // device's information, its names and, for a device that differs from
    // the one before, the steps refreshed and the fuse map built anew; then
    // a load that waited for the device.
    void TypeStepClick();
    // The device choice alone (the Create page's CreateType picture, the
    // second Run picture): the dialog over the Copy page and, after an OK,
    // the device's information and names; then the page follows the device
    // as after the Type step. True when the dialog closed with OK. A click
    // while the program is busy does nothing.
    bool Image14Click();
    // The dialog's OK took a device: the Erase, Blank-check, Read and Load
    // steps usable again where the device offers them (when the use before
    // chose no new type), and the "Device Parameter" picture.
    void ReofferSteps(bool previousTypeChanged);

    // A device taken by name (a project entry) on the dialog's way: what the
    // Type step does after an OK, without the dialog.
    void DeviceTakenByName();

    // A click while the program is busy does nothing.
    void LoadStepClick();
    // The Load step on a file named elsewhere (a project entry) instead of
    // one chosen in the dialog: the whole file, auto-detected, with the
    // checks of the dialog's Load button and the step's tail. True when the
    // file landed in the buffer (or the fuse map); only then does
    // LoadPathEdit name it.
    bool LoadNamedFile(const std::string& path);
    void SaveStepClick();
    // For a data device: the buffer editor over the Edit area, on the page
    // of the device's data width. For a device with a fuse map: the fuse-map
    // editor over the Copy page.
    void EditStepClick();

    // --- The fuse map and its editor ---------------------------------------------------------
    // Makes the fuse-map editor through MakeFuseMapEditor, or keeps the one
    // made before. False when there is none; nothing is reported.
    bool CreateFuseMapEditor();
    // The fuse map built for the device's geometry and cleared; the editor,
    // if there is one, starts again at its first fuse.
    void InitFuseMapForDevice();
    // A new device was chosen: the previous logic device's map is freed, and
    // a device with a fuse map gets the one editor, reset to its new map.
    // False (and said so) when the editor could not be made.
    bool FuseMapForNewDevice();

    // Option type 1, after a load that landed: reopen, parameter block, FPGA
    // pages, the read voltages, the buffer downloaded, 0x0B00 executed, its
    // status checksum in SumEdit, the chip option block into ChipOptionWords
    // and the option value store. Stops at the first failure with the failure
    // display (and its text); SumEdit and ChipOptionWords keep what they held
    // unless their own step succeeded. Refuses, sending nothing, for a device
    // whose definition or FPGA image is missing.
    bool ProgrammerChecksumAfterLoad();

private:
    // The rest of the Load step after the buffer's load flow: the sum of the
    // device range in SumEdit (for option type 1 the programmer's checksum,
    // once the load landed), the steps enabled and refreshed.
    void AfterBufferLoad(uint32_t shownBefore, bool landed);
    // Says so when the device's fuse-map editor could not be made.
    bool FuseEditorMade();
    // Says so when the device's fuse map could not be built.
    bool FuseMapReady();
    // The program step's failed picture in view, then the failure display.
    void ProgramStepFailed();
    // The failure display, then the step's text.
    void ProgrammerStepFailed(const char* message);
    // The dialog over the Copy page; after an OK the device's information
    // and names. True when it closed with OK.
    bool RunDeviceDialog();
    // After an OK: the device's information and its names.
    void ShowTakenDevice();
    // After an OK: the verify list and the run follow the device; a new type
    // refreshes the steps and builds the fuse map anew.
    void FollowTakenDevice();
    LoadEnd LoadBufferFile(LoadDialogPort& dialog);
    // True when the JEDEC file was loaded.
    bool LoadFuseMapFile(FuseFileChooser& chooser);
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
    BufferEditorArea* editArea_ = nullptr;
};

}  // namespace burnmark
