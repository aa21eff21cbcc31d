// The block, fill and sum dialogs' decisions: the IC, Max and File ranges,
// the opening fields, the checks of OK with their texts and resets, and the
// answer each hands over and remembers.
#include "flow/range_dialogs.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "unit/flow/flow_fixture.h"

namespace burnmark {
void PrintTo(const RangeFields& f, std::ostream* os) {
    *os << f.byteStart << ".." << f.byteEnd << " / " << f.wordStart << ".." << f.wordEnd;
}
}  // namespace burnmark

namespace burnmark::testing {
namespace {

// The 32 KB 8-bit test device: DeviceBytes 0x8000, buffer length 0x10400.
constexpr uint32_t kLength = 0x10400;

class RangeDialogs : public FlowTest {
protected:
    void SetUp() override {
        SelectDevice(ValidDevice());
        ASSERT_EQ(buffer.GetBufferSize(), kLength);
    }

    std::vector<std::pair<std::string, std::string>> Shown() const {
        std::vector<std::pair<std::string, std::string>> shown;
        for (const auto& m : messages.shown) shown.emplace_back(m.text, m.title);
        return shown;
    }
};

RangeFields Range(const char* s, const char* e, const char* ws, const char* we) {
    return RangeFields{s, e, ws, we};
}

// ---- The ranges --------------------------------------------------------------------------------

struct IcCase {
    const char* name;
    DeviceKeys keys;
    RangeFields ic;          // the IC button of every dialog
    std::string sumWordEnd;  // the Sum dialog's opening word end
};

void PrintTo(const IcCase& c, std::ostream* os) { *os << c.name; }

class IcRanges : public RangeDialogs, public ::testing::WithParamInterface<IcCase> {
protected:
    void SetUp() override { SelectDevice(GetParam().keys); }
};

TEST_P(IcRanges, FollowTheDevice) {
    const IcCase& c = GetParam();
    RangeDialogCore core(buffer, device, messages);
    EXPECT_EQ(core.IcFields(), c.ic);
    SumDialogLogic sum(buffer, device, messages);
    RangeFields opening = c.ic;
    opening.wordEnd = c.sumWordEnd;
    EXPECT_EQ(sum.Opening(), opening);
    EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IcRanges,
    ::testing::Values(
        IcCase{"Byte8", ValidDevice(), Range("0000000", "0007FFF", "0000000", "0003FFF"),
               "0003FFF"},
        // The 0x8000 bytes of the main area and the 0x100 behind them.
        IcCase{"ExtendedAreaOneFurther", ValidDevice().Set("ext_address_Low", "0x00FF"),
               Range("0000000", "00080FF", "0000000", "000407F"), "000407F"},
        // An odd end: the block and fill word end is E / 2 - 1, the sum's (E - 1) / 2.
        IcCase{"ExtendedAreaOfOddLength", ValidDevice().Set("ext_address_Low", "0x00FE"),
               Range("0000000", "00080FE", "0000000", "000407E"), "000407F"},
        IcCase{"Word16", ValidDevice().Set("Data_Width", "0xFFFF"),
               Range("0000000", "000FFFF", "0000000", "0007FFF"), "0007FFF"},
        IcCase{"OptionType1Word16",
               ValidDevice()
                   .Set("Data_Width", "0xFFFF")
                   .Set("Option_Fuse_Type", "0x01")
                   .Set("max_address_Hi", "1")
                   .Set("max_address_Low", "0xFFFF"),
               Range("0000000", "003FFFF", "0000000", "001FFFF"), "001FFFF"},
        IcCase{"StartAddress", ValidDevice().Set("start_address_Low", "0x0100"),
               Range("0000100", "0007FFF", "0000080", "0003FFF"), "0003FFF"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RangeDialogs, MaxTakesTheBufferAndTheBlockMaxFirstCoversTheDevice) {
    RangeDialogCore core(buffer, device, messages);
    EXPECT_EQ(core.MaxFields(false), Range("0000000", "00103FF", "0000000", "00081FF"));
    EXPECT_EQ(core.MaxFields(true), Range("0000000", "00103FF", "0000000", "00081FF"));

    // A buffer shorter than the device and its margin is sized for the device first.
    device.DeviceBytes = 0x40000;
    EXPECT_EQ(core.MaxFields(false), Range("0000000", "00103FF", "0000000", "00081FF"));
    EXPECT_EQ(buffer.GetBufferSize(), kLength);
    EXPECT_EQ(core.MaxFields(true), Range("0000000", "00403FF", "0000000", "00201FF"));
    EXPECT_EQ(buffer.GetBufferSize(), 0x40400u);

    // A device that fits the length but not with the margin behind it grows it too.
    device.DeviceBytes = 0x40200;
    EXPECT_EQ(core.MaxFields(true), Range("0000000", "00405FF", "0000000", "00202FF"));
}

TEST_F(RangeDialogs, FileTakesTheLastLoadFromZeroOrSaysThereIsNone) {
    RangeDialogCore core(buffer, device, messages);
    EXPECT_EQ(core.FileFields(kNoFileSeletedText), std::nullopt);
    EXPECT_EQ(core.FileFields(kNoFileSelectedText), std::nullopt);
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"No File Seleted!!", "No File Selected!!"}));
    EXPECT_TRUE(messages.shown[0].plain);

    buffer.SetLoadedStart(0x100);
    buffer.SetLoadedEnd(0x223);
    EXPECT_EQ(core.FileFields(kNoFileSeletedText),
              Range("0000000", "0000222", "0000000", "0000110"));
}

// ---- Block -------------------------------------------------------------------------------------

struct BlockCase {
    const char* name;
    BlockFields fields;
    std::vector<std::pair<std::string, std::string>> shown;  // text, title ("" plain)
    bool reset;  // the range fields go back to the device's
    bool answer;
    bool scrolled;  // the byte view went back to its first row
};

void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.name; }

BlockFields Block(const char* s, const char* e, const char* ws, const char* we, const char* d8,
                  int action = 0) {
    return BlockFields{Range(s, e, ws, we), d8, "0", action};
}

class BlockChecks : public RangeDialogs, public ::testing::WithParamInterface<BlockCase> {};

TEST_P(BlockChecks, RefuseInTheirOrderWithTheirTexts) {
    const BlockCase& c = GetParam();
    BlockDialogLogic logic(buffer, device, messages);
    bool scrolled = false;
    logic.ScrollByteViewToTop = [&] { scrolled = true; };
    WriteSection(kBlockSection, {{"OK", "1"}});

    const DialogOutcome<BlockRequest> outcome = logic.Accept(c.fields);
    EXPECT_EQ(Shown(), c.shown);
    EXPECT_EQ(outcome.answer.has_value(), c.answer);
    EXPECT_EQ(scrolled, c.scrolled);
    if (c.reset) {
        EXPECT_EQ(outcome.reset, Range("0000000", "0007FFF", "0000000", "0003FFF"));
    } else {
        EXPECT_EQ(outcome.reset, std::nullopt);
    }
    // A refusal leaves the dialog open and the remembered answer as it was.
    if (!c.answer) {
        EXPECT_EQ(ReadKey(kBlockSection, "StartAdd"), "<missing>");
    }
}

const std::pair<std::string, std::string> kRangeError{"Range Error!!", ""};
const std::pair<std::string, std::string> kOrderError{"Input Value Error !", "Error"};
const std::pair<std::string, std::string> kLimitError{"Input Value Error !", "ERROR"};

INSTANTIATE_TEST_SUITE_P(
    Cases, BlockChecks,
    ::testing::Values(
        BlockCase{"Valid", Block("100", "1FF", "80", "FF", "1000"), {}, false, true, true},
        BlockCase{"EndZero", Block("0", "0", "0", "0", "10"), {kRangeError}, true, false, false},
        BlockCase{"EndBelowStart",
                  Block("200", "100", "100", "80", "10"),
                  {kRangeError},
                  true,
                  false,
                  false},
        BlockCase{"EndBeyondTheBuffer",
                  Block("0", "10401", "0", "8200", "10"),
                  {kRangeError},
                  true,
                  false,
                  false},
        BlockCase{"OneAddress",
                  Block("100", "100", "80", "80", "10"),
                  {kOrderError},
                  false,
                  false,
                  false},
        BlockCase{"WordFieldsReversed",
                  Block("100", "1FF", "FF", "80", "1000"),
                  {kOrderError},
                  false,
                  false,
                  false},
        BlockCase{"EndAtTheBufferLength",
                  Block("0", "10400", "0", "8200", "10"),
                  {kLimitError},
                  false,
                  false,
                  true},
        BlockCase{"WordEndAtTheBufferLength",
                  Block("0", "FF", "0", "10400", "1000"),
                  {kLimitError},
                  false,
                  false,
                  true},
        BlockCase{"DestinationEndBeyond",
                  Block("0", "FF", "0", "7F", "10380"),
                  {kLimitError},
                  false,
                  false,
                  true},
        BlockCase{"OverlappingCopy", Block("100", "1FF", "80", "FF", "180"), {}, false, true, true},
        BlockCase{"OverlappingSwap",
                  Block("100", "1FF", "80", "FF", "180", 2),
                  {kRangeError},
                  false,
                  false,
                  true},
        BlockCase{
            "SwapJustBehind", Block("100", "1FF", "80", "FF", "200", 2), {}, false, true, true},
        // One shared byte is an overlap too, at either end.
        BlockCase{"SwapStartingOnTheEnd",
                  Block("100", "1FF", "80", "FF", "1FF", 2),
                  {kRangeError},
                  false,
                  false,
                  true},
        BlockCase{"SwapEndingOnTheStart",
                  Block("100", "1FF", "80", "FF", "1", 2),
                  {kRangeError},
                  false,
                  false,
                  true},
        BlockCase{
            "SwapJustBefore", Block("100", "1FF", "80", "FF", "0", 2), {}, false, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RangeDialogs, BlockAnswerIsRememberedAndComesBackAtTheNextOpening) {
    BlockDialogLogic logic(buffer, device, messages);
    BlockFields f = logic.Opening();
    EXPECT_EQ(f.range, Range("0000000", "0007FFF", "0000000", "0003FFF"));
    EXPECT_EQ(f.dest8, "0000000");
    EXPECT_EQ(f.action, 0);

    f = Block("100", "1FF", "80", "FF", "1234", 1);
    EXPECT_EQ(BlockDialogLogic::DestEnd8(Block("100", "1FF", "80", "FF", "1000")), "00010FF");
    const DialogOutcome<BlockRequest> outcome = logic.Accept(f);
    ASSERT_TRUE(outcome.answer);
    EXPECT_EQ(outcome.answer->StartAdd, 0x100u);
    EXPECT_EQ(outcome.answer->EndAdd, 0x1FFu);
    EXPECT_EQ(outcome.answer->DistSAdd, 0x1234u);
    EXPECT_EQ(outcome.answer->Action, 1);
    EXPECT_EQ(Profile(History()).ReadSection(kBlockSection),
              (std::vector<std::string>{"StartAdd", "EndAdd", "Action", "DistSAdd", "OK"}));
    EXPECT_EQ(ReadKey(kBlockSection, "StartAdd"), "256");
    EXPECT_EQ(ReadKey(kBlockSection, "DistSAdd"), "4660");
    EXPECT_EQ(ReadKey(kBlockSection, "OK"), "1");

    const BlockFields again = BlockDialogLogic(buffer, device, messages).Opening();
    EXPECT_EQ(again.dest8, "0001234");
    EXPECT_EQ(again.dest16, "000091A");
    EXPECT_EQ(again.action, 1);
    EXPECT_TRUE(messages.shown.empty());
}

// ---- Fill --------------------------------------------------------------------------------------

TEST_F(RangeDialogs, FillOpensWithTheRememberedChoices) {
    FillFields f = FillDialogLogic(buffer, device, messages).Opening();
    EXPECT_EQ(f.range, Range("0000000", "0007FFF", "0000000", "0003FFF"));
    EXPECT_EQ(f.select, 0);
    EXPECT_EQ(f.userByte, "FF");
    EXPECT_EQ(f.userWord, "FFFF");
    EXPECT_FALSE(f.userCheck);
    EXPECT_EQ(f.byteWordSel, 0);

    WriteSection(kFillSection, {{"Select", "3"},
                                {"UserData", "18"},
                                {"UserWordData", "4779"},
                                {"UserCheck", "1"},
                                {"UserByteWordSel", "1"}});
    f = FillDialogLogic(buffer, device, messages).Opening();
    EXPECT_EQ(f.select, 3);
    EXPECT_EQ(f.userByte, "12");
    EXPECT_EQ(f.userWord, "12AB");
    EXPECT_TRUE(f.userCheck);
    EXPECT_EQ(f.byteWordSel, 1);
}

TEST(FillControls, FollowTheTickAndTheWidth) {
    EXPECT_EQ(FillControlsFor(false, 0), (FillControls{true, false, false, false}));
    EXPECT_EQ(FillControlsFor(false, 1), (FillControls{true, false, false, false}));
    EXPECT_EQ(FillControlsFor(true, 0), (FillControls{false, true, true, false}));
    EXPECT_EQ(FillControlsFor(true, 1), (FillControls{false, true, false, true}));
}

TEST_F(RangeDialogs, FillChecksItsRangeThenBothValues) {
    FillDialogLogic logic(buffer, device, messages);
    FillFields f;
    f.range = Range("0", "0", "0", "0");
    DialogOutcome<FillRequest> outcome = logic.Accept(f);
    EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{kRangeError}));
    EXPECT_EQ(outcome.reset, Range("0000000", "0007FFF", "0000000", "0003FFF"));

    // Both values are checked whichever is chosen.
    f.range = Range("10", "13", "8", "9");
    for (auto [userByte, userWord] : {std::pair{"100", "0"}, std::pair{"0", "10000"}}) {
        messages.Clear();
        f.userByte = userByte;
        f.userWord = userWord;
        EXPECT_FALSE(logic.Accept(f).answer);
        EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{kLimitError}));
    }

    messages.Clear();
    f.userCheck = true;
    f.byteWordSel = 1;
    f.userByte = "";  // an empty value counts as 0
    f.userWord = "12AB";
    f.select = 4;
    outcome = logic.Accept(f);
    ASSERT_TRUE(outcome.answer);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(outcome.answer->StartAdd, 0x10u);
    EXPECT_EQ(outcome.answer->EndAdd, 0x13u);
    EXPECT_EQ(outcome.answer->UserCheck, 1);
    EXPECT_EQ(outcome.answer->UserByteWordSel, 1);
    EXPECT_EQ(outcome.answer->UserData, 0);
    EXPECT_EQ(outcome.answer->UserWordData, 0x12AB);
    EXPECT_EQ(outcome.answer->Select, 4);
    EXPECT_EQ(Profile(History()).ReadSection(kFillSection),
              (std::vector<std::string>{"StartAdd", "EndAdd", "UserCheck", "Select", "UserData",
                                        "UserWordData", "OK", "UserByteWordSel"}));
    EXPECT_EQ(ReadKey(kFillSection, "UserWordData"), "4779");
}

// ---- Sum and the ways out ----------------------------------------------------------------------

TEST_F(RangeDialogs, SumChecksOrderAndLimitWithoutTheRangeReset) {
    SumDialogLogic logic(buffer, device, messages);
    EXPECT_FALSE(logic.Accept(Range("0", "0", "0", "0")).answer);
    EXPECT_FALSE(logic.Accept(Range("0", "10400", "0", "8200")).answer);
    EXPECT_EQ(Shown(),
              (std::vector<std::pair<std::string, std::string>>{kOrderError, kLimitError}));

    messages.Clear();
    const DialogOutcome<SumRequest> outcome = logic.Accept(Range("0", "8000", "0", "4000"));
    ASSERT_TRUE(outcome.answer);
    EXPECT_EQ(outcome.answer->StartAdd, 0u);
    EXPECT_EQ(outcome.answer->EndAdd, 0x8000u);
    EXPECT_EQ(Profile(History()).ReadSection(kSumSection),
              (std::vector<std::string>{"StartAdd", "EndAdd", "OK"}));
    EXPECT_EQ(ReadKey(kSumSection, "OK"), "1");
}

TEST_F(RangeDialogs, TheSumIcButtonOfOptionType1AsksTheProgrammerFirstAndOnlyOnce) {
    device.FuseTypeDigit = 1;
    SumDialogLogic logic(buffer, device, messages);
    EXPECT_TRUE(logic.OptionType1());
    int asked = 0;
    std::optional<RangeFields> nested = RangeFields{};
    logic.ProgrammerChecksum = [&] {
        ++asked;
        EXPECT_TRUE(logic.ChecksumRunning());
        nested = logic.IcButton();  // a second press meanwhile
        return false;
    };
    // A failed checksum leaves the range as it is.
    EXPECT_EQ(logic.IcButton(), std::nullopt);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(nested, std::nullopt);
    EXPECT_FALSE(logic.ChecksumRunning());

    logic.ProgrammerChecksum = [&] { return true; };
    EXPECT_EQ(logic.IcButton(), logic.IcFields());
}

TEST_F(RangeDialogs, EveryWayOutButOkRemembersOkZero) {
    WriteSection(kBlockSection, {{"OK", "1"}});
    WriteSection(kFillSection, {{"OK", "1"}});
    WriteSection(kSumSection, {{"OK", "1"}});
    BlockDialogLogic(buffer, device, messages).Cancel();
    FillDialogLogic(buffer, device, messages).Cancel();
    SumDialogLogic(buffer, device, messages).Cancel();
    for (const char* section : {kBlockSection, kFillSection, kSumSection})
        EXPECT_EQ(ReadKey(section, "OK"), "0") << section;
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace burnmark::testing
