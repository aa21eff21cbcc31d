// Plain stand-ins for the load and save dialogs: a file dialog to choose the
// file, then the hand-back in History_1.ini [LoadDlg] / [SaveDlg] as the full
// dialogs leave it, with fixed choices for everything else. The full dialogs
// with their ranges, formats and histories replace these.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <QString>
#include <QStringList>

#include "buffer/flow/load_flow.h"
#include "buffer/flow/save_flow.h"

class QLineEdit;
class QWidget;

namespace burnmark {

// [LoadDlg] for a chosen file: the whole file, auto-detected, placed at 0,
// unused bytes left as they are; "OK" = "1". Without a file (Cancel) only
// "OK" = "0" is written.
void WriteLoadHandBack(const std::string& historyIniPath, const std::optional<std::string>& file);

// [SaveDlg] for a chosen file: the inclusive buffer range and the format;
// "OK" = "1". Without a file (Cancel) only "OK" = "0".
void WriteSaveHandBack(const std::string& historyIniPath, const std::optional<std::string>& file,
                       SaveFormat format, int64_t start, int64_t end);

// The save file dialog's filters, one per SaveFormat in their order.
QStringList SaveFormatFilters();
// The format of a filter out of SaveFormatFilters(); binary for any other.
SaveFormat SaveFormatOfFilter(const QString& filter);

class PlainLoadDialog : public LoadDialogPort {
public:
    // loadPathEdit: the main window's LoadPathEdit. Both outlive the dialog.
    PlainLoadDialog(QWidget* parent, std::string historyIniPath, QLineEdit* loadPathEdit)
        : parent_(parent),
          historyIniPath_(std::move(historyIniPath)),
          loadPathEdit_(loadPathEdit) {}

    void RunLoadDialog() override;
    void SetLoadPathEdit(const std::string& name) override;

private:
    QWidget* parent_;
    std::string historyIniPath_;
    QLineEdit* loadPathEdit_;
};

class PlainSaveDialog : public SaveDialogPort {
public:
    // deviceRangeEnd: the last byte of the device range, as the save dialog's
    // "IC" button gives it.
    PlainSaveDialog(QWidget* parent, std::string historyIniPath,
                    std::function<int64_t()> deviceRangeEnd)
        : parent_(parent),
          historyIniPath_(std::move(historyIniPath)),
          deviceRangeEnd_(std::move(deviceRangeEnd)) {}

    void RunSaveDialog() override;

private:
    QWidget* parent_;
    std::string historyIniPath_;
    std::function<int64_t()> deviceRangeEnd_;
};

}  // namespace burnmark
