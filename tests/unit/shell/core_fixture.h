// The program's core over a copy of the sample catalogue and the simulated
// programmer, with recording fakes for the operator's side.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/profile.h"
#include "shell/program_core.h"
#include "shell/start_up.h"
#include "support/fake_checksum_field.h"
#include "support/fake_ports.h"
#include "support/flow_fakes.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"

namespace burnmark::testing {

class CoreTest : public ::testing::Test {
protected:
    CoreTest() {
        std::filesystem::copy(BURNMARK_SAMPLE_DIR, dir.Path(),
                              std::filesystem::copy_options::recursive);
        ApplyEntryRules(dir.Path());
        state.AppDir = dir.Path();
        core = std::make_unique<ProgramCore>(
            state, CorePorts{sim, messages, sounds, pump, progress, processes}, MainSettings{});
        core->Checksum().SetField(&field);
        core->Steps().SetLoadDialog(&loadDialog);
        core->Steps().SetSaveDialog(&saveDialog);
        core->Steps().SetFuseFileChooser(&fuseFiles);
        core->Steps().ShowLoadPath = [this](const std::string& path) { loadPath = path; };
        sim.InsertChip(false, 0x1000);
    }

    Profile History() const { return Profile(state.HistoryIniPath()); }
    std::string Stored(const std::string& relative) const {
        return dir.Path() + "INI\\" + relative;
    }
    // [SelectDlg] as the selection dialog's OK leaves the maker and type.
    void Select(const std::string& maker, const std::string& type) {
        Profile history(state.HistoryIniPath());
        history.WriteString("SelectDlg", "Manufacturer", maker);
        history.WriteString("SelectDlg", "TypeNum", type);
    }
    // The start-up restore of the default device (ATMEL AT89C51).
    void Restore() {
        state.DeviceIniPath = Stored("ATMEL\\AT89C51.INI");
        core->RestoreDevice(state.DeviceIniPath);
        core->SizeBufferForRestore();
    }

    TempDir dir;
    AppState state;
    SimulatedProgrammer sim;
    FakeMessages messages;
    FakeSounds sounds;
    FakePump pump;
    FakeProgress progress;
    FakeProcesses processes;
    RecordingField field;
    ScriptedLoadDialog loadDialog;
    ScriptedSaveDialog saveDialog;
    ScriptedFuseFiles fuseFiles;
    std::string loadPath = "unchanged";
    std::unique_ptr<ProgramCore> core;
};

}  // namespace burnmark::testing
