#include "shell/ui/app_composition.h"

#include <QLineEdit>
#include <QPalette>
#include <QStyle>

#include "buffer/ui/plain_file_dialogs.h"
#include "buffer/ui/progress_window.h"
#include "catalogue/ui/current_page_form.h"
#include "fusemap/ui/gal_form.h"
#include "fusemap/ui/qt_fuse_file_chooser.h"
#include "operations/ui/copy_page_view.h"
#include "shell/ui/main_form.h"

namespace burnmark {

// The Copy page's SumEdit.
class QtChecksumField : public ChecksumField {
public:
    explicit QtChecksumField(QLineEdit* edit) : edit_(edit) {}

    void SetSumText(const std::string& text) override {
        if (edit_) edit_->setText(QString::fromStdString(text));
    }
    void SetSumHighlight(bool changed) override {
        if (!edit_) return;
        QPalette palette = edit_->palette();
        const QColor text = changed ? QColor(Qt::red)
                                    : edit_->style()->standardPalette().color(QPalette::Active,
                                                                              QPalette::Text);
        palette.setColor(QPalette::Active, QPalette::Text, text);
        palette.setColor(QPalette::Inactive, QPalette::Text, text);
        palette.setColor(QPalette::Disabled, QPalette::Text, text);
        edit_->setPalette(palette);
    }

private:
    QLineEdit* edit_;
};

AppComposition::AppComposition(TMainForm& form, UsbTransport& usb, Messages& messages,
                               Sounds& sounds, Pump& pump, const MainSettings& settings)
    : form_(form), progressWindow_(std::make_unique<TProgressWindow>()) {
    auto* sumEdit = form.findChild<QLineEdit*>(QStringLiteral("SumEdit"));
    auto* loadPathEdit = form.findChild<QLineEdit*>(QStringLiteral("LoadPathEdit"));
    sumField_ = std::make_unique<QtChecksumField>(sumEdit);

    CorePorts ports{usb, messages, sounds, pump, *progressWindow_, processes_};
    ports.mainWindowId = [this] { return static_cast<uint64_t>(form_.winId()); };
    core_ = std::make_unique<ProgramCore>(form.State(), ports, settings);
    core_->Checksum().SetField(sumField_.get());

    const std::string history = form.State().HistoryIniPath();
    plainLoad_ = std::make_unique<PlainLoadDialog>(&form, history, loadPathEdit);
    plainSave_ = std::make_unique<PlainSaveDialog>(
        &form, history, [this] { return DeviceRangeEnd(core_->Device(), core_->Buffer()); });
    plainFuseFiles_ = std::make_unique<QtFuseFileChooser>(&form);
    SetLoadDialog(nullptr);
    SetSaveDialog(nullptr);
    SetFuseFileChooser(nullptr);

    // Every click on a step runs with the window busy, so that nothing but
    // Stop can start a second operation or close the window meanwhile.
    OperationEngine& engine = core_->Engine();
    CopyPageHandlers handlers;
    auto bind = [&](CopyStep step, void (OperationEngine::*ready)(),
                    void (OperationEngine::*rerun)()) {
        handlers[static_cast<std::size_t>(step)] = CopyStepHandlers{
            [this, &engine, ready] { core_->RunBusy([&] { (engine.*ready)(); }); },
            [this, &engine, rerun] { core_->RunBusy([&] { (engine.*rerun)(); }); },
        };
    };
    bind(CopyStep::Erase, &OperationEngine::erace_nClick, &OperationEngine::erace_pClick);
    bind(CopyStep::Check, &OperationEngine::check_nClick, &OperationEngine::check_pClick);
    bind(CopyStep::Secur, &OperationEngine::secur_nClick, &OperationEngine::secur_pClick);
    bind(CopyStep::Program, &OperationEngine::prog_nClick, &OperationEngine::prog_pClick);
    // Load and Save hold the window busy themselves, once their dialog has closed.
    CopySourceSteps& steps = core_->Steps();
    steps.ShowLoadPath = [loadPathEdit](const std::string& path) {
        if (loadPathEdit) loadPathEdit->setText(QString::fromStdString(path));
    };
    handlers[static_cast<std::size_t>(CopyStep::Load)].ready = [&steps] { steps.LoadStepClick(); };
    handlers[static_cast<std::size_t>(CopyStep::Save)].ready = [&steps] { steps.SaveStepClick(); };
    handlers[static_cast<std::size_t>(CopyStep::Edit)].ready = [&steps] { steps.EditStepClick(); };
    steps.ShowCopyPage = [this] { form_.CopyBtnClick(); };
    pageView_ = std::make_unique<CopyPageController>(form, core_->Page(), std::move(handlers));
}

AppComposition::~AppComposition() {
    // The editor lets go of the fuse map before the core goes.
    if (core_) core_->Steps().SetFuseMapEditor(nullptr);
    fuseEditor_.reset();
}

void AppComposition::FillSeams(MainFormSeams& seams) {
    core_->FillSessionSeams(seams.session);
    if (!seams.session.CreateFuseMapEditor)
        seams.session.CreateFuseMapEditor = [this] {
            if (fuseEditor_) return;
            fuseEditor_ = std::make_unique<Tform2>(core_->Fuses(), &form_);
            core_->Steps().SetFuseMapEditor(fuseEditor_.get());
        };
    if (!seams.CheckDeviceAfterAbout)
        seams.CheckDeviceAfterAbout = [this] { core_->CheckDeviceAfterAbout(); };
    if (!seams.ReleaseOnExit) seams.ReleaseOnExit = [this] { core_->ReleaseOnExit(); };
    // Multi_HintClick: the option window, made for this showing only.
    if (!seams.MultiClick)
        seams.MultiClick = [this] {
            const OptionWindowChoice choice = core_->OptionWindowToShow();
            if (choice == OptionWindowChoice::Nothing) return;
            const auto pages = core_->MakeOptionPages(choice == OptionWindowChoice::Pages);
            ShowOptionWindow(form_, *pages);
        };
}

void AppComposition::SetLoadDialog(LoadDialogPort* dialog) {
    core_->Steps().SetLoadDialog(dialog ? dialog : plainLoad_.get());
}

void AppComposition::SetSaveDialog(SaveDialogPort* dialog) {
    core_->Steps().SetSaveDialog(dialog ? dialog : plainSave_.get());
}

void AppComposition::SetFuseFileChooser(FuseFileChooser* chooser) {
    core_->Steps().SetFuseFileChooser(chooser ? chooser : plainFuseFiles_.get());
}

}  // namespace burnmark
