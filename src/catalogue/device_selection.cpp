#include "catalogue/device_selection.h"

#include <algorithm>

#include "catalogue/device_facts.h"
#include "catalogue/device_loader.h"
#include "link/programmer_requests.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/settings_report.h"

namespace burnmark {

namespace {

// The loads after which the chosen device is the one in force. A device whose
// FPGA file is missing is taken (the load said so, and the set-ups refuse
// it); any other stop leaves half a definition, and the device in force stays.
bool DeviceTakenAfter(DeviceLoadResult result) {
    return result == DeviceLoadResult::Loaded || result == DeviceLoadResult::FpgaMissing ||
           result == DeviceLoadResult::FpgaLoadFailed;
}

// One change notice for a handler however many parts of the state it changed.
class Batch {
public:
    Batch(int& hold, SelectionView* view) : hold_(hold), view_(view) { ++hold_; }
    ~Batch() {
        if (--hold_ == 0 && view_) view_->Changed();
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    int& hold_;
    SelectionView* view_;
};

}  // namespace

std::string DeviceSelection::HistoryRingPath() const {
    return ResolvePath(AppDir() + kHistoryRingName);
}

SelectCatalogue& DeviceSelection::Catalogue() {
    if (!catalogue_) catalogue_ = std::make_unique<SelectCatalogue>(AppDir());
    return *catalogue_;
}

void DeviceSelection::BeginShowing() {
    if (!created_) {
        FormCreate();
        return;
    }
    // Read as the dialog opens, so that no click waits for it.
    catalogue_ = std::make_unique<SelectCatalogue>(AppDir());
}

void DeviceSelection::FormCreate() {
    Batch batch(notifyHold_, view_);
    created_ = true;
    catalogue_.reset();
    const int filter = Profile(p_.device.HistoryIniPath).ReadInteger(kSelectSection, "Type", 0);
    filter_ = (filter >= 0 && filter < kFilterCount) ? filter : 0;
    FillHistoryList();
    RestoreLastSelection();
    ShowMakerPicture();
}

void DeviceSelection::FillMakerList() {
    Batch batch(notifyHold_, view_);
    makers_ = Catalogue().Makers();
    makerIndex_ = -1;
}

void DeviceSelection::FillTypeList() {
    Batch batch(notifyHold_, view_);
    types_ = Catalogue().Types(manufacturer_, filter_);
    typeIndex_ = -1;
}

void DeviceSelection::TakeMaker(int index) {
    makerIndex_ = index;
    manufacturer_ = makers_[static_cast<std::size_t>(index)];
    FillTypeList();
    // A maker without (listed) types has no type 0: nothing is selected then.
    TakeType(types_.empty() ? -1 : 0);
    SetIcTypeEdit(typeNum_);
    ShowMakerPicture();
}

void DeviceSelection::TakeType(int index) {
    typeIndex_ = index;
    typeNum_ = index >= 0 ? types_[static_cast<std::size_t>(index)] : std::string();
}

void DeviceSelection::MaunListBoxClick(int index) {
    if (index < 0 || index >= static_cast<int>(makers_.size())) return;
    Batch batch(notifyHold_, view_);
    TakeMaker(index);
    manuEdit_ = manufacturer_;
    ShowWebButton();
}

void DeviceSelection::ManuEditChange(const std::string& text, EditSource source) {
    Batch batch(notifyHold_, view_);
    manuEdit_ = text;
    const int found = MatchEntry(makers_, text);
    if (found >= 0) {
        TakeMaker(found);
        // Set by the program, the edit names the maker it selected, never a
        // text that is no maker; the operator's typing stays until the edit
        // is left.
        if (source == EditSource::Program) manuEdit_ = manufacturer_;
    } else if (source == EditSource::Program) {
        manuEdit_ = manufacturer_;
    }
    ShowWebButton();
}

void DeviceSelection::ManuEditExit() {
    Batch batch(notifyHold_, view_);
    manuEdit_ = manufacturer_;
}

void DeviceSelection::NumListBoxClick(int index) {
    if (index < 0 || index >= static_cast<int>(types_.size())) return;
    Batch batch(notifyHold_, view_);
    TakeType(index);
    icTypeEdit_ = typeNum_;
    ShowDeviceInfo();
}

void DeviceSelection::IcTypeEditChange(const std::string& text, EditSource source) {
    Batch batch(notifyHold_, view_);
    icTypeEdit_ = text;
    const int found = MatchEntry(types_, text);
    if (found >= 0) {
        TakeType(found);
        if (source == EditSource::Program) icTypeEdit_ = typeNum_;
    } else if (source == EditSource::Program) {
        icTypeEdit_ = typeNum_;
    }
    ShowDeviceInfo();
}

void DeviceSelection::IcTypeEditExit() {
    Batch batch(notifyHold_, view_);
    icTypeEdit_ = typeNum_;
}

void DeviceSelection::TypeGroupClick(int index) {
    Batch batch(notifyHold_, view_);
    filter_ = (index >= 0 && index < kFilterCount) ? index : 0;
    if (makerIndex_ >= 0) {
        MaunListBoxClick(makerIndex_);
    } else {
        FillTypeList();
        TakeType(-1);
        icTypeEdit_.clear();
        ShowDeviceInfo();
    }
}

void DeviceSelection::HistCBoxChange(const std::string& text) {
    Batch batch(notifyHold_, view_);
    if (std::find(historyItems_.begin(), historyItems_.end(), text) == historyItems_.end()) {
        // An empty box has no item 0 to fall back on.
        if (!historyItems_.empty()) historyText_ = historyItems_.front();
        return;
    }
    historyText_ = text;
    // "None" and hand-edited entries name no maker and type.
    const std::optional<MakerAndType> entry = SplitHistoryEntry(text, makers_);
    if (!entry) return;
    filter_ = 0;
    SetManuEdit(entry->maker);
    SetIcTypeEdit(entry->type);
}

bool DeviceSelection::ShowDeviceInfo() {
    Batch batch(notifyHold_, view_);
    if (typeNum_.empty()) {
        // No type is selected: the panel describes none.
        info_ = DeviceInfoTexts{};
        return false;
    }
    const std::optional<DeviceInfoTexts> info = Catalogue().DeviceInfo(manufacturer_, typeNum_);
    if (!info) return false;
    info_ = *info;
    return true;
}

void DeviceSelection::ShowMakerPicture() {
    Batch batch(notifyHold_, view_);
    const std::string path = MakerPicturePath(AppDir(), manufacturer_);
    if (!path.empty()) picturePath_ = path;
}

void DeviceSelection::ShowWebButton() {
    const std::optional<std::string> file = FindMakerUrl(AppDir(), manufacturer_);
    webEnabled_ = file.has_value();
    webHint_ = file.value_or("None");
}

void DeviceSelection::FillHistoryList() {
    const SelectionHistory ring(HistoryRingPath());
    ShowHistory(ring.Entries(), ring.Last());
}

void DeviceSelection::ShowHistory(std::vector<std::string> entries,
                                  const std::optional<std::string>& last) {
    Batch batch(notifyHold_, view_);
    historyItems_ = std::move(entries);
    if (last) {
        historyText_ = *last;
    } else {
        historyItems_.push_back("None");
        historyText_ = "None";
    }
}

void DeviceSelection::RestoreLastSelection() {
    Batch batch(notifyHold_, view_);
    FillMakerList();
    const std::optional<std::string> last = SelectionHistory(HistoryRingPath()).Last();
    std::optional<MakerAndType> entry;
    if (last && *last != "NULL") entry = SplitHistoryEntry(*last, makers_);
    // A last entry whose maker the catalogue no longer lists starts where a
    // fresh ring does.
    if (!entry || MatchEntry(makers_, entry->maker) < 0) {
        SetManuEdit(kGeneralTypeMaker);
        if (makerIndex_ < 0) {
            // Not even that maker is listed: no maker, so no types either.
            manufacturer_.clear();
            manuEdit_.clear();
            ShowWebButton();
            types_.clear();
            TakeType(-1);
            icTypeEdit_.clear();
            ShowDeviceInfo();
        }
        return;
    }
    SetManuEdit(entry->maker);
    SetIcTypeEdit(entry->type);
}

bool DeviceSelection::SameDevice(const std::string& icFileName) const {
    const DeviceRecord& device = p_.device;
    return device.DeviceValid && device.Manufacturer == manufacturer_ &&
           device.TypeNum == typeNum_ && ResolvePath(device.IcFileName) == ResolvePath(icFileName);
}

OkEnd DeviceSelection::OKBtnClick() {
    // The set-up pumps events while it waits for the programmer.
    if (p_.busy.Busy()) return OkEnd::Ignored;
    Batch batch(notifyHold_, view_);
    // Pressed, OK counts as the dialog's answer whatever it then refuses.
    p_.device.Cancelled = 0;
    p_.options.OptionValuesSaved = 0;
    if (typeIndex_ < 0 || typeIndex_ >= static_cast<int>(types_.size())) return OkEnd::NoType;
    if (icTypeEdit_.empty()) {
        p_.messages.MessageBox(kNoTypeText, kNoTypeTitle, MsgButtons::Ok, MsgIcon::Error);
        return OkEnd::NoTypeText;
    }
    // Typed text that selected nothing gives way to what is selected.
    manuEdit_ = manufacturer_;
    icTypeEdit_ = typeNum_;

    DeviceRecord& device = p_.device;
    const std::string icFileName =
        DeviceFilePath(AppDir(), Catalogue().DeviceFileName(manufacturer_, typeNum_));
    const bool previousTypeChanged = device.TypeChanged;
    const bool changed = !SameDevice(icFileName);

    // The definition is loaded beside the device in force, which stays whole
    // when the load stops half way: nothing is written and nothing is sent.
    DeviceRecord chosen = device;
    chosen.IcFileName = icFileName;
    chosen.SkipIniPathCopy = 0;
    if (!DeviceTakenAfter(LoadDeviceIni(DeviceLoadContext{chosen, p_.messages, p_.fpga})))
        return OkEnd::LoadFailed;
    chosen.Manufacturer = manufacturer_;
    chosen.TypeNum = typeNum_;
    chosen.LastTypeNum = typeNum_;
    chosen.TypeChanged = changed;
    device = std::move(chosen);

    // The choice is the record's now; the files only remember it for the next
    // start. [SelectDlg] is written in one pass, so that a full disk leaves
    // the last device whole rather than half of each.
    std::vector<std::string> unsaved;
    Profile history(device.HistoryIniPath);
    if (!history.WriteStrings(kSelectSection, {{"Manufacturer", manufacturer_},
                                               {"TypeNum", typeNum_},
                                               {"IcFileName", device.IcFileName},
                                               {"OK", "1"},
                                               {"ISPmode", "0"}}))
        unsaved.push_back(history.Path());
    SelectionHistory ring(HistoryRingPath());
    SelectionHistory::Update update = ring.AddHistoryEntry(manufacturer_, typeNum_);
    if (!update.written) unsaved.push_back(ring.Path());
    // The box offers the device just taken the next time it is shown.
    ShowHistory(std::move(update.entries), update.last);
    ReportSettingsWriteFailure(p_.messages, unsaved);

    if (DeviceTaken) DeviceTaken(previousTypeChanged);
    SetUpForDevice();
    return OkEnd::Accepted;
}

void DeviceSelection::SetUpForDevice() {
    DeviceRecord& device = p_.device;
    BusyScope busy(p_.busy);
    // The definition loaded once, at the OK: size from that load.
    p_.buffer.SetBufferSize(MergeDeviceBufferSize(device, p_.sizing));

    // Without its FPGA image nothing goes to the programmer, neither the
    // set-up (it would carry the previous device's image) nor a download;
    // the buffer's sum is the program's own and is shown all the same.
    const bool imageReady = device.FpgaFileMissing == 0 && device.DeviceValid;
    auto setUp = [&] {
        return p_.link.ReopenAndSetup(MakeSetupDevice(device, IsFirstSetup(device.Manufacturer)));
    };
    if (device.FuseTypeDigit != 1) {
        if (imageReady) setUp();
        // Taken, the definition was read to its end, its image or not.
        if (const std::optional<DeviceByteRange> range = DefinitionByteRange(device))
            p_.checksum.ShowBufferSum(p_.buffer, range->start, range->end, 0);
        return;
    }
    if (!imageReady) return;
    const bool setUpDone = setUp();
    // A programmer that answered but failed its set-up has said so; the
    // checksum of an unconfigured programmer would mean nothing.
    if (!setUpDone && p_.link.IsOpen()) return;
    if (!p_.link.Reopen()) {
        p_.fail.ShowOperationFail();
        p_.messages.ShowMessage(p_.link.HardwareMissingMessage);
        return;
    }
    if (!SendBufferToProgrammer || !SendBufferToProgrammer()) return;
    if (!p_.link.Execute(OpExtractOptions)) {
        p_.fail.ShowOperationFail();
        p_.messages.ShowMessage(kErrExecute49);
        return;
    }
    OperationStatus status;
    if (!p_.link.ReadStatus(status)) return;
    if (!status.Pass()) {
        p_.fail.ShowOperationFail();
        return;
    }
    p_.checksum.ShowChecksum(status.Checksum());
}

bool DeviceSelection::CancelBtnClick() {
    if (p_.busy.Busy()) return false;
    Batch batch(notifyHold_, view_);
    p_.device.TypeChanged = false;
    Profile history(p_.device.HistoryIniPath);
    if (!history.WriteString(kSelectSection, "OK", "0"))
        ReportSettingsWriteFailure(p_.messages, {history.Path()});
    p_.device.Cancelled = 1;
    manuEdit_ = manufacturer_;
    icTypeEdit_ = typeNum_;
    if (SelectionCancelled) SelectionCancelled();
    return true;
}

void DeviceSelection::ConnetWEBBitBtnClick(WebOpener& opener) {
    const std::optional<std::string> file = FindMakerUrl(AppDir(), manufacturer_);
    if (!file) {
        p_.messages.MessageBox(kNoWebNameText, kNoWebNameTitle, MsgButtons::Ok, MsgIcon::None);
        return;
    }
    const std::optional<std::string> address = MakerWebAddress(AppDir(), *file);
    if (!address || !opener.OpenUrl(*address)) p_.messages.ShowMessage(kNoProcessText);
}

void DeviceSelection::ShowTypeTotal() { p_.messages.ShowMessage(std::to_string(CountAllTypes())); }

long DeviceSelection::CountAllTypes() {
    long total = 0;
    for (const std::string& maker : makers_) total += Catalogue().TypeCount(maker, filter_);
    return total;
}

}  // namespace burnmark
