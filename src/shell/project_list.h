// The project list: up to ten stored combinations of a device (maker and
// type), a data file and the operations to tick, read from Project.ini in the
// application directory, and the opening of one of them into the Copy page.
// An opening selects the device as the device selection does, loads the
// file as the Load step does and ticks the operations the device offers. The
// Copy page names the project's file only once it landed in the buffer; a
// project without a file, or whose file did not load, leaves it naming what
// the buffer holds.
#pragma once

#include "shell/shell_only.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports.h"
#include "shell/app_state.h"
#include "shell/device_by_name.h"
#include "shell/process_mode.h"

namespace burnmark {

inline constexpr const char* kProjectFileName = "Project.ini";
inline constexpr std::size_t kProjectRowCount = 10;
// What a missing key reads as; a missing "Vendor" ends the list.
inline constexpr const char* kProjectMissing = "<empty>";
// What the Copy page names for a project that brings no file of its own.
inline constexpr const char* kProjectNoFile = "No File";
inline constexpr const char* kProjectDeviceUnknownText = "Device not found in the catalogue: ";

// One row of the list: the caption (the maker) and the three sub items, as
// read from the file ("<empty>" for a missing key).
struct ProjectEntry {
    std::string Vendor;
    std::string ID;
    std::string Source;
    std::string Prog;
    bool operator==(const ProjectEntry&) const = default;
};

// What opening a row does, taken from its values by position. Empty values
// and "<empty>" count as absent.
struct ProjectOpening {
    std::string maker;
    std::string type;
    // The data file (relative to the application directory unless it is a
    // full path); none when "Source" is absent or begins with "+".
    std::optional<std::string> file;
    // The operation letters: a "+" source's own text (its "Prog" is not
    // used), else "Prog"; none leaves the ticks as they are.
    std::optional<std::string> letters;
    bool operator==(const ProjectOpening&) const = default;
};

// Nothing for a row without a maker or a type (an empty row).
std::optional<ProjectOpening> PlanProjectOpening(const ProjectEntry& entry);

// The ticks the letters give: E erase, C blank check, P program, V verify,
// S protect, wherever they stand (the first character counts too); a box the
// device does not offer is never ticked. The hidden box keeps its tick.
TickFlags TicksFromProjectLetters(std::string_view letters, const TickFlags& current,
                                  const TickFlags& offered);

// The rows of ListView1: ten, the first two with placeholder captions.
class ProjectList {
public:
    ProjectList();

    // Overwrites row i - 1 with section "i" of AppDir + "Project.ini", for i
    // from 1 up to the first section without "Vendor"; the rows after it keep
    // their stored contents.
    void LoadProjectList(const std::string& appDir);

    const std::array<ProjectEntry, kProjectRowCount>& Rows() const { return rows_; }

private:
    std::array<ProjectEntry, kProjectRowCount> rows_;
};

// The main window's parts an opening writes.
class ProjectPageView {
public:
    virtual ~ProjectPageView() = default;
    virtual void ShowSelectedType(const std::string& maker, const std::string& type) = 0;
    virtual void ShowLoadPath(const std::string& text) = 0;
    virtual std::string LoadPathText() const = 0;
    virtual TickFlags Ticks() const = 0;
    virtual void SetTicks(const TickFlags& ticks) = 0;
    // The boxes the device offers.
    virtual TickFlags Offered() const = 0;
    virtual void CopyBtnClick() = 0;
    virtual void ShowDumpEditPanel() = 0;
    // Multi and Multi_Hint.
    virtual void ShowMulti() = 0;
};

// The device selection for a maker and a type, on the way the selection
// dialog's OK takes.
using ChooseDeviceByName =
    std::function<DeviceChoice(const std::string& maker, const std::string& type)>;
// Loads a data file into the buffer (or the fuse map) as the Load step does;
// true when it landed there.
using LoadNamedFile = std::function<bool(const std::string& path)>;

struct ProjectPageParts {
    AppState& state;
    Messages& messages;
    ProjectPageView& view;
    ChooseDeviceByName chooseDevice;
    LoadNamedFile loadFile;
};

class ProjectPage {
public:
    explicit ProjectPage(ProjectPageParts parts) : p_(std::move(parts)) {}

    ProjectList& List() { return list_; }
    void LoadProjectList() { list_.LoadProjectList(p_.state.AppDir); }

    // Opens the selected row (none selected, or an empty row: nothing).
    // ListView1DblClick, also the Project page's OK (v2_HintClick).
    void ListView1DblClick(std::optional<std::size_t> selectedRow);
    // The Edit area with the buffer editor; the path shown goes to
    // Project.ini [Temp] "Source" (a failed write is reported).
    void Image15Click();

private:
    ProjectPageParts p_;
    ProjectList list_;
};

}  // namespace burnmark
