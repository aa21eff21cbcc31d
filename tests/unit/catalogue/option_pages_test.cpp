// The option window's core: which window the Parameters control opens, the
// check at OK with its message, what OK stores and in which order it does
// the rest (the verify-list choice, the send, the buffer size, the checksum),
// and what it sends and says when the store cannot be written.
#include "catalogue/option_pages.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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

    OptionPages Pages(OptionWindowChoice choice = OptionWindowChoice::Pages) {
        OptionPagesParts parts{device, options, sizing, buffer, messages, nullptr, nullptr};
        parts.SendOptionWords = [this] {
            calls.push_back("send saved=" + std::to_string(options.OptionValuesSaved) +
                            " box=" + Stored("Page0Com0Set") +
                            " word0=" + std::to_string(options.OptionWords[0]));
            return sendOk;
        };
        parts.RefreshOptionChecksum = [this] { calls.push_back("refresh"); };
        return OptionPages(std::move(parts), choice);
    }

    BufferSizing sizing;
    std::vector<std::string> calls;
    bool sendOk = true;
};

// Every device opens a window, so that the verify-list box can always be
// reached: memory devices have no option pages at all.
TEST(OptionWindowChoiceTest, MenuAndOptionTypeChooseTheWindow) {
    struct Case {
        const char* menu;
        uint16_t type;
        OptionWindowChoice choice;
    } cases[] = {
        {"OPTION\\A.INI", 1, OptionWindowChoice::Pages},
        {"OPTION\\A.INI", 2, OptionWindowChoice::Pages},
        {"OPTION\\A.INI", 7, OptionWindowChoice::Pages},
        {"OPTION\\A.INI", 0, OptionWindowChoice::PagelessOverCopy},
        {"0", 1, OptionWindowChoice::PagelessOverMain},
        {"0", 0, OptionWindowChoice::PagelessOverMain},
        {"0x.INI", 2, OptionWindowChoice::PagelessOverMain},
        // No definition named: the pages of a missing one, a single empty page.
        {"None", 2, OptionWindowChoice::Pages},
        {"", 3, OptionWindowChoice::Pages},
        {"None", 0, OptionWindowChoice::PagelessOverCopy},
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
    pages.SetChosen(1, 2);  // the last of its three items
    EXPECT_EQ(pages.Chosen(1), 2);
    pages.SetChosen(1, 3);  // one past it
    EXPECT_EQ(pages.Chosen(1), -1);
    pages.SetChosen(1, 99);                    // no such item: none chosen
    EXPECT_EQ(pages.SetText(2, "2x1"), "21");  // pasted past the key filter
    EXPECT_EQ(pages.SetText(3, "1f"), "1F");
    EXPECT_EQ(pages.SetText(4, "ABCDEFG"), "ABCDEFG");  // its length cuts only the words
    ASSERT_TRUE(pages.OKBitBtnClick());

    struct Expected {
        const char* key;
        const char* value;
    } stored[] = {{"Page0Com0Set", "0"},  {"Page0Com1Set", "-1"},   {"Page0Com2Set", "21"},
                  {"Page0Com3Set", "31"}, {"Page1Com0Set", "ABCDEFG"}, {"Page1Com1Set", "0"},
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
        {1, true, {"send saved=1 box=0 word0=0", "refresh"}},
        // A failed send has said why; no checksum of options not taken.
        {1, false, {"send saved=1 box=0 word0=0"}},
        {2, true, {"send saved=1 box=0 word0=0"}},
        {3, false, {"send saved=1 box=0 word0=0"}},
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
    for (OptionWindowChoice choice :
         {OptionWindowChoice::Pages, OptionWindowChoice::PagelessOverMain,
          OptionWindowChoice::PagelessOverCopy}) {
        SCOPED_TRACE(static_cast<int>(choice));
        options.VerifyListWanted = 1;
        sizing.LoadedBufferSize = 0x30000;
        OptionPages pages = Pages(choice);
        EXPECT_EQ(pages.HasPages(), choice == OptionWindowChoice::Pages);
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

TEST_F(OptionPagesTest, AWindowWithoutPagesStoresAndSendsNothing) {
    device.FuseTypeDigit = 0;
    for (const char* menu : {"0", "OPTION\\TEST.INI"}) {
        SCOPED_TRACE(menu);
        device.Menu = menu;
        options.OptionValuesSaved = 0;
        OptionPages pages = Pages(ChooseOptionWindow(device));
        EXPECT_FALSE(pages.HasPages());
        EXPECT_EQ(pages.ComponentCount(), 0u);
        ASSERT_TRUE(pages.OKBitBtnClick());
        EXPECT_EQ(Stored("Page0Com0Set"), "<missing>");
        EXPECT_TRUE(calls.empty());
        EXPECT_EQ(options.OptionValuesSaved, 1);
        EXPECT_EQ(pages.Result(), 1);
    }
}

TEST_F(OptionPagesTest, PagesWithoutADefinitionAreOneEmptyPageThatStillSends) {
    for (const char* menu : {"None", "OPTION\\MISSING.INI"}) {
        SCOPED_TRACE(menu);
        calls.clear();
        device.Menu = menu;
        OptionPages pages = Pages(ChooseOptionWindow(device));
        ASSERT_EQ(pages.Layout().Pages.size(), 1u);
        EXPECT_EQ(pages.Layout().Pages[0].Caption, "Option-0");
        EXPECT_EQ(pages.ComponentCount(), 0u);
        ASSERT_TRUE(pages.OKBitBtnClick());
        EXPECT_EQ(calls.size(), 1u);
    }
}

// With temp.ini read-only the programmer still gets what the window shows,
// the operator is told once, and the store is marked as behind until a write
// of every value lands.
TEST_F(OptionPagesTest, AStoreThatCannotBeWrittenIsReportedAndTheShownValuesAreSent) {
    const std::string store = dir.Path() + "temp.ini";
    ASSERT_EQ(::chmod(store.c_str(), 0444), 0);
    options.OptionWords.fill(0x7777);
    OptionPages pages = Pages();
    pages.SetChecked(0, false);
    pages.SetText(2, "42");
    ASSERT_TRUE(pages.OKBitBtnClick());

    EXPECT_EQ(calls, std::vector<std::string>{"send saved=1 box=<missing> word0=0"});
    EXPECT_EQ(options.OptionWords[2], 42);
    EXPECT_EQ(options.OptionWords[4], 'N');  // the text field shows "None"
    EXPECT_EQ(Stored("Page0Com2Set"), "25");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text.rfind("Can't write " + store + " !\n", 0), 0u)
        << messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].title, "Settings");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Warning);
    EXPECT_TRUE(options.StoreBehind);
    EXPECT_EQ(pages.Result(), 1);

    // The next window shows the earlier value, as the message said.
    ASSERT_EQ(::chmod(store.c_str(), 0644), 0);
    OptionPages again = Pages();
    EXPECT_EQ(again.Text(2), "25");
    again.SetText(2, "42");
    ASSERT_TRUE(again.OKBitBtnClick());
    EXPECT_FALSE(options.StoreBehind);
    EXPECT_EQ(Stored("Page0Com2Set"), "42");
    EXPECT_EQ(messages.shown.size(), 1u);
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
