#include "flow/external_program.h"

#include <string_view>

#include "platform/paths.h"
#include "platform/profile.h"

namespace burnmark {

namespace {

// A name that stays inside the ExtPro folder: no separators, no parent steps.
bool PlainFileName(std::string_view name) {
    if (name.empty() || name == "NONE" || name == "." || name == "..") return false;
    return name.find_first_of("/\\") == std::string_view::npos;
}

// Joins a stored folder (which may use backslashes and may end in one) with
// further stored components.
std::string InFolder(std::string folder, std::string_view rest) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    folder += rest;
    return ResolvePath(folder);
}

}  // namespace

std::string ReadSystemPath(const std::string& historyIniPath) {
    return Profile(historyIniPath).ReadString("System", "Path", "None");
}

bool HasExtendPro(const std::string& deviceIniPath) {
    return Profile(ResolvePath(deviceIniPath)).ReadInteger("ExtendPro", "HaveExtendPro", 0) != 0;
}

int32_t RunExtendPro(int32_t action, const std::string& deviceIni,
                     const std::string& historyIniPath, uint64_t mainWindowId,
                     ProcessStarter& processes, Messages& messages) {
    if (!HasExtendPro(deviceIni)) return kExtendProNone;

    const std::string folder = ReadSystemPath(historyIniPath);
    const std::string name =
        Profile(ResolvePath(deviceIni)).ReadString("ExtendPro", "ExtendProName", "NONE");
    if (!PlainFileName(name)) {
        messages.MessageBox(kExtProNameErrorText, kExtProNameErrorTitle, MsgButtons::Ok,
                            MsgIcon::None);
        return kExtendProFailed;
    }

    // Without a folder there is nowhere to hand the work to.
    if (folder.empty() || folder == "None") {
        messages.MessageBox(kExtProStartFailText, kExtProStartFailTitle, MsgButtons::Ok,
                            MsgIcon::None);
        return kExtendProFailed;
    }
    // The external program is a native program: it gets real paths.
    Profile dde(InFolder(folder, kDdeFileName));
    const bool written = dde.WriteInteger("Action", "ActionFlag", action) &&
                         dde.WriteString("Action", "ININame", ResolvePath(deviceIni)) &&
                         dde.WriteString("MainSys", "MainHandle", std::to_string(mainWindowId));
    const std::string program = InFolder(folder, std::string(kExtProFolder) + "\\" + name);
    if (!written || !processes.StartDetached(program)) {
        messages.MessageBox(kExtProStartFailText, kExtProStartFailTitle, MsgButtons::Ok,
                            MsgIcon::None);
        return kExtendProFailed;
    }
    return kExtendProStarted;
}

}  // namespace burnmark
