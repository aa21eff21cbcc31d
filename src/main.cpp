// The program's entry: the settings checks, the main window, the message loop.
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include "catalogue/ui/select_ic_dialog.h"
#include "operations/ui/verify_error_window.h"
#include "platform/desktop_session.h"
#include "platform/libusb_transport.h"
#include "shell/app_folder.h"
#include "shell/start_up.h"
#include "shell/ui/app_composition.h"
#include "shell/ui/logo_form.h"
#include "shell/ui/main_form.h"
#include "shell/ui/qt_ports.h"
#include "shell/ui/usb_wait_wiring.h"

namespace {

// The splash window shown while the start-up windows are made.
std::unique_ptr<QWidget> CreateSplash(const std::string& appDir, burnmark::Messages& messages) {
    return std::make_unique<burnmark::TLogo>(appDir, messages);
}

void ShowException(const char* what) {
    QMessageBox::critical(nullptr, QString::fromLatin1(burnmark::kProductCaption),
                          QString::fromLocal8Bit(what));
}

}  // namespace

int main(int argc, char** argv) {
    // Named before the toolkit starts, which otherwise warns about it at every start.
    burnmark::PrepareRuntimeFolder();
    // The application object first, so that a failure anywhere can be shown.
    QApplication app(argc, argv);
    return burnmark::RunGuarded(ShowException, [&app] {
        using namespace burnmark;
        // BURNMARK_APP_DIR, the program's own folder, or the user's (shell/app_folder.h).
        const AppFolder folder = PrepareAppFolder(AppFolderPlacesOfThisProgram());
        const std::string& appDir = folder.Dir;
        const EntrySettings entry = ApplyEntryRules(appDir);

        NameApplication();

        QtMessages messages;
        QtSounds sounds;
        QtPump pump;
        LibusbTransport usb;
        // Settings that cannot be read give their defaults and are not saved.
        if (!folder.Problem.empty()) messages.ShowMessage(folder.Problem);
        if (!entry.SettingsProblem.empty()) messages.ShowMessage(entry.SettingsProblem);
        TMainForm mainForm(appDir, MainFormPorts{&messages, &sounds, &pump, &usb});
        // The window stays alive while a transfer waits, and Stop stays live.
        ConnectUsbWaitsToWindow(usb, mainForm, pump);
        messages.SetOwner(&mainForm);

        std::unique_ptr<QWidget> splash;
        if (entry.Type != 0) {
            splash = CreateSplash(appDir, messages);
            splash->show();
            // Painted at once: the start-up handles no events until its loop.
            QApplication::processEvents();
            splash->repaint();
        }
        // The start-up windows of the other subsystems come here, in this order:
        // device selection dialog, option-page window, verify-error list. The
        // progress window is made with the main window's core.
        // The device selection dialog reads the catalogue and the history now
        // and is shown by the Copy page's Type step.
        TSelectICDialog selectICDialog(mainForm.Core()->Core().Selection(), &mainForm);
        mainForm.Core()->SetSelectICDialog(&selectICDialog);
        // The verify-error list stays hidden until a compare lists a difference;
        // Verify_error() hands its port to the compares.
        TVerify_error verifyError(&mainForm);
        if (mainForm.Core())
            mainForm.Core()->ReadBacks().SetVerifyErrorList(&Verify_error()->List());
        splash.reset();

        mainForm.show();
        const int status = app.exec();
        mainForm.Core()->SetSelectICDialog(nullptr);
        // The list goes before the window: the compares let go of it.
        if (mainForm.Core()) mainForm.Core()->ReadBacks().SetVerifyErrorList(nullptr);
        return status;
    });
}
