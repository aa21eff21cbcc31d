// The main window's smaller commands over the core: the About box, the
// project list and the Utility page's lamp runs. Their rules are in the core
// (shell/about_box, shell/project_list, shell/utility_runs); this puts them
// on the window's controls and fills the window's seams with them.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

#include "shell/project_list.h"
#include "shell/utility_runs.h"

class QTableWidget;

namespace burnmark {

class ProgramCore;
class QtAboutBox;
class TMainForm;
struct MainFormSeams;

// ListView1 shows the list's ten rows.
void ShowProjectRows(QTableWidget& table, const ProjectList& list);
// The row selected in ListView1, if any.
std::optional<std::size_t> SelectedProjectRow(const QTableWidget& table);

class PeripheralCommands : public QObject {
    Q_OBJECT

public:
    // The window, the core and the ports outlive this.
    PeripheralCommands(TMainForm& form, ProgramCore& core, Messages& messages, Pump& pump);
    ~PeripheralCommands() override;

    // Fills the seams still empty: About, the project list and its opening,
    // Image15Click, the lamp runs and the second Run picture.
    void FillSeams(MainFormSeams& seams);

    ProjectPage& Projects() { return *projects_; }
    UtilityRuns& Runs() { return *runs_; }
    // The device choice a project opening takes; empty: SelectDeviceByName
    // over the core's selection.
    void SetDeviceChooser(ChooseDeviceByName choose) { chooser_ = std::move(choose); }

protected:
    // A request to quit ends a repeated lamp run; the quit is asked for again
    // once the run has let go of the window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class ProjectView;
    class UtilityView;

    void RunRepeated(void (UtilityRuns::*run)());

    TMainForm& form_;
    ProgramCore& core_;
    Messages& messages_;
    ChooseDeviceByName chooser_;
    std::unique_ptr<ProjectView> projectView_;
    std::unique_ptr<UtilityView> utilityView_;
    std::unique_ptr<ProjectPage> projects_;
    std::unique_ptr<UtilityRuns> runs_;
    std::unique_ptr<QtAboutBox> aboutBox_;
    bool quitRequested_ = false;
};

}  // namespace burnmark
