// The verify-error list window: its layout and headings, where it comes up,
// that a compare brings it up once, and the operator's clicks on its rows.
#include "operations/ui/verify_error_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <memory>
#include <string>
#include <vector>

namespace burnmark {
namespace {

// Counts the window's show events.
class ShowCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) ++shows;
        return false;
    }
    int shows = 0;
};

class VerifyErrorWindowTest : public ::testing::Test {
protected:
    VerifyErrorWindowTest() {
        // A stand-in for the main window: only its place and its Copy page's
        // place matter to the list window.
        mainWindow_.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        mainWindow_.setGeometry(200, 100, 552, 440);
        copyPanel_ = new QWidget(&mainWindow_);
        copyPanel_->setObjectName(QStringLiteral("Copy_Panel"));
        copyPanel_->setGeometry(8, 53, 536, 377);
        window_ = std::make_unique<TVerify_error>(&mainWindow_);
        window_->installEventFilter(&shows_);
    }

    QString ListText(int row, int column) const {
        const QTableView* grid = window_->Verify_Error_List();
        return grid->model()->index(row, column).data().toString();
    }
    QString BitText(int row, int column) const {
        const QTableView* grid = window_->Check_Different();
        return grid->model()->index(row, column).data().toString();
    }
    void ClickListRow(int row) {
        QTableView* grid = window_->Verify_Error_List();
        const QPoint at = grid->visualRect(grid->model()->index(row, 1)).center();
        QWidget* viewport = grid->viewport();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(viewport->mapToGlobal(at)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at),
                            QPointF(viewport->mapToGlobal(at)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(viewport, &release);
    }
    // One compare as the compares list: the reset, then Show before each row.
    void Compare(int rows) {
        VerifyErrorList& list = window_->List();
        list.ResetList();
        for (int i = 0; i < rows; ++i) {
            list.Show();
            list.AddVerifyError(i, 0x100 + i, 8, static_cast<uint16_t>(0x30 + i), 0x100 + i, 0x41);
        }
        QApplication::processEvents();
    }

    QWidget mainWindow_;
    QWidget* copyPanel_ = nullptr;
    ShowCounter shows_;
    std::unique_ptr<TVerify_error> window_;
};

TEST_F(VerifyErrorWindowTest, LayoutAndHeadings) {
    EXPECT_EQ(Verify_error(), window_.get());
    EXPECT_EQ(window_->windowTitle(), "Verify Error List");
    EXPECT_EQ(window_->size(), QSize(463, 446));
    EXPECT_TRUE(window_->isWindow());
    EXPECT_EQ(window_->parentWidget(), &mainWindow_);
    EXPECT_TRUE(window_->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window_->windowModality(), Qt::NonModal);
    EXPECT_FALSE(window_->isVisible());

    const QTableView* list = window_->Verify_Error_List();
    EXPECT_EQ(list->geometry(), QRect(10, 37, 444, 221));
    ASSERT_EQ(list->model()->columnCount(), 6);
    EXPECT_EQ(list->model()->rowCount(), 256);
    EXPECT_FALSE(list->horizontalHeader()->isHidden());
    const std::vector<std::string> headings = {"NO.", "Buffer Address", "Buffer Value",
                                               "",    "IC Value",       "IC Address"};
    const std::vector<int> listWidths = {32, 74, 82, 2, 75, 69};
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(list->model()->headerData(column, Qt::Horizontal).toString().toStdString(),
                  headings[column]);
        EXPECT_EQ(list->columnWidth(column), listWidths[column]) << column;
    }
    EXPECT_EQ(list->rowHeight(0), 21);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    for (int row : {0, 255}) EXPECT_EQ(ListText(row, 0), "") << row;

    const QTableView* bits = window_->Check_Different();
    EXPECT_EQ(bits->geometry(), QRect(10, 292, 444, 86));
    EXPECT_EQ(bits->model()->columnCount(), 26);
    EXPECT_EQ(bits->model()->rowCount(), 3);
    const std::vector<int> bitWidths = {31, 2, 48, 2,  30, 2,  10, 11, 10, 11, 10, 11, 11,
                                        11, 2, 10, 10, 11, 11, 12, 10, 11, 12, 2,  20, 20};
    for (int column = 0; column < 26; ++column)
        EXPECT_EQ(bits->columnWidth(column), bitWidths[column]) << column;
    EXPECT_EQ(BitText(1, 0), "Buffer");
    EXPECT_EQ(BitText(2, 0), "  IC  ");
    EXPECT_EQ(BitText(0, 2), "Address");
    EXPECT_EQ(BitText(0, 4), "HEX");
    EXPECT_EQ(BitText(0, 24), "Hi");
    EXPECT_EQ(BitText(0, 25), "Lo");

    const auto* label1 = window_->findChild<QLabel*>("Label1");
    ASSERT_NE(label1, nullptr);
    EXPECT_EQ(label1->text(), "Item  Address  HEX  F E D C B A 9 8  7 6 5 4 3  2 1 0   ASCII ");
    EXPECT_EQ(label1->pos(), QPoint(17, 266));
    const auto* label2 = window_->findChild<QLabel*>("Label2");
    ASSERT_NE(label2, nullptr);
    EXPECT_EQ(label2->text(), "Verify Error List ");
    const auto* exit = window_->findChild<QPushButton*>("BitBtn2");
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit->text(), "&Exit");
    EXPECT_EQ(exit->geometry(), QRect(362, 389, 92, 44));

    window_.reset();
    EXPECT_EQ(Verify_error(), nullptr);
}

TEST_F(VerifyErrorWindowTest, ACompareBringsItUpOnceOverTheCopyPage) {
    EXPECT_EQ(window_->pos(), QPoint(200 + 8 + 150, 100 + 53 + 85));

    Compare(5);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(shows_.shows, 1);
    EXPECT_EQ(ListText(0, 0), "0");
    EXPECT_EQ(ListText(4, 1), "0000104");
    EXPECT_EQ(ListText(4, 2), "41");
    EXPECT_EQ(ListText(4, 4), "34");
    EXPECT_EQ(ListText(5, 0), "");
    // The first row's bits are shown at once.
    EXPECT_EQ(BitText(1, 2), "0000100");
    EXPECT_EQ(BitText(2, 4), "30");
    EXPECT_EQ(window_->Verify_Error_List()->currentIndex().row(), 0);

    // Exit hides it and keeps the rows; the next compare brings it up again,
    // over the main window where that is now.
    window_->findChild<QPushButton*>("BitBtn2")->click();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(ListText(4, 0), "4");
    mainWindow_.move(300, 150);
    Compare(3);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(shows_.shows, 2);
    EXPECT_EQ(window_->pos(), QPoint(300 + 8 + 150, 150 + 53 + 85));
    EXPECT_EQ(ListText(3, 0), "");
    window_->hide();
}

TEST_F(VerifyErrorWindowTest, ClickingARowShowsItsBitsAnEmptyRowChangesNothing) {
    Compare(3);
    ClickListRow(2);
    EXPECT_EQ(BitText(1, 2), "0000102");
    EXPECT_EQ(BitText(2, 4), "32");
    EXPECT_EQ(BitText(0, 21), "X");  // bit 1: 0x41 against 0x32
    EXPECT_EQ(BitText(2, 25), "2");

    ClickListRow(10);
    EXPECT_EQ(BitText(1, 2), "0000102");
    EXPECT_EQ(BitText(2, 4), "32");
    window_->hide();
}

}  // namespace
}  // namespace burnmark
