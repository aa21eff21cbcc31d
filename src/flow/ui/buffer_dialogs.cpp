#include "flow/ui/buffer_dialogs.h"

#include <QLineEdit>

#include "flow/ui/range_dialog_windows.h"

namespace burnmark {

namespace {

template <typename Dialog, typename Logic>
auto RunModal(QWidget* parent, Logic& logic) {
    Dialog dialog(parent, logic);
    dialog.exec();
    return dialog.Answer();
}

}  // namespace

std::optional<LoadSettings> QtBufferDialogs::RunLoadDialog(LoadDialogLogic& logic) {
    return RunModal<TLoadDlg>(parent_, logic);
}

void QtBufferDialogs::SetLoadPathEdit(const std::string& name) {
    if (loadPathEdit_) loadPathEdit_->setText(QString::fromStdString(name));
}

std::optional<SaveSettings> QtBufferDialogs::RunSaveDialog(SaveDialogLogic& logic) {
    return RunModal<TLoadSaveDlg>(parent_, logic);
}

std::optional<BlockRequest> QtBufferDialogs::RunBlockDialog(BlockDialogLogic& logic) {
    return RunModal<TBlockDialog>(parent_, logic);
}

std::optional<FillRequest> QtBufferDialogs::RunFillDialog(FillDialogLogic& logic) {
    return RunModal<TFillDataDialog>(parent_, logic);
}

std::optional<SumRequest> QtBufferDialogs::RunSumDialog(SumDialogLogic& logic) {
    return RunModal<TGetSumDialog>(parent_, logic);
}

}  // namespace burnmark
