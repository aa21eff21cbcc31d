// TAboutBox: the product caption, the software version and the programmer's
// firmware version, with the maker's details and credits hidden behind two
// small hot spots. Made for each showing.
#pragma once

#include <QDialog>
#include <string>

#include "shell/about_box.h"

class QFrame;
class QLabel;
class QPushButton;

namespace burnmark {

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 290;
    static constexpr int kClientHeight = 138;

    // firmware: what the programmer reported, or "Not Available".
    explicit TAboutBox(const std::string& firmware, QWidget* parent = nullptr);

    const AboutCredits& Credits() const { return credits_; }

    void OKButtonClick() { accept(); }
    void Image2Click();
    void Image1DblClick();
    void ProgramIconClick();
    void Label2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* AddLabel(const char* name, const QString& text, QRect place, bool hidden);
    void ShowCredits();

    AboutCredits credits_;
    QFrame* panel1_ = nullptr;
    QLabel* programIcon_ = nullptr;
    QLabel* image1_ = nullptr;
    QLabel* image2_ = nullptr;
    QLabel* label2_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

// The box shown modally over the main window.
class QtAboutBox : public AboutBoxPort {
public:
    explicit QtAboutBox(QWidget* parent) : parent_(parent) {}
    bool ShowAboutBox(const std::string& firmware) override;

private:
    QWidget* parent_;
};

}  // namespace burnmark
