// The option window: the device's option pages built at run time from the
// core's walk of its option-definition file, with OK, Cancel and the
// verify-list box. It is made for one showing and destroyed afterwards; the
// values, the checks and the OK sequence are the core's (OptionPages).
#pragma once

#include <QDialog>
#include <cstddef>
#include <memory>
#include <vector>

#include "catalogue/option_pages.h"

class QCheckBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace burnmark {

class TComponentDefault;

class TCurrentPageForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 538;
    static constexpr int kClientHeight = 378;

    // The window with OK, Cancel and check_list (InitVerifyListCheck); no
    // pages until LoadOptionPages.
    TCurrentPageForm(OptionPages& pages, QWidget* owner);
    ~TCurrentPageForm() override;
    TCurrentPageForm(const TCurrentPageForm&) = delete;
    TCurrentPageForm& operator=(const TCurrentPageForm&) = delete;

    // Builds the pages and their controls (BuildOptionPages).
    void LoadOptionPages();
    // 1 after OK, else 0.
    int Result() const { return pages_.Result(); }

    QTabWidget* MainPageControl() const { return mainPageControl_; }
    QCheckBox* check_list() const { return checkList_; }
    QPushButton* OKBitBtn() const { return okButton_; }
    QPushButton* BitBtn2() const { return cancelButton_; }
    // The control made for a component (creation order), nullptr for none;
    // for a value field its edit field.
    QWidget* ControlOf(std::size_t component) const;

    void OKBitBtnClick();
    void BitBtn2Click();
    // Cancel and the Escape key; ignored while OK's work runs.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildLayout();
    void BuildOptionPages();

    OptionPages& pages_;
    // While OK's work with the programmer runs: no second OK, no Cancel.
    bool working_ = false;

    QTabWidget* tabbedNotebook_ = nullptr;
    QTabWidget* mainPageControl_ = nullptr;
    QFrame* buttonPanel_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QCheckBox* checkList_ = nullptr;
    std::vector<std::unique_ptr<TComponentDefault>> components_;
};

// Creates the window for the main window's Parameters control, shows it
// modally and destroys it: the pages at the main window's Left + 6, Top + 50;
// a window without pages over the main window's Copy page for option type 0,
// else at Left + 8, Top + 52. Returns Result.
int ShowOptionWindow(QWidget& mainForm, OptionPages& pages);

}  // namespace burnmark
