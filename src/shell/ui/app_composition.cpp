#include "shell/ui/app_composition.h"

#include <QLineEdit>
#include <QPalette>
#include <QStyle>

#include "buffer/ui/main_edit.h"
#include "buffer/ui/plain_file_dialogs.h"
#include "buffer/ui/progress_window.h"
#include "catalogue/device_facts.h"
#include "fusemap/ui/fuse_file_dialogs.h"
#include "operations/device_check.h"
#include "operations/ui/copy_page_view.h"
#include "platform/profile.h"
#include "shell/ui/main_form.h"

namespace burnmark {

AppComposition::AppComposition(TMainForm& form, UsbTransport& usb, Messages& messages,
                               Sounds& sounds, Pump& pump)
    : form_(form),
      state_(form.State()),
      messages_(messages),
      progressWindow_(std::make_unique<TProgressWindow>()),
      buffer_(messages, *progressWindow_, state_.HistoryIniPath()),
      fpga_(messages, engine_, state_),
      fuseMap_(messages, engine_),
      link_(usb, messages, sounds, engine_, state_, fpga_),
      engine_(state_, device_, buffer_, fuseMap_, link_, page_, messages, sounds, pump) {
    device_.HistoryIniPath = state_.HistoryIniPath();
    device_.AppDir = state_.AppDir;
    buffer_.SetDeviceSizeProvider([this] { return DeviceSizeOf(device_); });
    buffer_.SetChecksumView(this);
    sumEdit_ = form.findChild<QLineEdit*>(QStringLiteral("SumEdit"));
    loadPathEdit_ = form.findChild<QLineEdit*>(QStringLiteral("LoadPathEdit"));
    // The fuse map keeps its own last checksum; the field shows it in the same way.
    fuseMap_.OnChecksumShown = [this](const std::string& text, bool changed) {
        ShowSumText(QString::fromStdString(text));
        SetChecksumHighlight(changed);
    };

    FlowContext flow{state_,  device_, buffer_, messages, sounds, *progressWindow_, pump,
                     processes_, link_, engine_, fpga_};
    flow.setBusy = [this](bool busy) { form_.SetBusy(busy); };
    flow.mainWindowId = [this] { return static_cast<uint64_t>(form_.winId()); };
    loadFlow_ = std::make_unique<LoadFlow>(flow);
    saveFlow_ = std::make_unique<SaveFlow>(flow);
    plainLoad_ = std::make_unique<PlainLoadDialog>(&form, state_.HistoryIniPath(), loadPathEdit_);
    plainSave_ = std::make_unique<PlainSaveDialog>(&form, state_.HistoryIniPath(),
                                                   [this] { return DeviceRangeEnd(); });
    plainFuseFiles_ = std::make_unique<QtFuseFileChooser>(&form);
    SetLoadDialog(nullptr);
    SetSaveDialog(nullptr);
    SetFuseFileChooser(nullptr);

    // Every click on a step runs with the window busy, so that nothing but
    // Stop can start a second operation or close the window meanwhile.
    CopyPageHandlers handlers;
    auto bind = [&](CopyStep step, void (OperationEngine::*ready)(),
                    void (OperationEngine::*rerun)()) {
        handlers[static_cast<std::size_t>(step)] = CopyStepHandlers{
            [this, ready] { Busy([&] { (engine_.*ready)(); }); },
            [this, rerun] { Busy([&] { (engine_.*rerun)(); }); },
        };
    };
    bind(CopyStep::Erase, &OperationEngine::erace_nClick, &OperationEngine::erace_pClick);
    bind(CopyStep::Check, &OperationEngine::check_nClick, &OperationEngine::check_pClick);
    bind(CopyStep::Secur, &OperationEngine::secur_nClick, &OperationEngine::secur_pClick);
    bind(CopyStep::Program, &OperationEngine::prog_nClick, &OperationEngine::prog_pClick);
    // Load and Save hold the window busy themselves, once their dialog has closed.
    handlers[static_cast<std::size_t>(CopyStep::Load)].ready = [this] { LoadStepClick(); };
    handlers[static_cast<std::size_t>(CopyStep::Save)].ready = [this] { SaveStepClick(); };
    pageView_ = std::make_unique<CopyPageController>(form, page_, std::move(handlers));
}

AppComposition::~AppComposition() = default;

template <typename Command>
void AppComposition::Busy(Command&& command) {
    BusyScope busy(form_);
    command();
}

void AppComposition::FillSeams(MainFormSeams& seams) {
    SessionSeams& session = seams.session;
    if (!session.LoadDeviceIni)
        session.LoadDeviceIni = [this](const std::string& path) { return LoadDevice(path); };
    if (!session.ApplyDeviceBufferSize)
        session.ApplyDeviceBufferSize = [this] { SizeBufferForDevice(); };
    if (!session.UpdateCopyButtons)
        session.UpdateCopyButtons = [this](int arg) {
            Busy([&] { engine_.UpdateCopyButtons(arg); });
        };
    // The fuse-map editor's window is not built yet; the map itself is.
    if (!session.CreateFuseMapEditor) session.CreateFuseMapEditor = [] {};
    if (!session.InitFuseBuffer) session.InitFuseBuffer = [this] { InitFuseMapForDevice(); };
    // The About box leaves the programmer open; the check talks to it, so the
    // window is held busy as for any operation.
    if (!seams.CheckDeviceAfterAbout)
        seams.CheckDeviceAfterAbout = [this] {
            Busy([&] {
                burnmark::CheckDeviceAfterAbout(engine_, Context(), link_, page_, messages_);
            });
        };
    // The buffer editor over the Edit area; its menu hooks are wired by the Edit area.
    if (!seams.CreateEditWindow)
        seams.CreateEditWindow = [this](QWidget* editArea, const QString& caption) -> QWidget* {
            auto* editor = new TMainEdit(buffer_, messages_, editArea);
            editor->setWindowTitle(caption);
            return editor;
        };
    if (!seams.RouteWheel)
        seams.RouteWheel = [this](QObject* hover, int delta) {
            if (auto* editor = qobject_cast<TMainEdit*>(form_.Editor()))
                editor->RouteWheel(hover, delta);
        };
    if (!seams.ReleaseOnExit)
        seams.ReleaseOnExit = [this] {
            fpga_.Release();
            if (state_.HasFuseMap == 1) fuseMap_.FreeFuseBuffer();
        };
}

DeviceFacts AppComposition::LoadDevice(const std::string& icFileName) {
    // The selection dialog keeps the chosen maker and type in the record; at
    // start-up they are the last ones chosen.
    const Profile history(state_.HistoryIniPath());
    device_.Manufacturer = history.ReadString("SelectDlg", "Manufacturer", "None");
    device_.TypeNum = history.ReadString("SelectDlg", "TypeNum", "None");
    device_.IcFileName = icFileName;
    device_.IniPathInUse = icFileName;
    LoadDeviceIni(Context());
    return DeviceFacts{device_.Type, device_.FuseTypeDigit};
}

void AppComposition::SizeBufferForDevice() {
    // The restore has just loaded the definition: size from that load rather
    // than load it a second time, which would show each of its messages twice.
    buffer_.SetBufferSize(MergeDeviceBufferSize(device_, state_));
}

void AppComposition::InitFuseMapForDevice() {
    fuseMap_.InitFuseBuffer(FuseGeometry{state_.FuseCount, state_.FuseCols, state_.FuseRows,
                                         state_.PinCount, device_.Intact});
}

void AppComposition::SetLoadDialog(LoadDialogPort* dialog) {
    loadDialog_ = dialog ? dialog : plainLoad_.get();
}

void AppComposition::SetSaveDialog(SaveDialogPort* dialog) {
    saveDialog_ = dialog ? dialog : plainSave_.get();
}

void AppComposition::SetFuseFileChooser(FuseFileChooser* chooser) {
    fuseFiles_ = chooser ? chooser : plainFuseFiles_.get();
}

// ---- Load and Save steps --------------------------------------------------------------------

void AppComposition::LoadStepClick() {
    if (state_.Busy) return;
    if (state_.HasFuseMap == 1) {
        LoadFuseMapFile();
        return;
    }
    const uint32_t shownBefore = state_.LastChecksum;
    switch (loadFlow_->LoadFileClick(*loadDialog_)) {
        case LoadEnd::Ignored:
        case LoadEnd::NoDevice:
        case LoadEnd::Cancelled: return;
        default: break;  // the dialog closed with its Load button
    }
    AfterBufferLoad(shownBefore);
}

void AppComposition::AfterBufferLoad(uint32_t shownBefore) {
    BusyScope busy(form_);
    if (device_.FuseTypeDigit != 1) {
        // The load sums the range it read without showing it in the field:
        // the colour tells whether the device's sum differs from the one the
        // field showed before, not from that intermediate sum.
        state_.LastChecksum = shownBefore;
        if (buffer_.GetSum(0, device_.DeviceBytes, 1))
            ShowSumText(QString::asprintf("%08X", static_cast<unsigned>(buffer_.GetCheckSum())));
    }
    engine_.EnableCopyButtons();
    page_.SetMulti(true);
    page_.SetMultiHint(true);
    engine_.UpdateCopyButtons(state_.ProjectOpened ? 2 : 0);
}

bool AppComposition::FuseMapReady() {
    if (fuseMap_.HasBlock()) return true;
    // The map could not be built for this device (that was reported at the
    // load): there is nothing to load into and no rows to write.
    messages_.ShowMessage(kErrLockFailed);
    engine_.ShowOperationFail();
    return false;
}

void AppComposition::LoadFuseMapFile() {
    const std::string path = fuseFiles_->ChooseJedecToLoad();
    if (path.empty()) return;
    BusyScope busy(form_);
    if (!FuseMapReady()) return;
    FuseLoadStatus status;
    {
        BufferLock lock = buffer_.GetBufferHandle();
        status = fuseMap_.LoadJedecFile(path, lock ? lock.Bytes() : std::span<uint8_t>{});
        if (lock && status == FuseLoadStatus::Loaded) lock.MarkChanged();
    }
    if (status == FuseLoadStatus::Loaded && loadPathEdit_)
        loadPathEdit_->setText(QString::fromStdString(fuseMap_.JedecPath()));
    page_.SetMulti(true);
    page_.SetMultiHint(true);
    engine_.UpdateCopyButtons(state_.ProjectOpened ? 2 : 0);
}

void AppComposition::SaveStepClick() {
    if (state_.Busy) return;
    if (state_.HasFuseMap == 1) {
        SaveFuseMapFile();
        return;
    }
    saveFlow_->SaveFileClick(*saveDialog_);
}

void AppComposition::SaveFuseMapFile() {
    const std::string path = fuseFiles_->ChooseJedecToSave();
    if (path.empty()) return;
    BusyScope busy(form_);
    if (!FuseMapReady()) return;
    fuseMap_.SaveJedecFile(path);
}

int64_t AppComposition::DeviceRangeEnd() const {
    const DeviceSize size = DeviceSizeOf(device_);
    if (size.DeviceBytes == 0) return int64_t{buffer_.GetBufferSize()} - 1;
    return size.HasExtArea ? int64_t{size.DeviceBytes} : int64_t{size.DeviceBytes} - 1;
}

void AppComposition::ShowSumText(const QString& text) {
    if (sumEdit_) sumEdit_->setText(text);
}

void AppComposition::SetChecksumHighlight(bool changed) {
    if (!sumEdit_) return;
    QPalette palette = sumEdit_->palette();
    const QColor text = changed ? QColor(Qt::red) : sumEdit_->style()->standardPalette().color(
                                                        QPalette::Active, QPalette::Text);
    palette.setColor(QPalette::Active, QPalette::Text, text);
    palette.setColor(QPalette::Inactive, QPalette::Text, text);
    palette.setColor(QPalette::Disabled, QPalette::Text, text);
    sumEdit_->setPalette(palette);
}

}  // namespace burnmark
