// The option window's core: which window the Parameters control opens, the
// check at OK with its message, what OK stores and in which order it does
// the rest (the verify-list choice, the send, the buffer size, the checksum).
#include "catalogue/option_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "buffer/buffer_sizing.h"
#include "unit/catalogue/option_fixture.h"

namespace burnmark::testing {
namespace {

class OptionPagesTest : public OptionFixture {
protected:
    OptionPagesTest() {
        Definition(
            "[CurrentUserPage]\nTotal=2\n"
            "[CurrentUserPage_0]\nComponentTotal=4\n"
            "ComponentType0=0\nComponentCaption0=Wdog\n"
            "ComponentType1=1\nRadio1Total=3\n"
            "ComponentType2=2\nValueType2=1\nValueMin2=20\n"
            "ComponentType3=2\nValueType3=3\n"
            "[CurrentUserPage_1]\nComponentTotal=3\n"
            "ComponentType0=2\nValueType0=6\nLength0=4\n"
            "ComponentType1=3\nExplation1Total=1\n"
            "ComponentType2=9\n"
            "[CurrentUserPageSetup]\nPage0Com0Set=1\n");
        Store("[CurrentUserPageSetup]\nPage0Com2Set=25\nPage1Com2Set=77\n");
        sizing.BufferSize = 0x10000;
        EXPECT_TRUE(buffer.SetBufferSize(0x10000));
    }

    OptionPages Pages(bool withPages = true) {
        OptionPagesParts parts{device, options, sizing, buffer, messages, nullptr, nullptr};
        parts.SendOptionData = [this] {
            calls.push_back("send saved=" + std::to_string(options.OptionValuesSaved) +
                            " box=" + Stored("Page0Com0Set"));
            return sendOk;
        };
        parts.RefreshOptionChecksum = [this] { calls.push_back("refresh"); };
        return OptionPages(std::move(parts), withPages);
    }

    BufferSizing sizing;
    std::vector<std::string> calls;
    bool sendOk = true;
};

TEST(OptionWindowChoiceTest, MenuAndOptionTypeChooseTheWindow) {
    struct Case {
        const char* menu;
        uint16_t type;
        OptionWindowChoice choice;
    } cases[] = {
        {"OPTION\\A.INI", 1, OptionWindowChoice::Pages},
        {"OPTION\\A.INI", 2, OptionWindowChoice::Pages},
        {"OPTION\\A.INI", 7, OptionWindowChoice::Pages},
        {"OPTION\\A.INI", 0, OptionWindowChoice::Pageless},
        {"0", 1, OptionWindowChoice::Nothing},
        {"0", 0, OptionWindowChoice::Nothing},
        {"None", 2, OptionWindowChoice::Nothing},
        {"", 3, OptionWindowChoice::Nothing},
    };
    for (const Case& c : cases) {
        DeviceRecord device;
        device.Menu = c.menu;
        device.FuseTypeDigit = c.type;
        EXPECT_EQ(ChooseOptionWindow(device), c.choice) << c.menu << " " << c.type;
    }
}

TEST_F(OptionPagesTest, AValueBelowItsMinimumKeepsTheWindowOpen) {
    OptionPages pages = Pages();
    EXPECT_EQ(pages.SetText(2, "15"), "15");
    EXPECT_FALSE(pages.OKBitBtnClick());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Inputted Value is Wrong !\n\n [15]");
    EXPECT_EQ(messages.shown[0].title, "Inputted Value is Wrong");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Error);
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(pages.FirstWrongValue(), std::optional<std::size_t>(2));
    EXPECT_EQ(pages.Result(), 0);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(Stored("Page0Com2Set"), "25");
    EXPECT_EQ(options.OptionValuesSaved, 0);

    pages.SetText(2, "20");
    EXPECT_TRUE(pages.OKBitBtnClick());
    EXPECT_EQ(Stored("Page0Com2Set"), "20");
    EXPECT_EQ(pages.Result(), 1);
}

TEST_F(OptionPagesTest, OkStoresWhatTheControlsHold) {
    OptionPages pages = Pages();
    ASSERT_EQ(pages.ComponentCount(), 7u);
    // As shown: the check box from the definition, the rest from the store.
    EXPECT_TRUE(pages.Checked(0));
    EXPECT_EQ(pages.Chosen(1), 0);
    EXPECT_EQ(pages.Text(2), "25");
    EXPECT_EQ(pages.Text(4), "None");

    pages.SetChecked(0, false);
    pages.SetChosen(1, 99);                    // no such item: none chosen
    EXPECT_EQ(pages.SetText(2, "2x1"), "21");  // pasted past the key filter
    EXPECT_EQ(pages.SetText(3, "1f"), "1F");
    EXPECT_EQ(pages.SetText(4, "ABCDEFG"), "ABCD");
    ASSERT_TRUE(pages.OKBitBtnClick());

    struct Expected {
        const char* key;
        const char* value;
    } stored[] = {{"Page0Com0Set", "0"},  {"Page0Com1Set", "-1"},   {"Page0Com2Set", "21"},
                  {"Page0Com3Set", "31"}, {"Page1Com0Set", "ABCD"}, {"Page1Com1Set", "0"},
                  {"Page1Com2Set", "77"}};  // a kind without a control stores nothing
    for (const Expected& e : stored) EXPECT_EQ(Stored(e.key), e.value) << e.key;
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(OptionPagesTest, CancelStoresNothing) {
    OptionPages pages = Pages();
    pages.SetChecked(0, false);
    pages.SetVerifyList(true);
    pages.BitBtn2Click();
    EXPECT_EQ(pages.Result(), 0);
    EXPECT_EQ(Stored("Page0Com0Set"), "<missing>");
    EXPECT_EQ(options.VerifyListWanted, 0);
    EXPECT_EQ(options.OptionValuesSaved, 0);
    EXPECT_TRUE(calls.empty());
}

TEST_F(OptionPagesTest, OkRunsTheProgrammerWorkOfTheOptionType) {
    struct Case {
        uint16_t type;
        bool sendOk;
        std::vector<std::string> calls;
    } cases[] = {
        // The packing reads the values just stored, check boxes included.
        {0, true, {}},
        {1, true, {"send saved=1 box=0", "refresh"}},
        // A failed send has said why; no checksum of options not taken.
        {1, false, {"send saved=1 box=0"}},
        {2, true, {"send saved=1 box=0"}},
        {3, false, {"send saved=1 box=0"}},
        {4, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        calls.clear();
        device.FuseTypeDigit = c.type;
        options.OptionValuesSaved = 0;
        sendOk = c.sendOk;
        OptionPages pages = Pages();
        pages.SetChecked(0, false);
        EXPECT_TRUE(pages.OKBitBtnClick());
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(options.OptionValuesSaved, 1);
        EXPECT_EQ(pages.Result(), 1);
    }
}

TEST_F(OptionPagesTest, OkKeepsTheVerifyListChoiceAndTheLargerBuffer) {
    for (bool withPages : {true, false}) {
        SCOPED_TRACE(withPages);
        options.VerifyListWanted = 1;
        sizing.LoadedBufferSize = 0x30000;
        OptionPages pages = Pages(withPages);
        EXPECT_EQ(pages.HasPages(), withPages);
        EXPECT_TRUE(pages.VerifyList());
        pages.SetVerifyList(false);
        ASSERT_TRUE(pages.OKBitBtnClick());
        EXPECT_EQ(options.VerifyListWanted, 0);
        EXPECT_EQ(sizing.BufferSize, 0x30000u);
        EXPECT_EQ(buffer.GetBufferSize(), 0x30000u + DataBuffer::kLengthSlack);
    }
    // A smaller loaded size leaves the buffer as it is.
    sizing.LoadedBufferSize = 0x100;
    ASSERT_TRUE(Pages().OKBitBtnClick());
    EXPECT_EQ(sizing.BufferSize, 0x30000u);
}

TEST_F(OptionPagesTest, AWindowWithoutPagesStoresNothing) {
    device.FuseTypeDigit = 0;
    OptionPages pages = Pages(false);
    EXPECT_EQ(pages.ComponentCount(), 0u);
    ASSERT_TRUE(pages.OKBitBtnClick());
    EXPECT_FALSE(Profile(dir.Path() + "temp.ini").KeyExists(kOptionStoreSection, "Page0Com0Set"));
    EXPECT_EQ(options.OptionValuesSaved, 1);
}

TEST_F(OptionPagesTest, ACutDefinitionIsAnnouncedOnce) {
    OptionPages fits = Pages();
    fits.AnnounceCuts();
    EXPECT_TRUE(messages.shown.empty());

    Definition("[CurrentUserPage]\nTotal=99\n");
    OptionPages cut = Pages();
    cut.AnnounceCuts();
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"The option definition asks for more than the option "
                                        "pages hold:\n - 99 pages, the first 32 are shown"}));
}

}  // namespace
}  // namespace burnmark::testing
