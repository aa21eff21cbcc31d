// The restore of the last session when the main window is first shown, and
// the exit question that saves the ticks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "shell/session.h"
#include "support/fake_ports.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeMessages;

// The window side: the device display and the six tick boxes.
class RecordingView : public SessionView {
public:
    void ShowSelectedType(const std::string& maker, const std::string& type) override {
        log->push_back("show " + maker + "/" + type);
    }
    TickFlags Ticks() const override { return ticks; }
    void SetTicks(const TickFlags& t) override {
        ticks = t;
        log->push_back("ticks");
    }
    TickFlags Offered() const override { return offered; }

    std::vector<std::string>* log = nullptr;
    TickFlags ticks = kFormDefaultTicks;
    TickFlags offered = {true, true, true, true, true, true};
};

class RestoreSession : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("bm_session_" + std::to_string(rd()));
        fs::create_directories(dir_);
        state_.AppDir = dir_.string() + "/";
        view_.log = &log_;
        seams_.LoadDeviceIni = [this](const std::string& path) {
            log_.push_back("load " + path);
            DeviceFacts facts = device_;
            facts.HasFuseMap = deviceHasFuseMap_;
            return facts;
        };
        seams_.ApplyDeviceBufferSize = [this] { log_.push_back("size"); };
        seams_.CreateFuseMapEditor = [this] { log_.push_back("fusemap"); };
        seams_.InitFuseBuffer = [this] { log_.push_back("fusebuffer"); };
        seams_.UpdateCopyButtons = [this](int arg) {
            log_.push_back("update " + std::to_string(arg));
        };
    }
    void TearDown() override { fs::remove_all(dir_); }

    Profile History() const { return Profile(state_.HistoryIniPath()); }
    void Restore() { RestoreLastSession(state_, view_, seams_, messages_); }

    fs::path dir_;
    AppState state_;
    RecordingView view_;
    SessionSeams seams_;
    FakeMessages messages_;
    std::vector<std::string> log_;
    DeviceFacts device_;
    uint8_t deviceHasFuseMap_ = 0;
};

TEST_F(RestoreSession, RunsItsStepsInOrder) {
    Profile history = History();
    history.WriteString("SelectDlg", "Manufacturer", "LATTICE");
    history.WriteString("SelectDlg", "TypeNum", "GAL16V8");
    history.WriteString("SelectDlg", "IcFileName", "/x/INI\\LATTICE\\GAL16V8.INI");
    history.WriteString("SelectDlg", "ProcessMode", "+E+P");
    deviceHasFuseMap_ = 1;
    device_.Type = "PLD";
    state_.PathBuffer = "left over";

    Restore();

    const std::vector<std::string> expected = {
        "show LATTICE/GAL16V8", "load /x/INI\\LATTICE\\GAL16V8.INI", "ticks", "size",
        "fusemap", "fusebuffer", "update 0", "ticks"};
    EXPECT_EQ(log_, expected);
    EXPECT_EQ(state_.DeviceIniPath, "/x/INI\\LATTICE\\GAL16V8.INI");
    EXPECT_TRUE(state_.PathBuffer.empty());
    EXPECT_EQ(state_.Form2Created, 1);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(RestoreSession, MissingKeysGiveNoneAndTheFormsTicks) {
    Restore();
    EXPECT_EQ(log_.front(), "show None/None");
    EXPECT_EQ(log_[1], "load None");
    EXPECT_EQ(view_.ticks, kFormDefaultTicks);
    EXPECT_EQ(state_.Form2Created, 0);  // no fuse map: no editor
    EXPECT_EQ(std::count(log_.begin(), log_.end(), "fusemap"), 0);
}

TEST_F(RestoreSession, RestoredTicksSurviveTheStepRefresh) {
    History().WriteString("SelectDlg", "ProcessMode", "+E+V+S");
    // The refresh ticks every step the device offers and unticks the others;
    // this device offers no protect.
    seams_.UpdateCopyButtons = [this](int) {
        view_.ticks = {true, true, true, true, false, view_.ticks[TickHiddenT]};
        view_.offered = {true, true, true, true, false, true};
    };
    Restore();
    EXPECT_EQ(view_.ticks, (TickFlags{true, false, false, true, false, false}));
}

TEST_F(RestoreSession, WithoutAStoredChoiceTheFormsTicksSurviveTheRefresh) {
    // The refresh ticks every step the device offers, protect included.
    seams_.UpdateCopyButtons = [this](int) { view_.ticks = {true, true, true, true, true, false}; };
    struct Case {
        const char* stored;  // nullptr: no key (a first start)
        TickFlags ticks;
    } cases[] = {
        {nullptr, kFormDefaultTicks},
        {"0", kFormDefaultTicks},
        {"", kFormDefaultTicks},
        {"+E+P", {true, false, true, false, false, false}},
        {"+S", {false, false, false, false, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        fs::remove(dir_ / "History_1.ini");
        if (c.stored) History().WriteString("SelectDlg", "ProcessMode", c.stored);
        view_.ticks = kFormDefaultTicks;
        Restore();
        EXPECT_EQ(view_.ticks, c.ticks);
    }
}

TEST_F(RestoreSession, AFailingFuseMapEditorIsShownAndTheRestoreGoesOn) {
    deviceHasFuseMap_ = 1;
    seams_.CreateFuseMapEditor = [] { throw std::runtime_error("Out of memory"); };
    Restore();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Out of memory");
    EXPECT_EQ(messages_.shown[0].icon, MsgIcon::Error);
    EXPECT_EQ(state_.Form2Created, 0);
    // The restore went on to the end.
    ASSERT_GE(log_.size(), 2u);
    EXPECT_EQ(log_[log_.size() - 2], "update 0");
    EXPECT_EQ(log_.back(), "ticks");
}

TEST_F(RestoreSession, EmptySeamsAreSkipped) {
    History().WriteString("SelectDlg", "ProcessMode", "+C");
    Restore();  // nothing wired yet: only the window side changes
    EXPECT_EQ(view_.ticks, (TickFlags{false, true, false, false, false, false}));
}

class ExitQuestion : public RestoreSession {
protected:
    ExitAnswer Ask(TickFlags ticks) {
        return AskExit(state_, messages_, [ticks] { return ticks; });
    }
    std::string Stored() const { return History().ReadString("SelectDlg", "ProcessMode", "(none)"); }
};

TEST_F(ExitQuestion, YesWritesTheTicksAndKeepsTheGuard) {
    messages_.answers = {MsgAnswer::Yes};
    EXPECT_EQ(Ask({true, false, true, false, false, true}), ExitAnswer::Confirmed);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Are you sure ?");
    EXPECT_EQ(messages_.shown[0].title, "Exit:");
    EXPECT_EQ(messages_.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(Stored(), "+E+P+T");
    EXPECT_EQ(state_.ExitGuard, 1);
    EXPECT_EQ(Ask({}), ExitAnswer::Ignored);  // never asked twice
    EXPECT_EQ(messages_.shown.size(), 1u);
}

TEST_F(ExitQuestion, NoneTickedWritesAnEmptyValue) {
    messages_.answers = {MsgAnswer::Yes};
    EXPECT_EQ(Ask({}), ExitAnswer::Confirmed);
    EXPECT_EQ(Stored(), "");
}

TEST_F(ExitQuestion, TicksThatCannotBeSavedAreToldAndTheExitGoesOn) {
    fs::create_directory(dir_ / "History_1.ini");  // no file to write
    messages_.answers = {MsgAnswer::Yes};
    EXPECT_EQ(Ask(kFormDefaultTicks), ExitAnswer::Confirmed);
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[1].text, "Can't write " + state_.AppDir +
                                           "History_1.ini !\nThe ticked operations are not "
                                           "remembered for the next start.");
    EXPECT_EQ(messages_.shown[1].title, "Settings");
    EXPECT_EQ(messages_.shown[1].icon, MsgIcon::Warning);
    EXPECT_EQ(state_.ExitGuard, 1);
}

TEST_F(ExitQuestion, NoLeavesEverythingAndAsksAgainNextTime) {
    History().WriteString("SelectDlg", "ProcessMode", "+S");
    messages_.answers = {MsgAnswer::No, MsgAnswer::No};
    EXPECT_EQ(Ask(kFormDefaultTicks), ExitAnswer::Cancelled);
    EXPECT_EQ(state_.ExitGuard, 0);
    EXPECT_EQ(Stored(), "+S");
    EXPECT_EQ(Ask(kFormDefaultTicks), ExitAnswer::Cancelled);
    EXPECT_EQ(messages_.shown.size(), 2u);
}

TEST_F(ExitQuestion, RefusedWhileBusyOrWhileTheQuestionIsOpen) {
    {
        BusyScope busy(state_.Busy);
        EXPECT_EQ(Ask(kFormDefaultTicks), ExitAnswer::Ignored);
        EXPECT_EQ(state_.ExitGuard, 0);
    }
    state_.ExitGuard = 1;
    EXPECT_EQ(Ask(kFormDefaultTicks), ExitAnswer::Ignored);
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(Stored(), "(none)");
}

}  // namespace
}  // namespace burnmark
