// The choice of a JEDEC file for the fuse map's Load and Save, behind a port
// so that the Copy page can be driven without a dialog.
#pragma once

#include <string>

class QWidget;

namespace burnmark {

class FuseFileChooser {
public:
    virtual ~FuseFileChooser() = default;
    // The JEDEC file to load; it exists. Empty when the operator cancelled.
    virtual std::string ChooseJedecToLoad() = 0;
    // The JEDEC file to save to. Empty when the operator cancelled. No
    // question about an existing file: the save asks that itself.
    virtual std::string ChooseJedecToSave() = 0;
};

// The open dialog "LOAD" and the save dialog "SAVE" of the fuse-map editor.
class QtFuseFileChooser : public FuseFileChooser {
public:
    explicit QtFuseFileChooser(QWidget* parent) : parent_(parent) {}

    std::string ChooseJedecToLoad() override;
    std::string ChooseJedecToSave() override;

private:
    QWidget* parent_;
};

}  // namespace burnmark
