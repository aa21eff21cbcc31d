#include "flow/ui/qt_process_starter.h"

#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace burnmark {

bool QtProcessStarter::StartDetached(const std::string& program) {
    const QString path = QString::fromStdString(program);
    // startDetached reports a missing program only on some platforms: ask first.
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable()) return false;
    return QProcess::startDetached(path, QStringList{}, info.absolutePath());
}

}  // namespace burnmark
