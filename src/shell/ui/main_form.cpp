#include "shell/ui/main_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QShowEvent>
#include <QWheelEvent>

#include "platform/profile.h"
#include "shell/ui/app_composition.h"
#include "shell/ui/image_control.h"

namespace burnmark {

namespace {

QFont FormFont() {
    // Stands in for "MS Sans Serif" 8.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    return font;
}

QFrame* MakePanel(const char* name, QWidget* parent, QRect geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(geometry);
    return panel;
}

ImageControl* MakeImage(const char* name, QWidget* parent, QRect geometry) {
    auto* image = new ImageControl(QString::fromLatin1(name), parent);
    image->setGeometry(geometry);
    return image;
}

ImageControl* MakeLabel(const char* name, const char* caption, QWidget* parent, QRect geometry) {
    ImageControl* label = MakeImage(name, parent, geometry);
    label->setText(QString::fromLatin1(caption));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// A stacked button: the pressed, highlighted and normal pictures, bottom to top.
void MakeStack(const char* name, QWidget* parent, QRect geometry) {
    const QString base = QString::fromLatin1(name);
    for (const QString& n : {base + "_Down", base + "_Hint", base}) {
        auto* image = new ImageControl(n, parent);
        image->setGeometry(geometry);
    }
}

QCheckBox* MakeCheckBox(const char* name, const char* caption, QWidget* parent, QRect geometry,
                        bool checked) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->setChecked(checked);
    return box;
}

// Displays keep their look while the window is busy; only commands grey out.
void KeepLookWhenDisabled(QWidget* widget) {
    QPalette palette = widget->palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = static_cast<QPalette::ColorRole>(role);
        palette.setBrush(QPalette::Disabled, r, palette.brush(QPalette::Active, r));
    }
    widget->setPalette(palette);
}

}  // namespace

TMainForm::TMainForm(std::string appDir, MainFormPorts ports, MainFormSeams seams,
                     QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      ports_(ports),
      seams_(std::move(seams)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("MainForm"));
    BuildLayout();

    state_.BufferSize = 0;
    state_.AppDir = std::move(appDir);
    const MainSettings settings = ReadMainSettings(Profile(state_.HistoryIniPath()), state_);
    ApplyCustomLogo(settings.Symbol);

    findChild<QWidget*>(QStringLiteral("CopyReadBtn"))->setEnabled(true);
    findChild<QWidget*>(QStringLiteral("Panel7"))->setEnabled(true);
    findChild<QWidget*>(QStringLiteral("Multi"))->show();
    findChild<QWidget*>(QStringLiteral("Multi_Hint"))->show();
    findChild<QWidget*>(QStringLiteral("parameter"))->setEnabled(true);

    state_.FpgaBufferOwned = 0;
    state_.HardwareMissingMessage = kHardwareMissingText;
    state_.ExitGuard = 0;
    state_.LastChecksum = 0;
    state_.HasFuseMap = 0;
    state_.Form2Created = 0;
    state_.OptionWords.fill(0);

    if (ports_.usb) {
        core_ = std::make_unique<AppComposition>(*this, *ports_.usb, *ports_.messages,
                                                 *ports_.sounds, *ports_.pump);
        core_->FillSeams(seams_);
    }

    FormCreate();
}

TMainForm::~TMainForm() {
    if (qApp) qApp->removeEventFilter(this);
    // The editor shows the core's buffer: it goes first when it is ours.
    if (editor_ && isAncestorOf(editor_)) delete editor_.data();
    // The core lets go of the Copy page's controls before they go.
    core_.reset();
}

void TMainForm::BuildLayout() {
    setFixedSize(kClientWidth, kClientHeight);
    setFont(FormFont());
    setCursor(Qt::SizeAllCursor);

    main_ = MakeImage("Main", this, QRect(0, 0, kClientWidth, kClientHeight));
    main_->setAutoFillBackground(true);
    main_->setMouseTracking(true);
    connect(main_, &ImageControl::MouseDown, this,
            [this](Qt::MouseButton b, QPoint p) { MainMouseDown(b, p); });
    connect(main_, &ImageControl::MouseMove, this,
            [this](Qt::MouseButtons b, QPoint p) { MainMouseMove(b, p); });

    // Title bar.
    sLogo_ = MakeImage("SLogo", main_, QRect(8, 4, 140, 44));
    MakeStack("Multi", main_, QRect(388, 6, 40, 30));
    MakeLabel("parameter", "Parameters", main_, QRect(378, 36, 60, 14));
    MakeStack("Help", main_, QRect(444, 6, 40, 30));
    MakeLabel("Label23", "About", main_, QRect(444, 36, 40, 14));
    MakeStack("Exit", main_, QRect(500, 6, 40, 30));
    MakeLabel("Label24", "Exit", main_, QRect(500, 36, 40, 14));

    // Pages. The Create, Utility and Project panels are laid out but never shown.
    createPanel_ = MakePanel("Create_Panel", main_, QRect(40, 455, 536, 366));
    MakeImage("Create_Page", createPanel_, QRect(0, 0, 536, 366));
    copyPanel_ = MakePanel("Copy_Panel", main_, QRect(8, 53, 536, 377));
    copyPanel_->hide();
    utilityPanel_ = MakePanel("Utility_Panel", main_, QRect(32, 463, 536, 365));
    MakeImage("Utility_Page", utilityPanel_, QRect(0, 0, 536, 365));
    utilityPanel_->hide();
    projectPanel_ = MakePanel("Project_Panel", main_, QRect(-1, 455, 538, 365));
    MakeImage("Project_Page", projectPanel_, QRect(0, 0, 538, 365));
    projectPanel_->hide();
    dumpEditPanel_ = MakePanel("DumpEdit_Panel", main_, QRect(56, 503, 537, 378));
    MakeImage("Edit_Page", dumpEditPanel_, QRect(0, 0, 537, 378));
    dumpEditPanel_->hide();

    // Copy page, in its own coordinates: the source steps down the left, the
    // operation steps in a row, the checksum and the step's progress below.
    MakeImage("Copy_Page", copyPanel_, QRect(0, 0, 536, 377));
    MakePanel("CopyTypeBtn", copyPanel_, QRect(8, 8, 64, 56));
    MakePanel("Panel7", copyPanel_, QRect(8, 72, 64, 56));
    MakePanel("Panel9", copyPanel_, QRect(8, 136, 64, 56));
    MakePanel("Panel8", copyPanel_, QRect(8, 200, 64, 56));
    const char* operationSteps[] = {"CopyReadBtn",    "CopyEraseBtn",  "CopyCheckBtn",
                                    "CopyProgramBtn", "CopyVerifyBtn", "CopySecurityBtn",
                                    "CopyConfirmBtn"};
    int x = 84;
    for (const char* step : operationSteps) {
        MakePanel(step, copyPanel_, QRect(x, 120, 56, 72));
        x += 60;
    }
    MakeCheckBox("check_confirm", "Confirm", copyPanel_, QRect(444, 194, 80, 16), true);
    sumEdit_ = new QLineEdit(copyPanel_);
    sumEdit_->setObjectName(QStringLiteral("SumEdit"));
    sumEdit_->setGeometry(84, 215, 90, 20);
    sumEdit_->setReadOnly(true);
    KeepLookWhenDisabled(sumEdit_);
    progressBar21_ = new QProgressBar(copyPanel_);
    progressBar21_->setObjectName(QStringLiteral("ProgressBar21"));
    progressBar21_->setGeometry(84, 250, 320, 14);
    progressBar21_->setRange(0, 100);
    progressBar21_->setTextVisible(false);
    KeepLookWhenDisabled(progressBar21_);

    // The tick boxes in one row at y 336; CheckBox3 lies on the Copy page.
    const QRect row(0, 336, 76, 18);
    tickBoxes_[TickErase] = MakeCheckBox("CheckBox1", "Erase", main_, row.translated(64, 0), true);
    tickBoxes_[TickBlank] = MakeCheckBox("CheckBox2", "Blank", main_, row.translated(144, 0), true);
    tickBoxes_[TickProgram] = MakeCheckBox("CheckBox3", "Program", copyPanel_,
                                           row.translated(224 - 8, -53), true);
    tickBoxes_[TickVerify] =
        MakeCheckBox("CheckBox4", "Verify", main_, row.translated(304, 0), true);
    tickBoxes_[TickProtect] =
        MakeCheckBox("CheckBox5", "Protect", main_, row.translated(384, 0), false);
    tickBoxes_[TickHiddenT] = MakeCheckBox("CheckBox11", "T", main_, row.translated(464, 0), false);
    tickBoxes_[TickHiddenT]->hide();
    connect(tickBoxes_[TickErase], &QCheckBox::clicked, this,
            [this] { state_.Run2LedFlag = state_.Run2LedFlag ? 0 : 1; });

    selectedType_ = new QListWidget(main_);
    selectedType_->setObjectName(QStringLiteral("SelectedType"));
    selectedType_->setGeometry(408, 115, 120, 36);
    selectedType_->addItems({QStringLiteral("None"), QStringLiteral("None")});
    KeepLookWhenDisabled(selectedType_);
    loadPathEdit_ = new QLineEdit(main_);
    loadPathEdit_->setObjectName(QStringLiteral("LoadPathEdit"));
    loadPathEdit_->setGeometry(240, 73, 160, 20);
    loadPathEdit_->setReadOnly(true);
    KeepLookWhenDisabled(loadPathEdit_);

    statusPanel_ = MakePanel("StatusPanel", main_, QRect(424, 268, 100, 56));
    for (const char* status : {"Fail", "Wait", "Pass"})
        MakeImage(status, statusPanel_, QRect(0, 0, 100, 56));
    KeepLookWhenDisabled(statusPanel_);

    progressBar2_ = new QProgressBar(main_);
    progressBar2_->setObjectName(QStringLiteral("ProgressBar2"));
    progressBar2_->setGeometry(64, 389, 340, 14);
    progressBar2_->setRange(0, 100);
    progressBar2_->setTextVisible(false);
    KeepLookWhenDisabled(progressBar2_);

    runPanel_ = MakePanel("RunPanel", main_, QRect(490, 365, 56, 56));
    MakeStack("Run", runPanel_, QRect(0, 0, 56, 56));

    // Below the visible area and disabled in the form.
    runPanel2_ = MakePanel("RunPanel2", main_, QRect(427, 442, 56, 38));
    MakeStack("Run2", runPanel2_, QRect(0, 0, 56, 38));
    runPanel2_->setEnabled(false);
    const char* lamps[] = {"ErasePanel", "CheckPanel", "ProgramPanel", "VerifyPanel",
                           "SecurityPanel"};
    for (int i = 0; i < 5; ++i) {
        lampPanels_[i] = MakePanel(lamps[i], main_, QRect(64 + 48 * i, 442, 40, 38));
        lampPanels_[i]->setEnabled(false);
    }

    // Stop lies beside the background, not on it, so that it stays usable
    // while everything else is disabled.
    stopPanel_ = MakePanel("StopPanel", this, QRect(427, 365, 56, 56));
    MakeStack("Stop", stopPanel_, QRect(0, 0, 56, 56));

    for (const char* name : {"Exit", "Exit_Hint", "Exit_Down", "Label24"})
        connect(findChild<ImageControl*>(QString::fromLatin1(name)), &ImageControl::Clicked, this,
                &TMainForm::ExitClick);
    connect(findChild<ImageControl*>(QStringLiteral("Stop_Hint")), &ImageControl::Clicked, this,
            [this] { if (seams_.StopClick) seams_.StopClick(); });
    connect(findChild<ImageControl*>(QStringLiteral("Multi_Hint")), &ImageControl::Clicked, this,
            [this] { if (seams_.MultiClick) seams_.MultiClick(); });
    connect(findChild<ImageControl*>(QStringLiteral("parameter")), &ImageControl::Clicked, this,
            [this] { if (seams_.MultiClick) seams_.MultiClick(); });
    connect(findChild<ImageControl*>(QStringLiteral("Help_Hint")), &ImageControl::Clicked, this,
            [this] { if (seams_.HelpClick) seams_.HelpClick(); });
    connect(findChild<ImageControl*>(QStringLiteral("Label23")), &ImageControl::Clicked, this,
            [this] { if (seams_.HelpClick) seams_.HelpClick(); });

    // Centred on the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
}

void TMainForm::ApplyCustomLogo(const std::string& symbol) {
    // A restored file that is no picture leaves the logo hidden rather than
    // showing an empty box or stopping the start.
    bool decoded = false;
    const bool handed = LoadCustomLogo(state_.AppDir, symbol, seams_.RestoreBitmapFile,
                                       [this, &decoded](const std::string& path) {
                                           const QPixmap picture(QString::fromStdString(path));
                                           decoded = !picture.isNull();
                                           if (decoded) sLogo_->setPixmap(picture);
                                       });
    sLogo_->setVisible(handed && decoded);
}

void TMainForm::FormCreate() {
    qApp->installEventFilter(this);
    if (seams_.LoadProjectList) seams_.LoadProjectList();
    state_.Run2LedFlag = 0;
    // For programs outside this system that look for the window.
    Profile(state_.AppDir + "logo.c.ini")
        .WriteString("Main", "Handle", std::to_string(static_cast<quint64>(winId())));
    state_.PathBuffer = state_.HistoryIniPath();
    ShowDumpEditPanel();
    CopyBtnClick();
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Shown once at start-up; a restore from the task bar is not a new session.
    if (!event->spontaneous() && !shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TMainForm::FormShow() { RestoreLastSession(); }

void TMainForm::RestoreLastSession() {
    burnmark::RestoreLastSession(state_, *this, seams_.session, *ports_.messages);
}

void TMainForm::ShowSelectedType(const std::string& maker, const std::string& type) {
    selectedType_->item(0)->setText(QString::fromStdString(maker));
    selectedType_->item(1)->setText(QString::fromStdString(type));
}

TickFlags TMainForm::Ticks() const {
    TickFlags ticks{};
    for (std::size_t box = 0; box < kTickBoxCount; ++box) ticks[box] = tickBoxes_[box]->isChecked();
    return ticks;
}

void TMainForm::SetTicks(const TickFlags& ticks) {
    for (std::size_t box = 0; box < kTickBoxCount; ++box) tickBoxes_[box]->setChecked(ticks[box]);
}

TickFlags TMainForm::Offered() const {
    TickFlags offered{};
    // Enabled by the device, whether or not the window is busy just now.
    for (std::size_t box = 0; box < kTickBoxCount; ++box)
        offered[box] = tickBoxes_[box]->isEnabledTo(main_);
    return offered;
}

void TMainForm::SetBusy(bool busy) {
    if (busy) {
        if (busyDepth_++ > 0) return;
    } else {
        if (busyDepth_ == 0 || --busyDepth_ > 0) return;
    }
    state_.Busy = busy;
    // Every command lies on the background: disabling it disables them all and
    // keeps their own Enabled, which the operations may change meanwhile.
    main_->setEnabled(!busy);
    if (editor_ && editor_->isWindow()) editor_->setEnabled(!busy);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (state_.Busy) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TMainForm::ExitClick() {
    const ExitAnswer answer = AskExit(state_, *ports_.messages, [this] { return Ticks(); });
    if (answer != ExitAnswer::Confirmed) return;
    for (std::size_t box = TickErase; box <= TickProtect; ++box) tickBoxes_[box]->setEnabled(false);
    close();
    if (seams_.ReleaseOnExit) seams_.ReleaseOnExit();
}

void TMainForm::MainMouseDown(Qt::MouseButton, QPoint position) {
    dragOffset_ = position + QPoint(1, 1);
}

void TMainForm::MainMouseMove(Qt::MouseButtons buttons, QPoint position) {
    if (buttons & Qt::LeftButton) {
        const QPoint screen = mapToGlobal(position);
        move(screen - dragOffset_);
        if (editor_ && editor_->isWindow() && editor_->isVisible())
            editor_->move(mapToGlobal(dumpEditPanel_->pos() + QPoint(3, 10)));
    }
    if (seams_.ImageMouseMove) seams_.ImageMouseMove(main_, "PAGE");
}

void TMainForm::CopyBtnClick() {
    for (std::size_t box = TickErase; box <= TickProtect; ++box) tickBoxes_[box]->show();
    for (QWidget* lamp : lampPanels_) lamp->show();
    statusPanel_->show();
    state_.Run2LedFlag = 1;
    if (editor_) editor_->hide();
    dumpEditPanel_->hide();
    projectPanel_->hide();
    createPanel_->hide();
    copyPanel_->show();
    utilityPanel_->hide();
    selectedType_->show();
    sumEdit_->show();
    progressBar2_->show();
    runPanel_->show();
    runPanel2_->show();
    stopPanel_->show();
    loadPathEdit_->show();
}

void TMainForm::ShowDumpEditPanel() {
    for (std::size_t box = TickErase; box <= TickProtect; ++box) tickBoxes_[box]->hide();
    dumpEditPanel_->move(95, 50);
    dumpEditPanel_->show();
    projectPanel_->hide();
    copyPanel_->hide();
    progressBar2_->hide();
    runPanel_->hide();
    stopPanel_->hide();
    if (editor_) {
        PlaceEditor();
        editor_->show();
        editor_->update();
    } else if (seams_.CreateEditWindow) {
        // One editor window: "NONAME" and its number.
        editor_ = seams_.CreateEditWindow(dumpEditPanel_, QStringLiteral("NONAME1"));
        if (editor_) PlaceEditor();
    }
}

void TMainForm::PlaceEditor() {
    if (!editor_) return;
    const QPoint inPanel(4, 13);
    if (editor_->parentWidget() == dumpEditPanel_) {
        // A child of the Edit area moves with it and with the window. The
        // area and the editor lie over the Copy page's displays beside them
        // (device, file name, result picture), as a window of its own would.
        editor_->move(inPanel);
        editor_->raise();
        dumpEditPanel_->raise();
        return;
    }
    const QPoint offset = dumpEditPanel_->pos() + inPanel;
    editor_->move(editor_->isWindow() ? pos() + offset : offset);
}

void TMainForm::CheckDeviceAfterAbout() {
    if (seams_.CheckDeviceAfterAbout) seams_.CheckDeviceAfterAbout();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    AppMessage(watched, event);
    return false;  // never handled here
}

void TMainForm::AppMessage(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::Wheel) return;
    if (!watched->isWidgetType()) return;  // the window object sees it before the widget
    const auto* input = static_cast<const QInputEvent*>(event);
    // Qt hands an event the widget ignored on to its parents: look at the first only.
    if (event == lastSeenEvent_ && input->timestamp() == lastSeenStamp_) return;
    lastSeenEvent_ = event;
    lastSeenStamp_ = input->timestamp();

    if (type == QEvent::MouseMove) {
        hoverWindow_ = watched;
        return;
    }
    if (!editor_ || state_.Busy || !seams_.RouteWheel) return;
    const auto* wheel = static_cast<const QWheelEvent*>(event);
    const int delta = wheel->angleDelta().y();
    if (delta != 0) seams_.RouteWheel(hoverWindow_, delta);
}

}  // namespace burnmark
