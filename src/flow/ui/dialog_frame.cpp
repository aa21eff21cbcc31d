#include "flow/ui/dialog_frame.h"

#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

namespace burnmark {

void SetUpBufferDialog(QDialog& dialog, const QString& caption, bool stayOnTop) {
    dialog.setWindowTitle(caption);
    QFont font(QStringLiteral("Times New Roman"));
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    font.setPixelSize(12);
    dialog.setFont(font);
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (stayOnTop) flags |= Qt::WindowStaysOnTopHint;
    dialog.setWindowFlags(flags);
    dialog.setModal(true);
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text,
                        const QString& hint) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const QString& text) { return new QLabel(text, parent); }

void FixDialogSize(QDialog& dialog, int width, int height) {
    if (QLayout* layout = dialog.layout()) layout->activate();
    const QSize hint = dialog.sizeHint();
    dialog.setFixedSize(std::max(width, hint.width()), std::max(height, hint.height()));
}

}  // namespace burnmark
