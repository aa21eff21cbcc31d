// The main window: one borderless 552 x 440 picture with the Copy page and
// the Edit area laid over it, the owner of the program-wide state. Its
// controls and their places are laid out in main_form_layout.cpp, its
// behaviour is in main_form.cpp.
#pragma once

#include <QHash>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "platform/busy.h"
#include "platform/ports.h"
#include "shell/app_state.h"
#include "shell/process_mode.h"
#include "shell/session.h"
#include "widgets/skin_workers.h"
#include "shell/start_up.h"
#include "widgets/ui/image_stack.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;

namespace burnmark {

class AppComposition;
class ImageControl;
class LostWindowWatch;
class UsbTransport;

// The ports the window reports through. Not owned; they outlive the window.
struct MainFormPorts {
    Messages* messages = nullptr;
    Sounds* sounds = nullptr;
    Pump* pump = nullptr;
    // The programmer's transport. With one the window puts the core together
    // (device, buffer, link, operations, Copy page) and fills the seams it
    // serves; without one the window runs on the seams it is given alone.
    UsbTransport* usb = nullptr;
};

// Work of the other subsystems that the window runs at its points. An empty
// function is skipped.
struct MainFormSeams {
    // The restore's device load, buffer sizing, fuse-map editor and step refresh.
    SessionSeams session;
    // The picture restorer of the custom logo; empty: RestoreBitmapFile.
    BitmapRestorer RestoreBitmapFile;
    // Fills the project list (ListView1).
    std::function<void()> LoadProjectList;
    // Creates the buffer editor with the caption given, as a child of the Edit
    // area (editArea); the window places it there and raises it.
    std::function<QWidget*(QWidget* editArea, const QString& caption)> CreateEditWindow;
    // One wheel event while the editor exists, with its delta (120 a notch away
    // from the operator): the editor scrolls the view whose grid `hover` is, if any.
    std::function<void(QObject* hover, int delta)> RouteWheel;

    // The commands of the picture buttons, and of the labels that run the same.
    std::function<void()> StopClick;   // Stop_HintClick
    std::function<void()> RunClick;    // Run_HintClick: the automatic run
    std::function<void()> Run2Click;   // Run2_HintClick
    std::function<void()> MultiClick;  // Multi_HintClick: Parameters
    std::function<void()> HelpClick;   // Help_HintClick: About
    // The Edit area: its OK (v_HintClick) and the editor's commands.
    std::function<void()> EditOkClick;
    std::function<void()> CheckSumClick;
    std::function<void()> BlockClick;
    std::function<void()> FillClick;
    std::function<void()> FindClick;
    std::function<void()> FindNextClick;
    // The Utility page's lamp runs, once and until Stop.
    std::function<void()> RunEClick;
    std::function<void()> RunVClick;
    std::function<void()> RunSClick;
    std::function<void()> AutoRunEClick;
    std::function<void()> AutoRunVClick;
    std::function<void()> AutoRunSClick;
    // The Create page: the device choice and the editor; the Project page's OK.
    std::function<void()> Image14Click;
    std::function<void()> Image15Click;
    std::function<void()> ProjectOkClick;  // v2_HintClick, ListView1DblClick

    // The re-check after the About box's OK.
    std::function<void()> CheckDeviceAfterAbout;
    // After the window closed on Exit: free the FPGA image and the fuse buffer.
    std::function<void()> ReleaseOnExit;
};

class TMainForm : public QWidget, private SessionView, public SkinHost, private SkinLayerDirectory {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 552;
    static constexpr int kClientHeight = 440;

    // appDir ends in '/'. The constructor reads the settings and runs the
    // form's creation (project list, logo.c.ini, Edit area, Copy page).
    TMainForm(std::string appDir, MainFormPorts ports, MainFormSeams seams = {},
              QWidget* parent = nullptr);
    ~TMainForm() override;

    AppState& State() { return state_; }
    const AppState& State() const { return state_; }
    MainFormSeams& Seams() { return seams_; }
    // The core, when the window was given a transport.
    AppComposition* Core() const { return core_.get(); }
    // The parts of the window that the restore and a project opening write.
    SessionView& Session() { return *this; }

    // Operations, loads and the automatic run hold the window busy: every
    // command but Stop is disabled and Exit and close are refused. Calls nest.
    void SetBusy(bool busy);
    bool Busy() const { return state_.Busy.Busy(); }
    BusyState& BusyLock() { return state_.Busy; }
    // How often Stop was pressed while no automatic run was going: such a
    // press may end the programmer's transfer being waited for, while in a
    // run the transfer finishes and the run stops between its steps.
    unsigned long long StopPresses() const { return stopPresses_; }

    // Event handlers of the form.
    void FormShow();
    void RestoreLastSession();
    void ExitClick();
    // The window system destroyed the window without asking it to close
    // (another X client): the ticks are saved as at Exit, without the
    // question, and the program ends. While an operation holds the window or
    // the exit question is open, that waits until they are over.
    void WindowDestroyed();
    // The background: a press keeps where the pointer took the window, a move
    // with the left button held keeps the window under the pointer.
    void MainMouseDown(Qt::MouseButton button, QPoint position);
    void MainMouseMove(Qt::MouseButtons buttons, QPoint position, QPoint globalPosition);
    void CopyBtnClick();
    void ShowDumpEditPanel();
    // The Edit step's Edit area: over the Copy page in its place, without the
    // run's tick boxes, the overall progress bar, Run and Stop.
    void ShowEditArea();
    // The buffer editor placed over the Edit area, shown and repainted; made
    // first when it does not exist yet.
    void ShowEditor();
    void CheckDeviceAfterAbout();

    // The ticks of CheckBox1 to CheckBox5 and the hidden CheckBox11.
    TickFlags Ticks() const override;
    void SetTicks(const TickFlags& ticks) override;

    // The skin workers on the window's pictures.
    void ImageMouseMove(ImageControl* image, const std::string& tag);
    void ImageMouseUp(ImageControl* image, const std::string& tag);
    void ImageMouseDown(ImageControl* image, const std::string& tag);
    // The name of the picture last taken by a worker; empty before the first.
    QString HotImageName() const;
    // SkinHost: the mouse of every picture button on the window.
    bool SkinMouse(ImageControl& layer, SkinEvent event) override;

    // The buffer editor, once created.
    QWidget* Editor() const { return editor_; }
    // Places the buffer editor over the Edit area (and raises it there).
    void PlaceEditor();
    QObject* HoverWindow() const { return hoverWindow_; }
    QPoint DragOffset() const { return dragOffset_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // What the window is made of (main_form_layout.cpp).
    void BuildLayout();
    void BuildTopBar();
    void BuildCopyPage();
    void BuildEditArea();
    void BuildCreatePage();
    void BuildUtilityPage();
    void BuildProjectPage();
    // What a command's click runs: the seam as it is at the time of the click.
    std::function<void()> Command(std::function<void()> MainFormSeams::*seam);

    void FormCreate();
    void ApplyCustomLogo(const std::string& symbol);
    // The busy state changed: every command lies on the background.
    void ShowBusy(bool busy);
    // The exit question and the write-back of the ticks; true on Yes.
    bool ConfirmExit();
    // After the ticks were written: the boxes stay as they were saved.
    void FreezeTicks();
    // The end once the window is gone: write-back, close and quit.
    void EndWithoutWindow();

    // SkinLayerDirectory
    SkinLayerRef FindLayer(std::string_view name) override;
    // AppMessage: the application's hook, sees every event before it is handled.
    void AppMessage(QObject* watched, QEvent* event);

    // SessionView
    void ShowSelectedType(const std::string& maker, const std::string& type) override;
    TickFlags Offered() const override;

    AppState state_;
    MainFormPorts ports_;
    MainFormSeams seams_;
    std::unique_ptr<AppComposition> core_;
    Skin skin_{static_cast<SkinLayerDirectory&>(*this)};
    QHash<QString, QPointer<ImageControl>> layerCache_;
    // Exit was answered Yes: the close that follows goes through.
    bool exitConfirmed_ = false;
    // The window system destroyed the window; the program ends once it can.
    bool windowLost_ = false;
    std::unique_ptr<LostWindowWatch> lostWatch_;

    unsigned long long stopPresses_ = 0;
    bool shownOnce_ = false;
    QPoint dragOffset_;
    QPointer<QObject> hoverWindow_;
    QPointer<QWidget> editor_;
    // The event AppMessage saw last: Qt hands an ignored event on to the parents.
    const QEvent* lastSeenEvent_ = nullptr;
    quint64 lastSeenStamp_ = 0;

    // The background; every command lies on it so that one switch disables
    // them all, while Stop lies beside it.
    ImageControl* main_ = nullptr;
    QWidget* stopPanel_ = nullptr;
    QWidget* copyPanel_ = nullptr;
    QWidget* dumpEditPanel_ = nullptr;
    QWidget* createPanel_ = nullptr;
    QWidget* utilityPanel_ = nullptr;
    QWidget* projectPanel_ = nullptr;
    QWidget* statusPanel_ = nullptr;
    QWidget* runPanel_ = nullptr;
    QWidget* runPanel2_ = nullptr;
    QWidget* lampPanels_[5] = {};
    ImageControl* sLogo_ = nullptr;
    QCheckBox* tickBoxes_[kTickBoxCount] = {};
    QListWidget* selectedType_ = nullptr;
    QLineEdit* loadPathEdit_ = nullptr;
    QLineEdit* sumEdit_ = nullptr;
    QProgressBar* progressBar2_ = nullptr;
    QProgressBar* progressBar21_ = nullptr;
};

}  // namespace burnmark
