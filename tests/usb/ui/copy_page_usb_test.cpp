// The whole program's path to the programmer: the real main window with the
// real LibusbTransport, wired as the program wires them, against the
// simulated programmer as a USB device (umockdev). The Copy page's steps run
// from their pictures; the wire and the chip are checked afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "buffer/data_buffer.h"
#include "link/programmer_requests.h"
#include "operations/ui/step_pictures.h"
#include "platform/libusb_transport.h"
#include "shell/start_up.h"
#include "shell/ui/app_composition.h"
#include "widgets/ui/image_control.h"
#include "shell/ui/main_form.h"
#include "shell/ui/usb_wait_wiring.h"
#include "support/fake_ports.h"
#include "support/mouse_events.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"
#include "support/usb_testbed/usb_testbed.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;
using testing::Click;
using testing::FakeMessages;
using testing::FakePump;
using testing::FakeSounds;
using testing::HoldMode;
using testing::SimCall;
using testing::SimCallKind;
using testing::SimFault;
using testing::SimulatedProgrammer;
using testing::TempDir;
using testing::UsbTestbed;

constexpr uint32_t kChipBytes = 0x1000;  // the sample AT89C51
constexpr std::array<StepImage, kStepImageCount> kImages = {
    StepImage::Off,     StepImage::Fail,      StepImage::Pass,
    StepImage::Working, StepImage::Highlight, StepImage::Ready,
};

// The wire without the opens and closes, which the in-memory simulator sees
// as calls and the USB device as its node being opened.
std::vector<std::string> Requests(const SimulatedProgrammer& sim) {
    std::vector<std::string> lines = sim.TraceLines();
    std::erase_if(lines,
                  [](const std::string& l) { return l.starts_with("open") || l == "close"; });
    return lines;
}

class CopyPageOverUsbTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!UsbTestbed::Available())
            GTEST_SKIP() << "needs umockdev's preload library (run it through ctest)";
        fs::copy(BURNMARK_SAMPLE_DIR, dir_.Path(), fs::copy_options::recursive);
        ApplyEntryRules(dir_.Path());
        bed_ = std::make_unique<UsbTestbed>();
        PrepareProgrammer(sim_);
        programmer_ = bed_->AddDevice({}, &sim_);
    }
    void TearDown() override {
        form_.reset();
        usb_.reset();
        bed_.reset();
    }
    // A new programmer on a new bus, the settings kept.
    void Fresh() {
        TearDown();
        sim_ = SimulatedProgrammer{};
        PrepareProgrammer(sim_);
        bed_ = std::make_unique<UsbTestbed>();
        programmer_ = bed_->AddDevice({}, &sim_);
        messages_.Clear();
        sounds_.calls.clear();
    }

    // A blank chip, or one that holds old data, so that erase has something to do.
    static void PrepareProgrammer(SimulatedProgrammer& sim, bool oldData = false) {
        sim.InsertChip(false, kChipBytes);
        if (oldData) std::fill(sim.Chip().main.begin(), sim.Chip().main.begin() + 0x100, 0x00);
        sim.UsbOpen(ProgrammerProductId);
        sim.ClearTrace();
    }

    // The window as the program builds it, on transport.
    TMainForm& Start(UsbTransport& transport) {
        form_ = std::make_unique<TMainForm>(
            dir_.Path(), MainFormPorts{&messages_, &sounds_, &pump_, &transport});
        form_->show();
        QApplication::processEvents();
        return *form_;
    }
    TMainForm& StartOverUsb(LibusbTransport::Timeouts timeouts = LibusbTransport::Timeouts{}) {
        usb_ = std::make_unique<LibusbTransport>(std::nullopt, timeouts);
        TMainForm& form = Start(*usb_);
        ConnectUsbWaitsToWindow(*usb_, form, pump_);
        return form;
    }

    // The data the program step takes.
    std::vector<uint8_t> FillBuffer() {
        std::vector<uint8_t> data(kChipBytes);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 13 + (i >> 8));
        BufferLock lock = form_->Core()->Buffer().GetBufferHandle();
        std::copy(data.begin(), data.end(), lock.Bytes().begin());
        lock.MarkChanged();
        return data;
    }

    template <typename T = QWidget>
    T* Child(const std::string& name) const {
        T* w = form_->findChild<T*>(QString::fromStdString(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    ImageControl* Picture(CopyStep step, StepImage image) const {
        return Child<ImageControl>(StepImageName(step, image));
    }
    std::optional<StepImage> Seen(CopyStep step) const {
        for (auto it = kImages.rbegin(); it != kImages.rend(); ++it)
            if (StepHasImage(step, *it) && !Picture(step, *it)->isHidden()) return *it;
        return std::nullopt;
    }
    std::string Result() const {
        for (const char* name : {"Pass", "Wait", "Fail"})
            if (!Child(name)->isHidden()) return name;
        return "none";
    }
    int Count(const std::string& sound) const {
        return static_cast<int>(std::count(sounds_.calls.begin(), sounds_.calls.end(), sound));
    }
    // Erase, blank check and program, each from its ready picture; what each
    // showed when it ended.
    std::vector<std::optional<StepImage>> RunSteps() {
        std::vector<std::optional<StepImage>> seen;
        for (CopyStep step : {CopyStep::Erase, CopyStep::Check, CopyStep::Program}) {
            Click(Picture(step, StepImage::Ready));
            seen.push_back(Seen(step));
        }
        return seen;
    }
    // libusb hears of a device that came back from udev, on a thread of its own.
    bool WaitUntilFound() {
        const auto start = Clock::now();
        while (!usb_->UsbOpen(ProgrammerProductId)) {
            if (Clock::now() - start > milliseconds{2000}) return false;
            std::this_thread::sleep_for(milliseconds{5});
        }
        return true;
    }

    TempDir dir_;
    FakeMessages messages_;
    FakeSounds sounds_;
    FakePump pump_;
    SimulatedProgrammer sim_;
    std::unique_ptr<UsbTestbed> bed_;
    int programmer_ = -1;
    std::unique_ptr<LibusbTransport> usb_;
    std::unique_ptr<TMainForm> form_;
};

TEST_F(CopyPageOverUsbTest, EraseBlankCheckAndProgramPutOnTheWireWhatTheSimulatorSees) {
    // The same clicks on the in-memory simulator give what to expect.
    SimulatedProgrammer reference;
    PrepareProgrammer(reference, true);
    PrepareProgrammer(sim_, true);
    reference.UsbClose();
    reference.ClearTrace();
    Start(reference);
    FillBuffer();
    const std::vector<std::optional<StepImage>> referenceSeen = RunSteps();
    const std::vector<std::string> referenceSounds = sounds_.calls;
    const std::vector<std::string> expected = Requests(reference);
    const std::vector<std::string> referenceWire = reference.TraceLines();
    const auto setUps = std::count(referenceWire.begin(), referenceWire.end(), "open");
    form_.reset();
    sounds_.calls.clear();

    TMainForm& form = StartOverUsb();
    const std::vector<uint8_t> data = FillBuffer();
    const std::vector<std::optional<StepImage>> seen = RunSteps();

    const std::vector<std::optional<StepImage>> passed(3, StepImage::Pass);
    EXPECT_EQ(seen, passed);
    EXPECT_EQ(referenceSeen, passed);
    EXPECT_EQ(Result(), "Pass");
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(sounds_.calls, referenceSounds);
    EXPECT_EQ(Count("error"), 0);
    EXPECT_FALSE(form.Busy());

    EXPECT_EQ(Requests(sim_), expected);
    EXPECT_TRUE(sim_.ProtocolErrors().empty());
    EXPECT_EQ(sim_.Chip().main, data);
    EXPECT_EQ(reference.Chip().main, data);
    // Each step's set-up opened the programmer afresh.
    EXPECT_EQ(setUps, 3);
    EXPECT_EQ(bed_->Stats(programmer_).opens, setUps);
}

TEST_F(CopyPageOverUsbTest, ReadWithItsConfirmVerifyAndARunPutOnTheWireWhatTheSimulatorSees) {
    // Read (and its automatic confirm), Verify, then Run with the form's ticks
    // (erase, blank check, program, verify); what each showed.
    auto clicks = [&] {
        std::vector<std::optional<StepImage>> seen;
        Click(Picture(CopyStep::Read, StepImage::Ready));
        seen.push_back(Seen(CopyStep::Read));
        seen.push_back(Seen(CopyStep::Confirm));
        Click(Picture(CopyStep::Verify, StepImage::Ready));
        seen.push_back(Seen(CopyStep::Verify));
        Click(Child("Run"));
        for (CopyStep step : {CopyStep::Erase, CopyStep::Check, CopyStep::Program,
                              CopyStep::Verify})
            seen.push_back(Seen(step));
        return seen;
    };
    SimulatedProgrammer reference;
    PrepareProgrammer(reference, true);
    reference.UsbClose();
    reference.ClearTrace();
    Start(reference);
    const std::vector<std::optional<StepImage>> referenceSeen = clicks();
    const std::vector<std::string> referenceSounds = sounds_.calls;
    const std::vector<std::string> expected = Requests(reference);
    form_.reset();
    sounds_.calls.clear();

    PrepareProgrammer(sim_, true);
    const std::vector<uint8_t> chip = sim_.Chip().main;
    TMainForm& form = StartOverUsb();
    const std::vector<std::optional<StepImage>> seen = clicks();

    EXPECT_EQ(seen, std::vector<std::optional<StepImage>>(7, StepImage::Pass));
    EXPECT_EQ(referenceSeen, seen);
    EXPECT_EQ(Result(), "Pass");
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(sounds_.calls, referenceSounds);
    EXPECT_EQ(Count("error"), 0);
    EXPECT_FALSE(form.Busy());
    EXPECT_EQ(Requests(sim_), expected);
    EXPECT_TRUE(sim_.ProtocolErrors().empty());
    // The run programmed back what the read took from the chip.
    EXPECT_EQ(sim_.Chip().main, chip);
    BufferLock lock = form.Core()->Buffer().GetBufferHandle();
    EXPECT_TRUE(std::equal(chip.begin(), chip.end(), lock.data()));
}

TEST_F(CopyPageOverUsbTest, StopDuringARunLetsTheTransferFinishAndEndsTheRunAfterIt) {
    // However often it is pressed, in a run Stop does not cut the
    // programmer's routine short.
    for (int presses : {1, 2}) {
        SCOPED_TRACE(presses);
        Fresh();
        TMainForm& form = StartOverUsb();
        const std::vector<uint8_t> data = FillBuffer();
        bed_->HoldNext(SimCallKind::VendorOut, CmdExecute);  // the run's erase
        bool stopped = false;
        pump_.onProcess = [&] {
            if (bed_->HeldCount() == 0) return;
            // The programmer finishes its routine only after the wait has
            // looked at the presses.
            if (stopped) {
                bed_->ReleaseHeld();
                return;
            }
            stopped = true;
            for (int i = 0; i < presses; ++i) Click(Child("Stop"));
            EXPECT_TRUE(messages_.shown.empty()) << "no box inside the transfer's wait";
        };
        Click(Child("Run"));
        pump_.onProcess = nullptr;

        EXPECT_TRUE(stopped);
        EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"User Stop"});
        EXPECT_EQ(Seen(CopyStep::Erase), StepImage::Pass);
        EXPECT_EQ(Seen(CopyStep::Check), StepImage::Ready);
        EXPECT_EQ(Result(), "Fail");
        EXPECT_EQ(Count("error"), presses);
        EXPECT_EQ(Count("beep"), 0);
        EXPECT_NE(sim_.Chip().main, data);
        EXPECT_EQ(form.StopPresses(), 0u);
        EXPECT_FALSE(form.Busy());

        // The next run starts afresh and runs to its end.
        messages_.Clear();
        Click(Child("Run"));
        EXPECT_EQ(Result(), "Pass");
        EXPECT_TRUE(messages_.shown.empty());
        EXPECT_EQ(sim_.Chip().main, data);
    }
}

TEST_F(CopyPageOverUsbTest, AFaultOnTheWireFailsProgramAndItsRerunProgramsTheChip) {
    struct Case {
        const char* name;
        std::optional<SimFault> fault;  // on the first 32 KB data write
        std::optional<HoldMode> lostExecute;
        std::string message;
    };
    const Case cases[] = {
        {"a stalled data write", SimFault::Fail, std::nullopt, kErrReadData},
        {"a short data write", SimFault::Short, std::nullopt, kErrReadData},
        {"an execute that never comes back", std::nullopt, HoldMode::Forever, kErrExecuteProgram},
    };
    LibusbTransport::Timeouts quick;
    quick.routine = milliseconds{300};
    quick.cancelGrace = milliseconds{50};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        StartOverUsb(quick);
        const std::vector<uint8_t> data = FillBuffer();
        // The set-up's eleven bulk writes and the parameter block come first.
        if (c.fault) sim_.InjectFault(SimCallKind::BulkOut, 13, *c.fault);
        if (c.lostExecute) bed_->HoldNext(SimCallKind::VendorOut, CmdExecute, *c.lostExecute);
        Click(Picture(CopyStep::Program, StepImage::Ready));

        EXPECT_EQ(Seen(CopyStep::Program), StepImage::Fail);
        EXPECT_EQ(Result(), "Fail");
        EXPECT_EQ(messages_.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(Count("error"), 1);
        EXPECT_EQ(Count("beep"), 0);
        EXPECT_NE(sim_.Chip().main, data);

        // From the failed picture: a fresh set-up, and the whole chip programmed.
        messages_.Clear();
        Click(Picture(CopyStep::Program, StepImage::Fail));
        EXPECT_EQ(Seen(CopyStep::Program), StepImage::Pass);
        EXPECT_EQ(Result(), "Pass");
        EXPECT_TRUE(messages_.shown.empty());
        EXPECT_EQ(sim_.Chip().main, data);
        EXPECT_FALSE(form_->Busy());
    }
}

TEST_F(CopyPageOverUsbTest, AnUnpluggedProgrammerFailsTheStepAndIsMissedUntilItIsBack) {
    StartOverUsb();
    const std::vector<uint8_t> data = FillBuffer();
    sim_.InjectFault(SimCallKind::BulkOut, 13, SimFault::Unplug);
    Click(Picture(CopyStep::Program, StepImage::Ready));
    EXPECT_EQ(Seen(CopyStep::Program), StepImage::Fail);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{kErrReadData});

    // The next step's set-up finds no programmer.
    messages_.Clear();
    Click(Picture(CopyStep::Check, StepImage::Ready));
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{kHardwareMissingText});
    EXPECT_EQ(Result(), "Fail");

    bed_->Replug(programmer_);
    ASSERT_TRUE(WaitUntilFound());
    messages_.Clear();
    Click(Picture(CopyStep::Program, StepImage::Fail));
    EXPECT_EQ(Seen(CopyStep::Program), StepImage::Pass);
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(sim_.Chip().main, data);
}

TEST_F(CopyPageOverUsbTest, StopEndsAnEraseThatTheProgrammerDoesNotFinish) {
    // A time-out far longer than the test waits: only Stop ends the wait in time.
    LibusbTransport::Timeouts timeouts;
    timeouts.routine = std::chrono::seconds{10};
    PrepareProgrammer(sim_, true);
    TMainForm& form = StartOverUsb(timeouts);
    bed_->HoldNext(SimCallKind::VendorOut, CmdExecute);
    bool stopped = false;
    const auto start = Clock::now();
    pump_.onProcess = [&] {
        if (stopped || bed_->HeldCount() == 0) return;
        // The programmer is erasing: only Stop answers.
        EXPECT_TRUE(form.Busy());
        const std::vector<std::string> wire = sim_.TraceLines();
        form.ExitClick();
        Click(Picture(CopyStep::Check, StepImage::Ready));
        EXPECT_EQ(sim_.TraceLines(), wire) << "a second step started";
        EXPECT_TRUE(messages_.shown.empty()) << "the exit question was asked";
        EXPECT_FALSE(Child("CopyCheckBtn")->isEnabled());
        EXPECT_TRUE(Child("Stop_Hint")->isEnabled());
        stopped = true;
        Click(Child("Stop_Hint"));
    };
    Click(Picture(CopyStep::Erase, StepImage::Ready));
    pump_.onProcess = nullptr;

    EXPECT_TRUE(stopped);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds{3});
    EXPECT_EQ(Seen(CopyStep::Erase), StepImage::Fail);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{kErrExecute});
    EXPECT_EQ(Result(), "Fail");
    EXPECT_FALSE(form.Busy());
    EXPECT_TRUE(form.isVisible());

    // The programmer finishes its erase when asked again.
    messages_.Clear();
    Click(Picture(CopyStep::Erase, StepImage::Fail));
    EXPECT_EQ(Seen(CopyStep::Erase), StepImage::Pass);
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_TRUE(std::all_of(sim_.Chip().main.begin(), sim_.Chip().main.end(),
                            [](uint8_t b) { return b == 0xFF; }));
}

// Read (with the confirm the form ticks for it) and Verify, each of their
// calls failed in turn on the real stack: stalled, cut short, the programmer
// unplugged, or held until the host cancels it at its time-out. Each run ends
// as one reported failure with nothing sent after the failed call, and the
// step run again from the picture it shows then passes.
struct ReadBackFault {
    const char* name;
    CopyStep step;
    std::optional<SimFault> fault;  // none: the call is held until the host cancels it
};

void PrintTo(const ReadBackFault& f, std::ostream* os) { *os << f.name; }

class ReadBackFaultsOverUsbTest : public CopyPageOverUsbTest,
                                  public ::testing::WithParamInterface<ReadBackFault> {
protected:
    void ClickTopPicture(CopyStep step) {
        const std::optional<StepImage> top = Seen(step);
        ASSERT_TRUE(top.has_value());
        Click(Picture(step, *top));
    }
    void Forget() {
        sim_.ClearTrace();
        messages_.Clear();
        sounds_.calls.clear();
    }
    void ExpectPassed(CopyStep step) {
        EXPECT_EQ(Seen(step), StepImage::Pass);
        if (step == CopyStep::Read) {
            EXPECT_EQ(Seen(CopyStep::Confirm), StepImage::Pass);
        }
        EXPECT_EQ(Result(), "Pass");
        EXPECT_TRUE(messages_.shown.empty());
        EXPECT_EQ(Count("error"), 0);
        EXPECT_FALSE(form_->Busy());
    }
};

TEST_P(ReadBackFaultsOverUsbTest, EachFailedCallEndsAsOneFailureAndTheStepRunsAgain) {
    const ReadBackFault& c = GetParam();
    LibusbTransport::Timeouts quick;
    quick.control = milliseconds{200};
    quick.bulk = milliseconds{200};
    quick.routine = milliseconds{300};
    quick.cancelGrace = milliseconds{50};
    StartOverUsb(quick);
    // The chip holds what the buffer holds, so that Verify passes too.
    const std::vector<uint8_t> data = FillBuffer();
    sim_.Chip().main = data;

    // The calls of a clean run from the step's pass picture, as every run below starts.
    Click(Picture(c.step, StepImage::Ready));
    ExpectPassed(c.step);
    Forget();
    ClickTopPicture(c.step);
    ExpectPassed(c.step);
    const std::vector<SimCall> calls = sim_.Trace();
    const std::vector<std::string> clean = sim_.TraceLines();
    ASSERT_FALSE(clean.empty());

    for (std::size_t n = 1; n <= clean.size(); ++n) {
        SCOPED_TRACE("call " + std::to_string(n) + " of " + std::to_string(clean.size()) + " (" +
                     clean[n - 1] + ")");
        // A request without data cannot be cut short: it arrives whole or not at all.
        const SimCall& target = calls[n - 1];
        if (c.fault == SimFault::Short && target.kind == SimCallKind::VendorOut &&
            target.length == 0)
            continue;
        Forget();
        if (c.fault)
            sim_.InjectFaultAtCall(static_cast<int>(n), *c.fault);
        else
            bed_->HoldCall(static_cast<int>(n));
        ClickTopPicture(c.step);

        EXPECT_EQ(Result(), "Fail");
        EXPECT_EQ(Count("error"), 1);
        EXPECT_EQ(Count("beep"), 0);
        EXPECT_LE(messages_.shown.size(), 1u);
        EXPECT_FALSE(form_->Busy());
        // A held call never reached the programmer; nothing follows the failed one.
        EXPECT_EQ(sim_.Trace().size(), c.fault ? n : n - 1);
        EXPECT_EQ(bed_->HeldCount(), 0);

        if (c.fault == SimFault::Unplug) {
            bed_->Replug(programmer_);
            ASSERT_TRUE(WaitUntilFound());
        }
        Forget();
        ClickTopPicture(c.step);
        ExpectPassed(c.step);
        if (HasFailure()) break;  // one call's story is enough to read
    }
    BufferLock lock = form_->Core()->Buffer().GetBufferHandle();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), lock.data()));
}

INSTANTIATE_TEST_SUITE_P(
    ReadAndVerify, ReadBackFaultsOverUsbTest,
    ::testing::Values(ReadBackFault{"ReadStalled", CopyStep::Read, SimFault::Fail},
                      ReadBackFault{"ReadCutShort", CopyStep::Read, SimFault::Short},
                      ReadBackFault{"ReadUnplugged", CopyStep::Read, SimFault::Unplug},
                      ReadBackFault{"ReadHeld", CopyStep::Read, std::nullopt},
                      ReadBackFault{"VerifyStalled", CopyStep::Verify, SimFault::Fail},
                      ReadBackFault{"VerifyCutShort", CopyStep::Verify, SimFault::Short},
                      ReadBackFault{"VerifyUnplugged", CopyStep::Verify, SimFault::Unplug},
                      ReadBackFault{"VerifyHeld", CopyStep::Verify, std::nullopt}),
    [](const ::testing::TestParamInfo<ReadBackFault>& info) { return info.param.name; });

}  // namespace
}  // namespace burnmark
