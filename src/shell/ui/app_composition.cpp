#include "shell/ui/app_composition.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPointer>
#include <QStyle>
#include <stdexcept>

#include "flow/ui/buffer_dialogs.h"
#include "buffer/ui/main_edit.h"
#include "buffer/ui/progress_window.h"
#include "catalogue/ui/select_ic_dialog.h"
#include "catalogue/ui/current_page_form.h"
#include "fusemap/ui/gal_form.h"
#include "fusemap/ui/qt_fuse_file_chooser.h"
#include "operations/ui/copy_page_view.h"
#include "shell/ui/main_form.h"
#include "shell/ui/peripheral_commands.h"

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
        const QColor text =
            changed ? QColor(Qt::red)
                    : edit_->style()->standardPalette().color(QPalette::Active, QPalette::Text);
        palette.setColor(QPalette::Active, QPalette::Text, text);
        palette.setColor(QPalette::Inactive, QPalette::Text, text);
        palette.setColor(QPalette::Disabled, QPalette::Text, text);
        edit_->setPalette(palette);
    }

private:
    QLineEdit* edit_;
};

// The device selection dialog for the Type step, placed over the Copy page
// one pixel below its top.
class QtSelectDialog : public SelectDialogPort {
public:
    QtSelectDialog(TSelectICDialog* dialog, QWidget* copyPanel)
        : dialog_(dialog), copyPanel_(copyPanel) {}

    void RunSelectDialog() override {
        if (!dialog_) return;
        const QPoint at = copyPanel_ ? copyPanel_->mapToGlobal(QPoint(0, 1)) : dialog_->pos();
        dialog_->ShowModalAt(at);
    }

private:
    QPointer<TSelectICDialog> dialog_;
    QPointer<QWidget> copyPanel_;
};

// The buffer editor over the main window's Edit area, for the Edit step.
class QtBufferEditorArea : public BufferEditorArea {
public:
    explicit QtBufferEditorArea(TMainForm& form) : form_(form) {}

    void ShowEditArea() override { form_.ShowEditArea(); }
    void ShowBufferEditor(std::optional<EditorPage> page) override {
        form_.ShowEditor();
        auto* editor = qobject_cast<TMainEdit*>(form_.Editor());
        if (editor && page) editor->SetActivePage(*page);
    }

private:
    TMainForm& form_;
};

AppComposition::AppComposition(TMainForm& form, UsbTransport& usb, Messages& messages,
                               Sounds& sounds, Pump& pump, const MainSettings& settings)
    : form_(form), messages_(messages), progressWindow_(std::make_unique<TProgressWindow>()) {
    auto* sumEdit = form.findChild<QLineEdit*>(QStringLiteral("SumEdit"));
    auto* loadPathEdit = form.findChild<QLineEdit*>(QStringLiteral("LoadPathEdit"));
    sumField_ = std::make_unique<QtChecksumField>(sumEdit);

    CorePorts ports{usb, messages, sounds, pump, *progressWindow_, processes_};
    ports.mainWindowId = [this] { return static_cast<uint64_t>(form_.winId()); };
    core_ = std::make_unique<ProgramCore>(form.State(), ports, settings);
    core_->Checksum().SetField(sumField_.get());

    dialogs_ = std::make_unique<QtBufferDialogs>(&form, loadPathEdit);
    plainFuseFiles_ = std::make_unique<QtFuseFileChooser>(&form);
    SetLoadDialog(nullptr);
    SetSaveDialog(nullptr);
    SetFuseFileChooser(nullptr);
    SetBlockDialog(nullptr);
    SetFillDialog(nullptr);
    SetSumDialog(nullptr);
    // The Block and Fill OK take the editor's byte view back to its first
    // row; after their work its Buffer Information page reads anew.
    core_->Ranges().ScrollByteViewToTop = [this] {
        if (TMainEdit* editor = BufferEditor()) editor->View().ScrollTo(0);
    };
    core_->Ranges().MainEditPageChange = [this] {
        if (TMainEdit* editor = BufferEditor()) editor->MainEditPageChange();
    };

    // Every click on a step runs with the window busy, so that nothing but
    // Stop can start a second operation or close the window meanwhile.
    CopyPageHandlers handlers;
    auto bind = [&]<typename Family>(CopyStep step, Family& family, void (Family::*ready)(),
                                     void (Family::*rerun)()) {
        handlers[static_cast<std::size_t>(step)] = CopyStepHandlers{
            [this, &family, ready] { core_->RunBusy([&] { (family.*ready)(); }); },
            [this, &family, rerun] { core_->RunBusy([&] { (family.*rerun)(); }); },
            nullptr,
        };
    };
    SimpleOperations& simple = core_->Simple();
    DownloadOperations& downloads = core_->Downloads();
    ReadBackOperations& readBacks = core_->ReadBacks();
    bind(CopyStep::Erase, simple, &SimpleOperations::erace_nClick, &SimpleOperations::erace_pClick);
    bind(CopyStep::Check, simple, &SimpleOperations::check_nClick, &SimpleOperations::check_pClick);
    bind(CopyStep::Secur, simple, &SimpleOperations::secur_nClick, &SimpleOperations::secur_pClick);
    bind(CopyStep::Program, downloads, &DownloadOperations::prog_nClick,
         &DownloadOperations::prog_pClick);
    bind(CopyStep::Read, readBacks, &ReadBackOperations::read_nClick,
         &ReadBackOperations::read_pClick);
    bind(CopyStep::Confirm, readBacks, &ReadBackOperations::confirm_nClick,
         &ReadBackOperations::confirm_pClick);
    bind(CopyStep::Verify, readBacks, &ReadBackOperations::verify_nClick,
         &ReadBackOperations::verify_pClick);
    // The Verify step's fail picture verifies again only after a verify ran.
    handlers[static_cast<std::size_t>(CopyStep::Verify)].failed = [this, &readBacks] {
        core_->RunBusy([&] { readBacks.verify_fClick(); });
    };
    // Load and Save hold the window busy themselves, once their dialog has closed.
    CopySourceSteps& steps = core_->Steps();
    steps.ShowLoadPath = [loadPathEdit](const std::string& path) {
        if (loadPathEdit) loadPathEdit->setText(QString::fromStdString(path));
    };
    auto* selectedType = form.findChild<QListWidget*>(QStringLiteral("SelectedType"));
    steps.ShowSelectedType = [selectedType](const std::string& maker, const std::string& type) {
        if (!selectedType || selectedType->count() < 2) return;
        selectedType->item(0)->setText(QString::fromStdString(maker));
        selectedType->item(1)->setText(QString::fromStdString(type));
    };
    handlers[static_cast<std::size_t>(CopyStep::Type)].ready = [&steps] { steps.TypeStepClick(); };
    handlers[static_cast<std::size_t>(CopyStep::Load)].ready = [&steps] { steps.LoadStepClick(); };
    handlers[static_cast<std::size_t>(CopyStep::Save)].ready = [&steps] { steps.SaveStepClick(); };
    handlers[static_cast<std::size_t>(CopyStep::Edit)].ready = [&steps] { steps.EditStepClick(); };
    steps.ShowCopyPage = [this] { form_.CopyBtnClick(); };
    editArea_ = std::make_unique<QtBufferEditorArea>(form);
    steps.SetBufferEditorArea(editArea_.get());
    // One editor for every device with a fuse map, made for the first one.
    steps.MakeFuseMapEditor = [this]() -> FuseMapEditor* {
        if (!fuseEditor_) fuseEditor_ = std::make_unique<Tform2>(core_->Fuses(), &form_);
        return fuseEditor_.get();
    };
    pageView_ = std::make_unique<CopyPageController>(form, core_->Page(), std::move(handlers));
    peripherals_ = std::make_unique<PeripheralCommands>(form, *core_, messages, pump);
}

AppComposition::~AppComposition() {
    peripherals_.reset();
    // The editors and dialogs let go of the core before it goes.
    if (core_) {
        core_->Steps().SetFuseMapEditor(nullptr);
        core_->Steps().SetSelectDialog(nullptr);
        core_->Steps().SetBufferEditorArea(nullptr);
        core_->Steps().MakeFuseMapEditor = nullptr;
    }
    fuseEditor_.reset();
}

void AppComposition::SetSelectICDialog(TSelectICDialog* dialog) {
    if (!dialog) {
        core_->Steps().SetSelectDialog(nullptr);
        selectDialog_.reset();
        return;
    }
    selectDialog_ = std::make_unique<QtSelectDialog>(
        dialog, form_.findChild<QWidget*>(QStringLiteral("Copy_Panel")));
    core_->Steps().SetSelectDialog(selectDialog_.get());
}

TMainEdit* AppComposition::BufferEditor() const { return qobject_cast<TMainEdit*>(form_.Editor()); }

MainEditHooks AppComposition::EditorHooks() {
    MainEditHooks hooks;
    CopySourceSteps& steps = core_->Steps();
    // The editor's Load and Save are the Copy page's steps, with their tails.
    hooks.LoadFile = [&steps] { steps.LoadStepClick(); };
    hooks.SaveFile = [&steps] { steps.SaveStepClick(); };
    // The buffer dialogs open over the main window (a test may put its own
    // commands in their place).
    auto dialog = [this](std::function<void(QWidget&)> BufferDialogCommands::*command,
                         void (AppComposition::*own)()) {
        return [this, command, own] {
            if (bufferDialogs_.*command)
                (bufferDialogs_.*command)(form_);
            else
                (this->*own)();
        };
    };
    hooks.GetSum = dialog(&BufferDialogCommands::GetSum, &AppComposition::GetSumClick);
    hooks.FillData = dialog(&BufferDialogCommands::FillData, &AppComposition::FillDataClick);
    hooks.Block = dialog(&BufferDialogCommands::Block, &AppComposition::BlockClick);
    // Search and Search Next have no work: the program has no search.
    return hooks;
}

void AppComposition::FillSeams(MainFormSeams& seams) {
    core_->FillSessionSeams(seams.session);
    if (!seams.session.CreateFuseMapEditor)
        seams.session.CreateFuseMapEditor = [this] {
            // The restore shows why and goes on; the steps say so when used.
            if (!core_->Steps().CreateFuseMapEditor())
                throw std::runtime_error(kFuseEditorMissingText);
        };
    if (!seams.RunClick) seams.RunClick = [this] { core_->RunClick(); };
    if (!seams.StopClick) seams.StopClick = [this] { core_->StopClick(); };
    if (!seams.EditOkClick) seams.EditOkClick = [this] { core_->EditOkClick(); };
    // The Create page's CreateType: the device selection over the Copy page.
    if (!seams.Image14Click) seams.Image14Click = [this] { core_->Steps().Image14Click(); };
    if (!seams.CheckDeviceAfterAbout)
        seams.CheckDeviceAfterAbout = [this] { core_->CheckDeviceAfterAbout(); };
    if (!seams.ReleaseOnExit) seams.ReleaseOnExit = [this] { core_->ReleaseOnExit(); };
    // The buffer editor over the Edit area.
    if (!seams.CreateEditWindow)
        seams.CreateEditWindow = [this](QWidget* editArea, const QString& caption) -> QWidget* {
            auto* editor = new TMainEdit(core_->Buffer(), messages_, editArea);
            editor->setWindowTitle(caption);
            editor->SetHooks(EditorHooks());
            return editor;
        };
    peripherals_->FillSeams(seams);
    if (!seams.RouteWheel)
        seams.RouteWheel = [this](QObject* hover, int delta) {
            if (TMainEdit* editor = BufferEditor()) editor->RouteWheel(hover, delta);
        };
    // The Edit area's commands run the editor's menu items. The editor is a
    // child of the main window, so no stay-on-top has to be lifted for the
    // dialogs they open.
    auto menuItem = [this](void (TMainEdit::*click)()) {
        return [this, click] {
            if (TMainEdit* editor = BufferEditor()) (editor->*click)();
        };
    };
    if (!seams.CheckSumClick) seams.CheckSumClick = menuItem(&TMainEdit::GetSumClick);
    if (!seams.BlockClick) seams.BlockClick = menuItem(&TMainEdit::BlockClick);
    if (!seams.FillClick) seams.FillClick = menuItem(&TMainEdit::FillDataClick);
    if (!seams.FindClick) seams.FindClick = menuItem(&TMainEdit::SearchClick);
    if (!seams.FindNextClick) seams.FindNextClick = menuItem(&TMainEdit::SearchNextClick);

    // Multi_HintClick: the option window, made for this showing only.
    if (!seams.MultiClick)
        seams.MultiClick = [this] {
            const OptionWindowChoice choice = core_->OptionWindowToShow();
            if (choice == OptionWindowChoice::Nothing) return;
            const auto pages = core_->MakeOptionPages(choice);
            ShowOptionWindow(form_, *pages);
        };
}

void AppComposition::SetLoadDialog(LoadDialogPort* dialog) {
    core_->Steps().SetLoadDialog(dialog ? dialog : dialogs_.get());
}

void AppComposition::SetSaveDialog(SaveDialogPort* dialog) {
    core_->Steps().SetSaveDialog(dialog ? dialog : dialogs_.get());
}

void AppComposition::SetBlockDialog(BlockDialogPort* dialog) {
    core_->Ranges().SetBlockDialog(dialog ? dialog : dialogs_.get());
}

void AppComposition::SetFillDialog(FillDialogPort* dialog) {
    core_->Ranges().SetFillDialog(dialog ? dialog : dialogs_.get());
}

void AppComposition::SetSumDialog(SumDialogPort* dialog) {
    core_->Ranges().SetSumDialog(dialog ? dialog : dialogs_.get());
}

void AppComposition::BlockClick() { core_->Ranges().BlockClick(); }
void AppComposition::FillDataClick() { core_->Ranges().FillDataClick(); }
void AppComposition::GetSumClick() { core_->Ranges().GetSumClick(); }

void AppComposition::SetFuseFileChooser(FuseFileChooser* chooser) {
    core_->Steps().SetFuseFileChooser(chooser ? chooser : plainFuseFiles_.get());
}

}  // namespace burnmark
