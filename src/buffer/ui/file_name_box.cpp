#include "buffer/ui/file_name_box.h"

#include <QComboBox>

namespace burnmark {

QComboBox* MakeFileNameBox(QWidget* parent, const QString& historySection) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("NameEdit"));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxCount(kFileHistoryEntries);
    box->setProperty("historySection", historySection);
    box->setMinimumContentsLength(36);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

void RememberFileName(QComboBox* box) {
    const QString name = box->currentText();
    if (name.isEmpty()) return;
    for (int i = box->count() - 1; i >= 0; --i)
        if (box->itemText(i) == name) box->removeItem(i);
    box->insertItem(0, name);
    while (box->count() > kFileHistoryEntries) box->removeItem(box->count() - 1);
    box->setEditText(name);
}

}  // namespace burnmark
