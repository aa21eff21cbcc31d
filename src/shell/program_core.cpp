#include "shell/program_core.h"

#include "catalogue/device_facts.h"
#include "operations/device_check.h"
#include "platform/profile.h"

namespace burnmark {

ProgramCore::ProgramCore(AppState& state, CorePorts ports, const MainSettings& settings)
    : state_(state),
      messages_(ports.messages),
      sounds_(ports.sounds, ports.messages),
      buffer_(ports.messages, ports.progress, state.HistoryIniPath()),
      fpga_(ports.messages, frame_),
      fuseMap_(ports.messages, frame_),
      link_(ports.usb, ports.messages, sounds_, frame_, fpga_),
      frame_(device_, options_, buffer_, fuseMap_, link_, page_, ports.messages, sounds_,
             ports.pump),
      loadFlow_(FlowContext{state.Busy, device_, options_, buffer_, ports.messages, sounds_,
                            ports.progress, ports.pump, ports.processes, link_, frame_, downloads_,
                            fpga_, ports.mainWindowId, &sizing_, &page_}),
      saveFlow_(FlowContext{state.Busy, device_, options_, buffer_, ports.messages, sounds_,
                            ports.progress, ports.pump, ports.processes, link_, frame_, downloads_,
                            fpga_, ports.mainWindowId, &sizing_, &page_}),
      ranges_(RangeCommandParts{state.Busy, device_, buffer_, ports.messages, ports.progress,
                                checksum_, frame_, downloads_, link_, fpga_}),
      steps_(SourceStepParts{state, device_, options_, buffer_, fuseMap_, link_, frame_, downloads_,
                             page_, checksum_, loadFlow_, saveFlow_, ports.messages}),
      selection_(SelectionParts{device_, ports.messages, fpga_, sizing_, buffer_, link_, checksum_,
                                frame_, options_, state.Busy}),
      exchange_(OptionExchangeParts{device_, options_, buffer_, link_, ports.messages, frame_,
                                    checksum_}) {
    device_.HistoryIniPath = state.HistoryIniPath();
    device_.AppDir = state.AppDir;
    sounds_.SoundOn = settings.SoundOn;
    sounds_.SoundMode = settings.SoundMode;
    buffer_.SetDeviceSizeProvider([this] { return DeviceSizeOf(device_); });
    buffer_.SetChecksumView(&checksum_);
    readBacks_.SetChecksumDisplay(&checksum_);
    readBacks_.SetDeviceLoading(&fpga_, &sizing_);
    editSum_.SetChecksumDisplay(&checksum_);
    editSum_.SetBufferSizing(&sizing_);
    // The fuse map keeps its own last checksum; the field shows it in the same way.
    fuseMap_.OnChecksumShown = [this](const std::string& text, bool changed) {
        checksum_.ShowText(text, changed);
    };

    // The selection dialog's OK and Cancel reach the main window's state here.
    selection_.SendBufferToProgrammer = [this] { return downloads_.SendBufferToProgrammer(); };
    selection_.DeviceTaken = [this](bool previousTypeChanged) {
        state_.ProjectOpened = 0;
        state_.DeviceIniPath = device_.IcFileName;
        steps_.ReofferSteps(previousTypeChanged);
    };
    selection_.SelectionCancelled = [this] { loadFlow_.LoadPending = 0; };
    exchange_.SetBufferSender([this] { return downloads_.SendBufferToProgrammer(); });
    simple_.SetOptionDataSender(&protectOptionSend_);
    readBacks_.SetOptionReadBack(&readOptionBack_);
    // The chip option block an option-type-1 load fetched becomes the option values.
    steps_.StoreOptionWords = [this] { exchange_.StoreOptionWords(); };
}

DeviceFacts ProgramCore::RestoreDevice(const std::string& icFileName) {
    options_.OptionValuesSaved = 0;
    // The selection dialog keeps the chosen maker and type in the record; at
    // start-up they are the last ones chosen.
    const Profile history(state_.HistoryIniPath());
    device_.Manufacturer = history.ReadString("SelectDlg", "Manufacturer", "None");
    device_.TypeNum = history.ReadString("SelectDlg", "TypeNum", "None");
    device_.IcFileName = icFileName;
    device_.IniPathInUse = icFileName;
    device_.SkipIniPathCopy = 1;
    LoadDeviceIni(LoadContext());
    device_.SkipIniPathCopy = 0;
    options_.VerifyListWanted = VerifyListWantedFor(device_);
    frame_.Run.RunReady = 1;
    return DeviceFacts{device_.Type, device_.FuseTypeDigit, device_.HasFuseMap};
}

void ProgramCore::SizeBufferForRestore() {
    sizing_.LoadedBufferSize = 0;
    // The restore has just loaded the definition: size from that load rather
    // than load it a second time, which would show each of its messages twice.
    buffer_.SetBufferSize(MergeDeviceBufferSize(device_, sizing_));
}

void ProgramCore::InitFuseMapForDevice() { steps_.InitFuseMapForDevice(); }

void ProgramCore::FillSessionSeams(SessionSeams& session) {
    if (!session.LoadDeviceIni)
        session.LoadDeviceIni = [this](const std::string& path) { return RestoreDevice(path); };
    if (!session.ApplyDeviceBufferSize)
        session.ApplyDeviceBufferSize = [this] { SizeBufferForRestore(); };
    if (!session.UpdateCopyButtons)
        session.UpdateCopyButtons = [this](int arg) {
            RunBusy([&] { frame_.UpdateCopyButtons(arg); });
        };
    if (!session.InitFuseBuffer) session.InitFuseBuffer = [this] { InitFuseMapForDevice(); };
}

OptionWindowChoice ProgramCore::OptionWindowToShow() const {
    if (state_.ExitGuard || state_.Busy.Busy()) return OptionWindowChoice::Nothing;
    return ChooseOptionWindow(device_);
}

std::unique_ptr<OptionPages> ProgramCore::MakeOptionPages(OptionWindowChoice choice) {
    OptionPagesParts parts{device_, options_, sizing_, buffer_, messages_, nullptr, nullptr};
    parts.SendOptionWords = [this] {
        bool sent = false;
        RunBusy([&] {
            OperationFrame::OperationScope scope(frame_);
            sent = exchange_.SendOptionWords();
        });
        return sent;
    };
    parts.RefreshOptionChecksum = [this] {
        RunBusy([&] {
            OperationFrame::OperationScope scope(frame_);
            exchange_.RefreshOptionChecksum();
        });
    };
    return std::make_unique<OptionPages>(std::move(parts), choice);
}

void ProgramCore::RunClick() {
    if (state_.Busy.Busy()) return;
    RunBusy([&] { run_.Run_HintClick(); });
}

void ProgramCore::StopClick() { run_.Stop_HintClick(); }

void ProgramCore::EditOkClick() {
    if (state_.Busy.Busy()) return;
    if (steps_.ShowCopyPage) steps_.ShowCopyPage();
    RunBusy([&] { editSum_.v_HintClick(); });
}

void ProgramCore::CheckDeviceAfterAbout() {
    // The About box leaves the programmer open; the check talks to it, so the
    // program is held busy as for any operation.
    RunBusy([&] {
        burnmark::CheckDeviceAfterAbout(frame_, LoadContext(), state_.DeviceIniPath, link_, page_,
                                        messages_);
    });
}

void ProgramCore::ReleaseOnExit() {
    fpga_.Release();
    if (device_.HasFuseMap == 1) fuseMap_.FreeFuseBuffer();
}

}  // namespace burnmark
