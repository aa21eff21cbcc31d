// The Copy page on the main window: its pictures, the start with the last
// device, the step clicks over the simulated and the real USB transport, and
// the busy window while an operation runs.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>

#include "buffer/checksum_view.h"
#include "buffer/data_buffer.h"
#include "link/programmer_requests.h"
#include "operations/ui/copy_page_view.h"
#include "operations/ui/step_pictures.h"
#include "platform/libusb_transport.h"
#include "platform/profile.h"
#include "shell/start_up.h"
#include "shell/ui/app_composition.h"
#include "widgets/ui/image_control.h"
#include "shell/ui/main_form.h"
#include "support/fake_ports.h"
#include "support/mouse_events.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;
using testing::Click;
using testing::FakeMessages;
using testing::FakePump;
using testing::FakeSounds;
using testing::SimulatedProgrammer;
using testing::TempDir;

constexpr std::array<CopyStep, kOperationStepCount> kOperationSteps = {
    CopyStep::Erase, CopyStep::Check, CopyStep::Program, CopyStep::Verify,
    CopyStep::Secur, CopyStep::Read,  CopyStep::Confirm,
};
constexpr std::array<StepImage, kStepImageCount> kImages = {
    StepImage::Off,     StepImage::Fail,      StepImage::Pass,
    StepImage::Working, StepImage::Highlight, StepImage::Ready,
};

// ---- Pictures ------------------------------------------------------------------------------

TEST(StepPicturesTest, EveryPictureDiffersFromEveryOther) {
    struct Drawn {
        std::string name;
        QImage image;
    };
    std::vector<Drawn> drawn;
    for (std::size_t s = 0; s < kCopyStepCount; ++s) {
        const auto step = static_cast<CopyStep>(s);
        const QSize size =
            s < kOperationStepCount ? kOperationStepPictureSize : kSourceStepPictureSize;
        for (StepImage image : kImages)
            if (StepHasImage(step, image))
                drawn.push_back({StepImageName(step, image), DrawStepPicture(step, image, size)});
    }
    drawn.push_back({"Pass", DrawStatusPicture(StatusImage::Pass, kStatusPictureSize)});
    drawn.push_back({"Wait", DrawStatusPicture(StatusImage::Wait, kStatusPictureSize)});
    drawn.push_back({"Fail", DrawStatusPicture(StatusImage::Fail, kStatusPictureSize)});
    ASSERT_EQ(drawn.size(), 7u * 6 + 4u * 4 + 3);

    for (std::size_t a = 0; a < drawn.size(); ++a) {
        EXPECT_FALSE(drawn[a].image.isNull()) << drawn[a].name;
        for (std::size_t b = a + 1; b < drawn.size(); ++b)
            EXPECT_NE(drawn[a].image, drawn[b].image) << drawn[a].name << " and " << drawn[b].name;
    }
}

// The colour a picture is filled with, near its top left corner (away from the
// mark and the label).
QColor FillOf(const QImage& image) { return image.pixelColor(5, 8); }

bool HueNear(const QColor& c, int hue, int tolerance) {
    const int h = c.hslHue();
    if (h < 0) return false;
    const int d = std::abs(h - hue);
    return std::min(d, 360 - d) <= tolerance;
}

TEST(StepPicturesTest, StatesAndResultsCarryTheirColours) {
    struct Case {
        StepImage image;
        // hue in degrees, or nullopt for a grey
        std::optional<int> hue;
    };
    const Case cases[] = {
        {StepImage::Pass, 140}, {StepImage::Fail, 2}, {StepImage::Working, 40},
        {StepImage::Off, std::nullopt},
    };
    for (CopyStep step : kOperationSteps) {
        for (const Case& c : cases) {
            const QColor fill = FillOf(DrawStepPicture(step, c.image, kOperationStepPictureSize));
            const std::string what = StepImageName(step, c.image);
            if (c.hue) {
                EXPECT_TRUE(HueNear(fill, *c.hue, 20)) << what << " hue " << fill.hslHue();
                EXPECT_GT(fill.hslSaturation(), 100) << what;
            } else {
                EXPECT_LT(fill.hslSaturation(), 20) << what;
            }
        }
        // The highlight is a lighter look of the ready picture.
        const QColor ready = FillOf(DrawStepPicture(step, StepImage::Ready, kOperationStepPictureSize));
        const QColor hot = FillOf(DrawStepPicture(step, StepImage::Highlight, kOperationStepPictureSize));
        EXPECT_GT(hot.lightness(), ready.lightness()) << StepName(step);
    }
    EXPECT_TRUE(HueNear(FillOf(DrawStatusPicture(StatusImage::Pass, kStatusPictureSize)), 140, 20));
    EXPECT_TRUE(HueNear(FillOf(DrawStatusPicture(StatusImage::Wait, kStatusPictureSize)), 40, 20));
    EXPECT_TRUE(HueNear(FillOf(DrawStatusPicture(StatusImage::Fail, kStatusPictureSize)), 2, 20));
}

// The highlight the stack draws over an operation step must not look like a
// step that is off: it keeps the ready picture's dark mark and turns blue,
// where the off picture is grey and faint.
TEST(StepPicturesTest, TheHighlightedStepIsClearlyNotAnOffStep) {
    const QSize size = kOperationStepPictureSize;
    const QPoint fill(5, 8);
    const QPoint badge(size.width() / 2, 40);  // inside the mark's disc, below its sign
    for (CopyStep step : kOperationSteps) {
        SCOPED_TRACE(StepName(step));
        ImageControl control(QStringLiteral("step"));
        control.resize(size);
        control.SetPicture(
            [step](QSize s, qreal dpr) { return StepPicture(step, StepImage::Ready, s, dpr); });
        control.SetHotLook(true);
        const QImage hot = control.grab().toImage();
        const QImage ready = DrawStepPicture(step, StepImage::Ready, size);
        const QImage off = DrawStepPicture(step, StepImage::Off, size);

        EXPECT_TRUE(HueNear(hot.pixelColor(fill), 215, 20)) << hot.pixelColor(fill).hslHue();
        EXPECT_GT(hot.pixelColor(fill).hsvSaturation(), 40);
        EXPECT_LT(off.pixelColor(fill).hsvSaturation(), 20);
        EXPECT_LE(hot.pixelColor(badge).lightness(), ready.pixelColor(badge).lightness() + 20);
        EXPECT_LT(hot.pixelColor(badge).lightness(), off.pixelColor(badge).lightness() - 40);
    }
}

// ---- The window with its core ------------------------------------------------------------------

class CopyPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(BURNMARK_SAMPLE_DIR, dir_.Path(), fs::copy_options::recursive);
        ApplyEntryRules(dir_.Path());
        sim_.InsertChip(false, 0x1000);
    }
    void TearDown() override { form_.reset(); }

    TMainForm& Start(UsbTransport& usb) {
        form_ = std::make_unique<TMainForm>(dir_.Path(),
                                            MainFormPorts{&messages_, &sounds_, &pump_, &usb});
        form_->show();
        QApplication::processEvents();
        return *form_;
    }
    TMainForm& Start() { return Start(sim_); }

    AppComposition& Core() const { return *form_->Core(); }

    template <typename T = QWidget>
    T* Child(const std::string& name) const {
        T* w = form_->findChild<T*>(QString::fromStdString(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    ImageControl* Picture(CopyStep step, StepImage image) const {
        return Child<ImageControl>(StepImageName(step, image));
    }
    // What the operator sees of a step: its topmost picture not hidden.
    std::optional<StepImage> Seen(CopyStep step) const {
        for (auto it = kImages.rbegin(); it != kImages.rend(); ++it) {
            if (!StepHasImage(step, *it)) continue;
            if (!Picture(step, *it)->isHidden()) return *it;
        }
        return std::nullopt;
    }
    // The result picture that shows: Pass over Wait over Fail.
    std::string Result() const {
        for (const char* name : {"Pass", "Wait", "Fail"})
            if (!Child(name)->isHidden()) return name;
        return "none";
    }
    int Count(const std::string& sound) const {
        return static_cast<int>(std::count(sounds_.calls.begin(), sounds_.calls.end(), sound));
    }
    std::vector<uint16_t> Executed() const {
        std::vector<uint16_t> ops;
        for (const auto& e : sim_.Executions()) ops.push_back(e.operation);
        return ops;
    }


    TempDir dir_;
    FakeMessages messages_;
    FakeSounds sounds_;
    FakePump pump_;
    SimulatedProgrammer sim_;
    std::unique_ptr<TMainForm> form_;
};

TEST_F(CopyPageTest, StartsWithTheDefaultDeviceLoadedAndItsBufferSized) {
    TMainForm& form = Start();

    const DeviceRecord& device = Core().Device();
    EXPECT_TRUE(device.DeviceValid);
    EXPECT_EQ(device.Name, "AT89C51");
    EXPECT_EQ(device.Manufacturer, "ATMEL");
    // A 4 KB 8-bit device gets the 64 KB least.
    EXPECT_EQ(Core().Core().Sizing().BufferSize, 0x10000u);
    EXPECT_EQ(Core().Buffer().GetBufferSize(), 0x10000u + DataBuffer::kLengthSlack);
    EXPECT_TRUE(Core().Fpga().Owned());
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_TRUE(sim_.Trace().empty()) << "nothing talks to the programmer at start-up";

    auto* selected = Child<QListWidget>("SelectedType");
    EXPECT_EQ(selected->item(0)->text(), QStringLiteral("ATMEL"));
    EXPECT_EQ(selected->item(1)->text(), QStringLiteral("AT89C51"));

    // The device offers every step: each shows ready, each run box is offered.
    for (CopyStep step : kOperationSteps) EXPECT_EQ(Seen(step), StepImage::Ready) << StepName(step);
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(Child("CheckBox" + std::to_string(n))->isEnabledTo(&form)) << n;
    EXPECT_EQ(Result(), "Pass");
}

TEST_F(CopyPageTest, RestoredTicksAndTheOperatorsTicksReachTheModel) {
    Profile(dir_.Path() + "History_1.ini").WriteString("SelectDlg", "ProcessMode", "+E+P");
    Start();
    const CopyPageModel& page = Core().Page();
    for (int n = 1; n <= 5; ++n) {
        auto* box = Child<QCheckBox>("CheckBox" + std::to_string(n));
        const bool wanted = n == 1 || n == 3;
        EXPECT_EQ(box->isChecked(), wanted) << n;
        EXPECT_EQ(page.Box(static_cast<CopyCheckBox>(n - 1)).checked, wanted) << n;
    }
    // The automatic confirm is ticked as the form comes up.
    EXPECT_TRUE(Child<QCheckBox>("check_confirm")->isChecked());

    Child<QCheckBox>("CheckBox2")->click();
    EXPECT_TRUE(page.Box(CopyCheckBox::CheckBox2).checked);
    Child<QCheckBox>("check_confirm")->click();
    EXPECT_FALSE(page.Box(CopyCheckBox::check_confirm).checked);
}

TEST_F(CopyPageTest, AStepTheDeviceDoesNotOfferShowsItsOffPicture) {
    const std::string ini = dir_.Path() + "INI/ATMEL/AT89C51.INI";
    Profile(ini).WriteString("DE_48ExternValue", "erase_mode", "0x0000");
    TMainForm& form = Start();
    EXPECT_EQ(Seen(CopyStep::Erase), StepImage::Off);
    EXPECT_FALSE(Child<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_FALSE(Child("CheckBox1")->isEnabledTo(&form));
    EXPECT_EQ(Seen(CopyStep::Check), StepImage::Ready);
}

TEST_F(CopyPageTest, AMissingFpgaFileIsToldOnceAndTheStepsRefuseSilently) {
    fs::remove(dir_.Path() + "FPGA/MCU51.BIN");
    Start();
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"No found MCU51.BIN"});
    EXPECT_EQ(Core().Core().Sizing().BufferSize, 0x10000u);

    messages_.Clear();
    Click(Picture(CopyStep::Erase, StepImage::Ready));
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_TRUE(sim_.Trace().empty());
    EXPECT_EQ(Result(), "Fail");
    EXPECT_FALSE(Picture(CopyStep::Erase, StepImage::Fail)->isHidden());
}

TEST_F(CopyPageTest, EraseFromItsReadyPicturePassesOnTheSimulator) {
    Start();
    Click(Picture(CopyStep::Erase, StepImage::Ready));

    EXPECT_EQ(Executed(), std::vector<uint16_t>{OpErase});
    EXPECT_EQ(Seen(CopyStep::Erase), StepImage::Pass);
    EXPECT_EQ(Result(), "Pass");
    EXPECT_EQ(Count("beep"), 1);
    EXPECT_EQ(Count("error"), 0);
    EXPECT_TRUE(messages_.shown.empty());
    // The step's bar is done and put away; the bank bar stands.
    EXPECT_TRUE(Child("ProgressBar21")->isHidden());
    EXPECT_FALSE(Child("ProgressBar2")->isHidden());
    EXPECT_FALSE(form_->Busy());
}

TEST_F(CopyPageTest, AStatusFailureShowsTheFailedPictureOnceAndItsRerunPasses) {
    Start();
    sim_.OverrideStatus(OpErase, {1, 0});
    Click(Picture(CopyStep::Erase, StepImage::Ready));

    EXPECT_EQ(Seen(CopyStep::Erase), StepImage::Fail);
    EXPECT_EQ(Result(), "Fail");
    EXPECT_EQ(Count("error"), 1) << "one failure, one sound";
    EXPECT_EQ(Count("beep"), 0);
    EXPECT_TRUE(messages_.shown.empty()) << "a status failure has no message";
    auto* bar2 = Child<QProgressBar>("ProgressBar2");
    EXPECT_FALSE(bar2->isHidden());
    EXPECT_EQ(bar2->value(), bar2->maximum());
    EXPECT_TRUE(Child("ProgressBar21")->isHidden());

    // The failed picture runs the step again from the start.
    Click(Picture(CopyStep::Erase, StepImage::Fail));
    EXPECT_EQ(Executed(), (std::vector<uint16_t>{OpErase, OpErase}));
    EXPECT_EQ(Seen(CopyStep::Erase), StepImage::Pass);
    EXPECT_EQ(Result(), "Pass");
    EXPECT_EQ(Count("error"), 1);
    EXPECT_EQ(Count("beep"), 1);
}

TEST_F(CopyPageTest, WithoutAProgrammerAStepSaysTheHardwareIsMissing) {
    LibusbTransport usb;
    Start(usb);
    Click(Picture(CopyStep::Erase, StepImage::Ready));

    ASSERT_EQ(messages_.Texts(), std::vector<std::string>{kHardwareMissingText});
    EXPECT_TRUE(messages_.shown[0].plain);
    // Ready again, over the failed picture.
    EXPECT_EQ(Seen(CopyStep::Erase), StepImage::Ready);
    EXPECT_FALSE(Picture(CopyStep::Erase, StepImage::Fail)->isHidden());
    EXPECT_EQ(Result(), "Fail");
    EXPECT_FALSE(form_->Busy());
}

TEST_F(CopyPageTest, TheCheckAfterTheAboutBoxVerifiesTheRestoredDeviceOnTheProgrammer) {
    struct Case {
        const char* name;
        std::array<uint8_t, 16> status;
        bool passed;
    };
    const Case cases[] = {
        {"the chip matches", {}, true},
        {"the chip differs", {1, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMainForm& form = Start();
        sounds_.calls.clear();
        // The About box opened the programmer to read its version and left it open.
        sim_.UsbOpen(ProgrammerProductId);
        sim_.ClearTrace();
        sim_.OverrideStatus(OpVerify, c.status);
        const std::size_t executedBefore = Executed().size();

        form.CheckDeviceAfterAbout();

        // The restored device's set-up, then the verify on the programmer.
        const std::vector<std::string> trace = sim_.TraceLines();
        ASSERT_GE(trace.size(), 3u);
        EXPECT_EQ(trace.front(), "out 47 0B00 0080");
        EXPECT_EQ(trace[trace.size() - 2], "out 49 4000 0600");
        EXPECT_EQ(trace.back(), "in 42 0000 0000 16");
        ASSERT_EQ(Executed().size(), executedBefore + 1);
        EXPECT_EQ(Executed().back(), OpVerify);

        EXPECT_TRUE(Picture(CopyStep::Verify, StepImage::Working)->isHidden());
        EXPECT_EQ(Picture(CopyStep::Verify, StepImage::Pass)->isHidden(), !c.passed);
        EXPECT_EQ(Picture(CopyStep::Verify, StepImage::Fail)->isHidden(), c.passed);
        EXPECT_EQ(Result(), c.passed ? "Pass" : "Fail");
        EXPECT_EQ(Count("error"), c.passed ? 0 : 1);
        EXPECT_TRUE(messages_.shown.empty()) << "a status failure has no message";
        EXPECT_FALSE(form.Busy());
    }
}

TEST_F(CopyPageTest, WhileAStepRunsOnlyStopAnswers) {
    TMainForm& form = Start();
    bool acted = false;
    pump_.onProcess = [&] {
        if (acted || Executed().size() > 0) return;
        acted = true;
        EXPECT_TRUE(form.Busy());
        // Exit, by its handler and by its picture, and a close of the window.
        form.ExitClick();
        Click(Child("Exit_Hint"));
        EXPECT_FALSE(form.close());
        // A second step cannot start.
        Click(Picture(CopyStep::Check, StepImage::Ready));
        EXPECT_TRUE(Child("StopPanel")->isEnabled());
        EXPECT_TRUE(Child("Stop_Hint")->isEnabled());
        EXPECT_FALSE(Child("CopyCheckBtn")->isEnabled());
    };
    Click(Picture(CopyStep::Erase, StepImage::Ready));

    EXPECT_TRUE(acted);
    EXPECT_TRUE(messages_.shown.empty()) << "the exit question was asked";
    EXPECT_EQ(form.State().ExitGuard, 0);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Executed(), std::vector<uint16_t>{OpErase});
    EXPECT_EQ(Seen(CopyStep::Erase), StepImage::Pass);
    EXPECT_FALSE(form.Busy());
    EXPECT_TRUE(Child("CopyCheckBtn")->isEnabled());
}

TEST_F(CopyPageTest, ReadFromItsPictureFillsTheBufferAndConfirmsIt) {
    std::vector<uint8_t>& chip = sim_.Chip().main;
    for (std::size_t i = 0; i < chip.size(); ++i) chip[i] = static_cast<uint8_t>(i * 5 + 1);
    Start();
    Click(Picture(CopyStep::Read, StepImage::Ready));

    // The form ticks the automatic confirm.
    EXPECT_EQ(Executed(), (std::vector<uint16_t>{OpRead, OpRead}));
    EXPECT_EQ(Seen(CopyStep::Read), StepImage::Pass);
    EXPECT_EQ(Seen(CopyStep::Confirm), StepImage::Pass);
    EXPECT_EQ(Result(), "Pass");
    {
        BufferLock lock = Core().Buffer().GetBufferHandle();
        EXPECT_TRUE(std::equal(chip.begin(), chip.end(), lock.data()));
    }
    uint32_t sum = 0;
    for (uint8_t b : chip) sum += b;
    EXPECT_EQ(Child<QLineEdit>("SumEdit")->text().toStdString(), ChecksumDisplay::Format(sum));
    EXPECT_EQ(Count("error"), 0);
    EXPECT_TRUE(messages_.shown.empty());

    // The chip changes: Verify finds it, from its ready picture.
    chip[100] ^= 0xFF;
    Click(Picture(CopyStep::Verify, StepImage::Ready));
    EXPECT_EQ(Seen(CopyStep::Verify), StepImage::Fail);
    EXPECT_EQ(Result(), "Fail");
    EXPECT_EQ(Count("error"), 1);
    EXPECT_FALSE(form_->Busy());
}

TEST_F(CopyPageTest, TheVerifyFailPictureVerifiesOnlyOnceAVerifyRan) {
    Start();
    CopyPageModel& page = Core().Page();
    for (StepImage image :
         {StepImage::Ready, StepImage::Highlight, StepImage::Working, StepImage::Pass})
        page.Hide(CopyStep::Verify, image);
    ASSERT_EQ(Seen(CopyStep::Verify), StepImage::Fail);
    Click(Picture(CopyStep::Verify, StepImage::Fail));
    EXPECT_TRUE(Executed().empty());

    sim_.Chip().main[0] = 0x00;  // the buffer holds 0xFF there
    Click(Picture(CopyStep::Verify, StepImage::Ready));
    ASSERT_EQ(Seen(CopyStep::Verify), StepImage::Fail);
    Click(Picture(CopyStep::Verify, StepImage::Fail));
    EXPECT_EQ(Executed(), (std::vector<uint16_t>{OpRead, OpRead}));
}

TEST_F(CopyPageTest, RunFromItsPictureRunsTheTickedStepsAndStopEndsIt) {
    Profile(dir_.Path() + "History_1.ini").WriteString("SelectDlg", "ProcessMode", "+E+C+P+V");
    TMainForm& form = Start();
    Click(Child("Run"));
    EXPECT_EQ(Executed(), (std::vector<uint16_t>{OpErase, OpBlankCheck, OpProgram, OpRead}));
    EXPECT_EQ(Result(), "Pass");
    EXPECT_EQ(Count("beep"), 1);
    EXPECT_FALSE(form.Busy());

    sim_.ClearTrace();
    bool stopped = false;
    pump_.onProcess = [&] {
        if (stopped || Core().Frame().Run.RunActive != 1) return;
        stopped = true;
        EXPECT_TRUE(form.Busy());
        EXPECT_FALSE(Child("Run")->isEnabled());
        Click(Child("Stop"));
    };
    Click(Child("Run_Hint"));
    pump_.onProcess = nullptr;
    EXPECT_TRUE(stopped);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"User Stop"});
    EXPECT_EQ(Result(), "Fail");
    EXPECT_EQ(Executed().size(), 5u);  // the second run's erase finished, nothing after it
    EXPECT_FALSE(form.Busy());
}

TEST_F(CopyPageTest, TheEditAreasOkShowsTheCopyPageAndTheDevicesSum) {
    Start();
    form_->ShowDumpEditPanel();
    Click(Child("v"));
    EXPECT_FALSE(Child("Copy_Panel")->isHidden());
    // The 4 KB device's bytes of the fresh buffer.
    EXPECT_EQ(Child<QLineEdit>("SumEdit")->text().toStdString(),
              ChecksumDisplay::Format(0x1000 * 0xFF));
    EXPECT_TRUE(sim_.Trace().empty());
}

}  // namespace
}  // namespace burnmark
