// The option window over the sample catalogue's option pages: the pages and
// controls it builds, the operator's values stored and shown again by the
// next window, the check that keeps it open, where it comes up, that its OK
// cannot be pressed twice while the programmer works, and the window without
// pages that the Parameters control opens for a memory device.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "buffer/buffer_sizing.h"
#include "buffer/data_buffer.h"
#include "catalogue/option_layout.h"
#include "catalogue/ui/current_page_form.h"
#include "platform/profile.h"
#include "shell/start_up.h"
#include "shell/ui/app_composition.h"
#include "shell/ui/main_form.h"
#include "support/fake_ports.h"
#include "support/mouse_events.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"

namespace burnmark {
namespace {

using testing::FakeMessages;
using testing::FakeProgress;
using testing::TempDir;

class OptionWindowTest : public ::testing::Test {
protected:
    OptionWindowTest() {
        std::filesystem::copy(BURNMARK_SAMPLE_DIR, dir.Path(),
                              std::filesystem::copy_options::recursive);
        device.AppDir = dir.Path();
        device.Menu = "OPTION\\VM89X52.INI";
        device.FuseTypeDigit = 2;
        mainWindow.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        mainWindow.setGeometry(200, 100, 552, 440);
        auto* copyPanel = new QWidget(&mainWindow);
        copyPanel->setObjectName(QStringLiteral("Copy_Panel"));
        copyPanel->setGeometry(8, 53, 536, 377);
    }

    std::unique_ptr<OptionPages> Pages(OptionWindowChoice choice = OptionWindowChoice::Pages) {
        OptionPagesParts parts{device, options, sizing, buffer, messages, nullptr, nullptr};
        parts.SendOptionWords = [this] {
            ++sends;
            if (duringSend) duringSend();
            return true;
        };
        return std::make_unique<OptionPages>(std::move(parts), choice);
    }
    std::string Stored(const std::string& key) const {
        return Profile(dir.Path() + "temp.ini").ReadString(kOptionStoreSection, key, "<missing>");
    }
    static void Type(QWidget* edit, Qt::Key key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(edit, &press);
    }
    template <typename T>
    static T* As(QWidget* w) {
        T* t = qobject_cast<T*>(w);
        EXPECT_NE(t, nullptr);
        return t;
    }

    TempDir dir;
    DeviceRecord device;
    DeviceOptions options;
    BufferSizing sizing;
    FakeMessages messages;
    FakeProgress progress;
    DataBuffer buffer{messages, progress, dir.Path() + "History_1.ini"};
    QWidget mainWindow;
    int sends = 0;
    std::function<void()> duringSend;
};

// Component numbers of the sample's VM89X52 pages in creation order.
enum Sample : std::size_t {
    kLockBits,
    kLockText,
    kEraseLock,
    kLockOtp,
    kOscillator,
    kWatchdog,
    kAleOff,
    kConfigByte,
    kStartUp,
    kBootVector,
    kSerialStart,
    kDateCode,
    kSignature,
    kUserText,
    kIdText,
};

TEST_F(OptionWindowTest, BuildsThePagesOfTheDefinition) {
    const auto pages = Pages();
    TCurrentPageForm window(*pages, &mainWindow);
    window.LoadOptionPages();

    EXPECT_EQ(window.size(), QSize(538, 378));
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("VM89X52 Device Options"));
    QTabWidget* tabs = window.MainPageControl();
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Security"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Identification"));
    EXPECT_EQ(window.OKBitBtn()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(window.OKBitBtn()->isDefault());
    EXPECT_EQ(window.BitBtn2()->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(window.check_list()->text(),
              QStringLiteral("Verify Error List (Only for MPU and Memory)"));

    // A check box is 20 pixels wide per caption character.
    auto* erase = As<QCheckBox>(window.ControlOf(kEraseLock));
    EXPECT_EQ(erase->text(), QStringLiteral("Erase lock"));
    EXPECT_EQ(erase->geometry(), QRect(14, 136, 200, 17));
    EXPECT_TRUE(erase->isChecked());  // the definition's initial state
    EXPECT_FALSE(As<QCheckBox>(window.ControlOf(kLockOtp))->isChecked());

    // Radio items fill the columns one after the other.
    auto* oscillator = As<QGroupBox>(window.ControlOf(kOscillator));
    EXPECT_EQ(oscillator->title(), QStringLiteral("Oscillator"));
    const auto items = oscillator->findChildren<QRadioButton*>();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->x(), items[1]->x());
    EXPECT_GT(items[1]->y(), items[0]->y());
    EXPECT_GT(items[2]->x(), items[0]->x());
    EXPECT_EQ(items[2]->y(), items[0]->y());
    EXPECT_TRUE(items[0]->isChecked());

    // A value field: its label with the type's suffix, the edit right after it.
    auto* config = As<QLineEdit>(window.ControlOf(kConfigByte));
    QLabel* label = nullptr;
    for (QLabel* l : config->parentWidget()->findChildren<QLabel*>())
        if (l->buddy() == config) label = l;
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Config Byte [HEX] : "));
    EXPECT_EQ(config->x(), label->x() + label->width() + 4);
    EXPECT_EQ(config->width(), 40);
    EXPECT_EQ(As<QLineEdit>(window.ControlOf(kUserText))->text(), QStringLiteral("None"));
    // Its "Length%d" of 8 cuts only the option words.
    EXPECT_EQ(As<QLineEdit>(window.ControlOf(kUserText))->maxLength(), 16);

    auto* memo = As<QPlainTextEdit>(window.ControlOf(kLockText));
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(Qt::black));
    EXPECT_EQ(memo->palette().color(QPalette::Text), QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(memo->toPlainText().startsWith(QStringLiteral("Lock bits are written after\n")));
}

TEST_F(OptionWindowTest, ValuesSetInOneWindowAreShownByTheNext) {
    {
        const auto pages = Pages();
        TCurrentPageForm window(*pages, &mainWindow);
        window.LoadOptionPages();
        window.show();
        As<QCheckBox>(window.ControlOf(kLockOtp))->click();
        As<QGroupBox>(window.ControlOf(kOscillator))->findChildren<QRadioButton*>()[3]->click();
        auto* config = As<QLineEdit>(window.ControlOf(kConfigByte));
        config->clear();
        Type(config, Qt::Key_F, QStringLiteral("f"));  // goes in as a capital
        Type(config, Qt::Key_G, QStringLiteral("g"));  // not a hex digit
        Type(config, Qt::Key_3, QStringLiteral("3"));
        Type(config, Qt::Key_1, QStringLiteral("1"));  // a third digit is undone
        EXPECT_EQ(config->text(), QStringLiteral("F3"));
        auto* startUp = As<QLineEdit>(window.ControlOf(kStartUp));
        startUp->setText(QStringLiteral("250"));  // above the maximum
        EXPECT_EQ(startUp->text(), QStringLiteral("200"));
        auto* boot = As<QLineEdit>(window.ControlOf(kBootVector));
        boot->setText(QStringLiteral("c0de\n"));  // pasted: the key filter's rules hold too
        EXPECT_EQ(boot->text(), QStringLiteral("C0DE"));
        As<QLineEdit>(window.ControlOf(kUserText))->setText(QStringLiteral("BM-7"));
        window.check_list()->click();

        window.OKBitBtn()->click();
        EXPECT_EQ(window.Result(), 1);
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_EQ(sends, 1);
    EXPECT_EQ(options.VerifyListWanted, 1);
    EXPECT_EQ(options.OptionValuesSaved, 1);
    EXPECT_EQ(Stored("Page0Com3Set"), "1");
    EXPECT_EQ(Stored("Page1Com0Set"), "3");
    EXPECT_EQ(Stored("Page1Com3Set"), "243");
    EXPECT_EQ(Stored("Page1Com4Set"), "200");
    EXPECT_EQ(Stored("Page1Com5Set"), "49374");
    EXPECT_EQ(Stored("Page2Com3Set"), "BM-7");

    const auto pages = Pages();
    TCurrentPageForm again(*pages, &mainWindow);
    again.LoadOptionPages();
    EXPECT_TRUE(As<QCheckBox>(again.ControlOf(kLockOtp))->isChecked());
    EXPECT_TRUE(
        As<QGroupBox>(again.ControlOf(kOscillator))->findChildren<QRadioButton*>()[3]->isChecked());
    EXPECT_EQ(As<QLineEdit>(again.ControlOf(kConfigByte))->text(), QStringLiteral("F3"));
    EXPECT_EQ(As<QLineEdit>(again.ControlOf(kStartUp))->text(), QStringLiteral("200"));
    EXPECT_EQ(As<QLineEdit>(again.ControlOf(kBootVector))->text(), QStringLiteral("C0DE"));
    EXPECT_EQ(As<QLineEdit>(again.ControlOf(kUserText))->text(), QStringLiteral("BM-7"));
    EXPECT_TRUE(again.check_list()->isChecked());
}

TEST_F(OptionWindowTest, AWrongValueKeepsTheWindowOpenOnItsField) {
    const auto pages = Pages();
    TCurrentPageForm window(*pages, &mainWindow);
    window.LoadOptionPages();
    window.show();
    // The sample's start-up delay starts at 0, below its minimum of 10.
    window.OKBitBtn()->click();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Inputted Value is Wrong !\n\n [0]"});
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.Result(), 0);
    EXPECT_EQ(window.MainPageControl()->currentIndex(), 1);
    EXPECT_EQ(Stored("Page0Com3Set"), "<missing>");
    EXPECT_EQ(sends, 0);

    window.BitBtn2()->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Stored("Page0Com3Set"), "<missing>");
}

TEST_F(OptionWindowTest, WhileTheProgrammerWorksTheWindowTakesNoSecondOkOrCancel) {
    Profile(dir.Path() + "temp.ini").WriteString(kOptionStoreSection, "Page1Com4Set", "50");
    const auto pages = Pages();
    TCurrentPageForm window(*pages, &mainWindow);
    window.LoadOptionPages();
    window.show();
    duringSend = [&] {
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(window.OKBitBtn()->isEnabled());
        window.OKBitBtnClick();
        window.reject();
        EXPECT_TRUE(window.isVisible());
    };
    window.OKBitBtn()->click();
    EXPECT_EQ(sends, 1);
    EXPECT_EQ(window.Result(), 1);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(OptionWindowTest, ComesUpOverTheMainWindowOrItsCopyPage) {
    struct Case {
        OptionWindowChoice choice;
        QPoint at;
        int tabs;
    } cases[] = {{OptionWindowChoice::Pages, QPoint(206, 150), 3},
                 {OptionWindowChoice::PagelessOverCopy, QPoint(208, 153), 0},
                 {OptionWindowChoice::PagelessOverMain, QPoint(208, 152), 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.choice));
        const auto pages = Pages(c.choice);
        QPoint seen;
        int tabs = -1;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<TCurrentPageForm*>(QApplication::activeModalWidget());
            if (!window) {
                // Not modal: still close it, so that the test cannot hang.
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* form = qobject_cast<TCurrentPageForm*>(w)) form->BitBtn2Click();
                ADD_FAILURE() << "the option window is not modal";
                return;
            }
            seen = window->pos();
            tabs = window->MainPageControl()->count();
            window->BitBtn2Click();
        });
        EXPECT_EQ(ShowOptionWindow(mainWindow, *pages), 0);
        EXPECT_EQ(seen, c.at);
        EXPECT_EQ(tabs, c.tabs);
        EXPECT_TRUE(mainWindow.findChildren<TCurrentPageForm*>().isEmpty());
    }
}

// The Parameters control of the main window on the sample's memory devices,
// which have no option pages: the window without pages comes up, and its OK
// keeps the verify-list choice without a word to the programmer.
class ParametersControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy(BURNMARK_SAMPLE_DIR, dir.Path(),
                              std::filesystem::copy_options::recursive);
    }
    void TearDown() override { form.reset(); }

    void Start(const char* maker, const char* type, const char* file) {
        Profile history(dir.Path() + "History_1.ini");
        history.WriteString("SelectDlg", "Manufacturer", maker);
        history.WriteString("SelectDlg", "TypeNum", type);
        history.WriteString("SelectDlg", "IcFileName", dir.Path() + "INI\\" + file);
        ApplyEntryRules(dir.Path());
        form = std::make_unique<TMainForm>(dir.Path(),
                                           MainFormPorts{&messages, &sounds, &pump, &sim});
        form->move(120, 80);
        form->show();
        QApplication::processEvents();
    }

    TempDir dir;
    FakeMessages messages;
    testing::FakeSounds sounds;
    testing::FakePump pump;
    testing::SimulatedProgrammer sim;
    std::unique_ptr<TMainForm> form;
};

TEST_F(ParametersControlTest, AMemoryDeviceGetsTheWindowWithoutPages) {
    struct Case {
        const char* maker;
        const char* type;
        const char* file;
    } cases[] = {{"General Type", "27C256", "GENERAL\\27C256.INI"},
                 {"ATMEL", "AT89C51", "ATMEL\\AT89C51.INI"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Start(c.maker, c.type, c.file);
        DeviceOptions& options = form->Core()->Core().Options();
        ASSERT_EQ(form->Core()->Device().Name, c.type);
        ASSERT_EQ(options.VerifyListWanted, 1);
        sim.ClearTrace();

        bool opened = false;
        QPoint at;
        int tabs = -1;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<TCurrentPageForm*>(QApplication::activeModalWidget());
            if (!window) return;
            opened = true;
            at = window->pos();
            tabs = window->MainPageControl()->count();
            window->check_list()->click();
            window->OKBitBtn()->click();
        });
        testing::Click(form->findChild<QWidget*>(QStringLiteral("parameter")));
        QApplication::processEvents();

        EXPECT_TRUE(opened);
        // Their "Menu" is "0": at the main window's Left + 8, Top + 52.
        EXPECT_EQ(at, form->pos() + QPoint(8, 52));
        EXPECT_EQ(tabs, 0);
        EXPECT_EQ(options.VerifyListWanted, 0);
        EXPECT_EQ(options.OptionValuesSaved, 1);
        EXPECT_TRUE(sim.Trace().empty());
        EXPECT_TRUE(messages.shown.empty());
    }
}

}  // namespace
}  // namespace burnmark
