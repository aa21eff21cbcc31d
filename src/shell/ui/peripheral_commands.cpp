#include "shell/ui/peripheral_commands.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QTableWidget>

#include "shell/about_box.h"
#include "widgets/ui/aled.h"
#include "shell/device_by_name.h"
#include "shell/program_core.h"
#include "shell/ui/about_box_window.h"
#include "shell/ui/main_form.h"

namespace burnmark {

void ShowProjectRows(QTableWidget& table, const ProjectList& list) {
    const auto& rows = list.Rows();
    table.setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ProjectEntry& row = rows[i];
        const std::string* cells[] = {&row.Vendor, &row.ID, &row.Source, &row.Prog};
        for (int column = 0; column < 4; ++column)
            table.setItem(static_cast<int>(i), column,
                          new QTableWidgetItem(QString::fromStdString(*cells[column])));
    }
}

std::optional<std::size_t> SelectedProjectRow(const QTableWidget& table) {
    const QList<QTableWidgetItem*> selected = table.selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    return static_cast<std::size_t>(selected.front()->row());
}

class PeripheralCommands::ProjectView : public ProjectPageView {
public:
    ProjectView(TMainForm& form, CopyPageModel& page)
        : form_(form),
          page_(page),
          loadPath_(form.findChild<QLineEdit*>(QStringLiteral("LoadPathEdit"))) {}

    void ShowSelectedType(const std::string& maker, const std::string& type) override {
        form_.Session().ShowSelectedType(maker, type);
    }
    void ShowLoadPath(const std::string& text) override {
        if (loadPath_) loadPath_->setText(QString::fromStdString(text));
    }
    std::string LoadPathText() const override {
        return loadPath_ ? loadPath_->text().toStdString() : std::string();
    }
    TickFlags Ticks() const override { return form_.Session().Ticks(); }
    void SetTicks(const TickFlags& ticks) override { form_.Session().SetTicks(ticks); }
    TickFlags Offered() const override { return form_.Session().Offered(); }
    void CopyBtnClick() override { form_.CopyBtnClick(); }
    void ShowDumpEditPanel() override { form_.ShowDumpEditPanel(); }
    void ShowMulti() override {
        page_.SetMulti(true);
        page_.SetMultiHint(true);
    }

private:
    TMainForm& form_;
    CopyPageModel& page_;
    QLineEdit* loadPath_;
};

class PeripheralCommands::UtilityView : public UtilityPageView {
public:
    explicit UtilityView(TMainForm& form) : form_(form) {}

    void SetLampColor(UtilityLamp lamp, uint32_t color) override {
        const QString name = lamp == UtilityLamp::ReadALed ? QStringLiteral("ReadALed")
                             : lamp == UtilityLamp::ConfirmALed
                                 ? QStringLiteral("ConfirmALed")
                                 : QStringLiteral("ALed%1").arg(static_cast<int>(lamp) + 1);
        auto* led = form_.findChild<TALed*>(name);
        if (!led) return;
        // The colour the lamp shows now.
        if (led->Value())
            led->SetTrueColor(color);
        else
            led->SetFalseColor(color);
    }
    bool SecondLampTicked(UtilityRun run) const override {
        const char* name = run == UtilityRun::Erase    ? "CheckBox6"
                           : run == UtilityRun::Verify ? "CheckBox7"
                                                       : nullptr;
        if (!name) return false;
        auto* box = form_.findChild<QCheckBox*>(QString::fromLatin1(name));
        return box && box->isChecked();
    }

private:
    TMainForm& form_;
};

PeripheralCommands::PeripheralCommands(TMainForm& form, ProgramCore& core, Messages& messages,
                                       Pump& pump)
    : form_(form),
      core_(core),
      messages_(messages),
      projectView_(std::make_unique<ProjectView>(form, core.Page())),
      utilityView_(std::make_unique<UtilityView>(form)),
      aboutBox_(std::make_unique<QtAboutBox>(&form)) {
    projects_ = std::make_unique<ProjectPage>(ProjectPageParts{
        form.State(), messages, *projectView_,
        [this](const std::string& maker, const std::string& type) {
            if (chooser_) return chooser_(maker, type);
            return SelectDeviceByName(core_.Selection(), core_.Steps(), maker, type);
        },
        [this](const std::string& path) { return core_.Steps().LoadNamedFile(path); }});
    runs_ = std::make_unique<UtilityRuns>(
        UtilityRunParts{form.State(), core.Frame(), core.Page(), pump, *utilityView_});
    // The window's Stop command as it is when the run ends.
    runs_->StopHandling = [this] {
        if (form_.Seams().StopClick) form_.Seams().StopClick();
    };
    runs_->ChooseDevice = [this] { return core_.Steps().Image14Click(); };
    runs_->ShowEditor = [this] {
        if (form_.Seams().Image15Click) form_.Seams().Image15Click();
    };
    qApp->installEventFilter(this);
}

PeripheralCommands::~PeripheralCommands() {
    if (qApp) qApp->removeEventFilter(this);
}

void PeripheralCommands::FillSeams(MainFormSeams& seams) {
    auto table = [this] { return form_.findChild<QTableWidget*>(QStringLiteral("ListView1")); };
    if (!seams.HelpClick)
        seams.HelpClick = [this] {
            HelpHintClick(form_.State(), core_.Link(), *aboutBox_, messages_,
                          [this] { form_.CheckDeviceAfterAbout(); });
        };
    if (!seams.LoadProjectList)
        seams.LoadProjectList = [this, table] {
            projects_->LoadProjectList();
            if (QTableWidget* list = table()) ShowProjectRows(*list, projects_->List());
        };
    if (!seams.ProjectOkClick)
        seams.ProjectOkClick = [this, table] {
            QTableWidget* list = table();
            projects_->ListView1DblClick(list ? SelectedProjectRow(*list) : std::nullopt);
        };
    if (!seams.Image15Click) seams.Image15Click = [this] { projects_->Image15Click(); };

    if (!seams.Run2Click) seams.Run2Click = [this] { runs_->Run2_HintClick(); };
    if (!seams.RunEClick) seams.RunEClick = [this] { runs_->RunE_HintClick(); };
    if (!seams.RunVClick) seams.RunVClick = [this] { runs_->RunV_HintClick(); };
    if (!seams.RunSClick) seams.RunSClick = [this] { runs_->RunS_HintClick(); };
    if (!seams.AutoRunEClick)
        seams.AutoRunEClick = [this] { RunRepeated(&UtilityRuns::AutoRunE_HintClick); };
    if (!seams.AutoRunVClick)
        seams.AutoRunVClick = [this] { RunRepeated(&UtilityRuns::AutoRunV_HintClick); };
    if (!seams.AutoRunSClick)
        seams.AutoRunSClick = [this] { RunRepeated(&UtilityRuns::AutoRunS_HintClick); };
}

void PeripheralCommands::RunRepeated(void (UtilityRuns::*run)()) {
    quitRequested_ = false;
    ((*runs_).*run)();
    if (quitRequested_) {
        quitRequested_ = false;
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
}

bool PeripheralCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::Quit && runs_->Repeating()) {
        runs_->Quit();
        quitRequested_ = true;
    }
    return false;
}

}  // namespace burnmark
