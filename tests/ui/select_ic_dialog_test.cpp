// The device selection dialog on the screen: its frame and controls showing
// the selection's state, choosing with the mouse and the keyboard, the
// history box that takes no keys, the maker picture at any device pixel
// ratio, and the Type step, the Create page's Type and the second Run picture
// that show it over the Copy page.
#include "catalogue/ui/select_ic_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
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
#include "shell/ui/main_form.h"
#include "shell/utility_runs.h"
#include "support/fake_ports.h"
#include "widgets/ui/aled.h"
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

class RecordingOpener : public WebOpener {
public:
    bool OpenUrl(const std::string& address) override {
        opened.push_back(address);
        return true;
    }
    std::vector<std::string> opened;
};


void ClickRow(QListWidget* list, const QString& text, bool twice = false) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    const QPoint at = list->visualItemRect(found[0]).center();
    Click(list->viewport(), at);
    if (twice) {
        SendMouse(list->viewport(), QEvent::MouseButtonDblClick, at);
        SendMouse(list->viewport(), QEvent::MouseButtonRelease, at);
    }
}

void Key(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

void Type(QWidget* w, const QString& text) {
    for (QChar c : text) Key(w, c.toUpper().unicode(), QString(c));
}

QStringList Rows(QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
    return rows;
}

class SelectDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(BURNMARK_SAMPLE_DIR, dir_.Path(), fs::copy_options::recursive);
        ApplyEntryRules(dir_.Path());
        form_ = std::make_unique<TMainForm>(dir_.Path(),
                                            MainFormPorts{&messages_, &sounds_, &pump_, &sim_});
        dialog_ = std::make_unique<TSelectICDialog>(Selection(), form_.get(), &opener_);
        form_->Core()->SetSelectICDialog(dialog_.get());
        form_->show();
        QApplication::processEvents();
        // Opened once: the lists keep what that showing filled them with.
        dialog_->show();
        QApplication::processEvents();
        dialog_->hide();
        messages_.Clear();
    }
    void TearDown() override {
        form_->Core()->SetSelectICDialog(nullptr);
        dialog_.reset();
        form_.reset();
    }

    DeviceSelection& Selection() { return form_->Core()->Core().Selection(); }
    Profile History() const { return Profile(dir_.Path() + "History_1.ini"); }

    template <typename T = QWidget>
    T* Child(const char* name) const {
        T* w = dialog_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Text(const char* label) const { return Child<QLabel>(label)->text(); }

    TempDir dir_;
    FakeMessages messages_;
    FakeSounds sounds_;
    FakePump pump_;
    SimulatedProgrammer sim_;
    RecordingOpener opener_;
    std::unique_ptr<TMainForm> form_;
    std::unique_ptr<TSelectICDialog> dialog_;
};

TEST_F(SelectDialogTest, ShowsTheSelectionInAFramelessWindowOfItsSize) {
    EXPECT_TRUE(dialog_->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(dialog_->size(), QSize(534, 378));
    EXPECT_TRUE(dialog_->isModal());
    EXPECT_EQ(dialog_->parentWidget(), form_.get());

    auto* makers = Child<QListWidget>("MaunListBox");
    auto* types = Child<QListWidget>("NumListBox");
    EXPECT_EQ(Rows(makers),
              (QStringList{"ATMEL", "First Setup", "General Type", "NORTHCHIP", "VALEMICRO"}));
    EXPECT_EQ(makers->currentItem()->text(), "General Type");
    EXPECT_EQ(Rows(types), (QStringList{"27C1024", "27C256", "29F040"}));
    EXPECT_EQ(types->currentRow(), 0);
    EXPECT_EQ(Child<QLineEdit>("ManuEdit")->text(), "General Type");
    EXPECT_EQ(Child<QLineEdit>("IcTypeEdit")->text(), "27C1024");
    EXPECT_EQ(Text("PinLabel"), "PIN : 40");
    EXPECT_EQ(Text("SizeLabel"), "SIZE : 64K x 16 ");
    EXPECT_EQ(Text("VCCLabel"), "VCC = 5.0 V");
    EXPECT_EQ(Text("VCPLabel"), "VCCP = 6.2 V");
    EXPECT_EQ(Text("VPPLabel"), "VPP = 12.7 V");
    EXPECT_TRUE(Text("NoteLabel").startsWith("Note : Word-wide part"));
    EXPECT_EQ(Child<QComboBox>("HistCBox")->currentText(), "None");
    EXPECT_FALSE(Child<QPushButton>("ConnetWEBBitBtn")->isEnabled());
    EXPECT_TRUE(Child<MakerPictureBox>("Image1")->HasPicture());
    for (const char* group : {"TypeGroup", "RadioGroup1"}) {
        EXPECT_TRUE(Child(group)->isHidden()) << group;
        EXPECT_FALSE(Child(group)->isEnabled()) << group;
    }
}

TEST_F(SelectDialogTest, MadeAtStartUpItReadsTheCatalogueOnlyWhenShown) {
    // A catalogue that will not be read until the dialog shows: made, the
    // dialog has read none of it.
    std::string select = dir_.Read("Select.ini");
    select.replace(select.find("Value=5"), 7, "Value=6\r\n0006=LATECO");
    dir_.Write("Select.ini", select + "\r\n[LATECO]\r\nValue=1\r\n0001=L1\r\nL1=X\\L1.INI\r\n");
    TMainForm form(dir_.Path(), MainFormPorts{&messages_, &sounds_, &pump_, &sim_});
    TSelectICDialog dialog(form.Core()->Core().Selection(), &form);
    auto* makers = dialog.findChild<QListWidget*>(QStringLiteral("MaunListBox"));
    EXPECT_EQ(makers->count(), 0);
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(Rows(makers), (QStringList{"ATMEL", "First Setup", "General Type", "LATECO",
                                         "NORTHCHIP", "VALEMICRO"}));
    EXPECT_EQ(makers->currentItem()->text(), "General Type");
    dialog.hide();
}

TEST_F(SelectDialogTest, TheMouseChoosesAndADoubleClickTakesTheType) {
    auto* makers = Child<QListWidget>("MaunListBox");
    auto* types = Child<QListWidget>("NumListBox");
    auto* picture = Child<MakerPictureBox>("Image1");
    const QString before = picture->PicturePath();
    ClickRow(makers, "VALEMICRO");
    EXPECT_EQ(Rows(types), (QStringList{"VM87X54", "VM89E58", "VM89X52"}));
    EXPECT_EQ(Child<QLineEdit>("ManuEdit")->text(), "VALEMICRO");
    EXPECT_EQ(Child<QLineEdit>("IcTypeEdit")->text(), "VM87X54");
    auto* web = Child<QPushButton>("ConnetWEBBitBtn");
    EXPECT_TRUE(web->isEnabled());
    EXPECT_EQ(web->toolTip(), "VALEMICRO.url");
    EXPECT_NE(picture->PicturePath(), before);
    Click(web, web->rect().center());
    EXPECT_EQ(opener_.opened,
              std::vector<std::string>{"https://www.example.com/valemicro/devices"});

    dialog_->show();
    ClickRow(types, "VM89E58", true);
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(History().ReadString("SelectDlg", "TypeNum", ""), "VM89E58");
    EXPECT_EQ(form_->Core()->Device().TypeNum, "VM89E58");
}

TEST_F(SelectDialogTest, TheKeyboardTypesAChoiceAndEscapeCancels) {
    dialog_->show();
    auto* edit = Child<QLineEdit>("IcTypeEdit");
    edit->setFocus();
    edit->selectAll();
    Type(edit, "29");
    EXPECT_EQ(edit->text(), "29");  // the operator's text stays while typing
    EXPECT_EQ(Child<QListWidget>("NumListBox")->currentItem()->text(), "29F040");
    EXPECT_EQ(Text("SizeLabel"), "SIZE : 512K x 8 ");
    Key(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), "29F040");
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(History().ReadString("SelectDlg", "TypeNum", ""), "29F040");

    dialog_->show();
    auto* makers = Child<QListWidget>("MaunListBox");
    makers->setFocus();
    Key(makers, Qt::Key_Up);  // General Type -> First Setup
    EXPECT_EQ(Selection().Manufacturer(), "First Setup");
    Key(makers, Qt::Key_Escape);
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
    EXPECT_EQ(form_->Core()->Device().Cancelled, 1u);
    EXPECT_EQ(History().ReadString("SelectDlg", "OK", ""), "0");
    EXPECT_EQ(History().ReadString("SelectDlg", "Manufacturer", ""), "General Type");
}

TEST_F(SelectDialogTest, TheHistoryBoxTakesNoKeys) {
    dir_.Write("SelIcHst.ini",
               "[HISTORY]\r\n1=ATMEL_IC_AT89C51\r\n2=NORTHCHIP_IC_NC16L8\r\n"
               "Last=ATMEL_IC_AT89C51\r\n");
    Selection().FillHistoryList();
    auto* box = Child<QComboBox>("HistCBox");
    EXPECT_EQ(box->currentText(), "ATMEL_IC_AT89C51");
    for (int key : {Qt::Key_Down, Qt::Key_End, Qt::Key_N})
        Key(box, key, key == Qt::Key_N ? QStringLiteral("N") : QString());
    EXPECT_EQ(box->currentText(), "ATMEL_IC_AT89C51");
    EXPECT_EQ(Selection().Manufacturer(), "General Type");
    // The mouse's choice selects the entry.
    emit box->activated(1);
    EXPECT_EQ(Selection().Manufacturer(), "NORTHCHIP");
    EXPECT_EQ(Child<QListWidget>("NumListBox")->currentItem()->text(), "NC16L8");
    EXPECT_EQ(Text("SizeLabel"), "FUSE : 2048  ");
}

TEST_F(SelectDialogTest, ThePictureIsDrawnFromItsFileInDevicePixels) {
    auto* picture = Child<MakerPictureBox>("Image1");
    const QPixmap source(picture->PicturePath());
    ASSERT_FALSE(source.isNull());
    const QSize box = picture->size();
    for (qreal ratio : {1.0, 1.5, 2.0, 3.0}) {
        const QSize device = (QSizeF(box) * ratio).toSize();
        QImage shot(device, QImage::Format_ARGB32_Premultiplied);
        shot.setDevicePixelRatio(ratio);
        shot.fill(Qt::white);
        {
            QPainter painter(&shot);
            PaintMakerPicture(painter, source, QRect(QPoint(0, 0), box));
        }
        // Every device pixel comes from the file, not from a picture drawn at
        // the logical size and enlarged.
        const QImage expected = source.toImage()
                                    .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                    .scaled(device, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const QPoint offset((device.width() - expected.width()) / 2,
                            (device.height() - expected.height()) / 2);
        int differing = 0;
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x) {
                const QColor a = shot.pixelColor(x + offset.x(), y + offset.y());
                const QColor b = expected.pixelColor(x, y);
                if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                        std::abs(a.blue() - b.blue()) >
                    6)
                    ++differing;
            }
        EXPECT_EQ(differing, 0) << ratio;
    }
}

TEST_F(SelectDialogTest, TheHiddenTotalCountsEveryType) {
    auto* picture = Child<MakerPictureBox>("Image1");
    const QPoint at = picture->rect().center();
    SendMouse(picture, QEvent::MouseButtonDblClick, at, Qt::AltModifier);
    EXPECT_TRUE(messages_.shown.empty());
    SendMouse(picture, QEvent::MouseButtonDblClick, at, Qt::AltModifier | Qt::ControlModifier);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"9"});
    EXPECT_EQ(Selection().Manufacturer(), "General Type");
}

TEST_F(SelectDialogTest, TheTypeStepShowsTheDialogOverTheCopyPage) {
    auto* copyPanel = form_->findChild<QWidget*>(QStringLiteral("Copy_Panel"));
    QPoint shownAt;
    bool modal = false;
    QTimer::singleShot(0, dialog_.get(), [&] {
        shownAt = dialog_->pos();
        modal = QApplication::activeModalWidget() == dialog_.get();
        ClickRow(Child<QListWidget>("MaunListBox"), "NORTHCHIP");
        auto* ok = Child<QPushButton>("OKBtn");
        Click(ok, ok->rect().center());
    });
    auto* typeStep = form_->findChild<ImageControl*>(
        QString::fromStdString(StepImageName(CopyStep::Type, StepImage::Ready)));
    ASSERT_NE(typeStep, nullptr);
    Click(typeStep, typeStep->rect().center());

    EXPECT_EQ(shownAt, copyPanel->mapToGlobal(QPoint(0, 1)));
    EXPECT_TRUE(modal);
    auto* selected = form_->findChild<QListWidget*>(QStringLiteral("SelectedType"));
    EXPECT_EQ(selected->item(0)->text(), "NORTHCHIP");
    EXPECT_EQ(selected->item(1)->text(), "NC16L8");
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{form_->Core()->Device().InfoText});
    EXPECT_NE(form_->Core()->FuseEditor(), nullptr);
    EXPECT_TRUE(form_->Core()->Fuses().HasBlock());
    EXPECT_FALSE(form_->Busy());
}

TEST_F(SelectDialogTest, TheCreatePagesTypeAndTheSecondRunChooseOverTheCopyPage) {
    auto* copyPanel = form_->findChild<QWidget*>(QStringLiteral("Copy_Panel"));
    auto* selected = form_->findChild<QListWidget*>(QStringLiteral("SelectedType"));
    auto* readLamp = form_->findChild<TALed*>(QStringLiteral("ReadALed"));
    ASSERT_NE(readLamp, nullptr);
    struct Case {
        const char* name;
        std::function<void()> click;
        const char* maker;
        bool lampsWalk;
    };
    const std::vector<Case> cases = {
        {"the CreateType picture",
         [&] { Click(form_->findChild<QWidget*>(QStringLiteral("CreateType_Stack"))); },
         "NORTHCHIP", false},
        // Its panel is disabled and out of view: the handler itself.
        {"the second Run picture", [&] { form_->Seams().Run2Click(); }, "General Type", true},
    };
    auto lampColour = [readLamp] {
        return readLamp->Value() ? readLamp->TrueColor() : readLamp->FalseColor();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPoint shownAt;
        bool lampLit = false;
        pump_.onProcess = [&] { lampLit |= lampColour() == kLampWorking; };
        QTimer::singleShot(0, dialog_.get(), [&] {
            shownAt = dialog_->pos();
            ClickRow(Child<QListWidget>("MaunListBox"), QString::fromLatin1(c.maker));
            auto* ok = Child<QPushButton>("OKBtn");
            Click(ok, ok->rect().center());
        });
        c.click();
        EXPECT_EQ(shownAt, copyPanel->mapToGlobal(QPoint(0, 1)));
        EXPECT_EQ(selected->item(0)->text(), QString::fromLatin1(c.maker));
        EXPECT_EQ(form_->Core()->Device().Manufacturer, c.maker);
        EXPECT_EQ(lampLit, c.lampsWalk);
        EXPECT_EQ(lampColour(), kLampIdle);
        EXPECT_FALSE(form_->Busy());
    }
    pump_.onProcess = nullptr;
}

TEST_F(SelectDialogTest, TheDialogStaysModalWhileTheProgrammerWorks) {
    // The option-type-1 set-up pumps the window's events before its download.
    int pumps = 0;
    bool modalThroughout = true;
    bool busyThroughout = true;
    pump_.onProcess = [&] {
        ++pumps;
        modalThroughout &= QApplication::activeModalWidget() == dialog_.get();
        busyThroughout &= form_->Busy();
    };
    QTimer::singleShot(0, dialog_.get(), [&] {
        ClickRow(Child<QListWidget>("MaunListBox"), "VALEMICRO");
        ClickRow(Child<QListWidget>("NumListBox"), "VM89X52", true);
    });
    dialog_->ShowModalAt(QPoint(10, 10));
    pump_.onProcess = nullptr;
    EXPECT_GT(pumps, 0);
    EXPECT_TRUE(modalThroughout);
    EXPECT_TRUE(busyThroughout);
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_FALSE(sim_.Executions().empty());
}

}  // namespace
}  // namespace burnmark
