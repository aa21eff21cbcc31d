// The choice of a JEDEC file for the fuse map's Load and Save, behind a port
// so that the Copy page can be driven without a dialog.
#pragma once

#include <string>

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

}  // namespace burnmark
