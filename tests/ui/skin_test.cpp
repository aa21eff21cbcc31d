// The picture buttons of the main window through real mouse events on the
// window: hover, press and release, a press dragged off, a disabled top
// picture, the commands they run, the Copy page's hover through its model,
// the window manager's close and the window drag. Then the pictures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImageReader>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "operations/copy_page_model.h"
#include "platform/profile.h"
#include "shell/start_up.h"
#include "shell/ui/app_composition.h"
#include "widgets/ui/image_control.h"
#include "widgets/ui/image_stack.h"
#include "shell/ui/main_form.h"
#include "shell/ui/skin_pictures.h"
#include "support/fake_ports.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"

namespace burnmark {
namespace {

using testing::FakeMessages;
using testing::FakePump;
using testing::FakeSounds;
using testing::SimulatedProgrammer;
using testing::TempDir;

class SkinWindowTest : public ::testing::Test {
protected:
    void TearDown() override { form_.reset(); }

    TMainForm& Start(MainFormSeams seams = {}, UsbTransport* usb = nullptr) {
        form_.reset();
        ApplyEntryRules(dir_.Path());
        form_ = std::make_unique<TMainForm>(
            dir_.Path(), MainFormPorts{&messages_, &sounds_, &pump_, usb}, std::move(seams));
        form_->move(200, 150);
        form_->show();
        QApplication::processEvents();
        return *form_;
    }
    TMainForm& StartWithCore() {
        std::filesystem::copy(BURNMARK_SAMPLE_DIR, dir_.Path(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        return Start({}, &sim_);
    }

    QWindow* Window() const { return form_->windowHandle(); }
    QWidget* Child(const std::string& name) const {
        QWidget* w = form_->findChild<QWidget*>(QString::fromStdString(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // The middle of a picture, in the window's coordinates.
    QPoint At(const std::string& name) const {
        QWidget* w = Child(name);
        return w->mapTo(form_.get(), w->rect().center());
    }
    void MoveTo(QPoint p) const { QTest::mouseMove(Window(), p); }
    void Press(QPoint p) const { QTest::mousePress(Window(), Qt::LeftButton, {}, p); }
    void Release(QPoint p) const { QTest::mouseRelease(Window(), Qt::LeftButton, {}, p); }
    void Click(const std::string& name) const {
        const QPoint p = At(name);
        MoveTo(p);
        Press(p);
        Release(p);
    }
    // Which picture of a three-picture button shows.
    std::string Look(const std::string& base, const std::string& down = {}) const {
        if (!Child(base)->isHidden()) return "normal";
        if (!Child(base + "_Hint")->isHidden()) return "highlight";
        if (!Child(down.empty() ? base + "_Down" : down)->isHidden()) return "pressed";
        return "none";
    }
    // A place on the title bar's background.
    static QPoint Background() { return {250, 25}; }

    TempDir dir_;
    FakeMessages messages_;
    FakeSounds sounds_;
    FakePump pump_;
    SimulatedProgrammer sim_;
    std::unique_ptr<TMainForm> form_;
};

TEST_F(SkinWindowTest, ExitHighlightsShowsItsPressedLookAndRunsOnceOnRelease) {
    TMainForm& form = Start();
    messages_.answers = {MsgAnswer::No};
    EXPECT_EQ(Look("Exit"), "normal");

    MoveTo(At("Exit"));
    EXPECT_EQ(Look("Exit"), "highlight");
    EXPECT_EQ(form.HotImageName(), QStringLiteral("Exit"));
    Press(At("Exit"));
    EXPECT_EQ(Look("Exit"), "pressed");
    EXPECT_TRUE(messages_.shown.empty()) << "nothing runs on the press";
    Release(At("Exit"));

    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Are you sure ?");
    EXPECT_EQ(Look("Exit"), "normal");
    EXPECT_EQ(form.HotImageName(), QStringLiteral("Exit_Hint"));
    EXPECT_EQ(form.State().ExitGuard, 0);

    // The next move highlights again; the background ends it.
    MoveTo(At("Exit") + QPoint(1, 0));
    EXPECT_EQ(Look("Exit"), "highlight");
    MoveTo(Background());
    EXPECT_EQ(Look("Exit"), "normal");
    EXPECT_EQ(form.HotImageName(), QStringLiteral("Main"));
}

TEST_F(SkinWindowTest, APressDraggedOffAndReleasedOutsideRunsNothing) {
    int runs = 0;
    MainFormSeams seams;
    seams.MultiClick = [&] { ++runs; };
    Start(seams);
    for (const char* button : {"Exit", "Multi", "Stop"}) {
        SCOPED_TRACE(button);
        MoveTo(At(button));
        Press(At(button));
        MoveTo(Background());
        Release(Background());
        MoveTo(Background() + QPoint(1, 0));
        EXPECT_EQ(Look(button), "normal");
        auto* hint = static_cast<ImageControl*>(Child(std::string(button) + "_Hint"));
        EXPECT_FALSE(hint->PressedLook());
    }
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(SkinWindowTest, APressOnADisabledTopPictureReachesThePictureBelow) {
    int sums = 0;
    MainFormSeams seams;
    seams.CheckSumClick = [&] { ++sums; };
    TMainForm& form = Start(seams);
    form.ShowDumpEditPanel();
    QApplication::processEvents();
    ASSERT_FALSE(Child("CheckSum")->isEnabled());
    const QPoint dragBefore = form.DragOffset();

    // With a hover first, as a mouse gives it.
    MoveTo(At("CheckSum"));
    EXPECT_EQ(Look("CheckSum"), "highlight");
    Press(At("CheckSum"));
    EXPECT_EQ(Look("CheckSum"), "pressed");
    Release(At("CheckSum"));
    EXPECT_EQ(sums, 1);
    EXPECT_EQ(Look("CheckSum"), "normal");

    // A press that comes without a hover (a touch or a pen) runs it as well.
    MoveTo(Background());
    QWidget* top = Child("CheckSum");
    const QPoint middle = top->rect().center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, QPointF(middle), QPointF(top->mapToGlobal(middle)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(top, &e);
    }
    EXPECT_EQ(sums, 2);
    EXPECT_EQ(form.DragOffset(), dragBefore) << "the press did not go to the background";
}

TEST_F(SkinWindowTest, EachButtonRunsItsCommand) {
    struct Case {
        const char* press;  // the picture (or caption) pressed
        std::function<void()> MainFormSeams::*command;
        bool editArea;
    };
    const std::vector<Case> cases = {
        {"Run", &MainFormSeams::RunClick, false},
        {"Stop", &MainFormSeams::StopClick, false},
        {"Multi", &MainFormSeams::MultiClick, false},
        {"parameter", &MainFormSeams::MultiClick, false},
        {"Help", &MainFormSeams::HelpClick, false},
        {"Label23", &MainFormSeams::HelpClick, false},
        {"v", &MainFormSeams::EditOkClick, true},
        {"Label27", &MainFormSeams::EditOkClick, true},
        {"Fill", &MainFormSeams::FillClick, true},
        {"Label22", &MainFormSeams::BlockClick, true},
    };
    const std::vector<std::function<void()> MainFormSeams::*> all = {
        &MainFormSeams::RunClick,   &MainFormSeams::StopClick,    &MainFormSeams::MultiClick,
        &MainFormSeams::HelpClick,  &MainFormSeams::EditOkClick,  &MainFormSeams::FillClick,
        &MainFormSeams::BlockClick, &MainFormSeams::CheckSumClick};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.press);
        std::vector<int> runs(all.size(), 0);
        MainFormSeams seams;
        for (std::size_t i = 0; i < all.size(); ++i) seams.*all[i] = [&runs, i] { ++runs[i]; };
        TMainForm& form = Start(seams);
        if (c.editArea) form.ShowDumpEditPanel();
        Click(c.press);
        for (std::size_t i = 0; i < all.size(); ++i)
            EXPECT_EQ(runs[i], all[i] == c.command ? 1 : 0) << i;
    }
}

TEST_F(SkinWindowTest, WhileBusyOnlyStopAnswers) {
    int runs = 0, stops = 0;
    MainFormSeams seams;
    seams.RunClick = [&] { ++runs; };
    seams.StopClick = [&] { ++stops; };
    TMainForm& form = Start(seams);
    form.SetBusy(true);
    Click("Run");
    Click("Stop");
    EXPECT_EQ(Look("Run"), "normal") << "a disabled button keeps still";
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(stops, 1);
    form.SetBusy(false);
    Click("Run");
    EXPECT_EQ(runs, 1);
}

TEST_F(SkinWindowTest, TheExitQuestionHoldsTheHoverOfHelpAndExitNotOfMulti) {
    TMainForm& form = Start();
    form.State().ExitGuard = 1;
    MoveTo(At("Help"));
    EXPECT_EQ(Look("Help"), "normal");
    MoveTo(At("Exit"));
    EXPECT_EQ(Look("Exit"), "normal");
    MoveTo(At("Multi"));
    EXPECT_EQ(Look("Multi"), "highlight");
}

TEST_F(SkinWindowTest, LeavingTheWindowEndsTheHighlight) {
    Start();
    MoveTo(At("Help"));
    ASSERT_EQ(Look("Help"), "highlight");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(form_.get(), &leave);
    EXPECT_EQ(Look("Help"), "normal");
}

TEST_F(SkinWindowTest, TheCopyPagesHoverGoesThroughItsModel) {
    TMainForm& form = StartWithCore();
    CopyPageModel& page = form.Core()->Page();

    MoveTo(At("load_n"));
    EXPECT_FALSE(page.Visible(CopyStep::Load, StepImage::Ready));
    EXPECT_TRUE(Child("load_n")->isHidden());
    EXPECT_FALSE(Child("load_h")->isHidden());

    // A step that shows the ready picture again is not undone by the page.
    page.Show(CopyStep::Load, StepImage::Ready);
    EXPECT_FALSE(Child("load_n")->isHidden());
    page.Hide(CopyStep::Load, StepImage::Ready);

    // Away from the step, the ready picture comes back in the model as well.
    MoveTo(Child("Copy_Page")->mapTo(form_.get(), QPoint(300, 60)));
    EXPECT_TRUE(page.Visible(CopyStep::Load, StepImage::Ready));
    EXPECT_FALSE(Child("load_n")->isHidden());

    // Straight from a source step onto an operation step ends its highlight too.
    MoveTo(At("load_n"));
    ASSERT_FALSE(page.Visible(CopyStep::Load, StepImage::Ready));
    MoveTo(At("erace_n"));
    EXPECT_TRUE(page.Visible(CopyStep::Load, StepImage::Ready));
    EXPECT_TRUE(static_cast<ImageControl*>(Child("erace_n"))->HotLook());

    MoveTo(At("Multi"));
    EXPECT_FALSE(page.MultiVisible());
    EXPECT_FALSE(static_cast<ImageControl*>(Child("erace_n"))->HotLook());
    EXPECT_TRUE(Child("Multi")->isHidden());
    page.SetMulti(true);
    EXPECT_FALSE(Child("Multi")->isHidden());
}

TEST_F(SkinWindowTest, TheHandShowsOnlyOverAPictureThatShows) {
    TMainForm& form = Start();
    auto shape = [&](const char* stack) { return Child(stack)->cursor().shape(); };
    EXPECT_EQ(shape("Exit_Stack"), Qt::PointingHandCursor);
    // Buttons whose pictures are all hidden: the window's own cursor.
    for (const char* stack : {"v2_Stack", "x2_Stack", "x_Stack", "Find_Stack", "FindNext_Stack"})
        EXPECT_EQ(shape(stack), Qt::SizeAllCursor) << stack;

    // The hover hides the top picture: the one below still shows.
    MoveTo(At("Exit"));
    EXPECT_EQ(shape("Exit_Stack"), Qt::PointingHandCursor);
    auto* exit = static_cast<ImageStack*>(Child("Exit_Stack"));
    for (ImageControl* layer : exit->Layers()) layer->hide();
    EXPECT_EQ(shape("Exit_Stack"), form.cursor().shape());
    Child("Exit_Down")->show();
    EXPECT_EQ(shape("Exit_Stack"), Qt::PointingHandCursor);
}

TEST_F(SkinWindowTest, TheWindowManagersCloseGoesThroughTheExitQuestion) {
    struct Case {
        const char* what;
        std::vector<MsgAnswer> answers;
        bool busy;
        bool closed;
        std::size_t asked;
        const char* processMode;  // "-" when not written
    };
    const std::vector<Case> cases = {
        {"Yes closes and saves the ticks", {MsgAnswer::Yes}, false, true, 1, "+E+C+P+V"},
        {"No keeps the window", {MsgAnswer::No}, false, false, 1, "-"},
        {"refused while busy", {MsgAnswer::Yes}, true, false, 0, "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int released = 0;
        MainFormSeams seams;
        seams.ReleaseOnExit = [&] { ++released; };
        TMainForm& form = Start(seams);
        Profile(dir_.Path() + "History_1.ini").DeleteKey("SelectDlg", "ProcessMode");
        messages_.Clear();
        messages_.answers.assign(c.answers.begin(), c.answers.end());
        if (c.busy) form.SetBusy(true);

        EXPECT_EQ(form.close(), c.closed);
        EXPECT_EQ(form.isVisible(), !c.closed);
        EXPECT_EQ(messages_.shown.size(), c.asked);
        EXPECT_EQ(
            Profile(dir_.Path() + "History_1.ini").ReadString("SelectDlg", "ProcessMode", "-"),
            c.processMode);
        EXPECT_EQ(released, c.closed ? 1 : 0);
        EXPECT_EQ(form.State().ExitGuard, c.closed ? 1 : 0);
        if (c.busy) form.SetBusy(false);
    }
}

TEST_F(SkinWindowTest, TheWindowFollowsThePointerExactly) {
    TMainForm& form = Start();
    const QPoint grip(250, 25);
    const QPoint start = form.pos();
    const QPoint pointer = start + grip;  // on the screen
    Press(grip);
    const QPoint steps[] = {{5, 3}, {40, 0}, {-12, 25}, {1, 1}, {0, 0}};
    QPoint total;
    for (QPoint step : steps) {
        total += step;
        // The pointer's place in the window as the window is now.
        MoveTo(pointer + total - form.pos());
        EXPECT_EQ(form.pos(), start + total);
    }
    Release(pointer + total - form.pos());
    EXPECT_EQ(form.pos(), start + total);
}

// ---- Pictures ----------------------------------------------------------------------------

double MeanLightness(const QImage& image) {
    double sum = 0;
    int n = 0;
    for (int y = image.height() / 4; y < image.height() * 3 / 4; ++y)
        for (int x = image.width() / 4; x < image.width() * 3 / 4; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 255) continue;
            sum += c.lightnessF();
            ++n;
        }
    return n ? sum / n : 0;
}

// The first row that holds a picture's own pixels.
int TopEdge(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > 128) return y;
    return -1;
}

TEST(SkinPictures, ThreeLooksOfEachFace) {
    const QSize size(56, 56);
    for (SkinTone tone : {SkinTone::Glass, SkinTone::Stop, SkinTone::Run, SkinTone::Plate}) {
        SCOPED_TRACE(static_cast<int>(tone));
        const ButtonFace face{SkinGlyph::Stop, QStringLiteral("Stop"), tone};
        const QImage normal = DrawButtonPicture(face, SkinLook::Normal, size);
        const QImage hot = DrawButtonPicture(face, SkinLook::Highlight, size);
        const QImage pressed = DrawButtonPicture(face, SkinLook::Pressed, size);
        EXPECT_GT(MeanLightness(hot), MeanLightness(normal));
        EXPECT_LT(MeanLightness(pressed), MeanLightness(normal));
        EXPECT_EQ(TopEdge(pressed), TopEdge(normal) + 1) << "one pixel lower";
    }
    // Faces differ by their glyph, and a label is drawn.
    const QImage run =
        DrawButtonPicture({SkinGlyph::Run, {}, SkinTone::Glass}, SkinLook::Normal, QSize(40, 30));
    const QImage stop =
        DrawButtonPicture({SkinGlyph::Stop, {}, SkinTone::Glass}, SkinLook::Normal, QSize(40, 30));
    const QImage labelled =
        DrawButtonPicture({SkinGlyph::Stop, QStringLiteral("Stop"), SkinTone::Glass},
                          SkinLook::Normal, QSize(40, 30));
    EXPECT_NE(run, stop);
    EXPECT_NE(stop, labelled);
}

TEST(SkinPictures, DrawnForThePixelRatioOfTheScreen) {
    for (qreal dpr : {1.0, 1.5, 2.0, 3.0}) {
        SCOPED_TRACE(dpr);
        const QPixmap picture = ButtonPicture({SkinGlyph::Exit, {}, SkinTone::Glass},
                                              SkinLook::Normal, QSize(40, 30), dpr);
        EXPECT_EQ(picture.size(), QSize(qRound(40 * dpr), qRound(30 * dpr)));
        EXPECT_EQ(picture.devicePixelRatio(), dpr);
        const QImage page = DrawPageBackground(SkinPage::Copy, QSize(536, 377), dpr);
        EXPECT_EQ(page.size(), QSize(qRound(536 * dpr), qRound(377 * dpr)));
    }
}

TEST(SkinPictures, TheBackgroundIsTheGeneratorsJpegOrDrawn) {
    ASSERT_TRUE(QImageReader::supportedImageFormats().contains("jpeg"));
    QImageReader reader(QString::fromLatin1(kMainBackdropResource));
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage kept = reader.read();
    ASSERT_FALSE(kept.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(kept.size(), kMainBackdropPixels);

    // The build draws the kept JPEG with the generator from this same drawing:
    // they agree within what JPEG loses.
    const QImage drawn = DrawMainBackdrop();
    double difference = 0;
    for (int y = 0; y < drawn.height(); y += 3)
        for (int x = 0; x < drawn.width(); x += 3) {
            const QRgb a = kept.pixel(x, y), b = drawn.pixel(x, y);
            difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                          std::abs(qBlue(a) - qBlue(b));
        }
    difference /= 3.0 * (drawn.height() / 3) * (drawn.width() / 3);
    EXPECT_LT(difference, 2.0);

    EXPECT_EQ(ReadMainBackdrop(QStringLiteral(":/burnmark/none.jpg")), drawn);
    EXPECT_EQ(MainBackdrop().size(), kMainBackdropPixels);
}

}  // namespace
}  // namespace burnmark
