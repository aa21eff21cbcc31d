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

}  // namespace burnmark
