// The device selection dialog as data: the maker and type lists, the two
// edits, the history box, the information panel, the maker picture and the
// web button, with the dialog's handlers. Each showing of the dialog reads
// the catalogue once (SelectCatalogue); the dialog's creation leaves its
// catalogue work to the first showing, so that the program's start does not
// wait for a catalogue of any size. Its OK loads the chosen device's
// definition, and only once that loaded takes it as the selected device:
// [SelectDlg] and the history are written, the buffer is sized and the
// programmer is set up for it. The window (catalogue/ui) only shows this
// state and hands the operator's clicks and keys to it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "buffer/buffer_sizing.h"
#include "buffer/checksum_view.h"
#include "buffer/data_buffer.h"
#include "catalogue/device_options.h"
#include "catalogue/device_record.h"
#include "catalogue/selection_catalogue.h"
#include "link/fpga_image.h"
#include "link/programmer_link.h"
#include "platform/busy.h"
#include "platform/ports.h"

namespace burnmark {

inline constexpr const char* kSelectSection = "SelectDlg";
inline constexpr const char* kNoTypeText = "You have not choice any Number of IC";
inline constexpr const char* kNoTypeTitle = "ERROR";
inline constexpr const char* kNoWebNameText = "Not found any WEB name in URL Listing File.";
inline constexpr const char* kNoWebNameTitle = "Connect to WEB";
inline constexpr const char* kNoProcessText = "Could not create process";

// Told after every change of the dialog's state; the window redraws from it.
class SelectionView {
public:
    virtual ~SelectionView() = default;
    virtual void Changed() = 0;
};

// The desktop's way of opening a web address with its default handler.
class WebOpener {
public:
    virtual ~WebOpener() = default;
    // False when nothing could be started for it.
    virtual bool OpenUrl(const std::string& address) = 0;
};

// The dialog as the Copy page's Type step sees it: shown modally over the
// Copy page until its OK or Cancel closes it. The record's Cancelled says how.
class SelectDialogPort {
public:
    virtual ~SelectDialogPort() = default;
    virtual void RunSelectDialog() = 0;
};

// Who set an edit's text: the program (a click, the history, the start) or
// the operator typing.
enum class EditSource { Program, Operator };

// How an OK ended. Only Accepted closes the dialog.
enum class OkEnd {
    Ignored,     // the OK before is still talking to the programmer
    NoType,      // no type selected: nothing happens
    NoTypeText,  // the type edit is empty: "You have not choice any Number of IC"
    LoadFailed,  // the definition did not load (it said why): the device in force stays
    Accepted,    // the device is taken; the set-up ran
};

// What the dialog works on; only references are held.
struct SelectionParts {
    DeviceRecord& device;
    Messages& messages;
    FpgaImage& fpga;
    BufferSizing& sizing;
    DataBuffer& buffer;
    ProgrammerLink& link;
    ChecksumDisplay& checksum;
    OperationFailDisplay& fail;
    DeviceOptions& options;
    // The program is held busy while the OK talks to the programmer.
    BusyState& busy;
};

class DeviceSelection {
public:
    explicit DeviceSelection(SelectionParts parts) : p_(parts) {}
    DeviceSelection(const DeviceSelection&) = delete;
    DeviceSelection& operator=(const DeviceSelection&) = delete;

    void SetView(SelectionView* view) { view_ = view; }

    // The main window's part, set by whoever puts the program together.
    // The buffer download of an option-type-1 device (the operations' own);
    // false when it failed, which it has reported.
    std::function<bool()> SendBufferToProgrammer;
    // A device was taken: its path for the main window, the Copy page's
    // steps made usable again (previousTypeChanged: what TypeChanged held
    // before this OK).
    std::function<void(bool previousTypeChanged)> DeviceTaken;
    // Cancel: a load waiting for the device choice waits no longer.
    std::function<void()> SelectionCancelled;

    // --- What the window shows -------------------------------------------------
    const std::vector<std::string>& Makers() const { return makers_; }
    // The selected entries, -1 when none is.
    int MakerIndex() const { return makerIndex_; }
    const std::vector<std::string>& Types() const { return types_; }
    int TypeIndex() const { return typeIndex_; }
    const std::string& ManuEditText() const { return manuEdit_; }
    const std::string& IcTypeEditText() const { return icTypeEdit_; }
    const std::vector<std::string>& HistoryItems() const { return historyItems_; }
    const std::string& HistoryText() const { return historyText_; }
    const DeviceInfoTexts& Info() const { return info_; }
    bool WebEnabled() const { return webEnabled_; }
    const std::string& WebHint() const { return webHint_; }
    // Real path of the maker picture shown; empty while none is.
    const std::string& PicturePath() const { return picturePath_; }
    int Filter() const { return filter_; }
    // The maker and type highlighted in the dialog (the device in force is
    // the record's until an OK takes these).
    const std::string& Manufacturer() const { return manufacturer_; }
    const std::string& TypeNum() const { return typeNum_; }

    // --- Handlers ---------------------------------------------------------------
    // The dialog's creation: the filter from [SelectDlg] "Type", the history,
    // the last selection and its picture.
    void FormCreate();
    // A showing of the dialog, or a choice by name that takes its way: the
    // catalogue is read afresh for it, and the first one runs FormCreate.
    void BeginShowing();
    // The showing is over: what it read of the catalogue is let go.
    void EndShowing() { catalogue_.reset(); }
    void MaunListBoxClick(int index);
    void ManuEditChange(const std::string& text, EditSource source);
    void ManuEditExit();
    void NumListBoxClick(int index);
    OkEnd NumListBoxDblClick() { return OKBtnClick(); }
    void IcTypeEditChange(const std::string& text, EditSource source);
    void IcTypeEditExit();
    // Both radio groups: the filter index, then the maker's lists again.
    void TypeGroupClick(int index);
    // An item of the history box was chosen (its text).
    void HistCBoxChange(const std::string& text);
    OkEnd OKBtnClick();
    // False while an OK is still at work: the dialog stays.
    bool CancelBtnClick();
    void ConnetWEBBitBtnClick(WebOpener& opener);
    // The total of the types listed for every maker under the current filter;
    // the selection stays as it is.
    long CountAllTypes();
    // The picture's hidden Alt+Ctrl double click: the total in decimal.
    void ShowTypeTotal();
    // An OK is at work (the program is busy).
    bool Busy() const { return p_.busy.Busy(); }

    // --- Own operations -----------------------------------------------------------
    void FillMakerList();
    void FillTypeList();
    // True when the catalogue names a device file for the highlighted type.
    bool ShowDeviceInfo();
    void ShowMakerPicture();
    void FillHistoryList();
    void RestoreLastSelection();

private:
    const std::string& AppDir() const { return p_.device.AppDir; }
    // The catalogue of this showing, read when first needed.
    SelectCatalogue& Catalogue();
    std::string HistoryRingPath() const;
    // The maker at index takes the lists: its types, type 0 selected.
    void TakeMaker(int index);
    void TakeType(int index);
    void SetManuEdit(const std::string& text) { ManuEditChange(text, EditSource::Program); }
    void SetIcTypeEdit(const std::string& text) { IcTypeEditChange(text, EditSource::Program); }
    void ShowWebButton();
    // The history box's items and text; without a last entry, "None".
    void ShowHistory(std::vector<std::string> entries, const std::optional<std::string>& last);
    // The chosen device is the one in force already (maker, type and file).
    bool SameDevice(const std::string& icFileName) const;
    // The buffer sized for the taken device and the programmer set up for it,
    // then the checksum field.
    void SetUpForDevice();

    SelectionParts p_;
    SelectionView* view_ = nullptr;
    std::unique_ptr<SelectCatalogue> catalogue_;
    bool created_ = false;
    int notifyHold_ = 0;

    std::vector<std::string> makers_;
    std::vector<std::string> types_;
    int makerIndex_ = -1;
    int typeIndex_ = -1;
    std::string manufacturer_;
    std::string typeNum_;
    std::string manuEdit_;
    std::string icTypeEdit_;
    std::vector<std::string> historyItems_;
    std::string historyText_;
    DeviceInfoTexts info_;
    bool webEnabled_ = false;
    std::string webHint_ = "None";
    std::string picturePath_;
    int filter_ = 0;
};

}  // namespace burnmark
