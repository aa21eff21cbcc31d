// The option values when temp.ini cannot be written, through the whole core
// on the sample's VM87X54 (option type 2): the option window's OK still sends
// what it shows and says the values are not kept; a read's option tail says
// the same; and protect stops rather than lock the chip with the earlier
// values the store still holds, until a write of every value lands.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "catalogue/option_layout.h"
#include "catalogue/option_pages.h"
#include "unit/shell/core_fixture.h"

namespace burnmark::testing {
namespace {

class OptionStoreTest : public CoreTest {
protected:
    OptionStoreTest() {
        core->RestoreDevice(Stored("VALEMICRO\\VM87X54.INI"));
        core->SizeBufferForRestore();
        sim.InsertChip(false, 0x4000);
        // Security level 2 (word 0) and a clock divider of 8 (word 3).
        storePath = dir.Write("temp.ini",
                              "[CurrentUserPageSetup]\r\nPage0Com0Set=2\r\nPage0Com3Set=8\r\n");
        core->Options().OptionValuesSaved = 1;
    }

    void StoreWritable(bool writable) {
        ASSERT_EQ(::chmod(storePath.c_str(), writable ? 0644 : 0444), 0);
    }
    std::string StoredValue(const std::string& key) const {
        return Profile(storePath).ReadString(kOptionStoreSection, key, "<missing>");
    }
    // The option window's OK with security level 1 and a clock divider of 5.
    void ConfirmLevelOne() {
        const std::unique_ptr<OptionPages> pages = core->MakeOptionPages(OptionWindowChoice::Pages);
        pages->SetChosen(0, 1);
        pages->SetText(3, "5");
        ASSERT_TRUE(pages->OKBitBtnClick());
    }
    static uint16_t Word(const uint8_t* bytes, std::size_t i) {
        return static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    uint16_t ProgrammerWord(std::size_t i) { return Word(&sim.Ram()[kOptionWordsAddr], i); }
    uint16_t ChipWord(std::size_t i) { return Word(sim.Chip().optionWords.data(), i); }
    bool ProtectExecuted() const {
        for (const SimExecution& e : sim.Executions())
            if (e.operation == OpProtect) return true;
        return false;
    }

    std::string storePath;
};

TEST_F(OptionStoreTest, OkSendsWhatTheWindowShowsAndProtectWaitsForTheStore) {
    StoreWritable(false);
    ConfirmLevelOne();
    EXPECT_EQ(ProgrammerWord(0), 1);
    EXPECT_EQ(ProgrammerWord(3), 5);
    EXPECT_EQ(StoredValue("Page0Com0Set"), "2");
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{OptionStoreWriteFailText(storePath, "chosen")});

    // Protect would pack level 2 from the store: it stops before the chip.
    messages.Clear();
    sim.ClearTrace();
    EXPECT_FALSE(core->Simple().ProtectDevice(0));
    EXPECT_FALSE(ProtectExecuted());
    EXPECT_FALSE(sim.Chip().protectedFlag);
    EXPECT_EQ(core->Page().Top(CopyStep::Secur), StepImage::Fail);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{OptionStoreBehindText(storePath)});

    // Once the values are confirmed into a writable store, protect runs with them.
    StoreWritable(true);
    messages.Clear();
    ConfirmLevelOne();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(StoredValue("Page0Com0Set"), "1");
    EXPECT_TRUE(core->Simple().ProtectDevice(0));
    EXPECT_TRUE(sim.Chip().protectedFlag);
    EXPECT_EQ(ChipWord(0), 1);
    EXPECT_EQ(ChipWord(3), 5);
}

TEST_F(OptionStoreTest, AReadWhoseOptionsCannotBeKeptSaysSoAndProtectWaits) {
    Select("VALEMICRO", "VM87X54");
    sim.Chip().optionWords.fill(0);
    sim.Chip().optionWords[0] = 1;  // level 1
    sim.Chip().optionWords[6] = 4;  // clock divider 4
    core->Page().SetChecked(CopyCheckBox::check_confirm, false);
    StoreWritable(false);

    core->ReadBacks().read_nClick();
    EXPECT_EQ(core->Page().Top(CopyStep::Read), StepImage::Pass);
    EXPECT_EQ(core->Options().OptionWords[0], 1);
    EXPECT_EQ(StoredValue("Page0Com0Set"), "2");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{
                                    OptionStoreWriteFailText(storePath, "read from the chip")});

    messages.Clear();
    EXPECT_FALSE(core->Simple().ProtectDevice(0));
    EXPECT_FALSE(ProtectExecuted());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{OptionStoreBehindText(storePath)});

    // A later read that keeps every value puts the store right again.
    StoreWritable(true);
    messages.Clear();
    core->ReadBacks().read_nClick();
    EXPECT_EQ(StoredValue("Page0Com0Set"), "1");
    EXPECT_TRUE(core->Simple().ProtectDevice(0));
    EXPECT_EQ(ChipWord(0), 1);
    EXPECT_EQ(ChipWord(3), 4);
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace burnmark::testing
