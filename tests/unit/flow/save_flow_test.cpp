// The Save command: the [SaveDlg] hand-back to the writers and its messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/flow/flow_fixture.h"

namespace burnmark::testing {
namespace {

struct SaveCase {
    const char* name;
    Keys keys;  // besides "Name", which names out.dat in the test folder
    SaveEnd end;
    std::string fileAfter;  // "<none>": no file written
    std::vector<std::string> shown;
    std::string title;
};

void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }

class SaveCommand : public FlowTest, public ::testing::WithParamInterface<SaveCase> {
protected:
    void SetUp() override {
        BufferLock lock = buffer.GetBufferHandle();
        for (std::size_t i = 0; i < lock.size(); ++i) lock[i] = static_cast<uint8_t>(i);
    }
};

TEST_P(SaveCommand, SavesWhatTheDialogHandedBack) {
    const SaveCase& c = GetParam();
    Keys keys = c.keys;
    keys["Name"] = dir.Path() + "out.dat";
    ScriptedSaveDialog dialog;
    dialog.onRun = [&] { WriteSection("SaveDlg", keys); };

    SaveFlow flow(Context());
    EXPECT_EQ(flow.SaveFileClick(dialog), c.end);
    EXPECT_EQ(dialog.runs, 1);
    const bool written = std::filesystem::exists(dir.Path() + "out.dat");
    EXPECT_EQ(written ? dir.Read("out.dat") : "<none>", c.fileAfter);
    EXPECT_EQ(messages.Texts(), c.shown);
    if (!c.title.empty()) {
        ASSERT_FALSE(messages.shown.empty());
        EXPECT_EQ(messages.shown[0].title, c.title);
    }
    EXPECT_FALSE(busy.Busy());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveCommand,
    ::testing::Values(
        SaveCase{"Binary",
                 {{"SourceSAdd", "65"}, {"SourceEAdd", "69"}, {"Format", "0"}, {"OK", "1"}},
                 SaveEnd::Saved, "ABCDE", {}, ""},
        SaveCase{"MotorolaS1",
                 {{"SourceSAdd", "0"}, {"SourceEAdd", "3"}, {"Format", "2"}, {"OK", "1"}},
                 SaveEnd::Saved,
                 "S0030000FC\r\nS1130000000102030405060708090A0B0C0D0E0F74\r\n"
                 "S1130010101112131415161718191A1B1C1D1E1F64\r\nS9030000FC\r\n",
                 {}, ""},
        SaveCase{"Cancelled",
                 {{"SourceSAdd", "0"}, {"SourceEAdd", "3"}, {"Format", "0"}, {"OK", "0"}},
                 SaveEnd::Cancelled, "<none>", {}, ""},
        SaveCase{"TooLargeForS1",
                 {{"SourceSAdd", "0"}, {"SourceEAdd", "65536"}, {"Format", "2"}, {"OK", "1"}},
                 SaveEnd::Refused, "<none>",
                 {"File Too Big for Motorola %S[S1],\nPlease Select other Format."}, "SAVE"},
        SaveCase{"BackwardsRange",
                 {{"SourceSAdd", "10"}, {"SourceEAdd", "5"}, {"Format", "0"}, {"OK", "1"}},
                 SaveEnd::Refused, "<none>", {"Input Value Error !"}, "Error"},
        SaveCase{"OutsideTheBuffer",
                 {{"SourceSAdd", "0"}, {"SourceEAdd", "9000"}, {"Format", "0"}, {"OK", "1"}},
                 SaveEnd::Refused, "<none>", {"Input Value Error !"}, "ERROR"}),
    [](const ::testing::TestParamInfo<SaveCase>& info) { return info.param.name; });

TEST_F(SaveCommand, UnwritableFileIsReported) {
    ScriptedSaveDialog dialog;
    dialog.onRun = [&] {
        WriteSection("SaveDlg", {{"Name", dir.Path() + "no/such/folder/out.bin"},
                                 {"SourceSAdd", "0"},
                                 {"SourceEAdd", "3"},
                                 {"Format", "0"},
                                 {"OK", "1"}});
    };
    SaveFlow flow(Context());
    EXPECT_EQ(flow.SaveFileClick(dialog), SaveEnd::FileError);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("no/such/folder/out.bin"), std::string::npos);
    EXPECT_EQ(messages.shown[0].title, "Error");
}

TEST_F(SaveCommand, SaveWhileBusyIsIgnored) {
    BusyScope held(busy);
    ScriptedSaveDialog dialog;
    SaveFlow flow(Context());
    EXPECT_EQ(flow.SaveFileClick(dialog), SaveEnd::Ignored);
    EXPECT_EQ(dialog.runs, 0);
}

}  // namespace
}  // namespace burnmark::testing
