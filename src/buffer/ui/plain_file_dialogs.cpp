#include "buffer/ui/plain_file_dialogs.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStringList>

#include "platform/profile.h"

namespace burnmark {

namespace {

constexpr const char* kLoadFilter =
    "All File (*.*);;Binary (*.bin);;Hex (*.hex);;MS-DOS fn.com (*.com);;MS-DOS fn.exe (*.exe);;"
    "POF (*.pof)";

constexpr std::array<const char*, 6> kSaveFilters = {
    "Binary (*.bin)",      "Intel HEX (*.hex)",   "Motorola S1 (*.s19)",
    "Motorola S2 (*.s28)", "Motorola S3 (*.s37)", "Tektronix (*.tek)",
};

// The folder of the file last named in the section, for the dialog to start in.
QString StartFolder(const std::string& historyIniPath, const char* section) {
    const std::string name = Profile(historyIniPath).ReadString(section, "Name", "None");
    if (name.empty() || name == "None") return {};
    return QFileInfo(QString::fromStdString(name)).absolutePath();
}

}  // namespace

void WriteLoadHandBack(const std::string& historyIniPath, const std::optional<std::string>& file) {
    Profile history(historyIniPath);
    if (!file) {
        history.WriteString(kLoadSection, "OK", "0");
        return;
    }
    // The whole file; an empty one gives a reversed range that the load refuses,
    // and one too long for the range field is cut there (the load refuses what
    // does not fit the buffer).
    const int64_t size = GetFileSizeByName(*file);
    const int64_t end = std::min<int64_t>(size - 1, INT32_MAX);
    history.WriteInteger(kLoadSection, "SourceSAdd", 0);
    history.WriteInteger(kLoadSection, "SourceEAdd", static_cast<int32_t>(end));
    history.WriteInteger(kLoadSection, "DistSAdd", 0);
    // The dialog starts with "Fill unused with" ticked and FF: without the fill
    // the gaps of a hex file would keep the previous load's bytes, which would
    // then be programmed.
    history.WriteInteger(kLoadSection, "UserFill", 0xFF);
    history.WriteInteger(kLoadSection, "Format", static_cast<int32_t>(LoadFormat::Auto));
    history.WriteInteger(kLoadSection, "UnuserFillCheck", 1);
    history.WriteString(kLoadSection, "Name", *file);
    history.WriteString(kLoadSection, "OK", "1");
}

void WriteSaveHandBack(const std::string& historyIniPath, const std::optional<std::string>& file,
                       SaveFormat format, int64_t start, int64_t end) {
    Profile history(historyIniPath);
    if (!file) {
        history.WriteString(kSaveSection, "OK", "0");
        return;
    }
    history.WriteInteger(kSaveSection, "SourceSAdd", static_cast<int32_t>(start));
    history.WriteInteger(kSaveSection, "SourceEAdd", static_cast<int32_t>(end));
    history.WriteInteger(kSaveSection, "Format", static_cast<int32_t>(format));
    history.WriteString(kSaveSection, "Name", *file);
    history.WriteString(kSaveSection, "OK", "1");
}

QStringList SaveFormatFilters() {
    QStringList filters;
    for (const char* filter : kSaveFilters) filters << QString::fromLatin1(filter);
    return filters;
}

SaveFormat SaveFormatOfFilter(const QString& filter) {
    const qsizetype index = SaveFormatFilters().indexOf(filter);
    return index < 0 ? SaveFormat::Binary : static_cast<SaveFormat>(index);
}

void PlainLoadDialog::RunLoadDialog() {
    const QString chosen =
        QFileDialog::getOpenFileName(parent_, QStringLiteral("Load File"),
                                     StartFolder(historyIniPath_, kLoadSection),
                                     QString::fromLatin1(kLoadFilter));
    WriteLoadHandBack(historyIniPath_, chosen.isEmpty()
                                           ? std::nullopt
                                           : std::optional<std::string>(chosen.toStdString()));
}

void PlainLoadDialog::SetLoadPathEdit(const std::string& name) {
    if (loadPathEdit_) loadPathEdit_->setText(QString::fromStdString(name));
}

void PlainSaveDialog::RunSaveDialog() {
    QString filter;
    const QString chosen = QFileDialog::getSaveFileName(
        parent_, QStringLiteral("Save File"), StartFolder(historyIniPath_, kSaveSection),
        SaveFormatFilters().join(QStringLiteral(";;")), &filter);
    if (chosen.isEmpty()) {
        WriteSaveHandBack(historyIniPath_, std::nullopt, SaveFormat::Binary, 0, 0);
        return;
    }
    const int64_t end = deviceRangeEnd_ ? deviceRangeEnd_() : 0;
    WriteSaveHandBack(historyIniPath_, chosen.toStdString(), SaveFormatOfFilter(filter), 0, end);
}

}  // namespace burnmark
