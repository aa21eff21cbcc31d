#include "fusemap/ui/qt_fuse_file_chooser.h"

#include <QFileDialog>
#include <QStringList>

namespace burnmark {

std::string QtFuseFileChooser::ChooseJedecToLoad() {
    QFileDialog dialog(parent_, QStringLiteral("LOAD"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("JED Files. (*.jed);;All Files. (*.*)"));
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? std::string() : files.front().toStdString();
}

std::string QtFuseFileChooser::ChooseJedecToSave() {
    QFileDialog dialog(parent_, QStringLiteral("SAVE"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("JED"));
    dialog.setNameFilter(QStringLiteral("JED Files (*.jed);;All File (*.*)"));
    // The fuse map asks "File is Exist ! " itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? std::string() : files.front().toStdString();
}

}  // namespace burnmark
