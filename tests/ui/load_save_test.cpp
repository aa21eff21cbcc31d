// The Copy page's Load and Save steps on the whole window: the data buffer's
// load and save through the dialogs' hand-back, and for a logic device the
// JEDEC load and save of its fuse map and the program from it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include <QCheckBox>

#include "buffer/address_entry.h"
#include "flow/file_dialogs.h"
#include "buffer/ui/progress_window.h"
#include "fusemap/ui/qt_fuse_file_chooser.h"
#include "link/programmer_requests.h"
#include "operations/copy_page_model.h"
#include "platform/profile.h"
#include "shell/start_up.h"
#include "shell/ui/app_composition.h"
#include "widgets/ui/image_control.h"
#include "shell/ui/main_form.h"
#include "support/fake_ports.h"
#include "support/mouse_events.h"
#include "support/flow_fakes.h"
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

std::string IntelRecord(uint16_t address, uint8_t type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(data.size()),
                                  static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address),
                                  type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    const unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
    bytes.push_back(static_cast<uint8_t>(-sum));
    std::string line = ":";
    char hex[3];
    for (uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        line += hex;
    }
    return line + "\r\n";
}

std::vector<uint8_t> Pattern(std::size_t n, uint8_t seed) {
    std::vector<uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 37);
    return bytes;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The "L" rows of a JEDEC text, each up to and including its '*'.
std::vector<std::string> FuseRows(const std::string& text) {
    std::vector<std::string> rows;
    for (std::size_t at = text.find('L'); at != std::string::npos; at = text.find('L', at + 1)) {
        if (at + 1 >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at + 1])))
            continue;
        const std::size_t end = text.find('*', at);
        rows.push_back(text.substr(at, end - at + 1));
        at = end;
    }
    return rows;
}

class LoadSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(BURNMARK_SAMPLE_DIR, dir_.Path(), fs::copy_options::recursive);
        sim_.InsertChip(false, 0x20000);
    }
    void TearDown() override { form_.reset(); }

    // A start with the device the selection dialog left in [SelectDlg].
    TMainForm& Start(const std::string& maker = "", const std::string& type = "",
                     const std::string& file = "") {
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
        Core().ProgressWindow().SetPauseFunction([](int) {});
        Core().SetLoadDialog(&loadDialog_);
        Core().SetSaveDialog(&saveDialog_);
        Core().SetFuseFileChooser(&jedecFiles_);
        messages_.Clear();
        return *form_;
    }
    TMainForm& StartLogicDevice() {
        return Start("NORTHCHIP", "NC16L8", "INI\\NORTHCHIP\\NC16L8.INI");
    }

    AppComposition& Core() const { return *form_->Core(); }
    Profile History() const { return Profile(dir_.Path() + "History_1.ini"); }

    template <typename T = QWidget>
    T* Child(const std::string& name) const {
        T* w = form_->findChild<T*>(QString::fromStdString(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    ImageControl* Picture(CopyStep step, StepImage image) const {
        return Child<ImageControl>(StepImageName(step, image));
    }
    void ClickLoad() { Click(Picture(CopyStep::Load, StepImage::Ready)); }
    void ClickSave() { Click(Picture(CopyStep::Save, StepImage::Ready)); }

    QString SumText() const { return Child<QLineEdit>("SumEdit")->text(); }
    bool SumRed() const {
        return Child<QLineEdit>("SumEdit")->palette().color(QPalette::Active, QPalette::Text) ==
               QColor(Qt::red);
    }
    std::vector<uint8_t> BufferBytes(std::size_t from, std::size_t n) {
        BufferLock lock = Core().Buffer().GetBufferHandle();
        return std::vector<uint8_t>(lock.data() + from, lock.data() + from + n);
    }
    void ClearBuffer() {
        BufferLock lock = Core().Buffer().GetBufferHandle();
        std::fill(lock.Bytes().begin(), lock.Bytes().end(), 0x00);
    }

    // The load dialog's answer for a file as its name box and Load button give
    // it: the whole file, auto-detected, at dest, the rest filled with FF.
    std::optional<LoadSettings> LoadWholeFile(LoadDialogLogic& logic, const std::string& path,
                                              uint32_t dest = 0) {
        LoadDialogFields f = logic.Opening();
        f.name = path;
        f.format = 0;  // "Auto Detect"
        const FileRangeTexts range = FillFileRange(path);
        f.sourceStart = range.start;
        f.sourceEnd = range.end;
        f.dest = AddressText(dest);
        return logic.Accept(f);
    }

    // [LoadDlg] as the load dialog's Load button writes it.
    void HandBackLoad(const std::string& path, int fill = -1, int dest = 0, int format = 0) {
        loadDialog_.onRun = [=, this] {
            Profile h = History();
            h.WriteInteger("LoadDlg", "SourceSAdd", 0);
            h.WriteInteger("LoadDlg", "SourceEAdd", static_cast<int32_t>(fs::file_size(path)) - 1);
            h.WriteInteger("LoadDlg", "DistSAdd", dest);
            h.WriteInteger("LoadDlg", "UserFill", fill < 0 ? 0xFF : fill);
            h.WriteInteger("LoadDlg", "Format", format);
            h.WriteInteger("LoadDlg", "UnuserFillCheck", fill < 0 ? 0 : 1);
            h.WriteString("LoadDlg", "Name", path);
            h.WriteString("LoadDlg", "OK", "1");
        };
    }

    // A JEDEC file for the 2048 fuses of the sample logic device, its rows in
    // the writer's own layout; the fuses it sets are returned.
    std::string JedecFile(const std::string& name, std::vector<uint8_t>& fuses) {
        fuses.assign(2048, 0);
        for (std::size_t i = 0; i < fuses.size(); ++i) fuses[i] = (i * 7 + i / 5) % 3 == 0;
        std::ostringstream text;
        text << '\x02' << " from a fitter \r\n*\r\nQF2048*\r\nQP20*\r\nF0*\r\n";
        for (std::size_t a = 0; a < fuses.size(); a += 32) {
            text << 'L' << a << "  ";
            for (std::size_t k = 0; k < 32; ++k) text << (fuses[a + k] ? '1' : '0');
            text << "*\r\n";
        }
        text << "C0000*\r\n" << '\x03' << "0000";
        return dir_.Write(name, text.str());
    }

    TempDir dir_;
    FakeMessages messages_;
    FakeSounds sounds_;
    FakePump pump_;
    SimulatedProgrammer sim_;
    testing::ScriptedLoadDialog loadDialog_;
    testing::ScriptedSaveDialog saveDialog_;
    testing::ScriptedFuseFiles jedecFiles_;
    std::unique_ptr<TMainForm> form_;
};

// ---- 8-bit device: the data buffer --------------------------------------------------------------

TEST_F(LoadSaveTest, LoadPutsAnIntelFileIntoTheBufferAndShowsTheDeviceSum) {
    TMainForm& form = Start();
    const uint32_t deviceBytes = Core().Device().DeviceBytes;
    ASSERT_EQ(deviceBytes, 0x1000u);
    const std::vector<uint8_t> data = Pattern(16, 3);
    const std::string path =
        dir_.Write("data.hex", IntelRecord(0x0020, 0, data) + IntelRecord(0, 1, {}));
    HandBackLoad(path, 0xFF);
    ClickLoad();

    EXPECT_EQ(loadDialog_.runs, 1);
    EXPECT_EQ(loadDialog_.shownNames, std::vector<std::string>{path});
    EXPECT_EQ(BufferBytes(0x20, 16), data);
    EXPECT_EQ(BufferBytes(0, 0x20), std::vector<uint8_t>(0x20, 0xFF));
    EXPECT_EQ(History().ReadInteger("LoadDlg", "Format", -1), 4);  // detected Intel

    const uint32_t sum = std::accumulate(data.begin(), data.end(), 0u) + 0xFF * (deviceBytes - 16);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%08X", sum);
    EXPECT_EQ(SumText().toStdString(), expected);
    EXPECT_TRUE(SumRed());
    ASSERT_FALSE(messages_.shown.empty());
    EXPECT_EQ(messages_.shown.back().title, "Get Check Sum");
    EXPECT_EQ(messages_.shown.back().text, std::string("SUM : ") + expected);
    EXPECT_FALSE(form.Busy());

    // The same file again: the same sum, no longer red, although the load
    // summed only its own range on the way.
    ClickLoad();
    EXPECT_EQ(SumText().toStdString(), expected);
    EXPECT_FALSE(SumRed());
}

TEST_F(LoadSaveTest, AFirstStartLeavesProtectUntickedAndALoadKeepsTheOperatorsTicks) {
    Start();
    auto box = [this](int n) { return Child<QCheckBox>("CheckBox" + std::to_string(n)); };
    // The sample device offers protect, and nothing is stored yet.
    ASSERT_TRUE(box(5)->isEnabled());
    EXPECT_FALSE(box(5)->isChecked());
    for (int n = 1; n <= 4; ++n) EXPECT_TRUE(box(n)->isChecked()) << n;

    box(2)->click();  // the operator unticks blank check
    const std::string path = dir_.Write("data.bin", std::string(16, '\x12'));
    HandBackLoad(path, 0xFF, 0, 3);
    ClickLoad();
    ASSERT_EQ(loadDialog_.runs, 1);
    const bool expected[] = {true, false, true, true, false};
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(box(n)->isChecked(), expected[n - 1]) << n;
}

TEST_F(LoadSaveTest, CancelInTheLoadDialogChangesNothing) {
    Start();
    ClearBuffer();
    const QString sumBefore = SumText();
    const DataMode modeBefore = Core().Buffer().ReturnDataMode();
    loadDialog_.answer = [](LoadDialogLogic& logic) {
        logic.Cancel();
        return std::optional<LoadSettings>();
    };
    ClickLoad();

    EXPECT_EQ(loadDialog_.runs, 1);
    EXPECT_EQ(History().ReadString("LoadDlg", "OK", ""), "0");
    EXPECT_TRUE(loadDialog_.shownNames.empty());
    EXPECT_EQ(BufferBytes(0, 64), std::vector<uint8_t>(64, 0));
    EXPECT_EQ(SumText(), sumBefore);
    EXPECT_EQ(Core().Buffer().ReturnDataMode(), modeBefore);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(LoadSaveTest, TheLoadDialogsDefaultsLoadTheWholeFileAndFillTheRest) {
    Start();
    ClearBuffer();
    const std::vector<uint8_t> data = Pattern(100, 9);
    const std::string path = dir_.Write("image.bin", std::string(data.begin(), data.end()));
    loadDialog_.answer = [&](LoadDialogLogic& logic) { return LoadWholeFile(logic, path); };
    ClickLoad();

    EXPECT_EQ(BufferBytes(0, 100), data);
    // The rest of the buffer holds no bytes of an earlier load.
    EXPECT_EQ(BufferBytes(100, 32), std::vector<uint8_t>(32, 0xFF));
    EXPECT_EQ(History().ReadInteger("LoadDlg", "Format", -1), 3);  // binary, after detection
    EXPECT_EQ(Core().Buffer().GetLoadedEnd(), 100u);
}

TEST_F(LoadSaveTest, SaveWritesTheRangeInTheChosenFormat) {
    Start();
    const std::vector<uint8_t> data = Pattern(48, 11);
    struct Case {
        int format;          // the save dialog's format choice
        const char* start;   // how the written file starts
        const char* record;  // a data record it holds, at the start of a line
    };
    const Case cases[] = {{0, "", ""},       {1, ":", ":20"},   {2, "S0", "\nS1"},
                          {3, "S0", "\nS2"}, {4, "S0", "\nS3"}, {5, "/", "/"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        {
            BufferLock lock = Core().Buffer().GetBufferHandle();
            std::copy(data.begin(), data.end(), lock.data() + 0x100);
        }
        const std::string path = dir_.Path() + "out" + std::to_string(c.format);
        saveDialog_.answer = [&](SaveDialogLogic& logic) {
            SaveDialogFields f = logic.Opening();
            f.name = path;
            f.start = "0000100";
            f.end = "000012F";
            f.format = c.format;
            return logic.Accept(f);
        };
        ClickSave();
        ASSERT_TRUE(fs::exists(path));
        const std::string text = ReadAll(path);
        if (c.format == 0) {
            EXPECT_EQ(text, std::string(data.begin(), data.end()));
            continue;
        }
        EXPECT_EQ(text.rfind(c.start, 0), 0u);
        EXPECT_NE(text.find(c.record), std::string::npos);

        // Read back through the load, auto-detected, to the same place.
        ClearBuffer();
        loadDialog_.answer = [&](LoadDialogLogic& logic) {
            return LoadWholeFile(logic, path, 0x100);
        };
        ClickLoad();
        EXPECT_EQ(BufferBytes(0x100, data.size()), data);
    }
    EXPECT_EQ(saveDialog_.runs, 6);

    // Cancel writes nothing.
    saveDialog_.answer = [&](SaveDialogLogic& logic) {
        logic.Cancel();
        return std::optional<SaveSettings>();
    };
    ClickSave();
    EXPECT_EQ(History().ReadString("SaveDlg", "OK", ""), "0");
    EXPECT_EQ(saveDialog_.runs, 7);
}

TEST_F(LoadSaveTest, WhileALoadRunsOnlyStopAnswers) {
    TMainForm& form = Start();
    const std::string path =
        dir_.Write("data.hex", IntelRecord(0, 0, Pattern(16, 1)) + IntelRecord(0, 1, {}));
    HandBackLoad(path);
    bool acted = false;
    pump_.onProcess = [&] {
        if (acted) return;
        acted = true;
        EXPECT_TRUE(form.Busy());
        for (const char* name : {"CopyEraseBtn", "CopyProgramBtn", "Panel7", "Panel8", "Exit_Hint"})
            EXPECT_FALSE(Child(name)->isEnabled()) << name;
        EXPECT_TRUE(Child("StopPanel")->isEnabled());
        EXPECT_TRUE(Child("Stop_Hint")->isEnabled());
        // Neither a second load, a save nor the exit question starts.
        Core().Core().Steps().LoadStepClick();
        Core().Core().Steps().SaveStepClick();
        form.ExitClick();
        EXPECT_FALSE(form.close());
    };
    ClickLoad();

    EXPECT_TRUE(acted);
    EXPECT_EQ(loadDialog_.runs, 1);
    EXPECT_EQ(saveDialog_.runs, 0);
    for (const auto& m : messages_.shown) EXPECT_NE(m.text, "Are you sure ?");
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.Busy());
    EXPECT_TRUE(Child("CopyEraseBtn")->isEnabled());
}

// ---- Logic device: the fuse map -----------------------------------------------------------------

TEST_F(LoadSaveTest, ALogicDeviceLoadsAndSavesItsFuseMapAsJedec) {
    TMainForm& form = StartLogicDevice();
    ASSERT_EQ(Core().Device().HasFuseMap, 1);
    FuseMap& fuses = Core().Fuses();
    ASSERT_TRUE(fuses.HasBlock());
    ASSERT_EQ(fuses.FuseCount(), 2048);

    // Cancel: no map change, no message, the buffer's dialogs untouched.
    ClickLoad();
    EXPECT_EQ(jedecFiles_.loads, 1);
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(loadDialog_.runs, 0);

    std::vector<uint8_t> expected;
    const std::string source = JedecFile("in.jed", expected);
    jedecFiles_.loadPath = source;
    ClickLoad();

    const std::span<const uint8_t> map = fuses.GetFuseBuffer();
    EXPECT_TRUE(std::equal(map.begin(), map.end(), expected.begin(), expected.end()));
    EXPECT_EQ(BufferBytes(0, expected.size()), expected);  // copied to the data buffer
    EXPECT_EQ(Child<QLineEdit>("LoadPathEdit")->text().toStdString(), source);
    uint32_t sum = 0;
    for (std::size_t g = 0; g < expected.size(); g += 8)
        for (std::size_t k = 0; k < 8; ++k) sum += expected[g + k] << k;
    char text[16];
    std::snprintf(text, sizeof text, "%08X", sum);
    EXPECT_EQ(SumText().toStdString(), text);
    EXPECT_TRUE(SumRed());
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].title, "Get Check Sum");
    EXPECT_EQ(messages_.shown[0].text, text);
    EXPECT_FALSE(form.Busy());

    // Save to a new file: the rows come back as they were read.
    const std::string saved = dir_.Path() + "out.jed";
    jedecFiles_.savePath = saved;
    messages_.Clear();
    ClickSave();
    EXPECT_EQ(saveDialog_.runs, 0);
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(FuseRows(ReadAll(saved)), FuseRows(ReadAll(source)));
    EXPECT_EQ(FuseRows(ReadAll(saved)).size(), 64u);
    EXPECT_EQ(fuses.JedecPath(), saved);

    // Over an existing file the save asks first; Cancel keeps the old file.
    const std::string other = dir_.Write("other.jed", "keep");
    jedecFiles_.savePath = other;
    messages_.answers = {MsgAnswer::Cancel};
    ClickSave();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "File is Exist ! ");
    EXPECT_EQ(ReadAll(other), "keep");
}

TEST_F(LoadSaveTest, ProgramOfALogicDeviceSendsTheFuseMap) {
    StartLogicDevice();
    std::vector<uint8_t> expected;
    jedecFiles_.loadPath = JedecFile("in.jed", expected);
    ClickLoad();
    // An edit of the map after the load: program must take the map, not the
    // copy the load left in the data buffer.
    FuseMap& fuses = Core().Fuses();
    ASSERT_TRUE(fuses.SetFuse(5, expected[5] ? 0 : 1));
    expected[5] ^= 1;
    messages_.Clear();
    sim_.ClearTrace();

    Click(Picture(CopyStep::Program, StepImage::Ready));

    EXPECT_TRUE(messages_.shown.empty()) << messages_.Texts().front();
    ASSERT_FALSE(sim_.Executions().empty());
    EXPECT_EQ(sim_.Executions().front().operation, OpProgram);
    EXPECT_TRUE(sim_.ProtocolErrors().empty());
    const std::vector<uint8_t>& download = sim_.Download();
    ASSERT_GE(download.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), download.begin()));
    EXPECT_EQ(download[expected.size()], 0xFF);  // nothing beyond the map
    EXPECT_FALSE(Picture(CopyStep::Program, StepImage::Pass)->isHidden());
}

// ---- The program's own dialogs ------------------------------------------------------------------

TEST_F(LoadSaveTest, TheProgramsDialogsOpenModallyOverTheMainWindow) {
    TMainForm& form = Start();
    Core().SetLoadDialog(nullptr);
    Core().SetSaveDialog(nullptr);
    struct Run {
        const char* caption;
        const char* section;
        std::function<void()> click;
    };
    const Run runs[] = {
        {"Load File", "LoadDlg", [this] { ClickLoad(); }},
        {"Save File", "SaveDlg", [this] { ClickSave(); }},
        {"Block Process", "BlockDlg", [this] { Core().BlockClick(); }},
        {"Fill Data", "FillDataDlg", [this] { Core().FillDataClick(); }},
        {"Get Check Sum", "GetSumDlg", [this] { Core().GetSumClick(); }},
    };
    for (const Run& r : runs) {
        SCOPED_TRACE(r.caption);
        History().WriteString(r.section, "OK", "1");
        QString caption;
        QWidget* parent = nullptr;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            caption = dialog->windowTitle();
            parent = dialog->parentWidget();
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(dialog, &escape);
        });
        r.click();
        EXPECT_EQ(caption, QString::fromLatin1(r.caption));
        EXPECT_EQ(parent, &form);
        EXPECT_EQ(History().ReadString(r.section, "OK", ""), "0");
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_FALSE(form.Busy());
}

}  // namespace
}  // namespace burnmark
