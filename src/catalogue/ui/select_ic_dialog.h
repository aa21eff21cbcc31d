// The device selection dialog: a frameless 534 x 378 window over the Copy
// page with the maker and type lists and their edits, the maker's picture,
// the information panel, the web button, the history box, OK and Cancel.
// One instance lives from start-up to exit; its state is DeviceSelection's,
// and it only shows that state and hands the operator's input to it.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QStringList>

#include "catalogue/device_selection.h"

class QComboBox;
class QPainter;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QButtonGroup;

namespace burnmark {

// QDesktopServices: the desktop's default handler for the address.
class DesktopWebOpener : public WebOpener {
public:
    bool OpenUrl(const std::string& address) override;
};

// Draws the picture into the logical area, its aspect kept and centred, from
// the source scaled smoothly to the painter's device pixels, so that it is
// sharp at any device pixel ratio. cache, when given, keeps the scaled
// picture for the next paint of the same size.
void PaintMakerPicture(QPainter& painter, const QPixmap& source, const QRect& area,
                       QPixmap* cache = nullptr);

// The maker picture, drawn with PaintMakerPicture.
class MakerPictureBox : public QWidget {
    Q_OBJECT

public:
    explicit MakerPictureBox(QWidget* parent = nullptr);
    // An empty path, or a file that is no picture, keeps the picture shown.
    void SetPicturePath(const QString& path);
    const QString& PicturePath() const { return path_; }
    bool HasPicture() const { return !source_.isNull(); }

signals:
    // A double click with Alt and Ctrl held.
    void TotalAsked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString path_;
    QPixmap source_;
    QPixmap scaled_;
};

class TSelectICDialog : public QDialog, public SelectionView {
    Q_OBJECT

public:
    static constexpr int kWidth = 534;
    static constexpr int kHeight = 378;

    // model outlives the dialog. opener: how a maker's web page is opened
    // (the desktop's handler when null). Each showing reads the catalogue
    // afresh; the first runs the model's FormCreate, so that making the
    // dialog at start-up reads no catalogue.
    TSelectICDialog(DeviceSelection& model, QWidget* parent = nullptr, WebOpener* opener = nullptr);
    ~TSelectICDialog() override;

    // Placed with its top left corner at the screen point and shown modally
    // until OK or Cancel closes it.
    void ShowModalAt(QPoint topLeft);

    DeviceSelection& Model() { return model_; }

    // SelectionView
    void Changed() override;

    // The buttons' handlers. OK closes the dialog only after the model's
    // OK has done all its work, the programmer's included, so that the main
    // window takes no input meanwhile.
    void OKBtnClick();
    void CancelBtnClick();
    void ConnetWEBBitBtnClick();

public slots:
    // Escape and every other way of closing: Cancel.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildLayout();
    void Render();

    DeviceSelection& model_;
    DesktopWebOpener desktopOpener_;
    WebOpener* opener_;
    bool rendering_ = false;
    // What the lists show, so that they are refilled only when that changes.
    QStringList shownMakers_, shownTypes_, shownHistory_;

    QListWidget* makers_ = nullptr;
    QListWidget* types_ = nullptr;
    QLineEdit* manuEdit_ = nullptr;
    QLineEdit* icTypeEdit_ = nullptr;
    QComboBox* history_ = nullptr;
    QLabel* pinLabel_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    QLabel* vccLabel_ = nullptr;
    QLabel* vcpLabel_ = nullptr;
    QLabel* vppLabel_ = nullptr;
    QLabel* noteLabel_ = nullptr;
    QPushButton* okBtn_ = nullptr;
    QPushButton* cancelBtn_ = nullptr;
    QPushButton* webBtn_ = nullptr;
    QFrame* panel5_ = nullptr;
    MakerPictureBox* image1_ = nullptr;
    QButtonGroup* typeGroup_ = nullptr;
    QButtonGroup* radioGroup1_ = nullptr;
};

}  // namespace burnmark
