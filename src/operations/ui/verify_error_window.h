// The verify-error list window: the differences a compare listed, and the
// selected one bit by bit. One instance, made at start-up over the main
// window and kept until exit; the compares reach it through List().
#pragma once

#include <QWidget>

#include "operations/verify_error_list_model.h"

class QLabel;
class QPushButton;
class QTableView;

namespace burnmark {

class VerifyGridCells;

class TVerify_error : public QWidget, private VerifyErrorListView {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 463;
    static constexpr int kClientHeight = 446;

    // mainWindow: the parent; the window comes up over its "Copy_Panel".
    explicit TVerify_error(QWidget* mainWindow);
    ~TVerify_error() override;
    TVerify_error(const TVerify_error&) = delete;
    TVerify_error& operator=(const TVerify_error&) = delete;

    // The port the compares fill.
    VerifyErrorList& List() { return model_; }
    VerifyErrorListModel& Model() { return model_; }

    QTableView* Verify_Error_List() const { return errorGrid_; }
    QTableView* Check_Different() const { return bitGrid_; }

    // "&Exit": hides the window; its rows stay.
    void BitBtn2Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // VerifyErrorListView
    void ListRowsChanged(int first, int last) override;
    void BitViewChanged() override;
    void SelectionChanged() override;
    void BringUp() override;

    void BuildLayout();
    // Over the main window's Copy page, wherever the main window is now.
    void PlaceOverCopyPage();
    // A cell the operator selected or clicked (grid index, headings excluded).
    void ListCellChosen(int column, int gridRow);

    VerifyErrorListModel model_;
    VerifyGridCells* errorCells_ = nullptr;
    VerifyGridCells* bitCells_ = nullptr;
    QTableView* errorGrid_ = nullptr;
    QTableView* bitGrid_ = nullptr;
    QPushButton* exit_ = nullptr;
    bool selecting_ = false;
};

// The one list window, while it exists; null before start-up made it and
// after it is gone.
TVerify_error* Verify_error();

}  // namespace burnmark
