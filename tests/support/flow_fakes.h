// Fakes of the load, save and range commands' ports: a process starter that
// records what it was asked to start, and dialogs and a JEDEC file chooser
// that run a script in place of the operator. For the tests of what links the
// flows.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "flow/load_flow.h"
#include "flow/process_starter.h"
#include "flow/range_commands.h"
#include "flow/save_flow.h"
#include "fusemap/fuse_file_chooser.h"
#include "platform/profile.h"

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

// The dialogs as the commands see them. A script may act through the
// dialog's own logic (answer), or, as the older tests do, write the section
// the way the dialog remembers its answer (onRun): the answer is then what
// the section says.
class ScriptedLoadDialog : public LoadDialogPort {
public:
    std::optional<LoadSettings> RunLoadDialog(LoadDialogLogic& logic) override {
        ++runs;
        if (answer) return answer(logic);
        if (onRun) onRun();
        const LoadSettings s = ReadLoadSettings(Profile(logic.HistoryIniPath()));
        if (s.OK != 1) return std::nullopt;
        return s;
    }
    void SetLoadPathEdit(const std::string& name) override {
        loadPathEdit = name;
        shownNames.push_back(name);
    }
    std::function<std::optional<LoadSettings>(LoadDialogLogic&)> answer;
    std::function<void()> onRun;
    int runs = 0;
    std::string loadPathEdit = "unchanged";
    std::vector<std::string> shownNames;
};

class ScriptedSaveDialog : public SaveDialogPort {
public:
    std::optional<SaveSettings> RunSaveDialog(SaveDialogLogic& logic) override {
        ++runs;
        if (answer) return answer(logic);
        if (onRun) onRun();
        const Profile history(logic.HistoryIniPath());
        if (history.ReadInteger(kSaveSection, "OK", 0) == 0) return std::nullopt;
        return ReadSaveSettings(history);
    }
    std::function<std::optional<SaveSettings>(SaveDialogLogic&)> answer;
    std::function<void()> onRun;
    int runs = 0;
};

// The block, fill and sum dialogs: the script acts through the logic.
class ScriptedBlockDialog : public BlockDialogPort {
public:
    std::optional<BlockRequest> RunBlockDialog(BlockDialogLogic& logic) override {
        ++runs;
        return script ? script(logic) : std::nullopt;
    }
    std::function<std::optional<BlockRequest>(BlockDialogLogic&)> script;
    int runs = 0;
};

class ScriptedFillDialog : public FillDialogPort {
public:
    std::optional<FillRequest> RunFillDialog(FillDialogLogic& logic) override {
        ++runs;
        return script ? script(logic) : std::nullopt;
    }
    std::function<std::optional<FillRequest>(FillDialogLogic&)> script;
    int runs = 0;
};

class ScriptedSumDialog : public SumDialogPort {
public:
    std::optional<SumRequest> RunSumDialog(SumDialogLogic& logic) override {
        ++runs;
        return script ? script(logic) : std::nullopt;
    }
    std::function<std::optional<SumRequest>(SumDialogLogic&)> script;
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
