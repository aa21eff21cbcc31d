// The shell's smaller windows on the main window with its core over the
// simulated programmer: the splash, the About box, the project list and the
// Utility page's lamp runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "link/programmer_requests.h"
#include "platform/profile.h"
#include "shell/about_box.h"
#include "widgets/ui/aled.h"
#include "shell/picture_restore.h"
#include "shell/start_up.h"
#include "shell/ui/about_box_window.h"
#include "shell/ui/app_composition.h"
#include "widgets/ui/image_control.h"
#include "shell/ui/logo_form.h"
#include "shell/ui/main_form.h"
#include "shell/ui/splash_pictures.h"
#include "shell/utility_runs.h"
#include "support/fake_ports.h"
#include "support/mouse_events.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;
using testing::Click;
using testing::DoubleClick;
using testing::SendMouse;
using testing::FakeMessages;
using testing::FakePump;
using testing::FakeSounds;
using testing::SimulatedProgrammer;
using testing::TempDir;


// The mean difference of two pictures of one size, per colour channel.
double MeanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); y += 2)
        for (int x = 0; x < a.width(); x += 2) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * ((a.height() + 1) / 2) * ((a.width() + 1) / 2));
}

QImage KeptPicture(const char* file) {
    FakeMessages messages;
    const auto bitmap = RestoreBitmapFile(std::string(BURNMARK_SAMPLE_DIR "/") + file, messages);
    QImage picture;
    if (bitmap) DecodeBitmap(*bitmap, picture);
    return picture;
}

TEST(SplashPictures, TheKeptFilesAreTodaysDrawingAtTwiceTheirSize) {
    // The build draws them with tools/make_splash_pictures into the sample it lays out.
    const QImage splash = KeptPicture(kSplashPictureFile);
    const QImage logo = KeptPicture(kLogoPictureFile);
    ASSERT_EQ(splash.size(), kSplashSize * 2);
    ASSERT_EQ(logo.size(), kCustomLogoSize * 2);
    EXPECT_LT(MeanDifference(splash, DrawSplashPicture().convertToFormat(splash.format())), 1.0);
    EXPECT_LT(MeanDifference(logo, DrawCustomLogo().convertToFormat(logo.format())), 1.0);
    // A bitmap of 24 bits per pixel: nothing between the headers and the pixels.
    const QByteArray bitmap = EncodeBitmap(DrawCustomLogo(1.0));
    EXPECT_EQ(bitmap.size(), 54 + 140 * 3 * 44);
    QImage back;
    EXPECT_TRUE(DecodeBitmap(std::span(reinterpret_cast<const uint8_t*>(bitmap.constData()),
                                       static_cast<std::size_t>(bitmap.size())),
                             back));
    EXPECT_FALSE(DecodeBitmap(std::vector<uint8_t>(80, 'x'), back));
}

class ShellWindows : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(BURNMARK_SAMPLE_DIR, dir_.Path(), fs::copy_options::recursive);
        ApplyEntryRules(dir_.Path());
        sim_.InsertChip(false, 0x1000);
    }
    void TearDown() override { form_.reset(); }

    TMainForm& Start() {
        form_ = std::make_unique<TMainForm>(dir_.Path(),
                                            MainFormPorts{&messages_, &sounds_, &pump_, &sim_});
        form_->show();
        QApplication::processEvents();
        return *form_;
    }
    Profile History() const { return Profile(dir_.Path() + "History_1.ini"); }
    template <typename T = QWidget>
    T* Child(const char* name) const {
        T* w = form_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    std::vector<std::string> Trace() const { return sim_.TraceLines(); }
    bool Sent(const std::string& line) const {
        for (const std::string& l : sim_.TraceLines())
            if (l == line) return true;
        return false;
    }

    TempDir dir_;
    FakeMessages messages_;
    FakeSounds sounds_;
    FakePump pump_;
    SimulatedProgrammer sim_;
    std::unique_ptr<TMainForm> form_;
};

// ---- Splash ------------------------------------------------------------------------------

TEST_F(ShellWindows, TheSplashShowsTheStoredPictureForItsPeriod) {
    struct Case {
        const char* name;
        const char* shortSeconds;
        bool pictureFile;
        bool timer;
        int interval;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"three seconds", "3", true, true, 3000, {}},
        {"no period: no timer", "0", true, false, 0, {}},
        {"no picture: the laid-out period",
         "3",
         false,
         true,
         4000,
         {kErrPictureOpen, kSplashNoPictureText}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages_.Clear();
        History().WriteString("System", "Short", c.shortSeconds);
        if (!c.pictureFile) fs::remove(dir_.Path() + kSplashPictureFile);
        TLogo logo(dir_.Path(), messages_);
        EXPECT_EQ(logo.size(), QSize(542, 382));
        EXPECT_TRUE(logo.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_TRUE(logo.windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_FALSE(logo.isEnabled());
        EXPECT_EQ(logo.LogoPhoto()->HasPicture(), c.pictureFile);
        EXPECT_EQ(logo.LogoTimer()->isActive(), c.timer);
        if (c.timer) {
            EXPECT_EQ(logo.LogoTimer()->interval(), c.interval);
        }
        EXPECT_EQ(messages_.Texts(), c.texts);

        logo.show();
        EXPECT_TRUE(logo.isVisible());
        logo.Logo_TimerTimer();
        EXPECT_FALSE(logo.isVisible());
    }
    // No picture was restored onto the disk.
    EXPECT_FALSE(fs::exists(dir_.Path() + "1.bmp"));
}

TEST_F(ShellWindows, TheSplashPictureFillsTheWindow) {
    TLogo logo(dir_.Path(), messages_);
    logo.show();
    QApplication::processEvents();
    const QImage shown = logo.grab().toImage();
    const QImage drawn = DrawSplashPicture(1.0).convertToFormat(shown.format());
    ASSERT_EQ(shown.size(), drawn.size());
    EXPECT_LT(MeanDifference(shown, drawn), 6.0);
}

// ---- About -------------------------------------------------------------------------------

TEST(AboutBoxWindow, ShowsTheVersionsAndOpensTheCreditsOnTheRule) {
    TAboutBox box("1.07");
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(box.size(), QSize(290, 138));
    auto text = [&](const char* name) {
        auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_NE(label, nullptr) << name;
        return label ? label->text().toStdString() : std::string();
    };
    auto shown = [&](const char* name) {
        return !box.findChild<QLabel*>(QString::fromLatin1(name))->isHidden();
    };
    EXPECT_EQ(text("SoftwareVersion"), "Software Version  :");
    EXPECT_EQ(text("Label9"), SoftwareVersion());
    EXPECT_FALSE(SoftwareVersion().empty());
    EXPECT_EQ(text("FirmwareVersion"), "Firmware Version :");
    EXPECT_EQ(text("H_sn"), "1.07");
    for (const char* hidden :
         {"Label4", "tt", "Label6", "Label5", "Label2", "leader", "enger1", "enger2"})
        EXPECT_FALSE(shown(hidden)) << hidden;

    auto* image1 = box.findChild<QLabel*>(QStringLiteral("Image1"));
    auto* image2 = box.findChild<QLabel*>(QStringLiteral("Image2"));
    for (int i = 0; i < 15; ++i) DoubleClick(image1);  // not armed
    EXPECT_FALSE(shown("Label4"));
    Click(image2);
    for (int i = 0; i < 15; ++i) DoubleClick(image1);
    EXPECT_EQ(box.size(), QSize(290, 138 + 112));
    for (const char* name : {"Label4", "tt", "Label6", "Label5", "Label2"})
        EXPECT_TRUE(shown(name)) << name;
    EXPECT_FALSE(shown("Label3"));
    EXPECT_FALSE(shown("leader"));
    Click(box.findChild<QLabel*>(QStringLiteral("Label2")));
    for (const char* name : {"leader", "enger1", "enger2"}) EXPECT_TRUE(shown(name)) << name;
    // The OK button stays in the box.
    auto* ok = box.findChild<QPushButton*>(QStringLiteral("OKButton"));
    EXPECT_TRUE(box.rect().contains(ok->geometry()));

    Click(box.findChild<QLabel*>(QStringLiteral("ProgramIcon")));
    EXPECT_EQ(box.size(), QSize(290, 138));
    EXPECT_TRUE(shown("Label3"));
    EXPECT_FALSE(shown("Label4"));
    EXPECT_FALSE(shown("leader"));
    EXPECT_TRUE(box.rect().contains(ok->geometry()));
}

TEST_F(ShellWindows, AboutShowsTheFirmwareAndOnOkChecksTheDeviceAfterTheBoxIsGone) {
    TMainForm& form = Start();
    const char firmware[] = "9.12";
    std::copy(firmware, firmware + 4, sim_.serial.begin() + 6);
    for (bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "closed");
        sim_.ClearTrace();
        std::string seen;
        bool checkedWhileOpen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = box->findChild<QLabel*>(QStringLiteral("H_sn"))->text().toStdString();
            checkedWhileOpen = Sent("out 49 4000 0600");
            if (ok)
                Click(box->findChild<QPushButton*>(QStringLiteral("OKButton")));
            else
                box->close();  // the title bar's close
        });
        Click(Child("Help_Hint"));
        EXPECT_EQ(seen, "9.12");
        EXPECT_FALSE(checkedWhileOpen);
        EXPECT_EQ(Sent("out 49 4000 0600"), ok);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_FALSE(form.Busy());
    }
    EXPECT_TRUE(form.findChildren<TAboutBox*>().isEmpty());
}

// ---- Project list -------------------------------------------------------------------------

TEST_F(ShellWindows, TheSampleProjectListOpensARowIntoTheCopyPage) {
    TMainForm& form = Start();
    auto* list = Child<QTableWidget>("ListView1");
    ASSERT_EQ(list->rowCount(), 10);
    ASSERT_EQ(list->columnCount(), 4);
    const QStringList headers = {"Vendor", "Type", "Source", "Process"};
    const int widths[] = {120, 138, 132, 120};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(list->horizontalHeaderItem(c)->text(), headers[c]);
        EXPECT_EQ(list->columnWidth(c), widths[c]);
    }
    EXPECT_EQ(list->item(0, 0)->text(), QStringLiteral("ATMEL"));
    EXPECT_EQ(list->item(0, 2)->text(), QStringLiteral("data/blink.hex"));
    EXPECT_EQ(list->item(1, 1)->text(), QStringLiteral("27C256"));
    EXPECT_EQ(list->item(5, 0)->text(), QString());

    // Opening with nothing selected does nothing.
    form.Seams().ProjectOkClick();
    EXPECT_EQ(form.State().ProjectOpened, 0);

    // Row 2: General Type 27C256 with no file, blank check, program and
    // verify: the file field says so.
    list->selectRow(1);
    form.Seams().ProjectOkClick();
    auto* type = Child<QListWidget>("SelectedType");
    EXPECT_EQ(type->item(0)->text(), QStringLiteral("General Type"));
    EXPECT_EQ(type->item(1)->text(), QStringLiteral("27C256"));
    EXPECT_EQ(Child<QLineEdit>("LoadPathEdit")->text(), QStringLiteral("No File"));
    EXPECT_EQ(form.Core()->Device().Name, "27C256");
    const bool ticks[] = {false, true, true, true, false};
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(Child<QCheckBox>(("CheckBox" + std::to_string(n)).c_str())->isChecked(),
                  ticks[n - 1])
            << n;

    // Row 1 by a double click: ATMEL AT89C51 with the sample program.
    messages_.Clear();
    const QPoint cell = list->visualItemRect(list->item(0, 0)).center();
    for (auto [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                                 std::pair{QEvent::MouseButtonRelease, Qt::NoButton},
                                 std::pair{QEvent::MouseButtonDblClick, Qt::LeftButton},
                                 std::pair{QEvent::MouseButtonRelease, Qt::NoButton}}) {
        QMouseEvent e(type, QPointF(cell), QPointF(list->viewport()->mapToGlobal(cell)),
                      Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &e);
    }
    EXPECT_EQ(type->item(1)->text(), QStringLiteral("AT89C51"));
    const std::string file = dir_.Path() + "data/blink.hex";
    EXPECT_EQ(Child<QLineEdit>("LoadPathEdit")->text().toStdString(), file);
    BufferLock lock = form.Core()->Buffer().GetBufferHandle();
    ASSERT_TRUE(lock);
    EXPECT_EQ(lock.Bytes()[0], 0x75);
    EXPECT_EQ(lock.Bytes()[14], 0xF4);
    EXPECT_EQ(form.State().ProjectOpened, 1);
    EXPECT_EQ(History().ReadString("SelectDlg", "TypeNum", ""), "AT89C51");
    // Ends on the Edit area with the buffer editor, the path kept in [Temp].
    EXPECT_FALSE(Child("DumpEdit_Panel")->isHidden());
    EXPECT_TRUE(Child("Copy_Panel")->isHidden());
    EXPECT_FALSE(Child("Multi")->isHidden());
    EXPECT_EQ(Profile(dir_.Path() + "Project.ini").ReadString("Temp", "Source", ""), file);
}

TEST_F(ShellWindows, AProjectWithAnUnknownDeviceIsRefused) {
    dir_.Write("Project.ini", "[1]\nVendor=ATMEL\nID=AT89C99\nSource=data/blink.hex\nProg=+E\n");
    TMainForm& form = Start();
    Child<QTableWidget>("ListView1")->selectRow(0);
    form.Seams().ProjectOkClick();
    EXPECT_EQ(messages_.Texts(),
              std::vector<std::string>{"Device not found in the catalogue: ATMEL AT89C99"});
    EXPECT_EQ(Child<QListWidget>("SelectedType")->item(1)->text(), QStringLiteral("AT89C51"));
    EXPECT_EQ(form.State().ProjectOpened, 0);
}

// ---- Utility page -------------------------------------------------------------------------

TEST_F(ShellWindows, TheLampRunsWalkTheLampsAndARepeatedRunEndsOnStop) {
    TMainForm& form = Start();
    auto lamp = [&](int n) {
        return Child<TALed>(("ALed" + std::to_string(n)).c_str())->State().ShownColor();
    };
    Child<QCheckBox>("CheckBox6")->setChecked(true);
    Click(Child("RunE"));
    EXPECT_EQ(lamp(1), kLampDone);
    EXPECT_EQ(lamp(2), kLampDone);
    EXPECT_EQ(lamp(3), kLampIdle);

    sounds_.calls.clear();
    int pumps = 0;
    bool refused = false;
    pump_.onProcess = [&] {
        ++pumps;
        if (pumps == 150) {
            EXPECT_TRUE(form.Busy());
            Click(Child("Exit_Hint"));
            refused = messages_.shown.empty() && form.isVisible();
            EXPECT_EQ(lamp(3), kLampWorking);
        }
        if (pumps == 250) Click(Child("Stop_Hint"));
    };
    Click(Child("AutoRunV"));
    pump_.onProcess = nullptr;
    EXPECT_TRUE(refused);
    EXPECT_GT(pumps, 250);
    EXPECT_LT(pumps, 400);
    EXPECT_EQ(lamp(3), kLampDone);
    EXPECT_EQ(form.Core()->Frame().Run.StopFlag, 0);
    EXPECT_FALSE(form.Busy());
    EXPECT_EQ(std::count(sounds_.calls.begin(), sounds_.calls.end(), "error"), 2);
    EXPECT_TRUE(Trace().empty());
}

TEST_F(ShellWindows, QuittingEndsARepeatedRunAndTheProgramThenEnds) {
    TMainForm& form = Start();
    int pumps = 0;
    bool refusedWhileRunning = false;
    pump_.onProcess = [&] {
        if (++pumps == 50) {
            QEvent quit(QEvent::Quit);
            QApplication::sendEvent(qApp, &quit);
            // The window is held by the run: it does not close under it.
            refusedWhileRunning = form.isVisible() && messages_.shown.empty();
        }
    };
    messages_.answers = {MsgAnswer::Yes};
    QTimer::singleShot(0, [&] { Click(Child("AutoRunS")); });
    // A run that never ended would keep the loop going: give up after a while.
    QTimer::singleShot(10000, [] { QApplication::exit(1); });
    // The loop ends once the quit, asked for again after the run, went through.
    EXPECT_EQ(QApplication::exec(), 0);
    pump_.onProcess = nullptr;
    EXPECT_TRUE(refusedWhileRunning);
    EXPECT_LT(pumps, 250);
    EXPECT_FALSE(form.Busy());
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"Are you sure ?"});
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace burnmark
