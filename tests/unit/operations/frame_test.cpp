// The operation frame: the step model, WaitAndPump, the failure display,
// the availability of the steps and the re-entry guard.
#include <gtest/gtest.h>

#include "operation_rig.h"

namespace burnmark::testing {
namespace {

class CountingView : public CopyPageView {
public:
    void Changed() override { ++changes; }
    int changes = 0;
};

TEST(CopyPageModelTest, StackShowsTopmostPictureAndSourceStepsHaveNoResultPictures) {
    CopyPageModel page;
    CountingView view;
    page.SetView(&view);

    EXPECT_EQ(page.Top(CopyStep::Erase), StepImage::Ready);
    page.Hide(CopyStep::Erase, StepImage::Ready);
    page.Hide(CopyStep::Erase, StepImage::Highlight);
    EXPECT_EQ(page.Top(CopyStep::Erase), StepImage::Working);
    page.Hide(CopyStep::Erase, StepImage::Working);
    page.Hide(CopyStep::Erase, StepImage::Pass);
    EXPECT_EQ(page.Top(CopyStep::Erase), StepImage::Fail);
    EXPECT_EQ(view.changes, 4);
    page.Hide(CopyStep::Erase, StepImage::Pass);  // no change, no notice
    EXPECT_EQ(view.changes, 4);

    page.Show(CopyStep::Load, StepImage::Pass);
    EXPECT_FALSE(page.Visible(CopyStep::Load, StepImage::Pass));
    EXPECT_EQ(StepImageName(CopyStep::Erase, StepImage::Pass), "erace_p");
    EXPECT_EQ(StepImageName(CopyStep::Secur, StepImage::Ready), "secur_n");
    EXPECT_EQ(StepImageName(CopyStep::Check, StepImage::Highlight), "check_h");
    EXPECT_EQ(StepImageName(CopyStep::Confirm, StepImage::Off), "confirm_o");

    page.Hide(StatusImage::Pass);
    EXPECT_EQ(page.Status(), StatusLook::Working);
    page.Hide(StatusImage::Wait);
    EXPECT_EQ(page.Status(), StatusLook::Failed);
}

TEST(FrameTest, WaitAndPumpPumpsHundredTimesOrStopsAtOnce) {
    OperationRig rig;
    rig.frame.WaitAndPump();
    EXPECT_EQ(rig.pump.processed, 100);
    EXPECT_EQ(rig.pump.yields, 100);
    EXPECT_TRUE(rig.page.Visible(StatusImage::Pass));

    rig.pump.processed = 0;
    rig.frame.Run.StopFlag = 1;
    rig.frame.WaitAndPump();
    EXPECT_EQ(rig.pump.processed, 0);
    EXPECT_FALSE(rig.page.Visible(StatusImage::Pass));
}

TEST(FrameTest, ShowOperationFailShowsFailBarsAndSoundOnlyWhenSoundIsOn) {
    OperationRig rig;
    rig.page.SetBar2Maximum(7);
    rig.frame.ShowOperationFail();
    EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
    EXPECT_FALSE(rig.page.ProgressBar21().visible);
    EXPECT_TRUE(rig.page.ProgressBar2().visible);
    EXPECT_EQ(rig.page.ProgressBar2().position, 7);
    EXPECT_EQ(rig.sounds.calls, (std::vector<std::string>{"error"}));

    rig.sounds.calls.clear();
    rig.player.SoundOn = 0;
    rig.frame.ShowOperationFail();
    EXPECT_TRUE(rig.sounds.calls.empty());
}

TEST(FrameTest, OneFailureSoundPerScope) {
    OperationRig rig;
    {
        OperationFrame::OperationScope outer(rig.frame);
        rig.frame.ShowOperationFail();
        {
            OperationFrame::OperationScope inner(rig.frame);
            rig.frame.ShowOperationFail();
        }
        rig.frame.ShowOperationFail();
    }
    EXPECT_EQ(rig.FailSounds(), 1);
    OperationFrame::OperationScope next(rig.frame);
    rig.frame.ShowOperationFail();
    EXPECT_EQ(rig.FailSounds(), 2);
}

TEST(FrameTest, EnableCopyButtonsEnablesTheStepPanels) {
    OperationRig rig;
    for (CopyControl c : {CopyControl::CopyEraseBtn, CopyControl::Panel8, CopyControl::Run})
        rig.page.SetEnabled(c, false);
    rig.frame.EnableCopyButtons();
    for (CopyControl c : {CopyControl::CopyEraseBtn, CopyControl::Panel8, CopyControl::Run})
        EXPECT_TRUE(rig.page.Enabled(c)) << CopyControlName(c);
}

struct ModeWordCase {
    std::size_t word;
    CopyStep step;
    CopyCheckBox box;
};

void PrintTo(const ModeWordCase& c, std::ostream* os) {
    *os << "word " << c.word << ", " << StepName(c.step) << ", " << CopyCheckBoxName(c.box);
}

class UpdateCopyButtonsTest : public ::testing::TestWithParam<ModeWordCase> {};

// Each mode word decides its step: word 0 hides the five pictures and unticks
// (argument 0 only) and disables the box; the other steps stay offered.
TEST_P(UpdateCopyButtonsTest, ModeWordHidesStepAndBox) {
    const ModeWordCase c = GetParam();
    OperationRig rig;
    rig.device.DeviceParamBlock.SetWord(c.word, 0);
    rig.page.SetChecked(c.box, true);

    rig.frame.UpdateCopyButtons(1);  // ticks stay as the operator left them
    EXPECT_TRUE(rig.page.Box(c.box).checked);
    EXPECT_FALSE(rig.page.Box(c.box).enabled);
    EXPECT_TRUE(rig.page.VisibleImageNames(c.step) ==
                std::vector<std::string>{StepImageName(c.step, StepImage::Off)});

    rig.frame.UpdateCopyButtons(0);
    EXPECT_FALSE(rig.page.Box(c.box).checked);
    EXPECT_FALSE(rig.page.Box(c.box).enabled);

    for (const ModeWordCase& other : {ModeWordCase{param::erase_mode, CopyStep::Erase,
                                                   CopyCheckBox::CheckBox1},
                                      ModeWordCase{param::prot_mode, CopyStep::Secur,
                                                   CopyCheckBox::CheckBox5}}) {
        if (other.word == c.word) continue;
        EXPECT_EQ(rig.page.Top(other.step), StepImage::Ready);
        EXPECT_TRUE(rig.page.Box(other.box).checked);
        EXPECT_TRUE(rig.page.Box(other.box).enabled);
    }

    // The device offers the step again: pictures back (ready on top), box ticked.
    rig.device.DeviceParamBlock.SetWord(c.word, 0x0101);
    rig.frame.UpdateCopyButtons(0);
    EXPECT_EQ(rig.page.Top(c.step), StepImage::Ready);
    EXPECT_TRUE(rig.page.Visible(c.step, StepImage::Pass));
    EXPECT_TRUE(rig.page.Box(c.box).checked);
    EXPECT_TRUE(rig.page.Box(c.box).enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, UpdateCopyButtonsTest,
    ::testing::Values(ModeWordCase{param::erase_mode, CopyStep::Erase, CopyCheckBox::CheckBox1},
                      ModeWordCase{param::blank_mode, CopyStep::Check, CopyCheckBox::CheckBox2},
                      ModeWordCase{param::prog_mode, CopyStep::Program, CopyCheckBox::CheckBox3},
                      ModeWordCase{param::verify_mode, CopyStep::Verify, CopyCheckBox::CheckBox4},
                      ModeWordCase{param::prot_mode, CopyStep::Secur, CopyCheckBox::CheckBox5}));

TEST(UpdateCopyButtonsReadTest, ReadWordHidesReadAndConfirmAndOnlyDisablesTheConfirmBox) {
    OperationRig rig;
    rig.device.DeviceParamBlock.SetWord(param::read_mode, 0);
    rig.frame.UpdateCopyButtons(0);
    EXPECT_EQ(rig.page.Top(CopyStep::Read), StepImage::Off);
    EXPECT_EQ(rig.page.Top(CopyStep::Confirm), StepImage::Off);
    EXPECT_FALSE(rig.page.Box(CopyCheckBox::check_confirm).enabled);
    EXPECT_TRUE(rig.page.Box(CopyCheckBox::check_confirm).checked);

    rig.device.DeviceParamBlock.SetWord(param::read_mode, 0x0100);
    rig.frame.UpdateCopyButtons(0);
    EXPECT_EQ(rig.page.Top(CopyStep::Read), StepImage::Ready);
    EXPECT_FALSE(rig.page.Box(CopyCheckBox::check_confirm).enabled);  // never enabled here
}

TEST(UpdateCopyButtonsReadTest, FirstSetupChangesNothingAfterThePump) {
    OperationRig rig;
    // The maker chosen in memory counts, whatever History_1.ini holds.
    rig.dir.Write("History_1.ini", "[SelectDlg]\r\nManufacturer=ATMEL\r\n");
    rig.device.Manufacturer = "First Setup";
    rig.device.DeviceParamBlock.SetWord(param::erase_mode, 0);
    rig.page.Hide(StatusImage::Wait);
    rig.frame.UpdateCopyButtons(0);
    EXPECT_EQ(rig.pump.processed, 100);
    EXPECT_EQ(rig.page.Top(CopyStep::Erase), StepImage::Ready);
    EXPECT_TRUE(rig.page.Box(CopyCheckBox::CheckBox1).enabled);
    EXPECT_FALSE(rig.page.Visible(StatusImage::Wait));
}

TEST(FirstSetupRefusalTest, OneFailureSoundWhateverTheSoundSetting) {
    for (uint8_t soundOn : {1, 0}) {
        SCOPED_TRACE(int(soundOn));
        OperationRig rig;
        rig.device.Manufacturer = "First Setup";
        rig.player.SoundOn = soundOn;
        rig.simple.erace_nClick();
        EXPECT_EQ(rig.FailSounds(), 1);
        EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
        // The next refusal sounds again.
        rig.simple.check_nClick();
        EXPECT_EQ(rig.FailSounds(), 1 + 1);
    }
}

// While the erase pass picture's handler resets the pictures it pumps; a click
// on the step that arrives then runs the operation, which sends nothing and
// yields true. The handler's own re-run then erases once.
TEST(GuardTest, ClickDuringTheResetSendsNothingAndYieldsTrue) {
    OperationRig rig;
    bool clicked = false;
    bool innerResult = false;
    std::size_t traceBefore = 0, traceAfter = 0;
    bool bar21Hidden = false, bar2Shown = false;
    rig.pump.onProcess = [&] {
        if (clicked) return;
        clicked = true;
        EXPECT_EQ(rig.frame.Guards.EraseGuard, 1u);
        traceBefore = rig.sim.Trace().size();
        innerResult = rig.simple.erase_1Click(kModeReady);
        traceAfter = rig.sim.Trace().size();
        bar21Hidden = !rig.page.ProgressBar21().visible;
        bar2Shown = rig.page.ProgressBar2().visible;
    };
    rig.page.SetChecked(CopyCheckBox::CheckBox1, false);  // the operator's run ticks stay
    rig.simple.erace_pClick();

    ASSERT_TRUE(clicked);
    EXPECT_TRUE(innerResult);
    EXPECT_EQ(traceBefore, traceAfter);
    EXPECT_TRUE(bar21Hidden);
    EXPECT_TRUE(bar2Shown);
    EXPECT_EQ(rig.frame.Guards.EraseGuard, 0u);
    EXPECT_EQ(rig.Executed(OpErase).size(), 1u);
    EXPECT_EQ(rig.page.Top(CopyStep::Erase), StepImage::Pass);
    EXPECT_FALSE(rig.page.Box(CopyCheckBox::CheckBox1).checked);
}

TEST(GuardTest, EveryGuardedOperationSendsNothingAndYieldsTrue) {
    OperationRig rig;
    rig.frame.Guards.EraseGuard = 1;
    rig.frame.Guards.BlankGuard = 1;
    rig.frame.Guards.SecurityGuard = 1;
    rig.frame.Guards.ProgramGuard = 1;
    EXPECT_TRUE(rig.simple.erase_1Click(kModeReady));
    EXPECT_TRUE(rig.simple.check_1Click(kModeRerun));
    EXPECT_TRUE(rig.simple.ProtectDevice(kModeRun));
    EXPECT_TRUE(rig.downloads.program_1Click(kModeReady));
    EXPECT_EQ(rig.page.Top(CopyStep::Program), StepImage::Working);
    EXPECT_TRUE(rig.downloads.ProgramExtArea());
    EXPECT_TRUE(rig.downloads.SendBufferToProgrammer());
    EXPECT_TRUE(rig.sim.Trace().empty());
    EXPECT_EQ(rig.FailSounds(), 0);
}

}  // namespace
}  // namespace burnmark::testing
