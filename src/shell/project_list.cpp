#include "shell/project_list.h"

#include "platform/paths.h"
#include "platform/profile.h"
#include "shell/settings_write.h"

namespace burnmark {

namespace {

std::optional<std::string> Present(const std::string& value) {
    if (value.empty() || value == kProjectMissing) return std::nullopt;
    return value;
}

constexpr std::pair<TickBox, char> kLetters[] = {
    {TickErase, 'E'}, {TickBlank, 'C'}, {TickProgram, 'P'}, {TickVerify, 'V'}, {TickProtect, 'S'},
};

}  // namespace

std::optional<ProjectOpening> PlanProjectOpening(const ProjectEntry& entry) {
    const std::optional<std::string> maker = Present(entry.Vendor);
    const std::optional<std::string> type = Present(entry.ID);
    if (!maker || !type) return std::nullopt;
    ProjectOpening opening{*maker, *type, std::nullopt, Present(entry.Prog)};
    if (const std::optional<std::string> source = Present(entry.Source)) {
        if (source->front() != '+')
            opening.file = source;
        else
            // A "+" source means no file and carries the letters itself.
            opening.letters = source;
    }
    return opening;
}

TickFlags TicksFromProjectLetters(std::string_view letters, const TickFlags& current,
                                  const TickFlags& offered) {
    TickFlags ticks = current;
    for (const auto& [box, letter] : kLetters)
        ticks[box] = offered[box] && letters.find(letter) != std::string_view::npos;
    return ticks;
}

ProjectList::ProjectList() {
    // Placeholders laid out with the list; a file's rows replace them.
    rows_[0].Vendor = "Project 1";
    rows_[1].Vendor = "Project 2";
}

void ProjectList::LoadProjectList(const std::string& appDir) {
    const Profile file(appDir + kProjectFileName);
    for (std::size_t i = 1; i <= kProjectRowCount; ++i) {
        const std::string section = std::to_string(i);
        ProjectEntry entry;
        entry.Vendor = file.ReadString(section, "Vendor", kProjectMissing);
        if (entry.Vendor == kProjectMissing) break;
        entry.ID = file.ReadString(section, "ID", kProjectMissing);
        entry.Source = file.ReadString(section, "Source", kProjectMissing);
        entry.Prog = file.ReadString(section, "Prog", kProjectMissing);
        rows_[i - 1] = std::move(entry);
    }
}

void ProjectPage::ListView1DblClick(std::optional<std::size_t> selectedRow) {
    // A double click delivered while something else pumps the window's events.
    if (p_.state.Busy.Busy()) return;
    if (!selectedRow || *selectedRow >= kProjectRowCount) return;
    const std::optional<ProjectOpening> opening = PlanProjectOpening(list_.Rows()[*selectedRow]);
    if (!opening) return;

    // The operations must work on the project's device and data, not on
    // whatever was selected and loaded before: an unknown device opens nothing.
    const DeviceChoice choice = p_.chooseDevice ? p_.chooseDevice(opening->maker, opening->type)
                                                : DeviceChoice::NotInCatalogue;
    if (choice == DeviceChoice::NotInCatalogue)
        p_.messages.ShowMessage(kProjectDeviceUnknownText + opening->maker + " " + opening->type);
    // A device refused at the choice said why itself.
    if (choice != DeviceChoice::Selected) return;
    p_.view.ShowSelectedType(opening->maker, opening->type);
    if (opening->file) {
        // A relative path names a file beside Project.ini, wherever the
        // program was started from.
        const std::string path = opening->file->front() == '/'
                                     ? *opening->file
                                     : JoinAppPath(p_.state.AppDir, *opening->file);
        if (p_.loadFile && p_.loadFile(path)) p_.view.ShowLoadPath(path);
    } else if (opening->letters && opening->letters->front() == '+') {
        // A project without a file of its own works on what the buffer holds.
        p_.view.ShowLoadPath(kProjectNoFile);
    }
    if (opening->letters)
        p_.view.SetTicks(
            TicksFromProjectLetters(*opening->letters, p_.view.Ticks(), p_.view.Offered()));
    p_.state.ProjectOpened = 1;
    p_.view.CopyBtnClick();
    Image15Click();
    p_.view.ShowMulti();
}

void ProjectPage::Image15Click() {
    p_.view.ShowDumpEditPanel();
    Profile projects(p_.state.AppDir + kProjectFileName);
    ReportSettingsWrite(projects.WriteString("Temp", "Source", p_.view.LoadPathText()),
                        projects.Path(), kUnnotedProjectFileText, p_.messages);
}

}  // namespace burnmark
