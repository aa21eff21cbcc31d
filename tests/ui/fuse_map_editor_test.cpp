// The fuse grid control and the fuse-map editor window on the screen: the
// drawing at several pixel ratios, the window's layout and texts, the mouse,
// keys, scroll bars and jump edit reaching the map, SUM and OK, and the editor
// opened from the Copy page's Edit step of a logic device.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fusemap/jedec.h"
#include "fusemap/ui/fuse_cell_look.h"
#include "fusemap/ui/gal_form.h"
#include "fusemap/ui/pal_show_box_widget.h"
#include "operations/copy_page_model.h"
#include "platform/profile.h"
#include "shell/start_up.h"
#include "shell/ui/app_composition.h"
#include "widgets/ui/image_control.h"
#include "shell/ui/main_form.h"
#include "support/fake_ports.h"
#include "support/mouse_events.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeFailDisplay;
using testing::Click;
using testing::DoubleClick;
using testing::SendMouse;
using testing::FakeMessages;
using testing::FakePump;
using testing::FakeSounds;
using testing::SimulatedProgrammer;
using testing::TempDir;


bool SendKey(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &event);
    return event.isAccepted();
}

// The pixel of grid cell (column, row), `inset` pixels from its top left corner.
QPoint CellPoint(int column, int row, int inset = 7) {
    return QPoint(PalShowBox::kCellOrigin + column * kFuseCellSize + inset,
                  PalShowBox::kCellOrigin + row * kFuseCellSize + inset);
}

// ---- The grid's drawing ---------------------------------------------------------------------

TEST(PalShowBoxWidgetTest, CellsStaySharpAndEvenAtEveryPixelRatio) {
    PalShowBox model;
    model.SetWColls(24);
    model.SetHColls(8);
    model.SetCellSize(kFuseCellSize, kFuseCellSize);
    for (int c = 0; c < 24; c += 3) model.SetArrValue(1, c, 1);
    model.SetArrValue(7, 23, 2);
    model.FocusIn();
    model.SetFocusX(4);
    model.SetFocusY(1);
    const QSize size(model.ControlWidth(), model.ControlHeight());
    ASSERT_EQ(size, QSize(364, 124));

    auto draw = [&](qreal ratio) {
        QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        PaintPalShowBox(painter, model, size);
        return image;
    };
    auto colours = [](const QImage& image) {
        std::set<QRgb> seen;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) seen.insert(image.pixel(x, y));
        return seen;
    };

    const std::set<QRgb> plain = colours(draw(1));
    EXPECT_FALSE(plain.count(QColor(Qt::magenta).rgb()));  // the control covers itself
    for (qreal ratio : {1.25, 1.5, 1.75, 2.0, 3.0}) {
        const QImage image = draw(ratio);
        // No smoothing: not one colour that the plain drawing lacks.
        EXPECT_EQ(colours(image), plain) << ratio;
        // Every line between two cells is as wide as every other.
        const int line = std::max(1, static_cast<int>(ratio));
        const int y = qRound((PalShowBox::kCellOrigin + 3 * kFuseCellSize + 2) * ratio);
        const QRgb separator =
            image.pixel(qRound((PalShowBox::kCellOrigin + kFuseCellSize) * ratio) - 1, y);
        std::vector<int> runs;
        for (int x = 0, run = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == separator) {
                ++run;
            } else if (run) {
                runs.push_back(run);
                run = 0;
            }
        }
        ASSERT_EQ(runs.size(), 24u) << ratio;
        for (int run : runs) EXPECT_EQ(run, line) << ratio;
    }
}

TEST(PalShowBoxWidgetTest, SizeFollowsTheAreaAndKeysReachTheModel) {
    PalShowBox model;
    TPalShowBox widget(model);
    EXPECT_EQ(widget.size(), QSize(10 * 15 + 4, 6 * 15 + 4));
    model.SetWColls(24);
    model.SetHColls(8);
    EXPECT_EQ(widget.size(), QSize(364, 124));

    std::vector<std::string> changes;
    model.OnChange = [&](int32_t x, int32_t y, int32_t v) {
        changes.push_back(std::to_string(x) + "," + std::to_string(y) + "=" + std::to_string(v));
    };
    struct Case {
        int key;
        const char* text;
        bool accepted;
    };
    const Case keys[] = {
        {Qt::Key_Right, "", true},   {Qt::Key_Down, "", true},
        {Qt::Key_1, "1", true},      {Qt::Key_Return, "\r", true},
        {Qt::Key_Space, " ", true},  {Qt::Key_0, "0", true},
        {Qt::Key_End, "", true},     {Qt::Key_Home, "", true},
        {Qt::Key_Escape, "", false},  // left for the window
    };
    for (const Case& k : keys)
        EXPECT_EQ(SendKey(&widget, k.key, QString::fromLatin1(k.text)), k.accepted) << k.key;
    EXPECT_EQ(changes, (std::vector<std::string>{"1,1=1", "2,1=1", "3,1=1", "4,1=0"}));
    EXPECT_EQ(model.Focus_X(), 0);

    // A double click just inside a cell's edge toggles that cell, not its neighbour.
    changes.clear();
    DoubleClick(&widget, CellPoint(6, 2, 14));
    DoubleClick(&widget, QPoint(widget.width() - 1, widget.height() - 1));  // the frame
    EXPECT_EQ(changes, std::vector<std::string>{"6,2=1"});
}

// ---- The window over a map -------------------------------------------------------------------

class GalFormTest : public ::testing::Test {
protected:
    void Build(const FuseGeometry& g) {
        map_.InitFuseBuffer(g);
        form_ = std::make_unique<Tform2>(map_, &parent_);
        map_.OnChecksumShown = [this](const std::string& text, bool) { field_.push_back(text); };
        messages_.Clear();
    }
    template <typename T = QWidget>
    T* Child(const char* name) const {
        T* w = form_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Text(const char* label) const { return Child<QLabel>(label)->text(); }
    QString RowLabel(int r) const {
        return Child<QTableWidget>("FuseAddStringGrid")->item(r, 0)->text();
    }

    FakeMessages messages_;
    FakeFailDisplay fail_;
    FuseMap map_{messages_, fail_};
    QWidget parent_;
    std::unique_ptr<Tform2> form_;
    std::vector<std::string> field_;
};

TEST_F(GalFormTest, FramelessToolWindowWithItsTexts) {
    Build({2048, 32, 64, 20, 0});
    EXPECT_EQ(form_->size(), QSize(660, 447));
    EXPECT_TRUE(form_->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form_->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(form_->parentWidget(), &parent_);
    auto* pages = Child<QTabWidget>("PalPageControl");
    ASSERT_EQ(pages->count(), 1);
    EXPECT_EQ(pages->tabText(0), "GAL Edit");

    EXPECT_EQ(Text("SquareLabel"), "Square : 0032 * 0064 ");
    EXPECT_EQ(Text("XLabel"), "X : 0000     Y : 0000");
    EXPECT_EQ(Text("BigMap1Label"), "-->Blown.[1 Key]");
    EXPECT_EQ(Text("Bitmap0Label"), "-->Intact.[0 Key]");
    EXPECT_EQ(Text("Gal_CurrentLabel"), "Current :");
    EXPECT_EQ(Text("Jump_lab"), "Jump ");
    EXPECT_EQ(Text("SUM_LAB"), "SUM");
    EXPECT_EQ(Text("FULL_LAB"), "Fill");
    EXPECT_EQ(Text("GAL_OK_LAB"), "OK");
    EXPECT_EQ(Child<QLineEdit>("JumpEdit")->text(), "00000000");

    // The row labels stand beside the grid's rows, 15 pixels each.
    auto* rows = Child<QTableWidget>("FuseAddStringGrid");
    auto* grid = Child<TPalShowBox>("PalShowBox1");
    ASSERT_EQ(rows->rowCount(), 8);
    EXPECT_EQ(rows->columnCount(), 2);
    EXPECT_EQ(grid->size(), QSize(364, 124));
    for (int r = 0; r < 8; ++r) {
        EXPECT_EQ(rows->rowHeight(r), 15);
        EXPECT_EQ(rows->y() + rows->rowViewportPosition(r),
                  grid->y() + PalShowBox::kCellOrigin + r * kFuseCellSize);
        char label[16];
        std::snprintf(label, sizeof label, "%08d", 32 * r);
        EXPECT_EQ(RowLabel(r).toStdString(), label);
    }
    auto* h = Child<QScrollBar>("PalScrollBar_H");
    auto* v = Child<QScrollBar>("PalScrollBar_V");
    EXPECT_EQ(h->maximum(), 8);
    EXPECT_EQ(v->maximum(), 62);
    EXPECT_EQ(h->pageStep(), 23);
    EXPECT_EQ(v->pageStep(), 7);

    // The other polarity's legend.
    Build({2194, 44, 50, 20, 1});
    EXPECT_EQ(Text("BigMap1Label"), "-->Intact.[1 Key]");
    EXPECT_EQ(Text("Bitmap0Label"), "-->Blown.[0 Key]");
    EXPECT_EQ(Text("SquareLabel"), "Square : 0044 * 0050 ");
}

TEST_F(GalFormTest, ADoubleClickTogglesTheFuseUnderThePointer) {
    Build({2048, 32, 64, 20, 0});
    auto* grid = Child<TPalShowBox>("PalShowBox1");
    const uint32_t before = map_.FuseChecksum();

    // Near the right edge of cell (3, 2): fuse 2 * 32 + 3, not its neighbour.
    DoubleClick(grid, CellPoint(3, 2, 14));
    EXPECT_EQ(map_.FuseAt(67), 1);
    EXPECT_EQ(map_.FuseAt(68), 0);
    EXPECT_NE(map_.FuseChecksum(), before);
    EXPECT_EQ(Text("XLabel"), "X : 0003     Y : 0002");
    EXPECT_EQ(Child<QLineEdit>("JumpEdit")->text(), "00000067");
    // The frame and the margins hit nothing.
    DoubleClick(grid, QPoint(1, 1));
    DoubleClick(grid, QPoint(grid->width() - 1, 40));
    DoubleClick(grid, QPoint(40, grid->height() - 1));
    const std::span<const uint8_t> fuses = map_.GetFuseBuffer();
    EXPECT_EQ(std::count(fuses.begin(), fuses.end(), 1), 1);
}

TEST_F(GalFormTest, SumShowsABoxAndOkHidesAndFillsTheFieldOnly) {
    Build({2048, 32, 64, 20, 0});
    map_.SetFuse(9, 1);
    const std::string sum = FuseChecksumText(map_.FuseChecksum());
    form_->show();

    Click(Child("check_sum"));
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].title, "Get Check Sum");
    EXPECT_EQ(messages_.shown[0].text, sum);
    EXPECT_EQ(field_, std::vector<std::string>{sum});

    Click(Child("Full_data"));  // Fill does nothing
    EXPECT_EQ(messages_.shown.size(), 1u);

    Click(Child("GAL_Image6"));
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(field_, (std::vector<std::string>{sum, sum}));
}

TEST_F(GalFormTest, TheJumpEditSettlesOnWhatTheMapAllows) {
    Build({2194, 44, 50, 20, 1});
    auto* edit = Child<QLineEdit>("JumpEdit");
    int rewrites = 0;
    QObject::connect(edit, &QLineEdit::textChanged, [&] { ++rewrites; });
    struct Case {
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {"12a45", "12"}, {"", "00000000"}, {"99999", "00002193"}, {"2193", "2193"}};
    for (const Case& c : cases) {
        rewrites = 0;
        edit->setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(edit->text(), c.shown) << c.typed;
        EXPECT_LE(rewrites, 2) << c.typed;
    }
    // Jump to the last fuse: shown in the grid's last column and row.
    Click(Child("Jump_buttom"));
    EXPECT_EQ(map_.ColOffset, 14);
    EXPECT_EQ(map_.RowOffset, 42);
    EXPECT_EQ(Child<QScrollBar>("PalScrollBar_H")->value(), 14);
    EXPECT_EQ(Child<QScrollBar>("PalScrollBar_V")->value(), 42);
    EXPECT_EQ(Text("XLabel"), "X : 0037     Y : 0049");
    EXPECT_EQ(RowLabel(0), "00001862");
    // Enter in the edit jumps as well.
    edit->setText(QStringLiteral("45"));
    SendKey(edit, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(map_.ColOffset, 0);
    EXPECT_EQ(map_.RowOffset, 0);
    EXPECT_EQ(Text("XLabel"), "X : 0001     Y : 0001");
}

TEST_F(GalFormTest, ScrollBarsMoveTheViewOnEveryChangeButTheDrag) {
    Build({2194, 44, 50, 20, 1});
    auto* v = Child<QScrollBar>("PalScrollBar_V");
    auto* h = Child<QScrollBar>("PalScrollBar_H");
    v->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(map_.RowOffset, 48);
    EXPECT_EQ(RowLabel(7), "00002420");
    v->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(map_.RowOffset, 0);
    v->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(map_.RowOffset, 7);
    h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(map_.ColOffset, 1);
    h->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(map_.ColOffset, 20);

    // While the thumb is dragged the view stays; it follows at the release.
    v->setSliderDown(true);
    v->setSliderPosition(30);
    EXPECT_EQ(map_.RowOffset, 7);
    v->setSliderDown(false);
    EXPECT_EQ(map_.RowOffset, 30);

    // Keys at the grid's edges move the bars with the view.
    auto* grid = Child<TPalShowBox>("PalShowBox1");
    SendKey(grid, Qt::Key_Up);
    EXPECT_EQ(v->value(), 29);
    EXPECT_EQ(map_.RowOffset, 29);

    // The wheel over the grid turns its vertical bar.
    const QPoint at = CellPoint(2, 2);
    QWheelEvent wheel(QPointF(at), QPointF(grid->mapToGlobal(at)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid, &wheel);
    EXPECT_GT(map_.RowOffset, 29);
    EXPECT_EQ(v->value(), map_.RowOffset);
}

TEST_F(GalFormTest, WithoutAMapTheWindowShowsNothingToEdit) {
    Build({0, 0, 0, 0, 0});
    EXPECT_EQ(Text("SquareLabel"), "Square : 0000 * 0000 ");
    auto* edit = Child<QLineEdit>("JumpEdit");
    EXPECT_EQ(edit->text(), "00000000");
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(Child("Jump_buttom")->isEnabled());
    int rewrites = 0;
    QObject::connect(edit, &QLineEdit::textChanged, [&] { ++rewrites; });
    edit->setText(QStringLiteral("17"));
    EXPECT_EQ(edit->text(), "00000000");
    EXPECT_LE(rewrites, 2);
    auto* grid = Child<TPalShowBox>("PalShowBox1");
    DoubleClick(grid, CellPoint(0, 0));
    SendKey(grid, Qt::Key_Left);
    SendKey(grid, Qt::Key_Right);
    Click(Child("Jump_buttom"));
    EXPECT_EQ(map_.ColOffset, 0);
    EXPECT_EQ(map_.RowOffset, 0);
    EXPECT_EQ(RowLabel(0), "00000000");
}

// ---- The editor in the program ---------------------------------------------------------------

class FuseEditorInWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(BURNMARK_SAMPLE_DIR, dir_.Path(), fs::copy_options::recursive);
    }
    void TearDown() override { form_.reset(); }

    TMainForm& Start(const std::string& maker, const std::string& type, const std::string& file) {
        Profile history(dir_.Path() + "History_1.ini");
        history.WriteString("SelectDlg", "Manufacturer", maker);
        history.WriteString("SelectDlg", "TypeNum", type);
        history.WriteString("SelectDlg", "IcFileName", dir_.Path() + file);
        ApplyEntryRules(dir_.Path());
        form_ = std::make_unique<TMainForm>(dir_.Path(),
                                            MainFormPorts{&messages_, &sounds_, &pump_, &sim_});
        form_->show();
        QApplication::processEvents();
        messages_.Clear();
        return *form_;
    }
    QWidget* EditStep() const {
        return form_->findChild<ImageControl*>(
            QString::fromStdString(StepImageName(CopyStep::Edit, StepImage::Ready)));
    }

    TempDir dir_;
    FakeMessages messages_;
    FakeSounds sounds_;
    FakePump pump_;
    SimulatedProgrammer sim_;
    std::unique_ptr<TMainForm> form_;
};

TEST_F(FuseEditorInWindowTest, TheEditStepOpensTheEditorModallyOverTheWindow) {
    TMainForm& form = Start("NORTHCHIP", "NC16L8", "INI\\NORTHCHIP\\NC16L8.INI");
    AppComposition& core = *form.Core();
    Tform2* editor = core.FuseEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(editor->View().SquareLabel(), "Square : 0032 * 0064 ");

    bool sawModal = false;
    QPoint placed;
    QTimer::singleShot(0, [&] {
        sawModal = editor->isVisible() && QApplication::activeModalWidget() == editor;
        placed = editor->pos() - form.pos();
        DoubleClick(editor->Grid(), CellPoint(5, 1));
        Click(editor->findChild<QWidget*>(QStringLiteral("GAL_Image6")));
    });
    ASSERT_NE(EditStep(), nullptr);
    Click(EditStep());

    EXPECT_TRUE(sawModal);
    EXPECT_EQ(placed, QPoint(96, 54));
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(core.Fuses().FuseAt(37), 1);
    // OK showed the map's checksum in the Copy page's field, without a box.
    const std::string sum = FuseChecksumText(core.Fuses().FuseChecksum());
    EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("SumEdit"))->text().toStdString(), sum);
    EXPECT_TRUE(messages_.shown.empty());

    // A new map for the device rebinds the same window; there is never a second.
    editor->View().JumpToFuse(2000);
    core.Core().InitFuseMapForDevice();
    EXPECT_EQ(core.FuseEditor(), editor);
    EXPECT_EQ(form.findChildren<Tform2*>().size(), 1);
    EXPECT_EQ(editor->View().FocusedAddress(), 0);
    EXPECT_EQ(core.Fuses().FuseAt(37), 0);

    // So does a new logic device chosen later.
    core.Fuses().SetFuse(37, 1);
    ASSERT_TRUE(core.Core().Steps().FuseMapForNewDevice());
    EXPECT_EQ(core.FuseEditor(), editor);
    EXPECT_EQ(form.findChildren<Tform2*>().size(), 1);
    EXPECT_EQ(form.State().Form2Created, 1);
    EXPECT_EQ(core.Fuses().FuseAt(37), 0);
}

TEST_F(FuseEditorInWindowTest, ADeviceWithoutAFuseMapHasNoEditor) {
    TMainForm& form = Start("ATMEL", "AT89C51", "INI\\ATMEL\\AT89C51.INI");
    EXPECT_EQ(form.Core()->FuseEditor(), nullptr);
    Click(EditStep());  // nothing to open; no modal loop to wait for
    EXPECT_EQ(form.findChildren<Tform2*>().size(), 0);
    EXPECT_TRUE(messages_.shown.empty());
}

}  // namespace
}  // namespace burnmark
