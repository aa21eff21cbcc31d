#include "shell/ui/app_composition.h"

#include <QLineEdit>
#include <QPalette>
#include <QStyle>

#include "buffer/ui/progress_window.h"
#include "catalogue/device_facts.h"
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
