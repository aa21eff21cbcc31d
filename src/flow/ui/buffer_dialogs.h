// The five buffer dialogs as the commands' ports: each run creates its
// dialog over the main window, shows it modally, deletes it and returns its
// answer. The Load command's LoadPathEdit is the main window's field.
#pragma once

#include "flow/load_flow.h"
#include "flow/range_commands.h"
#include "flow/save_flow.h"
#include "flow/ui/file_dialog_windows.h"

class QLineEdit;
class QWidget;

namespace burnmark {

class QtBufferDialogs : public LoadDialogPort,
                        public SaveDialogPort,
                        public BlockDialogPort,
                        public FillDialogPort,
                        public SumDialogPort {
public:
    // parent: the main window; loadPathEdit: its LoadPathEdit. Both outlive this.
    QtBufferDialogs(QWidget* parent, QLineEdit* loadPathEdit)
        : parent_(parent), loadPathEdit_(loadPathEdit) {}

    std::optional<LoadSettings> RunLoadDialog(LoadDialogLogic& logic) override;
    void SetLoadPathEdit(const std::string& name) override;
    std::optional<SaveSettings> RunSaveDialog(SaveDialogLogic& logic) override;
    std::optional<BlockRequest> RunBlockDialog(BlockDialogLogic& logic) override;
    std::optional<FillRequest> RunFillDialog(FillDialogLogic& logic) override;
    std::optional<SumRequest> RunSumDialog(SumDialogLogic& logic) override;

private:
    QWidget* parent_;
    QLineEdit* loadPathEdit_;
};

}  // namespace burnmark
