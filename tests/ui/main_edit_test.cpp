// The buffer editor on the screen: its pages, grids and popup menu, keys and
// clicks into the grids, the scroll bars, the busy state, and its place in the
// main window's Edit area: the Edit step, the way back, the area's commands
// and the wheel routed to it.
#include "buffer/ui/main_edit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "buffer/ui/editor_grid.h"
#include "buffer/ui/progress_window.h"
#include "operations/copy_page_model.h"
#include "platform/profile.h"
#include "platform/settings_report.h"
#include "shell/start_up.h"
#include "shell/ui/app_composition.h"
#include "shell/ui/main_form.h"
#include "support/fake_ports.h"
#include "support/flow_fakes.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeMessages;
using testing::FakeProgress;
using testing::FakePump;
using testing::FakeSounds;
using testing::SimulatedProgrammer;
using testing::TempDir;
using Bytes = std::vector<uint8_t>;

void Key(QWidget* target, int key, const QString& text = {},
         Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
}

void Type(QWidget* target, const QString& text) {
    for (QChar c : text) Key(target, 0, QString(c));
}

void Press(QWidget* target, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(target->mapToGlobal(at)),
                      button, button, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

QStringList Captions(const QMenu* menu) {
    QStringList captions;
    for (const QAction* item : menu->actions())
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    return captions;
}

class MainEditTest : public ::testing::Test {
protected:
    MainEditTest() { editor.show(); }

    template <typename T = QWidget>
    T* Child(const char* name) const {
        T* w = editor.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    EditorGridWidget* Grid(const char* name) const { return Child<EditorGridWidget>(name); }
    Bytes Read(uint32_t at, std::size_t n) {
        BufferLock lock = buffer.GetBufferHandle();
        return Bytes(lock.data() + at, lock.data() + at + n);
    }
    void Counting() {
        BufferLock lock = buffer.GetBufferHandle();
        for (std::size_t i = 0; i < lock.size(); ++i) lock[i] = static_cast<uint8_t>(i);
        lock.MarkChanged();
    }

    TempDir dir;
    FakeMessages messages;
    FakeProgress progress;
    DataBuffer buffer{messages, progress, dir.Path() + "History_1.ini"};
    TMainEdit editor{buffer, messages};
};

TEST_F(MainEditTest, PagesGridsAndThePopupMenu) {
    auto* pages = Child<QTabWidget>("MainEditPage");
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), "8 Bits");
    EXPECT_EQ(pages->tabText(1), "16 Bits");
    EXPECT_EQ(pages->tabText(2), "Buffer Information");
    EXPECT_EQ(editor.size(), QSize(526, 305));
    for (const char* name : {"AddressGB8bit", "HexCodeSG8bit", "ASCIICode8bitSG", "AddressSG16Bit",
                             "HexCodeSG16Bit", "ASCIICode16BisSG"})
        EXPECT_NE(Grid(name), nullptr);
    EXPECT_TRUE(Child("Panel1")->isHidden());

    const QMenu* popup = editor.PopupMenu();
    EXPECT_EQ(Captions(popup), (QStringList{"Action", "Data Set"}));
    EXPECT_EQ(Captions(Child<QMenu>("Action")),
              (QStringList{"Load", "Save", "-", "Sum", "Fill", "Block", "-", "Resize", "Search",
                           "Search Next"}));
    const auto* dataSet = Child<QMenu>("DataSet");
    EXPECT_EQ(Captions(dataSet), (QStringList{"All", "Even", "Odd", "Swap Byte"}));
    EXPECT_EQ(dataSet->defaultAction(), Child<QAction>("All"));
    EXPECT_FALSE(Child<QAction>("All")->isEnabled());

    // A right click on a grid opens it.
    Press(Grid("HexCodeSG8bit"), {30, 40}, Qt::RightButton);
    QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(30, 40),
                              Grid("HexCodeSG8bit")->mapToGlobal(QPoint(30, 40)));
    QApplication::sendEvent(Grid("HexCodeSG8bit"), &context);
    EXPECT_TRUE(popup->isVisible());
    editor.PopupMenu()->hide();
}

TEST_F(MainEditTest, MenuItemsRunTheirHooksOnce) {
    std::map<std::string, int> runs;
    auto count = [&](const char* name) { return [&runs, name] { ++runs[name]; }; };
    // Without hooks the items do nothing.
    for (const char* name :
         {"LoadFile", "SaveFile", "GetSum", "FillData", "Block", "Resize", "Search", "SearchNext"})
        Child<QAction>(name)->trigger();
    editor.SetHooks(MainEditHooks{count("LoadFile"), count("SaveFile"), count("GetSum"),
                                  count("FillData"), count("Block"), count("Search"),
                                  count("SearchNext")});
    for (const char* name :
         {"LoadFile", "SaveFile", "GetSum", "FillData", "Block", "Resize", "Search", "SearchNext"})
        Child<QAction>(name)->trigger();
    EXPECT_EQ(runs, (std::map<std::string, int>{{"Block", 1},
                                                {"FillData", 1},
                                                {"GetSum", 1},
                                                {"LoadFile", 1},
                                                {"SaveFile", 1},
                                                {"Search", 1},
                                                {"SearchNext", 1}}));
    // The Edit area's commands run the same items.
    editor.GetSumClick();
    editor.SearchNextClick();
    EXPECT_EQ(runs["GetSum"], 2);
    EXPECT_EQ(runs["SearchNext"], 2);
    EXPECT_EQ(buffer.ReturnDataMode(), DataMode::All);
}

TEST_F(MainEditTest, DataSetItemsRearrangeTheBufferAndTheGridsShowIt) {
    Counting();
    Child<QAction>("SwapByte")->trigger();
    EXPECT_EQ(buffer.ReturnDataMode(), DataMode::SwapByte);
    EXPECT_EQ(Read(0, 4), (Bytes{1, 0, 3, 2}));
    EXPECT_EQ(editor.View().CellText(EditorPage::Bits8, GridCell{EditorGrid::Hex, 0, 0}), "01");
    Child<QAction>("Even")->trigger();
    EXPECT_EQ(buffer.ReturnDataMode(), DataMode::Even);
    EXPECT_EQ(Read(0, 3), (Bytes{1, 3, 5}));
    Child<QAction>("Odd")->trigger();
    EXPECT_EQ(buffer.ReturnDataMode(), DataMode::Odd);
    EXPECT_EQ(Read(0, 2), (Bytes{3, 7}));
}

TEST_F(MainEditTest, KeysAndClicksEditThroughTheGrids) {
    EditorGridWidget* hex = Grid("HexCodeSG8bit");
    // A click on row 2, column 3.
    const QPoint cell = hex->CellRect(2, 3).center();
    Press(hex, cell);
    EXPECT_EQ(editor.View().Cursor(EditorPage::Bits8), (GridCell{EditorGrid::Hex, 2, 3}));
    Type(hex, "4");
    EXPECT_EQ(editor.View().PendingDigits(), "4");
    Type(hex, "1");
    EXPECT_EQ(Read(0x23, 1), Bytes{0x41});
    EXPECT_TRUE(buffer.Modified());
    Key(hex, Qt::Key_Right);
    Key(hex, Qt::Key_Down);
    Type(hex, "7");
    Key(hex, Qt::Key_Escape);  // a half-typed cell is dropped
    Type(hex, "5a");
    EXPECT_EQ(Read(0x35, 1), Bytes{0x5A});

    EditorGridWidget* chars = Grid("ASCIICode8bitSG");
    Press(chars, chars->CellRect(0, 0).center());
    Type(chars, "Hi");
    EXPECT_EQ(Read(0, 2), (Bytes{'H', 'i'}));

    editor.SetActivePage(EditorPage::Bits16);
    EditorGridWidget* words = Grid("HexCodeSG16Bit");
    Press(words, words->CellRect(1, 7).center());
    Type(words, "ABCD");
    EXPECT_EQ(Read(0x1E, 2), (Bytes{0xCD, 0xAB}));
    EXPECT_EQ(editor.View().Cursor(EditorPage::Bits16), (GridCell{EditorGrid::Hex, 2, 0}));

    // The address grid moves the view.
    EditorGridWidget* address = Grid("AddressSG16Bit");
    Press(address, address->CellRect(0, 4).center());
    Type(address, "1");
    EXPECT_EQ(editor.View().TopRow(), 0x20u);  // word 0x100 is byte 0x200
    Key(address, Qt::Key_PageDown);
    EXPECT_EQ(editor.View().TopRow(), 0x20u + 15);
    Key(address, Qt::Key_End, {}, Qt::ControlModifier);
    EXPECT_EQ(editor.View().TopRow(), editor.View().MaxTopRow());
}

TEST_F(MainEditTest, ScrollBarsFollowTheViewAndMoveIt) {
    ASSERT_TRUE(buffer.SetBufferSize(64u << 20));
    auto* bar8 = Child<QScrollBar>("Edit8BitScrollBar");
    auto* bar16 = Child<QScrollBar>("Edit16BitScrollBar");
    const auto last = static_cast<int>(editor.View().MaxTopRow());
    EXPECT_EQ(last, static_cast<int>(((64u << 20) + 1024) / 16 - 16));
    EXPECT_EQ(bar8->maximum(), last);
    EXPECT_EQ(bar16->maximum(), last);

    bar8->setValue(last - 3);  // the thumb
    EXPECT_EQ(editor.View().TopRow(), static_cast<uint64_t>(last - 3));
    EXPECT_EQ(bar16->value(), last - 3);
    bar16->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(editor.View().TopRow(), static_cast<uint64_t>(last));
    editor.View().ScrollTo(10);
    EXPECT_EQ(bar8->value(), 10);
    bar8->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(editor.View().TopRow(), 9u);

    // A resize starts again from the top and the bars take the new length.
    ASSERT_TRUE(buffer.SetBufferSize(0x10000));
    EXPECT_EQ(bar8->value(), 0);
    EXPECT_EQ(bar8->maximum(), 0x1040 - 16);
}

TEST_F(MainEditTest, DisabledForABusyProgramItTakesNoKeys) {
    QWidget area;
    editor.setParent(&area);
    area.show();
    EditorGridWidget* hex = Grid("HexCodeSG8bit");
    Type(hex, "4");
    area.setEnabled(false);
    EXPECT_TRUE(editor.View().ReadOnly());
    EXPECT_TRUE(editor.View().PendingDigits().empty());
    Type(hex, "12");
    EXPECT_EQ(Read(0, 1), Bytes{0xFF});
    EXPECT_FALSE(buffer.Modified());
    area.setEnabled(true);
    EXPECT_FALSE(editor.View().ReadOnly());
    Type(hex, "12");
    EXPECT_EQ(Read(0, 1), Bytes{0x12});
    editor.setParent(nullptr);
}

TEST_F(MainEditTest, TheInformationPageReadsItsTextsWhenShown) {
    Profile history(buffer.HistoryIniPath());
    history.WriteString("LoadDlg", "Name", "/data/rom.s19");
    history.WriteString("LoadDlg", "Format", "5");
    buffer.SetLoadedStart(0x10);
    buffer.SetLoadedEnd(0x20);
    ASSERT_TRUE(buffer.GetSum(0x10, 0x1F, 0));
    editor.SetActivePage(EditorPage::Info);
    EXPECT_EQ(Child<QLabel>("LastLoadFileNameLabel")->text(), "/data/rom.s19");
    EXPECT_EQ(Child<QLabel>("FileFormatLabel")->text(), "Motorola HEX");
    EXPECT_EQ(Child<QLabel>("StartAddLabel")->text(), "0000010");
    EXPECT_EQ(Child<QLabel>("EndAddressLabel")->text(), "000001F");
    EXPECT_EQ(Child<QLabel>("BufSizeLabel")->text(), "0002000");
    EXPECT_EQ(Child<QLabel>("CheckSumLabel")->text(), "Check Sum : 00000FF0 H");
    EXPECT_EQ(Child<QLabel>("SumSaddLabel")->text(), "Get Sum Range : 0000010H <---> 000001FH");
    // A change of the buffer while the page is shown is shown too.
    ASSERT_TRUE(buffer.SetBufferSize(0x10000));
    EXPECT_EQ(Child<QLabel>("BufSizeLabel")->text(), "0010400");
    // A long path is shown whole: wrapped over as many lines as it needs in
    // the width it has, a name wider than a line wrapped anywhere.
    const std::string longName =
        "/home/technician/projects/controller_board_firmware_release_candidate/"
        "controller_main_v2_release_candidate_final_build_20240101_signed.hex";
    history.WriteString("LoadDlg", "Name", longName);
    editor.SetActivePage(EditorPage::Bits8);
    editor.SetActivePage(EditorPage::Info);
    QApplication::processEvents();
    auto* name = Child<QLabel>("LastLoadFileNameLabel");
    EXPECT_EQ(name->text().toStdString(), longName);
    EXPECT_LE(name->minimumSizeHint().width(), name->width());
    EXPECT_GE(name->height(), name->heightForWidth(name->width()));
    EXPECT_GT(name->height(), 2 * name->fontMetrics().height());
    const QRect shown(name->mapTo(&editor, QPoint(0, 0)), name->size());
    EXPECT_TRUE(editor.rect().contains(shown));
}

TEST_F(MainEditTest, ShowingAndClosingRecordTheDataMode) {
    buffer.SetDataMode(DataMode::Odd);
    editor.hide();
    editor.show();
    const Profile history(buffer.HistoryIniPath());
    EXPECT_EQ(history.ReadInteger("CommonParameterSet", "CommonDataSelect", -1), 2);

    buffer.SetModified(true);
    messages.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(editor.close());
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Are you sure to close file ?"});
    EXPECT_TRUE(editor.close());  // OK
    EXPECT_EQ(history.ReadInteger("CommonParameterSet", "CommonDataSelect", -1), 0);
    EXPECT_EQ(buffer.ReturnDataMode(), DataMode::Odd);

    // A settings file that cannot be written: showing and closing say so.
    ASSERT_EQ(::chmod(buffer.HistoryIniPath().c_str(), 0444), 0);
    buffer.SetModified(false);
    messages.Clear();
    editor.show();
    EXPECT_TRUE(editor.close());
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>(2, SettingsWriteFailText(buffer.HistoryIniPath())));
}

TEST_F(MainEditTest, RepaintDrawsTheCellsOfTheView) {
    // A drawn look: the cursor cell is filled, blank cells past the end are
    // grey, and a row of text is drawn in the data cells.
    ASSERT_TRUE(buffer.SetBufferSize(1));  // 1025 bytes: the last row has one byte
    editor.View().ScrollTo(1 << 20);
    EditorGridWidget* hex = Grid("HexCodeSG8bit");
    const QImage image = hex->grab().toImage();
    const auto at = [&](int row, int column) {
        const QRect r = hex->CellRect(row, column);
        return image.pixelColor(r.left() + 2, r.top() + 2);
    };
    EXPECT_NE(at(15, 0), at(15, 1));   // the last byte, then nothing
    EXPECT_EQ(at(15, 1), at(15, 15));  // blank to the end of the row
    EXPECT_NE(at(14, 5), at(15, 5));
}

// ---- In the main window ---------------------------------------------------------------------

class EditAreaTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(BURNMARK_SAMPLE_DIR, dir_.Path(), fs::copy_options::recursive);
        Start();
    }
    void TearDown() override { form_.reset(); }

    // A start with the device the selection dialog left in [SelectDlg], or
    // the default one.
    void Start(const std::string& maker = "", const std::string& type = "",
               const std::string& file = "") {
        form_.reset();
        if (!maker.empty()) {
            Profile history(dir_.Path() + "History_1.ini");
            history.WriteString("SelectDlg", "Manufacturer", maker);
            history.WriteString("SelectDlg", "TypeNum", type);
            history.WriteString("SelectDlg", "IcFileName", dir_.Path() + file);
        }
        ApplyEntryRules(dir_.Path());
        form_ = std::make_unique<TMainForm>(dir_.Path(),
                                            MainFormPorts{&messages_, &sounds_, &pump_, &sim_});
        form_->show();
        QApplication::processEvents();
        form_->Core()->ProgressWindow().SetPauseFunction([](int) {});
    }
    // A click as the mouse gives it: over the picture, press, release.
    void ClickOn(const char* name) const {
        QWidget* w = Child(name);
        ASSERT_NE(w, nullptr) << name;
        ASSERT_TRUE(w->isVisible()) << name;
        const QPoint at = w->mapTo(form_.get(), w->rect().center());
        QTest::mouseMove(form_->windowHandle(), at);
        QTest::mousePress(form_->windowHandle(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(form_->windowHandle(), Qt::LeftButton, {}, at);
    }
    void ClickEditStep() const { ClickOn(StepImageName(CopyStep::Edit, StepImage::Ready).c_str()); }
    // The widget the operator sees at the middle of a control.
    QWidget* Seen(const char* name) const {
        QWidget* display = Child(name);
        return form_->childAt(display->mapTo(form_.get(), display->rect().center()));
    }

    TMainEdit* Editor() const { return qobject_cast<TMainEdit*>(form_->Editor()); }
    template <typename T = QWidget>
    T* Child(const char* name) const {
        return form_->findChild<T*>(QString::fromLatin1(name));
    }
    void Wheel(QWidget* over, int delta) {
        const QPoint at = over->rect().center();
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(over->mapToGlobal(at)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        move.setTimestamp(++stamp_);
        QApplication::sendEvent(over, &move);
        QWheelEvent wheel(QPointF(at), QPointF(over->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        wheel.setTimestamp(++stamp_);
        QApplication::sendEvent(over, &wheel);
    }

    TempDir dir_;
    FakeMessages messages_;
    FakeSounds sounds_;
    FakePump pump_;
    SimulatedProgrammer sim_;
    std::unique_ptr<TMainForm> form_;
    quint64 stamp_ = 0;
};

TEST_F(EditAreaTest, TheEditorIsAChildOfTheEditAreaOverTheDisplaysBeside) {
    TMainEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    QWidget* area = Child("DumpEdit_Panel");
    EXPECT_EQ(editor->parentWidget(), area);
    EXPECT_EQ(editor->windowTitle(), "NONAME1");
    EXPECT_FALSE(editor->isVisible());  // the Copy page is shown at the start

    form_->ShowDumpEditPanel();
    area->move(8, 53);  // where the Edit step puts it
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->pos(), QPoint(4, 13));
    // The device, the file name and the result picture lie under the editor.
    for (const char* name : {"SelectedType", "LoadPathEdit", "StatusPanel"}) {
        QWidget* display = Child(name);
        ASSERT_NE(display, nullptr) << name;
        const QPoint centre = display->mapTo(form_.get(), display->rect().center());
        EXPECT_TRUE(editor->isAncestorOf(form_->childAt(centre))) << name;
    }
    form_->CopyBtnClick();
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(EditAreaTest, TheWheelOverTheGridsScrollsTheView) {
    form_->ShowDumpEditPanel();
    TMainEdit* editor = Editor();
    ASSERT_TRUE(editor->isVisible());
    auto* hex = editor->findChild<QWidget*>(QStringLiteral("HexCodeSG8bit"));
    auto* bar = editor->findChild<QScrollBar*>(QStringLiteral("Edit8BitScrollBar"));
    Wheel(hex, -120);
    EXPECT_EQ(editor->View().TopRow(), 16u);
    Wheel(bar, -60);  // half a notch over the bar: half the rows, once
    EXPECT_EQ(editor->View().TopRow(), 24u);
    Wheel(Child("Main"), -120);  // not over the editor
    EXPECT_EQ(editor->View().TopRow(), 24u);

    // The hidden page's grids scroll nothing; the shown page's do.
    auto* words = editor->findChild<QWidget*>(QStringLiteral("HexCodeSG16Bit"));
    EXPECT_FALSE(editor->RouteWheel(words, -120));
    editor->SetActivePage(EditorPage::Bits16);
    Wheel(words, 120);
    EXPECT_EQ(editor->View().TopRow(), 8u);

    form_->SetBusy(true);
    EXPECT_TRUE(editor->View().ReadOnly());
    Wheel(words, 120);
    EXPECT_EQ(editor->View().TopRow(), 8u);
    form_->SetBusy(false);
    EXPECT_FALSE(editor->View().ReadOnly());
}

TEST_F(EditAreaTest, LoadsWhileTheEndOfALargerBufferIsShown) {
    DataBuffer& buffer = form_->Core()->Buffer();
    ASSERT_TRUE(buffer.SetBufferSize(4u << 20));
    const uint32_t length = buffer.GetBufferSize();
    form_->ShowDumpEditPanel();
    EditorView& view = Editor()->View();
    view.ScrollTo(1 << 30);
    ASSERT_EQ(view.TopRow(), view.MaxTopRow());

    const std::string file = dir_.Path() + "small.bin";
    std::ofstream(file, std::ios::binary) << "0123456789ABCDEF";
    Profile history(buffer.HistoryIniPath());
    history.WriteString("LoadDlg", "Name", file);
    history.WriteInteger("LoadDlg", "OK", 1);
    history.WriteInteger("LoadDlg", "SourceSAdd", 0);
    history.WriteInteger("LoadDlg", "SourceEAdd", 15);
    history.WriteInteger("LoadDlg", "Format", 3);
    history.WriteInteger("LoadDlg", "UnuserFillCheck", 0);
    const auto chars = [&](int row, int column) {
        return view.CellText(EditorPage::Bits8, GridCell{EditorGrid::Chars, row, column});
    };

    // Into the last row shown: the view stays and shows the file.
    history.WriteInteger("LoadDlg", "DistSadd", static_cast<int32_t>(length - 16));
    EXPECT_EQ(form_->Core()->Loader().RunLoad(ReadLoadSettings(history)), LoadEnd::Loaded);
    EXPECT_EQ(view.TopRow(), view.MaxTopRow());
    EXPECT_EQ(chars(15, 10), "A");

    // Across the end: the buffer grows and the view starts again from the top,
    // where an edit lands on the byte it shows.
    history.WriteInteger("LoadDlg", "DistSadd", static_cast<int32_t>(length - 8));
    EXPECT_EQ(form_->Core()->Loader().RunLoad(ReadLoadSettings(history)), LoadEnd::Loaded);
    EXPECT_GT(buffer.GetBufferSize(), length);
    EXPECT_EQ(view.TopRow(), 0u);
    EXPECT_FALSE(view.ReadOnly());
    ASSERT_TRUE(view.SetCursor(EditorPage::Bits8, GridCell{EditorGrid::Hex, 0, 0}));
    EXPECT_EQ(view.TypeKey(EditorPage::Bits8, U'1'), EditResult::Pending);
    EXPECT_EQ(view.TypeKey(EditorPage::Bits8, U'2'), EditResult::Written);
    BufferLock lock = buffer.GetBufferHandle();
    EXPECT_EQ(lock[0], 0x12);
    EXPECT_EQ(lock[length - 8 + 10], 'A');
}

// The OK of Block and Fill takes the editor's byte view back to its first row.
TEST_F(EditAreaTest, BlockAndFillOkScrollTheEditorToItsFirstRow) {
    AppComposition& core = *form_->Core();
    testing::ScriptedBlockDialog block;
    block.script = [](BlockDialogLogic& logic) { return logic.Accept(logic.Opening()).answer; };
    testing::ScriptedFillDialog fill;
    fill.script = [](FillDialogLogic& logic) { return logic.Accept(logic.Opening()).answer; };
    core.SetBlockDialog(&block);
    core.SetFillDialog(&fill);
    form_->ShowDumpEditPanel();
    EditorView& view = Editor()->View();
    auto* bar = Editor()->findChild<QScrollBar*>(QStringLiteral("Edit8BitScrollBar"));
    for (const char* item : {"Block", "FillData"}) {
        SCOPED_TRACE(item);
        view.ScrollTo(100);
        ASSERT_EQ(view.TopRow(), 100u);
        Editor()->findChild<QAction*>(QString::fromLatin1(item))->trigger();
        EXPECT_EQ(view.TopRow(), 0u);
        EXPECT_EQ(bar->value(), 0);
    }
    EXPECT_EQ(block.runs, 1);
    EXPECT_EQ(fill.runs, 1);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(EditAreaTest, TheEditStepCoversTheCopyPageAndOkLeadsBack) {
    Start("GENERAL", "27C1024", "INI\\GENERAL\\27C1024.INI");  // 16-bit
    TMainEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    ClickEditStep();

    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->ActivePage(), EditorPage::Bits16);
    EXPECT_EQ(Child("DumpEdit_Panel")->pos(), Child("Copy_Panel")->pos());
    // The device, the file name and the result picture lie under the editor.
    for (const char* name : {"SelectedType", "LoadPathEdit", "StatusPanel"})
        EXPECT_TRUE(editor->isAncestorOf(Seen(name))) << name;
    for (const char* name : {"CheckBox1", "CheckBox2", "CheckBox4", "CheckBox5", "ProgressBar2",
                             "RunPanel", "StopPanel"})
        EXPECT_FALSE(Child(name)->isVisible()) << name;
    EXPECT_TRUE(Child("CheckSum_Stack")->isVisible());

    // Typing goes into the grid the operator clicked.
    QWidget* hex = Child("HexCodeSG16Bit");
    QTest::mouseClick(hex, Qt::LeftButton, {}, QPoint(4, 4));
    QTest::keyClicks(hex, "BEEF");
    {
        BufferLock lock = form_->Core()->Buffer().GetBufferHandle();
        EXPECT_EQ(lock[0], 0xEF);
        EXPECT_EQ(lock[1], 0xBE);
    }

    ClickOn("v");
    EXPECT_FALSE(editor->isVisible());
    EXPECT_FALSE(Child("DumpEdit_Panel")->isVisible());
    for (const char* name : {"Copy_Panel", "RunPanel", "StopPanel", "ProgressBar2", "CheckBox1"})
        EXPECT_TRUE(Child(name)->isVisible()) << name;
    EXPECT_EQ(Seen("StopPanel")->objectName().left(4), QStringLiteral("Stop"));

    // Again, for an 8-bit device: the page follows the width; the edit stayed.
    form_->Core()->Device().Data_Width = "0xff";
    ClickEditStep();
    EXPECT_EQ(editor->ActivePage(), EditorPage::Bits8);
    EXPECT_EQ(editor->View().CellText(EditorPage::Bits8, GridCell{EditorGrid::Hex, 0, 1}), "BE");
    ClickOn("Label27");
    EXPECT_TRUE(Child("RunPanel")->isVisible());
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(EditAreaTest, TheAreasCommandsRunTheEditorsItemsOnceOverTheMainWindow) {
    std::vector<std::pair<std::string, QWidget*>> opened;
    auto record = [&](const char* name) {
        return [&opened, name](QWidget& parent) { opened.emplace_back(name, &parent); };
    };
    AppComposition& core = *form_->Core();
    core.SetBufferDialogs(BufferDialogCommands{record("Sum"), record("Fill"), record("Block")});
    testing::ScriptedLoadDialog load;
    testing::ScriptedSaveDialog save;
    core.SetLoadDialog(&load);
    core.SetSaveDialog(&save);
    ClickEditStep();
    ASSERT_TRUE(Editor()->isVisible());

    const std::vector<std::pair<const char*, const char*>> commands = {
        {"CheckSum", "Sum"},  {"Label20", "Sum"}, {"Block", "Block"},
        {"Label22", "Block"}, {"Fill", "Fill"},   {"Label26", "Fill"}};
    for (const auto& [picture, dialog] : commands) {
        SCOPED_TRACE(picture);
        opened.clear();
        ClickOn(picture);
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0].first, dialog);
        EXPECT_EQ(opened[0].second, form_.get());
    }
    // Find and Find Next are hidden and have no work; neither opens anything.
    opened.clear();
    form_->Seams().FindClick();
    form_->Seams().FindNextClick();
    EXPECT_TRUE(opened.empty());

    // The editor's Load and Save are the Copy page's steps.
    Editor()->findChild<QAction*>(QStringLiteral("LoadFile"))->trigger();
    Editor()->findChild<QAction*>(QStringLiteral("SaveFile"))->trigger();
    EXPECT_EQ(load.runs, 1);
    EXPECT_EQ(save.runs, 1);
    EXPECT_TRUE(messages_.shown.empty());
}

}  // namespace
}  // namespace burnmark
