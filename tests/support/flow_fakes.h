// Fakes of the load and save commands' ports: a process starter that records
// what it was asked to start, and dialogs and a JEDEC file chooser that run a
// script in place of the operator. For the tests of what links the flows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "buffer/flow/load_flow.h"
#include "buffer/flow/process_starter.h"
#include "buffer/flow/save_flow.h"
#include "fusemap/fuse_file_chooser.h"

namespace burnmark::testing {

class FakeProcesses : public ProcessStarter {
public:
    bool StartDetached(const std::string& program) override {
        started.push_back(program);
        if (onStart) onStart();
        return startWorks;
    }
    std::vector<std::string> started;
    bool startWorks = true;
    std::function<void()> onStart;
};

// The dialogs as the commands see them: they write their section and go.
class ScriptedLoadDialog : public LoadDialogPort {
public:
    void RunLoadDialog() override {
        ++runs;
        if (onRun) onRun();
    }
    void SetLoadPathEdit(const std::string& name) override {
        loadPathEdit = name;
        shownNames.push_back(name);
    }
    std::function<void()> onRun;
    int runs = 0;
    std::string loadPathEdit = "unchanged";
    std::vector<std::string> shownNames;
};

class ScriptedSaveDialog : public SaveDialogPort {
public:
    void RunSaveDialog() override {
        ++runs;
        if (onRun) onRun();
    }
    std::function<void()> onRun;
    int runs = 0;
};

// The JEDEC file the operator picks for the fuse map's Load and Save; empty:
// the operator cancels.
class ScriptedFuseFiles : public FuseFileChooser {
public:
    std::string ChooseJedecToLoad() override {
        ++loads;
        return loadPath;
    }
    std::string ChooseJedecToSave() override {
        ++saves;
        return savePath;
    }
    std::string loadPath, savePath;
    int loads = 0, saves = 0;
};

}  // namespace burnmark::testing
