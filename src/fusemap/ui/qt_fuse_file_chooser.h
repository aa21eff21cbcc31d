// The open dialog "LOAD" and the save dialog "SAVE" of the fuse-map editor.
#pragma once

#include <string>

#include "fusemap/fuse_file_chooser.h"

class QWidget;

namespace burnmark {

class QtFuseFileChooser : public FuseFileChooser {
public:
    explicit QtFuseFileChooser(QWidget* parent) : parent_(parent) {}

    std::string ChooseJedecToLoad() override;
    std::string ChooseJedecToSave() override;

private:
    QWidget* parent_;
};

}  // namespace burnmark
