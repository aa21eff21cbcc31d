// The main window: its frame and layout, the first and the next start, the
// exit question, the end when the window system destroys the window, the busy
// state, dragging and the wheel hook.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>

#include "platform/profile.h"
#include "shell/picture_restore.h"
#include "shell/start_up.h"
#include "widgets/ui/image_control.h"
#include "shell/ui/lost_window_watch.h"
#include "shell/ui/main_form.h"
#include "shell/ui/splash_pictures.h"
#include "support/fake_ports.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeMessages;
using testing::FakePump;
using testing::FakeSounds;

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("bm_mainform_" + std::to_string(rd()));
        fs::create_directories(dir_);
        appDir_ = dir_.string() + "/";
    }
    void TearDown() override {
        form_.reset();
        fs::remove_all(dir_);
    }

    // One start of the program as the entry runs it, up to the message loop.
    TMainForm& Start(MainFormSeams seams = {}) {
        form_.reset();
        ApplyEntryRules(appDir_);
        form_ = std::make_unique<TMainForm>(appDir_, MainFormPorts{&messages_, &sounds_, &pump_},
                                            std::move(seams));
        form_->show();
        QApplication::processEvents();
        return *form_;
    }

    Profile History() const { return Profile(appDir_ + "History_1.ini"); }

    template <typename T = QWidget>
    T* Child(const char* name) const {
        T* w = form_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QCheckBox* Box(int n) const {
        return Child<QCheckBox>(("CheckBox" + std::to_string(n)).c_str());
    }
    std::string Picture() const {  // ticks of CheckBox1..5
        std::string s;
        for (int n = 1; n <= 5; ++n) s += Box(n)->isChecked() ? "ECPVS"[n - 1] : '.';
        return s;
    }

    static void Send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                     Qt::MouseButtons buttons, quint64 stamp = 0) {
        QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
        e.setTimestamp(stamp);
        QApplication::sendEvent(w, &e);
    }
    static void Click(QWidget* w) {
        const QPoint c = w->rect().center();
        Send(w, QEvent::MouseButtonPress, c, Qt::LeftButton, Qt::LeftButton);
        Send(w, QEvent::MouseButtonRelease, c, Qt::LeftButton, Qt::NoButton);
    }

    fs::path dir_;
    std::string appDir_;
    FakeMessages messages_;
    FakeSounds sounds_;
    FakePump pump_;
    std::unique_ptr<TMainForm> form_;
};

TEST_F(MainFormTest, FramelessFixedWindowWithThePagesInPlace) {
    TMainForm& form = Start();
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    // What task bars and window lists call it.
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Burnmark"));
    EXPECT_EQ(form.size(), QSize(552, 440));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.cursor().shape(), Qt::SizeAllCursor);
    EXPECT_EQ(form.font().family(), QStringLiteral("Liberation Sans"));

    struct Place {
        const char* name;
        QPoint topLeft;  // in the main window's client area
        QSize size;      // empty: not checked
    };
    const std::vector<Place> places = {
        {"Copy_Panel", {8, 53}, {536, 377}},     {"Create_Panel", {40, 455}, {536, 366}},
        {"Utility_Panel", {32, 463}, {536, 365}}, {"Project_Panel", {-1, 455}, {538, 365}},
        {"DumpEdit_Panel", {95, 50}, {537, 378}},  // moved there when the Edit area was shown
        {"SelectedType", {408, 115}, {}},         {"LoadPathEdit", {240, 73}, {}},
        {"StatusPanel", {424, 268}, {}},          {"ProgressBar2", {64, 389}, {}},
        {"StopPanel", {427, 365}, {}},            {"RunPanel", {490, 365}, {}},
    };
    for (const Place& p : places) {
        QWidget* w = Child(p.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->mapTo(&form, QPoint(0, 0)), p.topLeft) << p.name;
        if (!p.size.isEmpty()) {
            EXPECT_EQ(w->size(), p.size) << p.name;
        }
    }
    for (int n : {1, 2, 3, 4, 5, 11}) EXPECT_EQ(Box(n)->mapTo(&form, QPoint(0, 0)).y(), 336) << n;
    EXPECT_EQ(Box(3)->parentWidget(), Child("Copy_Panel"));
    for (const char* name : {"RunPanel2", "ErasePanel", "CheckPanel", "ProgramPanel",
                             "VerifyPanel", "SecurityPanel"}) {
        QWidget* w = Child(name);
        EXPECT_GE(w->mapTo(&form, QPoint(0, 0)).y(), 442) << name;
        EXPECT_FALSE(w->isEnabled()) << name;
    }
    // The form ends on the Copy page; the other pages are never in view.
    EXPECT_TRUE(Child("Copy_Panel")->isVisible());
    for (const char* name : {"DumpEdit_Panel", "Create_Panel", "Utility_Panel", "Project_Panel"})
        EXPECT_FALSE(Child(name)->isVisible()) << name;
    for (const char* name : {"SumEdit", "ProgressBar21", "check_confirm", "CopyTypeBtn", "Panel7",
                             "Panel8", "Panel9", "CopyReadBtn", "CopyEraseBtn", "CopyCheckBtn",
                             "CopyProgramBtn", "CopyVerifyBtn", "CopySecurityBtn",
                             "CopyConfirmBtn", "Stop_Hint", "Run_Hint", "Exit_Hint", "Label24",
                             "Multi_Hint", "parameter", "Help_Hint", "Label23", "Pass", "Wait",
                             "Fail", "SLogo", "Main"})
        EXPECT_NE(Child(name), nullptr);
    EXPECT_FALSE(Box(11)->isVisible());
    EXPECT_EQ(form.State().Run2LedFlag, 1);
}

TEST_F(MainFormTest, FirstStartWritesTheDefaultDeviceAndShowsIt) {
    History().WriteString("Option", "sound_setup", "yes");  // not a number: the default
    TMainForm& form = Start();
    EXPECT_EQ(History().ReadString("SelectDlg", "Manufacturer", ""), "ATMEL");
    EXPECT_EQ(History().ReadString("SelectDlg", "TypeNum", ""), "AT89C51");
    EXPECT_EQ(History().ReadString("SelectDlg", "IcFileName", ""),
              appDir_ + "INI\\ATMEL\\AT89C51.INI");
    auto* list = Child<QListWidget>("SelectedType");
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("ATMEL"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("AT89C51"));
    EXPECT_EQ(form.State().DeviceIniPath, appDir_ + "INI\\ATMEL\\AT89C51.INI");
    EXPECT_EQ(Picture(), "ECPV.");  // the form's ticks
    EXPECT_EQ(Profile(appDir_ + "logo.c.ini").ReadString("Main", "Handle", ""),
              std::to_string(static_cast<quint64>(form.winId())));
    EXPECT_FALSE(Child("SLogo")->isVisible());
}

TEST_F(MainFormTest, TheRestoreRunsOnTheFirstShowOnly) {
    int loads = 0;
    MainFormSeams seams;
    seams.session.LoadDeviceIni = [&](const std::string&) { ++loads; return DeviceFacts{}; };
    TMainForm& form = Start(seams);
    EXPECT_EQ(loads, 1);
    form.hide();
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(loads, 1);
}

TEST_F(MainFormTest, ExitYesSavesTheTicksAndTheNextStartRestoresThem) {
    int released = 0;
    MainFormSeams seams;
    seams.ReleaseOnExit = [&] { ++released; };
    Start(seams);
    Box(1)->setChecked(false);
    Box(2)->setChecked(false);
    Box(4)->setChecked(false);
    Box(5)->setChecked(true);  // erase off, program and protect on
    messages_.answers = {MsgAnswer::Yes};
    Click(Child("Exit_Hint"));

    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Are you sure ?");
    EXPECT_EQ(messages_.shown[0].title, "Exit:");
    EXPECT_EQ(messages_.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(History().ReadString("SelectDlg", "ProcessMode", ""), "+P+S");
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(released, 1);
    for (int n = 1; n <= 5; ++n) EXPECT_FALSE(Box(n)->isEnabled()) << n;
    EXPECT_EQ(form_->State().ExitGuard, 1);

    Start();
    EXPECT_EQ(Picture(), "..P.S");
}

TEST_F(MainFormTest, SettingsTheWindowCannotWriteAreToldOnceEach) {
    // The window's handle for other programs, at its creation.
    fs::create_directory(dir_ / "logo.c.ini");
    Start();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text,
              "Can't write " + appDir_ +
                  "logo.c.ini !\nOther programs cannot find the main window through it.");
    EXPECT_EQ(messages_.shown[0].title, "Settings");

    // The ticks at exit, by Exit or by the window manager's close.
    struct Case {
        const char* name;
        std::function<void()> close;
    };
    const Case cases[] = {
        {"Exit", [&] { Click(Child("Exit_Hint")); }},
        {"the window manager's close", [&] { form_->close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start();
        fs::remove(dir_ / "History_1.ini");
        fs::create_directory(dir_ / "History_1.ini");
        messages_.Clear();
        messages_.answers = {MsgAnswer::Yes};
        c.close();
        EXPECT_FALSE(form_->isVisible());
        ASSERT_EQ(messages_.shown.size(), 2u);
        EXPECT_EQ(messages_.shown[0].title, "Exit:");
        EXPECT_EQ(messages_.shown[1].text,
                  "Can't write " + appDir_ +
                      "History_1.ini !\nThe ticked operations are not remembered for the next "
                      "start.");
        fs::remove(dir_ / "History_1.ini");
    }
}

TEST_F(MainFormTest, ADestroyedWindowEndsTheProgramAsAnExitWould) {
    int released = 0;
    MainFormSeams seams;
    seams.ReleaseOnExit = [&] { ++released; };
    struct Case {
        const char* name;
        // What holds the window when it goes, and lets go of it.
        std::function<void()> hold;
        std::function<void()> letGo;
        int boxes;  // the exit question, when it was open
    };
    const Case cases[] = {
        {"nothing", nullptr, nullptr, 0},
        {"an operation", [&] { form_->SetBusy(true); }, [&] { form_->SetBusy(false); }, 0},
        {"the exit question, answered No",
         [&] {
             messages_.answers = {MsgAnswer::No};
             form_->State().ExitGuard = 1;  // the question is open
         },
         [&] {
             form_->State().ExitGuard = 0;
             form_->ExitClick();
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        released = 0;
        History().WriteString("SelectDlg", "ProcessMode", "0");  // the form's ticks
        Start(seams);
        messages_.Clear();
        Box(2)->setChecked(false);
        bool held = true;
        QTimer::singleShot(0, [&] {
            if (c.hold) c.hold();
            form_->WindowDestroyed();
            QApplication::processEvents();
            held = form_->isVisible() && released == 0 &&
                   History().ReadString("SelectDlg", "ProcessMode", "") == "0";
            if (c.letGo) c.letGo();
        });
        // A program that did not end would keep the loop going: give up after a while.
        QTimer::singleShot(10000, [] { QApplication::exit(1); });
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_EQ(held, c.hold != nullptr);
        // The ticks written as at Exit, without asking; the window closed.
        EXPECT_EQ(History().ReadString("SelectDlg", "ProcessMode", ""), "+E+P+V");
        EXPECT_EQ(static_cast<int>(messages_.shown.size()), c.boxes);
        EXPECT_FALSE(form_->isVisible());
        EXPECT_EQ(released, 1);
        EXPECT_FALSE(Box(1)->isEnabled());
        // A later loss or close is no second exit.
        form_->WindowDestroyed();
        form_->close();
        QApplication::processEvents();
        EXPECT_EQ(released, 1);
    }
}

TEST(LostWindowWatch, KnowsTheDestructionOfItsWindowOnly) {
    // An X11 event as the wire carries it: 32 bytes, the code first, the
    // destroyed window at byte 8.
    auto event = [](uint8_t code, uint32_t window) {
        std::array<uint8_t, 32> bytes{};
        bytes[0] = code;
        std::memcpy(bytes.data() + 8, &window, sizeof window);
        return bytes;
    };
    struct Case {
        const char* name;
        QByteArray type;
        std::array<uint8_t, 32> bytes;
        bool destroyed;
    };
    const Case cases[] = {
        {"its window destroyed", "xcb_generic_event_t", event(17, 0x200006), true},
        {"as another client sent it", "xcb_generic_event_t", event(17 | 0x80, 0x200006), true},
        {"another window", "xcb_generic_event_t", event(17, 0x200007), false},
        {"only unmapped", "xcb_generic_event_t", event(18, 0x200006), false},
        {"another window system", "windows_generic_MSG", event(17, 0x200006), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsX11DestroyOf(c.type, c.bytes.data(), 0x200006), c.destroyed) << c.name;
    EXPECT_FALSE(IsX11DestroyOf("xcb_generic_event_t", nullptr, 0x200006));
}

TEST_F(MainFormTest, ExitNoLeavesEverythingAndAsksAgain) {
    History().WriteString("SelectDlg", "ProcessMode", "+E+P");
    TMainForm& form = Start();
    EXPECT_EQ(Picture(), "E.P..");
    messages_.answers = {MsgAnswer::No, MsgAnswer::No};
    Click(Child("Label24"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.State().ExitGuard, 0);
    EXPECT_EQ(History().ReadString("SelectDlg", "ProcessMode", ""), "+E+P");
    for (int n = 1; n <= 5; ++n) EXPECT_TRUE(Box(n)->isEnabled()) << n;
    Click(Child("Exit"));
    EXPECT_EQ(messages_.shown.size(), 2u);
}

TEST_F(MainFormTest, BusyDisablesEveryCommandButStop) {
    int stops = 0;
    MainFormSeams seams;
    seams.StopClick = [&] { ++stops; };
    TMainForm& form = Start(seams);
    QWidget* stopPanel = Child("StopPanel");
    QWidget* copyErase = Child("CopyEraseBtn");
    const bool runPanel2Before = Child("RunPanel2")->isEnabledTo(&form);

    form.SetBusy(true);
    form.SetBusy(true);  // a load inside a run
    EXPECT_TRUE(form.Busy());
    for (QWidget* w : form.findChildren<QWidget*>()) {
        if (w->isWindow()) continue;
        const bool stop = w == stopPanel || stopPanel->isAncestorOf(w);
        EXPECT_EQ(w->isEnabled(), stop) << w->objectName().toStdString();
    }

    // An operation re-enables a step meanwhile and disables a tick box: neither
    // becomes usable now, and both keep what the operation set afterwards.
    copyErase->setEnabled(true);
    Box(2)->setEnabled(false);
    EXPECT_FALSE(copyErase->isEnabled());

    Click(Child("Stop_Hint"));
    EXPECT_EQ(stops, 1);
    Click(Child("Exit_Hint"));
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());

    form.SetBusy(false);
    EXPECT_TRUE(form.Busy());  // the outer one still holds
    EXPECT_FALSE(Child("Exit_Hint")->isEnabled());
    form.SetBusy(false);
    EXPECT_FALSE(form.Busy());
    EXPECT_TRUE(Child("Exit_Hint")->isEnabled());
    EXPECT_TRUE(copyErase->isEnabled());
    EXPECT_FALSE(Box(2)->isEnabled());
    EXPECT_EQ(Child("RunPanel2")->isEnabledTo(&form), runPanel2Before);
    form.SetBusy(false);  // unbalanced: no effect
    EXPECT_TRUE(Child("Exit_Hint")->isEnabled());

    {
        BusyScope busy(form.BusyLock());
        EXPECT_FALSE(Child("Help_Hint")->isEnabled());
    }
    messages_.answers = {MsgAnswer::No};
    Click(Child("Exit_Hint"));
    EXPECT_EQ(messages_.shown.size(), 1u);
}

TEST_F(MainFormTest, DraggingTheBackgroundWithTheLeftButtonMovesTheWindow) {
    TMainForm& form = Start();
    QWidget* background = Child("Main");
    form.move(100, 100);
    QApplication::processEvents();
    const QPoint start = form.pos();

    Send(background, QEvent::MouseButtonPress, {200, 20}, Qt::RightButton, Qt::RightButton);
    Send(background, QEvent::MouseMove, {260, 50}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(form.pos(), start);

    Send(background, QEvent::MouseButtonPress, {200, 20}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(form.DragOffset(), QPoint(200, 20));
    Send(background, QEvent::MouseMove, {260, 50}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(form.pos(), start + QPoint(60, 30)) << "the window stays under the pointer";
}

TEST_F(MainFormTest, TheWheelReachesTheEditorWithItsDelta) {
    QWidget* grid = nullptr;
    std::unique_ptr<QWidget> editorWindow;  // the editor comes as a window of its own here
    std::vector<std::pair<QObject*, int>> routed;
    MainFormSeams seams;
    seams.CreateEditWindow = [&](QWidget* editArea, const QString& caption) {
        EXPECT_EQ(caption, QStringLiteral("NONAME1"));
        EXPECT_EQ(editArea->objectName(), QStringLiteral("DumpEdit_Panel"));
        editorWindow = std::make_unique<QWidget>();
        grid = new QWidget(editorWindow.get());
        grid->setObjectName(QStringLiteral("HexCodeSG8bit"));
        return editorWindow.get();
    };
    seams.RouteWheel = [&](QObject* hover, int delta) { routed.push_back({hover, delta}); };
    TMainForm& form = Start(seams);
    ASSERT_NE(form.Editor(), nullptr);
    ASSERT_NE(grid, nullptr);

    quint64 stamp = 1;
    Send(grid, QEvent::MouseMove, {2, 2}, Qt::NoButton, Qt::NoButton, stamp++);
    EXPECT_EQ(form.HoverWindow(), grid);
    auto wheel = [&](QPoint delta) {
        QWheelEvent e(QPointF(2, 2), QPointF(grid->mapToGlobal(QPoint(2, 2))), QPoint(), delta,
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        e.setTimestamp(stamp++);
        QApplication::sendEvent(grid, &e);
    };
    // The editor makes rows of the deltas; the window hands each on once.
    wheel({0, 120});
    wheel({0, -120});
    wheel({0, 15});
    wheel({30, 0});  // sideways only: nothing to scroll
    ASSERT_EQ(routed.size(), 3u);
    EXPECT_EQ(routed[0], std::make_pair(static_cast<QObject*>(grid), 120));
    EXPECT_EQ(routed[1].second, -120);
    EXPECT_EQ(routed[2].second, 15);

    form.SetBusy(true);
    wheel({0, 120});
    form.SetBusy(false);
    EXPECT_EQ(routed.size(), 3u);
    form_.reset();  // before the editor window goes
}

TEST_F(MainFormTest, TheCustomLogoShowsTheStoredPictureOnlyWhenAsked) {
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    const QByteArray bitmap = EncodeBitmap(picture);
    auto store = [&](const QByteArray& bytes) {
        const std::vector<uint8_t> data(bytes.begin(), bytes.end());
        const std::optional<std::vector<uint8_t>> stored = StoreBitmapRotated(data);
        std::ofstream(dir_ / "Temp0.cue", std::ios::binary)
            .write(reinterpret_cast<const char*>(stored->data()),
                   static_cast<std::streamsize>(stored->size()));
    };
    store(bitmap);
    auto listing = [&] {
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(dir_))
            files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
        return files;
    };

    Start();
    auto* logo = Child<ImageControl>("SLogo");
    EXPECT_FALSE(logo->isVisible());
    EXPECT_TRUE(messages_.shown.empty());

    History().WriteString("System", "Symbol", "1");
    const std::vector<std::string> before = listing();
    Start();
    logo = Child<ImageControl>("SLogo");
    EXPECT_TRUE(logo->isVisible());
    ASSERT_TRUE(logo->HasPicture());
    // Fitted into the logo's place: blue in its middle, sharp at the screen's ratio.
    const QImage shown = logo->grab().toImage();
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::blue));
    EXPECT_EQ(listing(), before);  // nothing restored onto the disk

    // A stored file that is no picture, or none at all: the start goes on with
    // the logo hidden.
    store(QByteArray(100, 'x'));
    Start();
    EXPECT_FALSE(Child("SLogo")->isVisible());
    fs::remove(dir_ / "Temp0.cue");
    messages_.Clear();
    Start();
    EXPECT_FALSE(Child("SLogo")->isVisible());
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{kErrPictureOpen});
}

}  // namespace
}  // namespace burnmark
