#include "flow/ui/file_name_box.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "platform/settings_report.h"
#include "widgets/ui/history_combo_box.h"

namespace burnmark {

QComboBox* MakeFileNameBox(QWidget* parent, const QString& historySection,
                           const std::string& historyIniPath) {
    auto* box = new THistoryComboBox(parent);
    box->setObjectName(QStringLiteral("NameEdit"));
    box->setMaxCount(kFileHistoryEntries);
    box->setMinimumContentsLength(36);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // The program's own INI file, beside the other settings.
    const QString dir = QFileInfo(QString::fromStdString(historyIniPath)).absolutePath();
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    box->SetIniFileName((dir + QLatin1Char('/') + program + QStringLiteral(".INI")).toStdString());
    box->SetIniSection(historySection.toStdString());
    box->SetMaxHistoryLength(kFileHistoryEntries);
    box->ReadIniFile();
    return box;
}

void RememberFileName(QComboBox* box, Messages& messages) {
    auto* history = qobject_cast<THistoryComboBox*>(box);
    if (history && !history->WriteIniFile()) ReportSettingsWriteFailure(messages, {history->IniPath()});
}

}  // namespace burnmark
