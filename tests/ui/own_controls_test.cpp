// The own controls on the screen: the lamp's pictures and timer, the history
// combo box over its INI file, and the character display's cells.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "widgets/ui/aled.h"
#include "widgets/ui/history_combo_box.h"
#include "widgets/ui/lcd_pain_box.h"
#include "support/temp_dir.h"

namespace burnmark {
namespace {

QColor Centre(QWidget& w) {
    const QImage shot = w.grab().toImage();
    return shot.pixelColor(shot.width() / 2, shot.height() / 2);
}

QColor ColourOf(uint32_t value) {
    const ColorRgb rgb = RgbOfColor(value);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

TEST(TALedTest, EachStyleShowsItsColourAtTheCentre) {
    const TLEDStyle styles[] = {TLEDStyle::LEDSmall,    TLEDStyle::LEDLarge,
                                TLEDStyle::LEDSqSmall,  TLEDStyle::LEDSqLarge,
                                TLEDStyle::LEDVertical, TLEDStyle::LEDHorizontal};
    for (TLEDStyle style : styles) {
        SCOPED_TRACE(static_cast<int>(style));
        TALed lamp;
        lamp.ChangeStyle(style);
        const LedSize size = LedStyleSize(style);
        EXPECT_EQ(lamp.size(), QSize(size.width, size.height));
        EXPECT_EQ(Centre(lamp), ColourOf(kColorSilver));
        lamp.ChangeValue(true);
        EXPECT_EQ(Centre(lamp), ColourOf(kColorLime));
        lamp.SetTrueColor(kColorYellow);
        EXPECT_EQ(Centre(lamp), QColor(255, 255, 0)) << "red in the low byte";
        // The surface's own template is pure green there.
        const QImage plain = TALed::DrawLedTemplate(style, 2.0);
        EXPECT_EQ(plain.pixelColor(plain.width() / 2, plain.height() / 2), QColor(0, 255, 0));
        EXPECT_EQ(plain.size(), QSize(size.width * 2, size.height * 2));
    }
}

TEST(TALedTest, BlinkTicksAndTheTimer) {
    struct Step {
        const char* what;
        std::function<void(TALed&)> act;
        uint32_t centre;
        int timer;  // the timer's period, 0 for none
    };
    const std::vector<Step> steps = {
        {"on", [](TALed& l) { l.ChangeValue(true); }, kColorLime, 1000},
        {"a tick", [](TALed& l) { l.OnLedTimer(); }, kColorSilver, 1000},
        {"a new period for the running timer", [](TALed& l) { l.SetInterval(250); }, kColorSilver,
         250},
        {"a new colour keeps blinking", [](TALed& l) { l.SetTrueColor(kColorYellow); },
         kColorYellow, 250},
        {"a tick", [](TALed& l) { l.OnLedTimer(); }, kColorSilver, 250},
        {"blink off shows the lamp's value", [](TALed& l) { l.ChangeBlink(false); }, kColorYellow,
         0},
        {"a tick without a timer", [](TALed& l) { l.OnLedTimer(); }, kColorYellow, 0},
        {"blink on", [](TALed& l) { l.ChangeBlink(true); }, kColorYellow, 250},
        {"a period of 0 is steady", [](TALed& l) { l.SetInterval(0); }, kColorYellow, 0},
        {"off", [](TALed& l) { l.ChangeValue(false); }, kColorSilver, 0},
    };
    TALed lamp;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act(lamp);
        QApplication::processEvents();
        EXPECT_EQ(Centre(lamp), ColourOf(s.centre));
        ASSERT_EQ(lamp.BlinkTimer() != nullptr, s.timer != 0);
        if (lamp.BlinkTimer()) {
            EXPECT_EQ(lamp.BlinkTimer()->interval(), s.timer);
            EXPECT_TRUE(lamp.BlinkTimer()->isActive());
        }
    }
}

TEST(TALedTest, TheTimerBlinksOnItsOwn) {
    TALed lamp;
    lamp.SetInterval(5);
    QSignalSpy ticks(&lamp, &TALed::OnTimer);
    lamp.ChangeValue(true);
    ASSERT_TRUE(ticks.wait(2000));
    // One tick (or an odd number) shows the off colour, an even number the on one.
    EXPECT_EQ(lamp.State().ShownOn(), ticks.count() % 2 == 0);
}

class HistoryBoxTest : public ::testing::Test {
protected:
    std::string Ini() const { return dir_.Path() + "Hist.ini"; }
    std::vector<std::string> Items(const THistoryComboBox& box) const {
        std::vector<std::string> items;
        for (int i = 0; i < box.count(); ++i) items.push_back(box.itemText(i).toStdString());
        return items;
    }
    testing::TempDir dir_;
};

TEST_F(HistoryBoxTest, ReadsTypesAndWritesItsHistory) {
    dir_.Write("Hist.ini", "[LoadFile]\r\nH0=b.hex\r\nH1=a.hex\r\nH2=c.hex\r\n");
    THistoryComboBox box;
    box.SetIniFileName(Ini());
    box.SetIniSection("LoadFile");
    EXPECT_EQ(box.MaxHistoryLength(), 7);
    box.ReadIniFile();
    EXPECT_EQ(Items(box), (std::vector<std::string>{"b.hex", "a.hex", "c.hex"}));
    EXPECT_TRUE(box.currentText().isEmpty());

    // Typing and Enter add nothing by themselves.
    box.lineEdit()->setText(QStringLiteral("a.hex"));
    QTest::keyClick(box.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(box.count(), 3);

    box.WriteIniFile();
    const Profile ini(Ini());
    EXPECT_EQ(ini.ReadString("LoadFile", "H0", ""), "a.hex");
    EXPECT_EQ(ini.ReadString("LoadFile", "H1", ""), "b.hex");
    EXPECT_EQ(ini.ReadString("LoadFile", "H2", ""), "c.hex");
    EXPECT_FALSE(ini.KeyExists("LoadFile", "H3"));
    EXPECT_EQ(Items(box), (std::vector<std::string>{"a.hex", "b.hex", "c.hex"}));
    EXPECT_EQ(box.currentText(), QStringLiteral("a.hex"));
}

TEST_F(HistoryBoxTest, NamesComeBackExactlyAndAFailedWriteSaysSo) {
    const std::vector<std::string> names = {" lead.bin", "trail.bin ", "\"quoted.hex\"", "  ",
                                            "plain.hex"};
    THistoryComboBox box;
    box.SetIniFileName(Ini());
    box.SetIniSection("LoadFile");
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        box.setEditText(QString::fromStdString(*it));
        ASSERT_TRUE(box.WriteIniFile());
    }
    EXPECT_EQ(Items(box), names);
    THistoryComboBox again;
    again.SetIniFileName(Ini());
    again.SetIniSection("LoadFile");
    again.ReadIniFile();
    EXPECT_EQ(Items(again), names);

    // A file that cannot be written: false, the file as it was; the box's
    // list has the name all the same, for this session.
    ASSERT_EQ(::chmod(Ini().c_str(), 0444), 0);
    const std::string before = dir_.Read("Hist.ini");
    again.setEditText(QStringLiteral("new.hex"));
    EXPECT_FALSE(again.WriteIniFile());
    EXPECT_EQ(dir_.Read("Hist.ini"), before);
    EXPECT_EQ(again.itemText(0), QStringLiteral("new.hex"));
}

TEST_F(HistoryBoxTest, WithoutASectionTheHistoryIsOff) {
    dir_.Write("Hist.ini", "[LoadFile]\r\nH0=b.hex\r\n");
    THistoryComboBox box;
    box.SetIniFileName(Ini());
    box.addItem(QStringLiteral("kept"));
    box.ReadIniFile();
    EXPECT_EQ(Items(box), std::vector<std::string>{"kept"});
    box.setEditText(QStringLiteral("new.hex"));
    box.WriteIniFile();
    EXPECT_EQ(Profile(Ini()).ReadSection("LoadFile"), std::vector<std::string>{"H0"});
    EXPECT_EQ(Items(box), std::vector<std::string>{"kept"});
}

// A sheet whose glyph k is one flat colour, so that each cell tells its code.
QImage FlatSheet() {
    QImage sheet(kLcdCellWidth * 16, kLcdCellHeight * 16, QImage::Format_RGB32);
    for (int k = 0; k < 256; ++k) {
        const LcdPoint at = LcdGlyphOrigin(static_cast<uint8_t>(k));
        for (int y = 0; y < kLcdCellHeight; ++y)
            for (int x = 0; x < kLcdCellWidth; ++x)
                sheet.setPixel(at.x + x, at.y + y, qRgb(k, 255 - k, 40));
    }
    return sheet;
}

TEST(TLcdPainBoxTest, CellsComeFromTheirGlyphsAndTheCursorIsInverted) {
    TLcdPainBox lcd;
    EXPECT_EQ(lcd.size(), QSize(202, 58));
    lcd.SetDataPictur(FlatSheet());
    std::vector<uint8_t> block(kLcdTextBytes, 0);
    block[0] = 'A';
    block[kLcdColumns * 3 + 19] = 200;  // the last cell
    block[kLcdColumns + 4] = 7;
    block[kLcdCellCount] = kLcdColumns + 4;  // the cursor on row 1, column 4
    ASSERT_TRUE(lcd.SetText(block));
    lcd.RED = -1;  // brought into 0..255 when drawn
    lcd.GREEN = 256 + 10;
    lcd.BLUE = 30;

    const QImage shot = lcd.DrawAll(1.0);
    auto cell = [&](int column, int row) {
        const LcdPoint at = LcdCellOrigin(column, row);
        return shot.pixel(at.x + 4, at.y + 6);
    };
    EXPECT_EQ(cell(0, 0), qRgb('A', 255 - 'A', 40));
    EXPECT_EQ(cell(19, 3), qRgb(200, 55, 40));
    EXPECT_EQ(cell(1, 0), qRgb(0, 255, 40));
    // The cursor's glyph combined with the background by exclusive or.
    EXPECT_EQ(cell(4, 1), qRgb(7 ^ 255, (255 - 7) ^ 10, 40 ^ 30));
    EXPECT_EQ(lcd.RED, 255);
    EXPECT_EQ(lcd.GREEN, 10);
    // Between the cells the background shows; the frame is black.
    EXPECT_EQ(shot.pixel(10, 5), qRgb(255, 10, 30));
    EXPECT_EQ(shot.pixel(0, 20), qRgb(0, 0, 0));

    // A block too short for the display is ignored.
    std::vector<uint8_t> shortBlock(kLcdTextBytes - 1, 'x');
    EXPECT_FALSE(lcd.SetText(shortBlock));
    EXPECT_EQ(lcd.Text().Code(0, 0), 'A');
}

TEST(TLcdPainBoxTest, ItsOwnGlyphSheet) {
    const QImage sheet = TLcdPainBox::MakeGlyphSheet(1.0);
    EXPECT_EQ(sheet.size(), QSize(144, 208));
    auto inked = [&](uint8_t code) {
        const LcdPoint at = LcdGlyphOrigin(code);
        int dark = 0;
        for (int y = 0; y < kLcdCellHeight; ++y)
            for (int x = 0; x < kLcdCellWidth; ++x)
                if (qGray(sheet.pixel(at.x + x, at.y + y)) < 90) ++dark;
        return dark;
    };
    EXPECT_GT(inked('A'), 5);
    EXPECT_GT(inked('0'), 5);
    EXPECT_EQ(inked(' '), 0);
    EXPECT_EQ(inked(1), 0);
    EXPECT_NE(TLcdPainBox::MakeGlyphSheet(2.0).size(), sheet.size());
}

}  // namespace
}  // namespace burnmark
