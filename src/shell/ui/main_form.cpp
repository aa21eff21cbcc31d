// The main window's behaviour: its creation and first showing, the page
// switching and the buffer editor's place, the exit question, dragging, the
// skin workers and the wheel hook. What the window is made of is laid out in
// main_form_layout.cpp.
#include "shell/ui/main_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QShowEvent>
#include <QTimer>
#include <QWheelEvent>
#include <string_view>
#include <utility>

#include "platform/profile.h"
#include "shell/picture_restore.h"
#include "shell/settings_write.h"
#include "shell/ui/app_composition.h"
#include "shell/ui/lost_window_watch.h"
#include "shell/ui/splash_pictures.h"
#include "widgets/ui/image_control.h"

namespace burnmark {

TMainForm::TMainForm(std::string appDir, MainFormPorts ports, MainFormSeams seams,
                     QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      ports_(ports),
      seams_(std::move(seams)) {
    setObjectName(QStringLiteral("MainForm"));
    // Never shown on the frameless window, but task bars and window lists
    // name the program by it.
    setWindowTitle(QString::fromLatin1(kProductCaption));
    BuildLayout();
    lostWatch_ = std::make_unique<LostWindowWatch>(*this, [this] { WindowDestroyed(); });

    state_.AppDir = std::move(appDir);
    state_.Busy.OnChange = [this](bool busy) { ShowBusy(busy); };
    const MainSettings settings = ReadMainSettings(Profile(state_.HistoryIniPath()));
    ApplyCustomLogo(settings.Symbol);

    findChild<QWidget*>(QStringLiteral("CopyReadBtn"))->setEnabled(true);
    findChild<QWidget*>(QStringLiteral("Panel7"))->setEnabled(true);
    findChild<QWidget*>(QStringLiteral("Multi"))->show();
    findChild<QWidget*>(QStringLiteral("Multi_Hint"))->show();
    findChild<QWidget*>(QStringLiteral("parameter"))->setEnabled(true);

    state_.ExitGuard = 0;
    state_.Form2Created = 0;

    if (ports_.usb) {
        core_ = std::make_unique<AppComposition>(*this, *ports_.usb, *ports_.messages,
                                                 *ports_.sounds, *ports_.pump, settings);
        core_->FillSeams(seams_);
    }

    FormCreate();
}

TMainForm::~TMainForm() {
    // Its own destruction is no loss to tell of.
    lostWatch_.reset();
    if (qApp) qApp->removeEventFilter(this);
    // The editor shows the core's buffer: it goes first when it is ours.
    if (editor_ && isAncestorOf(editor_)) delete editor_.data();
    // The core lets go of the Copy page's controls before they go.
    core_.reset();
}

void TMainForm::ApplyCustomLogo(const std::string& symbol) {
    if (!seams_.RestoreBitmapFile && ports_.messages)
        seams_.RestoreBitmapFile = [messages = ports_.messages](const std::string& src) {
            return RestoreBitmapFile(src, *messages);
        };
    // A restored file that is no picture leaves the logo hidden rather than
    // showing an empty box or stopping the start.
    const bool shown = LoadCustomLogo(state_.AppDir, symbol, seams_.RestoreBitmapFile,
                                      [this](std::span<const uint8_t> bitmap) {
                                          QImage picture;
                                          if (!DecodeBitmap(bitmap, picture)) return false;
                                          sLogo_->SetPicture(FittedPictureSource(picture));
                                          return true;
                                      });
    sLogo_->setVisible(shown);
}

void TMainForm::FormCreate() {
    qApp->installEventFilter(this);
    if (seams_.LoadProjectList) seams_.LoadProjectList();
    state_.Run2LedFlag = 0;
    // For programs outside this system that look for the window.
    Profile logo(state_.AppDir + "logo.c.ini");
    const bool written =
        logo.WriteString("Main", "Handle", std::to_string(static_cast<quint64>(winId())));
    if (ports_.messages)
        ReportSettingsWrite(written, logo.Path(), kUnnotedWindowText, *ports_.messages);
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
    if (busy)
        state_.Busy.Enter();
    else
        state_.Busy.Leave();
}

void TMainForm::ShowBusy(bool busy) {
    // Every command lies on the background: disabling it disables them all and
    // keeps their own Enabled, which the operations may change meanwhile.
    main_->setEnabled(!busy);
    if (editor_ && editor_->isWindow()) editor_->setEnabled(!busy);
    // The window was lost while the operation held it: the end comes now.
    if (!busy && windowLost_) QTimer::singleShot(0, this, [this] { WindowDestroyed(); });
}

bool TMainForm::ConfirmExit() {
    const ExitAnswer answer = AskExit(state_, *ports_.messages, [this] { return Ticks(); });
    if (answer != ExitAnswer::Confirmed) {
        // Answered No with the window gone meanwhile: there is nothing to go on with.
        if (answer == ExitAnswer::Cancelled && windowLost_) EndWithoutWindow();
        return false;
    }
    FreezeTicks();
    return true;
}

void TMainForm::FreezeTicks() {
    for (std::size_t box = TickErase; box <= TickProtect; ++box) tickBoxes_[box]->setEnabled(false);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (exitConfirmed_) {
        QWidget::closeEvent(event);
        return;
    }
    // A close from the window manager asks as Exit does and saves the ticks;
    // while busy, or with the question open, it is refused.
    if (!ConfirmExit()) {
        event->ignore();
        return;
    }
    exitConfirmed_ = true;
    event->accept();
    if (seams_.ReleaseOnExit) seams_.ReleaseOnExit();
}

void TMainForm::ExitClick() {
    if (!ConfirmExit()) return;
    exitConfirmed_ = true;
    close();
    if (seams_.ReleaseOnExit) seams_.ReleaseOnExit();
}

void TMainForm::WindowDestroyed() {
    if (exitConfirmed_) return;
    windowLost_ = true;
    if (state_.Busy.Busy() || state_.ExitGuard) return;
    EndWithoutWindow();
}

void TMainForm::EndWithoutWindow() {
    if (exitConfirmed_) return;
    exitConfirmed_ = true;
    if (ports_.messages) SaveTicksAtExit(state_, *ports_.messages, Ticks());
    FreezeTicks();
    close();
    if (seams_.ReleaseOnExit) seams_.ReleaseOnExit();
    // Other windows may still be open (the option pages, the verify list):
    // the program ends all the same.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TMainForm::MainMouseDown(Qt::MouseButton, QPoint position) { dragOffset_ = position; }

void TMainForm::MainMouseMove(Qt::MouseButtons buttons, QPoint, QPoint globalPosition) {
    if (buttons & Qt::LeftButton) {
        // From the pointer's place on the screen, not from the window's
        // position as last known, which lags while the window moves.
        move(globalPosition - dragOffset_);
        if (editor_ && editor_->isWindow() && editor_->isVisible()) PlaceEditor();
    }
    SkinMouse(*main_, SkinEvent::Move);
}

void TMainForm::leaveEvent(QEvent* event) {
    // Out of the window: the last button loses its highlight, as over the background.
    SkinMouse(*main_, SkinEvent::Move);
    QWidget::leaveEvent(event);
}

bool TMainForm::SkinMouse(ImageControl& layer, SkinEvent event) {
    return skin_.Handle(layer.objectName().toStdString(), event, state_.ExitGuard != 0);
}

SkinLayerRef TMainForm::FindLayer(std::string_view name) {
    const QString key = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    QPointer<ImageControl>& cached = layerCache_[key];
    if (!cached) cached = findChild<ImageControl*>(key);
    return cached ? cached->SkinHandle() : nullptr;
}

void TMainForm::ImageMouseMove(ImageControl* image, const std::string& tag) {
    skin_.Workers().ImageMouseMove(image ? image->SkinHandle() : nullptr, tag);
}

void TMainForm::ImageMouseUp(ImageControl* image, const std::string& tag) {
    skin_.Workers().ImageMouseUp(image ? image->SkinHandle() : nullptr, tag);
}

void TMainForm::ImageMouseDown(ImageControl* image, const std::string& tag) {
    skin_.Workers().ImageMouseDown(image ? image->SkinHandle() : nullptr, tag);
}

QString TMainForm::HotImageName() const {
    const SkinLayerRef hot = skin_.Workers().HotImage();
    if (!hot) return {};
    const std::string_view name = hot->LayerName();
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
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
        ShowEditor();
    } else if (seams_.CreateEditWindow) {
        // One editor window: "NONAME" and its number.
        editor_ = seams_.CreateEditWindow(dumpEditPanel_, QStringLiteral("NONAME1"));
        if (editor_) PlaceEditor();
    }
}

void TMainForm::ShowEditArea() {
    for (std::size_t box = TickErase; box <= TickProtect; ++box) tickBoxes_[box]->hide();
    // The Copy page stays beneath: the area lies over all of it.
    dumpEditPanel_->move(copyPanel_->pos());
    dumpEditPanel_->show();
    progressBar2_->hide();
    runPanel_->hide();
    stopPanel_->hide();
}

void TMainForm::ShowEditor() {
    if (!editor_ && seams_.CreateEditWindow)
        editor_ = seams_.CreateEditWindow(dumpEditPanel_, QStringLiteral("NONAME1"));
    if (!editor_) return;
    PlaceEditor();
    editor_->show();
    editor_->update();
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
    if (!editor_ || state_.Busy.Busy() || !seams_.RouteWheel) return;
    const auto* wheel = static_cast<const QWheelEvent*>(event);
    const int delta = wheel->angleDelta().y();
    if (delta != 0) seams_.RouteWheel(hoverWindow_, delta);
}

}  // namespace burnmark
