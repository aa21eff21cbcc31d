// The five buffer dialogs as windows: their fields and texts, the address
// field's keys, the mirroring between byte and word fields, the enabling
// rules, and the ways out (OK, Cancel, Esc).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "flow/file_dialogs.h"
#include "flow/range_dialogs.h"
#include "flow/ui/file_dialog_windows.h"
#include "flow/ui/hex_field.h"
#include "flow/ui/range_dialog_windows.h"
#include "platform/profile.h"
#include "platform/settings_report.h"
#include "shell/program_core.h"
#include "shell/start_up.h"
#include "support/fake_ports.h"
#include "support/flow_fakes.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"
#include "widgets/ui/history_combo_box.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;
using namespace burnmark::testing;

void Type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

void PressEscape(QWidget* w) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

class BufferDialogsTest : public ::testing::Test {
protected:
    BufferDialogsTest() {
        fs::copy(BURNMARK_SAMPLE_DIR, dir.Path(), fs::copy_options::recursive);
        ApplyEntryRules(dir.Path());
        state.AppDir = dir.Path();
        core = std::make_unique<ProgramCore>(
            state, CorePorts{sim, messages, sounds, pump, progress, processes});
        // The sample's default device, ATMEL AT89C51: 4 KB of 8-bit data.
        core->RestoreDevice(
            Profile(state.HistoryIniPath()).ReadString("SelectDlg", "IcFileName", ""));
        core->SizeBufferForRestore();
        messages.Clear();
    }

    FlowContext Context() {
        return FlowContext{state.Busy,   core->Device(), core->Options(), core->Buffer(),
                           messages,     core->Sounds(), progress,        pump,
                           processes,    core->Link(),   core->Frame(),   core->Downloads(),
                           core->Fpga(), nullptr,        &core->Sizing(), &core->Page()};
    }
    std::string Key(const char* section, const char* key) const {
        return Profile(state.HistoryIniPath()).ReadString(section, key, "<missing>");
    }
    template <typename T = QWidget>
    static T* Child(QWidget& dialog, const char* name) {
        T* w = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static QString Text(QWidget& dialog, const char* name) {
        return Child<QLineEdit>(dialog, name)->text();
    }
    static bool HasNoTitleButtons(QWidget& dialog) {
        const Qt::WindowFlags f = dialog.windowFlags();
        return !(f & Qt::WindowCloseButtonHint) && !(f & Qt::WindowMinimizeButtonHint) &&
               !(f & Qt::WindowMaximizeButtonHint) && !(f & Qt::WindowSystemMenuHint);
    }

    TempDir dir;
    AppState state;
    SimulatedProgrammer sim;
    FakeMessages messages;
    FakeSounds sounds;
    FakePump pump;
    FakeProgress progress;
    FakeProcesses processes;
    std::unique_ptr<ProgramCore> core;
};

TEST_F(BufferDialogsTest, TheAddressFieldKeepsHexDigitsInUpperCase) {
    HexField field(nullptr);
    Type(&field, QStringLiteral("1g"));
    EXPECT_EQ(field.text(), QStringLiteral("1"));
    field.clear();
    Type(&field, QStringLiteral("abc"));
    EXPECT_EQ(field.text(), QStringLiteral("ABC"));
    field.clear();
    field.insert(QStringLiteral("12345678"));  // a paste
    EXPECT_EQ(field.text(), QStringLiteral("1234567"));
    field.clear();
    field.insert(QStringLiteral("12x45"));
    EXPECT_EQ(field.text(), QStringLiteral("12"));

    HexField byte(nullptr, 2);
    Type(&byte, QStringLiteral("abc"));
    EXPECT_EQ(byte.text(), QStringLiteral("AB"));
}

// Every hex field of the five dialogs: a key that is no hex digit changes
// nothing, a digit goes in where the caret stands and the caret stays behind
// it, a paste keeps its leading digits and no more than the field's room.
TEST_F(BufferDialogsTest, EveryHexFieldTakesKeysAndPastesWhereTheCaretStands) {
    struct Step {
        int caret;
        const char* entry;
        bool paste;
        const char* text;  // afterwards
        int caretAfter;
    };
    struct Width {
        const char* start;  // as the program writes it
        std::vector<Step> steps;
    };
    const std::map<int, Width> widths = {
        {7,
         {"7FFF",
          {{0, " ", false, "7FFF", 0},
           {1, "g", false, "7FFF", 1},
           {1, "ab", false, "7ABFFF", 3},
           {3, "c-d", true, "7ABCFFF", 4},
           {0, "1", false, "7ABCFFF", 0},
           {7, "\b", false, "7ABCFF", 6}}}},
        {4,
         {"7F",
          {{0, " ", false, "7F", 0},
           {1, "ab", false, "7ABF", 3},
           {0, "x1", true, "7ABF", 0},
           {4, "0", false, "7ABF", 4}}}},
        {2, {"F", {{0, "g", false, "F", 0}, {0, "a", false, "AF", 1}, {1, "b", false, "AF", 1}}}},
    };
    BlockDialogLogic block(core->Buffer(), core->Device(), messages);
    FillDialogLogic fill(core->Buffer(), core->Device(), messages);
    SumDialogLogic sum(core->Buffer(), core->Device(), messages);
    LoadDialogLogic load(Context());
    SaveDialogLogic save(Context());
    std::vector<std::unique_ptr<QDialog>> dialogs;
    dialogs.push_back(std::make_unique<TBlockDialog>(nullptr, block));
    dialogs.push_back(std::make_unique<TFillDataDialog>(nullptr, fill));
    dialogs.push_back(std::make_unique<TGetSumDialog>(nullptr, sum));
    dialogs.push_back(std::make_unique<TLoadDlg>(nullptr, load));
    dialogs.push_back(std::make_unique<TLoadSaveDlg>(nullptr, save));
    std::vector<std::string> seen;
    for (const auto& dialog : dialogs) {
        for (HexField* f : dialog->findChildren<HexField*>()) {
            const std::string name =
                dialog->objectName().toStdString() + "." + f->objectName().toStdString();
            SCOPED_TRACE(name);
            seen.push_back(name);
            for (QWidget* w = f; w != dialog.get(); w = w->parentWidget()) w->setEnabled(true);
            ASSERT_EQ(widths.count(f->Digits()), 1u);
            const Width& width = widths.at(f->Digits());
            f->SetText(width.start);
            for (const Step& step : width.steps) {
                SCOPED_TRACE(step.entry);
                f->setCursorPosition(step.caret);
                if (step.paste) {
                    QApplication::clipboard()->setText(QString::fromLatin1(step.entry));
                    f->paste();
                } else if (std::string(step.entry) == "\b") {
                    QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
                    QApplication::sendEvent(f, &press);
                } else {
                    Type(f, QString::fromLatin1(step.entry));
                }
                EXPECT_EQ(f->text(), QString::fromLatin1(step.text));
                EXPECT_EQ(f->cursorPosition(), step.caretAfter);
            }
        }
    }
    EXPECT_EQ(seen.size(), 22u);
}

TEST_F(BufferDialogsTest, BlockDialogFieldsMirrorTheFocusedSideAndFollowTheDestination) {
    BlockDialogLogic logic(core->Buffer(), core->Device(), messages);
    TBlockDialog dialog(nullptr, logic);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Block Process"));
    EXPECT_TRUE(HasNoTitleButtons(dialog));
    EXPECT_EQ(Text(dialog, "StardAddEdit"), QStringLiteral("0000000"));
    EXPECT_EQ(Text(dialog, "EndAddEdit"), QStringLiteral("0000FFF"));
    EXPECT_EQ(Text(dialog, "EndStartAdd16"), QStringLiteral("00007FF"));
    EXPECT_EQ(Child<QLabel>(dialog, "DistSAddLabel")->text(), QStringLiteral("0000FFF"));
    EXPECT_EQ(Child<QPushButton>(dialog, "FillFileRange")->text(), QStringLiteral("File "));
    EXPECT_TRUE(Child<QGroupBox>(dialog, "ActionGroup"));

    auto* byteStart = Child<QLineEdit>(dialog, "StardAddEdit");
    byteStart->clear();
    Type(byteStart, QStringLiteral("100"));
    EXPECT_EQ(Text(dialog, "StartAddEdit16"), QStringLiteral("0000080"));
    auto* wordEnd = Child<QLineEdit>(dialog, "EndStartAdd16");
    wordEnd->clear();
    Type(wordEnd, QStringLiteral("FF"));
    EXPECT_EQ(Text(dialog, "EndAddEdit"), QStringLiteral("00001FE"));
    auto* dest = Child<QLineEdit>(dialog, "DistSAdd8");
    dest->clear();
    Type(dest, QStringLiteral("1000"));
    EXPECT_EQ(Text(dialog, "DistSAdd16"), QStringLiteral("0000800"));
    EXPECT_EQ(Child<QLabel>(dialog, "DistSAddLabel")->text(), QStringLiteral("00010FE"));

    // A range button writes both sides itself: nothing is mirrored over them.
    Child<QPushButton>(dialog, "FillMaxRange")->click();
    EXPECT_EQ(Text(dialog, "EndAddEdit"), QStringLiteral("00103FF"));
    EXPECT_EQ(Text(dialog, "EndStartAdd16"), QStringLiteral("00081FF"));

    // Swap, then OK: the answer, remembered with "OK" 1.
    Child<QGroupBox>(dialog, "ActionGroup")->findChildren<QRadioButton*>()[2]->setChecked(true);
    Child<QLineEdit>(dialog, "EndAddEdit")->setText(QStringLiteral("1FF"));
    Child<QLineEdit>(dialog, "EndStartAdd16")->setText(QStringLiteral("FF"));
    Child<QPushButton>(dialog, "GetSumBtn")->click();
    ASSERT_TRUE(dialog.Answer());
    EXPECT_EQ(dialog.Answer()->Action, 2);
    EXPECT_EQ(dialog.Answer()->DistSAdd, 0x1000u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Key(kBlockSection, "OK"), "1");
}

TEST_F(BufferDialogsTest, EscapeAndCancelLeaveEveryRangeDialogWithOkZero) {
    struct Run {
        const char* section;
        std::function<std::unique_ptr<QDialog>()> make;
        const char* cancel;
    };
    BlockDialogLogic block(core->Buffer(), core->Device(), messages);
    FillDialogLogic fill(core->Buffer(), core->Device(), messages);
    SumDialogLogic sum(core->Buffer(), core->Device(), messages);
    LoadDialogLogic load(Context());
    SaveDialogLogic save(Context());
    const Run runs[] = {
        {kBlockSection, [&] { return std::make_unique<TBlockDialog>(nullptr, block); }, "ExitBtn"},
        {kFillSection, [&] { return std::make_unique<TFillDataDialog>(nullptr, fill); },
         "CancelBtn"},
        {kSumSection, [&] { return std::make_unique<TGetSumDialog>(nullptr, sum); }, "ExitBtn"},
        {"LoadDlg", [&] { return std::make_unique<TLoadDlg>(nullptr, load); }, "BitBtn3"},
        {"SaveDlg", [&] { return std::make_unique<TLoadSaveDlg>(nullptr, save); }, "BitBtn3"},
    };
    for (const Run& r : runs) {
        SCOPED_TRACE(r.section);
        for (int way = 0; way < 3; ++way) {
            Profile(state.HistoryIniPath()).WriteString(r.section, "OK", "1");
            std::unique_ptr<QDialog> dialog = r.make();
            EXPECT_TRUE(HasNoTitleButtons(*dialog));
            dialog->show();
            if (way == 0) PressEscape(dialog.get());
            if (way == 1) Child<QPushButton>(*dialog, r.cancel)->click();
            if (way == 2) dialog->close();  // the window manager's close
            EXPECT_FALSE(dialog->isVisible());
            EXPECT_EQ(dialog->result(), QDialog::Rejected);
            EXPECT_EQ(Key(r.section, "OK"), "0") << way;
        }
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BufferDialogsTest, FillDialogUserValueChoicesEnableTheirFields) {
    FillDialogLogic logic(core->Buffer(), core->Device(), messages);
    TFillDataDialog dialog(nullptr, logic);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Fill Data"));
    EXPECT_EQ(Text(dialog, "UserDefineEdit"), QStringLiteral("FF"));
    EXPECT_EQ(Text(dialog, "UserDefWordEdit"), QStringLiteral("FFFF"));
    auto* fillGroup = Child<QGroupBox>(dialog, "FillDataGroup");
    auto* defSet = Child<QGroupBox>(dialog, "DefSetRadioGroup");
    auto* userByte = Child<QLineEdit>(dialog, "UserDefineEdit");
    auto* userWord = Child<QLineEdit>(dialog, "UserDefWordEdit");
    EXPECT_TRUE(fillGroup->isEnabled());
    EXPECT_FALSE(defSet->isEnabled());

    Child<QCheckBox>(dialog, "UserCheckBox")->setChecked(true);
    EXPECT_FALSE(fillGroup->isEnabled());
    EXPECT_TRUE(defSet->isEnabled());
    EXPECT_TRUE(userByte->isEnabled());
    EXPECT_FALSE(userWord->isEnabled());
    QList<QRadioButton*> widths = defSet->findChildren<QRadioButton*>();
    ASSERT_EQ(widths.size(), 2);
    EXPECT_EQ(widths[1]->text(), QStringLiteral("Word"));
    widths[1]->click();
    EXPECT_FALSE(userByte->isEnabled());
    EXPECT_TRUE(userWord->isEnabled());

    const QList<QRadioButton*> kinds = fillGroup->findChildren<QRadioButton*>();
    ASSERT_EQ(kinds.size(), 5);
    EXPECT_EQ(kinds[4]->text(), QStringLiteral("Sequential Word"));
}

TEST_F(BufferDialogsTest, TheSumDialogOfOptionType1LeavesOnlyIcAndDisablesItWhileAsking) {
    core->Device().FuseTypeDigit = 1;
    SumDialogLogic logic(core->Buffer(), core->Device(), messages);
    TGetSumDialog dialog(nullptr, logic);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Get Check Sum"));
    for (const char* name : {"StardAddEdit", "EndAddEdit", "StartAddEdit16", "EndStartAdd16",
                             "FillMaxRange", "FillFileRange"})
        EXPECT_FALSE(Child(dialog, name)->isEnabled()) << name;
    auto* ic = Child<QPushButton>(dialog, "FillICSizeBB");
    bool enabledMeanwhile = true;
    logic.ProgrammerChecksum = [&] {
        enabledMeanwhile = ic->isEnabled();
        return true;
    };
    ic->click();
    EXPECT_FALSE(enabledMeanwhile);
    EXPECT_TRUE(ic->isEnabled());
}

TEST_F(BufferDialogsTest, LoadDialogFormatRuleAndFileRange) {
    LoadDialogLogic logic(Context());
    const std::string path = dir.Write("data.bin", std::string(0x300, 'd'));
    QString browsed = QString::fromStdString(path);
    TLoadDlg dialog(nullptr, logic, [&](QWidget*, const QString&) { return browsed; });
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Load File"));
    auto* start = Child<QLineEdit>(dialog, "SourceSAdd");
    auto* end = Child<QLineEdit>(dialog, "SourceEAdd");
    auto* dest = Child<QLineEdit>(dialog, "DistSAdd");
    auto* fill = Child<QCheckBox>(dialog, "UnuserFillCheck");
    const QList<QRadioButton*> formats =
        Child<QGroupBox>(dialog, "FormatGroup")->findChildren<QRadioButton*>();
    ASSERT_EQ(formats.size(), 7);
    EXPECT_EQ(formats[4]->text(), QStringLiteral("Intel  HEX"));
    // Nothing remembered: the form's defaults, every field open to entries.
    EXPECT_TRUE(formats[0]->isChecked());
    for (QLineEdit* f : {start, end, dest}) EXPECT_TRUE(f->isEnabled());
    EXPECT_EQ(start->text(), QStringLiteral("0000000"));
    EXPECT_EQ(end->text(), QStringLiteral("0000000"));
    EXPECT_EQ(dest->text(), QStringLiteral("00000000"));
    EXPECT_EQ(Text(dialog, "UserFill"), QStringLiteral("FF"));
    EXPECT_TRUE(fill->isChecked());

    formats[0]->click();  // "Auto Detect" takes the range from the file
    for (QLineEdit* f : {start, end, dest}) EXPECT_FALSE(f->isEnabled());
    formats[3]->click();  // binary
    for (QLineEdit* f : {start, end, dest}) EXPECT_TRUE(f->isEnabled());
    fill->setChecked(false);
    formats[4]->click();  // Intel ticks the fill
    EXPECT_TRUE(fill->isChecked());
    formats[0]->click();
    EXPECT_FALSE(start->isEnabled());

    Child<QPushButton>(dialog, "BitBtn1")->click();
    EXPECT_EQ(Child<QComboBox>(dialog, "NameEdit")->currentText(), browsed);
    EXPECT_EQ(start->text(), QStringLiteral("000000"));
    EXPECT_EQ(end->text(), QStringLiteral("00002FF"));

    // A typed name of no file: the end of nothing, and Load says so.
    Child<QComboBox>(dialog, "NameEdit")->setEditText(QString::fromStdString(dir.Path() + "no"));
    EXPECT_EQ(end->text(), QStringLiteral("FFFFFFF"));
    Child<QPushButton>(dialog, "BitBtn2")->click();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Not Found File ! "});
    EXPECT_FALSE(dialog.Answer());
}

// Tab into the format group lands on the ticked format, from either side.
TEST_F(BufferDialogsTest, TabIntoTheLoadFormatsLandsOnTheTickedOne) {
    const std::string hex = dir.Write("a.hex", ":0400000001020304F2\r\n:00000001FF\r\n");
    Profile(state.HistoryIniPath()).WriteString("LoadDlg", "Name", hex);
    LoadDialogLogic logic(Context());
    TLoadDlg dialog(nullptr, logic);
    dialog.show();
    const QList<QRadioButton*> formats =
        Child<QGroupBox>(dialog, "FormatGroup")->findChildren<QRadioButton*>();
    ASSERT_TRUE(formats[4]->isChecked());  // detected: Intel
    struct Case {
        const char* from;
        Qt::Key key;
    } cases[] = {{"BitBtn1", Qt::Key_Tab}, {"SourceSAdd", Qt::Key_Backtab}};
    for (int tick : {4, 3}) {
        formats[tick]->click();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.from);
            QWidget* from = Child(dialog, c.from);
            from->setFocus(Qt::OtherFocusReason);
            ASSERT_EQ(dialog.focusWidget(), from);
            QKeyEvent press(QEvent::KeyPress, c.key,
                            c.key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
            QApplication::sendEvent(from, &press);
            EXPECT_EQ(dialog.focusWidget(), formats[tick]) << tick;
        }
    }
}

// The name goes on top of the history as the dialog closes; a history file
// that cannot be written is told, and the load or save goes on all the same.
TEST_F(BufferDialogsTest, ANameHistoryThatCannotBeWrittenIsTold) {
    LoadDialogLogic load(Context());
    SaveDialogLogic save(Context());
    const std::string data = dir.Write("data.bin", std::string(0x100, 'd'));
    struct Run {
        const char* name;
        std::function<std::unique_ptr<QDialog>()> make;
        std::string file;
    };
    const Run runs[] = {
        {"load", [&] { return std::make_unique<TLoadDlg>(nullptr, load); }, data},
        {"save", [&] { return std::make_unique<TLoadSaveDlg>(nullptr, save); },
         dir.Path() + "out.bin"},
    };
    for (const Run& r : runs) {
        SCOPED_TRACE(r.name);
        messages.Clear();
        std::unique_ptr<QDialog> dialog = r.make();
        auto* box = Child<THistoryComboBox>(*dialog, "NameEdit");
        const std::string history = box->IniPath();
        Profile(history).WriteString(box->IniSection(), "H0", "older.bin");
        ASSERT_EQ(::chmod(history.c_str(), 0444), 0);
        box->setEditText(QString::fromStdString(r.file));
        Child<QPushButton>(*dialog, "BitBtn2")->click();
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, SettingsWriteFailText(history));
        EXPECT_EQ(messages.shown[0].title, kSettingsWriteFailTitle);
        EXPECT_EQ(Profile(history).ReadString(box->IniSection(), "H0", ""), "older.bin");
        ::chmod(history.c_str(), 0644);
    }
}

TEST_F(BufferDialogsTest, SaveDialogOpensOnTheIcRangeAndStaysOpenWhenReplacingIsCancelled) {
    SaveDialogLogic logic(Context());
    TLoadSaveDlg dialog(nullptr, logic);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Save File"));
    EXPECT_EQ(Child<QComboBox>(dialog, "NameEdit")->currentText(), QString());
    EXPECT_EQ(Text(dialog, "SourceSAdd"), QStringLiteral("000000"));
    EXPECT_EQ(Text(dialog, "SourceEAdd"), QStringLiteral("0000FFF"));
    EXPECT_EQ(Child<QPushButton>(dialog, "FillMaxBtn")->toolTip(),
              QStringLiteral("Fill Max Range.."));

    const std::string existing = dir.Write("old.bin", "old");
    Child<QComboBox>(dialog, "NameEdit")->setEditText(QString::fromStdString(existing));
    dialog.show();
    messages.answers.push_back(MsgAnswer::Cancel);
    Child<QPushButton>(dialog, "BitBtn2")->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.Answer());
    EXPECT_EQ(dir.Read("old.bin"), "old");

    Child<QPushButton>(dialog, "FillFileBtn")->click();
    EXPECT_EQ(Text(dialog, "SourceEAdd"), QStringLiteral("0000002"));
    messages.answers.push_back(MsgAnswer::Ok);
    Child<QPushButton>(dialog, "BitBtn2")->click();
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(dialog.Answer());
    EXPECT_EQ(dialog.Answer()->SourceEAdd, 2);

    // The next save dialog offers the saved name first; the load dialog keeps its own list.
    TLoadSaveDlg next(nullptr, logic);
    auto* names = Child<QComboBox>(next, "NameEdit");
    ASSERT_GE(names->count(), 1);
    EXPECT_EQ(names->itemText(0), QString::fromStdString(existing));
    LoadDialogLogic loadLogic(Context());
    TLoadDlg load(nullptr, loadLogic);
    for (int i = 0; i < Child<QComboBox>(load, "NameEdit")->count(); ++i)
        EXPECT_NE(Child<QComboBox>(load, "NameEdit")->itemText(i), QString::fromStdString(existing));
}

}  // namespace
}  // namespace burnmark
