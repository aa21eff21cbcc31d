#include "catalogue/selection_catalogue.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdio>

#include "catalogue/device_loader.h"
#include "platform/number.h"
#include "platform/paths.h"
#include "platform/profile.h"

namespace burnmark {

namespace {

// The keys of one list run from "0001" up; more than four hexadecimal digits
// of entries is no catalogue but a damaged count, which would otherwise make
// the list take all memory.
constexpr int32_t kMaxListCount = 0xFFFF;

// Counts are hexadecimal texts without a prefix.
int32_t HexCount(const std::string& text) {
    const int32_t count = StrToIntDef("$" + text, 0);
    return std::clamp(count, 0, kMaxListCount);
}


// A name that is one file name of a folder, not a way out of it.
bool PlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos;
}

std::string SelectIniPath(const std::string& appDir) {
    return ResolvePath(appDir + kSelectIniName);
}

// "TYPE" of a device file, at most 19 characters, up to its first blank.
std::string DeviceCategory(const std::string& appDir, const std::string& name) {
    const Profile file(ResolvePath(DeviceFilePath(appDir, name)));
    std::string type = file.ReadString(kDeviceSection, "TYPE", kNoneEntry, 19);
    const auto blank = type.find(' ');
    if (blank != std::string::npos) type.resize(blank);
    return type;
}

bool IsWebAddress(std::string_view text) {
    for (const char* scheme : {"http://", "https://", "ftp://", "mailto:"}) {
        const std::string_view s(scheme);
        if (text.size() > s.size() && EqualNoCase(text.substr(0, s.size()), s)) return true;
    }
    return false;
}

std::string_view TrimBlanks(std::string_view s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

}  // namespace

const char* FilterCategory(int filter) {
    switch (filter) {
        case 1:
            return "PLD";
        case 2:
            return "MPU";
        case 3:
            return "EEPROM";
        case 4:
            return "EPROM";
        default:
            return nullptr;
    }
}

std::string CatalogueKey(uint32_t index) {
    char key[16];
    std::snprintf(key, sizeof key, "%04lX", static_cast<unsigned long>(index));
    return key;
}

bool NameLess(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(AsciiLower(a[i]));
        const auto y = static_cast<unsigned char>(AsciiLower(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

void SortNames(std::vector<std::string>& names) {
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return NameLess(a, b); });
}

int MatchEntry(const std::vector<std::string>& entries, std::string_view text) {
    if (text.empty()) return -1;
    auto first = [&](auto&& equal) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (equal(std::string_view(entries[i]))) return static_cast<int>(i);
        return -1;
    };
    const auto prefix = [&](std::string_view e) { return e.substr(0, text.size()); };
    for (int found : {first([&](std::string_view e) { return e == text; }),
                      first([&](std::string_view e) { return EqualNoCase(e, text); }),
                      first([&](std::string_view e) { return prefix(e) == text; }),
                      first([&](std::string_view e) { return EqualNoCase(prefix(e), text); })})
        if (found >= 0) return found;
    return -1;
}

std::vector<std::string> ReadMakers(const std::string& appDir) {
    const ProfileSnapshot select(SelectIniPath(appDir));
    std::vector<std::string> makers;
    const int32_t count = HexCount(select.ReadString("ITEM", "Value", "0"));
    for (int32_t i = 1; i <= count; ++i)
        makers.push_back(select.ReadString("ITEM", CatalogueKey(static_cast<uint32_t>(i)), "0"));
    SortNames(makers);
    return makers;
}

std::vector<std::string> ReadTypes(const std::string& appDir, const std::string& maker,
                                   int filter) {
    const ProfileSnapshot select(SelectIniPath(appDir));
    const char* category = FilterCategory(filter);
    std::vector<std::string> types;
    const int32_t count = HexCount(select.ReadString(maker, "Value", "0"));
    for (int32_t i = 1; i <= count; ++i) {
        std::string type =
            select.ReadString(maker, CatalogueKey(static_cast<uint32_t>(i)), kNoneEntry);
        if (category &&
            DeviceCategory(appDir, select.ReadString(maker, type, kNoneEntry)) != category)
            continue;
        types.push_back(std::move(type));
    }
    SortNames(types);
    return types;
}

std::string DeviceFileName(const std::string& appDir, const std::string& maker,
                           const std::string& type) {
    // An empty key would read nothing sensible: no type, no file.
    if (type.empty()) return kNoneEntry;
    return Profile(SelectIniPath(appDir)).ReadString(maker, type, kNoneEntry);
}

std::string DeviceFilePath(const std::string& appDir, const std::string& name) {
    return appDir + "INI\\" + name;
}

std::string VoltageText(const char* label, std::string_view tenths) {
    unsigned value = 0;
    for (char c : tenths.substr(0, 4)) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    char text[64];
    std::snprintf(text, sizeof text, "%s = %u.%u V", label, value / 10, value % 10);
    return text;
}

std::optional<DeviceInfoTexts> ReadDeviceInfo(const std::string& appDir, const std::string& maker,
                                              const std::string& type) {
    const std::string name = DeviceFileName(appDir, maker, type);
    if (name == kNoneEntry) return std::nullopt;
    const ProfileSnapshot file(ResolvePath(DeviceFilePath(appDir, name)));
    auto read = [&](const char* key, std::size_t cap) {
        return file.ReadString(kDeviceSection, key, kNoneEntry, cap);
    };
    DeviceInfoTexts info;
    info.PinLabel = "PIN : " + read("PIN", 7);
    const std::string size = read("ICSIZE", 15);
    info.SizeLabel = read("TYPE", 9) == "PLD" ? "FUSE : " + size + "  " : "SIZE : " + size + " ";
    info.VCCLabel = VoltageText("VCC", read("read_vcc", 4));
    info.VCPLabel = VoltageText("VCCP", read("program_vcc", 4));
    info.VPPLabel = VoltageText("VPP", read("program_vpp", 4));
    info.NoteLabel = file.KeyExists(kDeviceSection, "Note") ? "Note : " + read("Note", 255)
                                                            : std::string("Note : None.");
    return info;
}

std::string MakerPicturePath(const std::string& appDir, const std::string& maker) {
    std::vector<std::string> names;
    if (PlainFileName(maker)) names.push_back(maker + ".bmp");
    names.push_back("NULL.bmp");
    for (const std::string& name : names) {
        const std::string stored = appDir + "Bmpdata\\" + name;
        if (StoredFileExists(stored)) return ResolvePath(stored);
    }
    return {};
}

std::optional<std::string> FindMakerUrl(const std::string& appDir, const std::string& maker) {
    const std::string file =
        Profile(ResolvePath(appDir + kUrlListName)).ReadString("Index", maker, "None");
    if (file == "None") return std::nullopt;
    return file;
}

std::optional<std::string> MakerWebAddress(const std::string& appDir, const std::string& file) {
    if (!PlainFileName(file)) return std::nullopt;
    const std::string stored = appDir + "URL\\" + file;
    if (!StoredFileExists(stored)) return std::nullopt;
    const std::string path = ResolvePath(stored);

    // An Internet shortcut: [InternetShortcut] URL=...
    const std::string shortcut = Profile(path).ReadString("InternetShortcut", "URL", "");
    if (IsWebAddress(shortcut)) return shortcut;

    // A plain text file whose first line is the address.
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    char line[1024] = {};
    const bool got = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    if (!got) return std::nullopt;
    const std::string address(TrimBlanks(line));
    if (IsWebAddress(address)) return address;
    return std::nullopt;
}

// ---- The history ring ---------------------------------------------------------------------

std::string HistoryEntry(const std::string& maker, const std::string& type) {
    return maker + kHistorySeparator + type;
}

std::optional<MakerAndType> SplitHistoryEntry(std::string_view entry,
                                              const std::vector<std::string>& knownMakers) {
    const std::string_view sep(kHistorySeparator);
    std::optional<MakerAndType> first;
    for (std::size_t at = entry.find(sep); at != std::string_view::npos;
         at = entry.find(sep, at + 1)) {
        MakerAndType split{std::string(entry.substr(0, at)),
                           std::string(entry.substr(at + sep.size()))};
        if (split.maker.empty() || split.type.empty()) continue;
        if (std::find(knownMakers.begin(), knownMakers.end(), split.maker) != knownMakers.end())
            return split;
        if (!first) first = std::move(split);
    }
    return first;
}

namespace {

// The ten slots, "Null" where one is empty.
std::vector<std::string> RingSlots(const ProfileSnapshot& ring) {
    std::vector<std::string> slots;
    for (int slot = 0; slot < kHistorySlots; ++slot)
        slots.push_back(ring.ReadString(kHistorySection, std::to_string(slot), "Null"));
    return slots;
}

std::vector<std::string> FilledSlots(std::vector<std::string> slots) {
    std::erase(slots, "Null");
    return slots;
}

}  // namespace

std::vector<std::string> SelectionHistory::Entries() const {
    return FilledSlots(RingSlots(ProfileSnapshot(path_)));
}

std::optional<std::string> SelectionHistory::Last() const {
    const ProfileSnapshot ring(path_);
    if (!ring.KeyExists(kHistorySection, "Last")) return std::nullopt;
    return ring.ReadString(kHistorySection, "Last", "");
}

SelectionHistory::Update SelectionHistory::AddHistoryEntry(const std::string& maker,
                                                           const std::string& type) {
    const ProfileSnapshot ring(path_);
    std::vector<std::string> slots = RingSlots(ring);
    Update update;
    update.last = HistoryEntry(maker, type);
    std::vector<std::pair<std::string, std::string>> keys;
    if (std::find(slots.begin(), slots.end(), update.last) == slots.end()) {
        const int32_t current = StrToIntDef(ring.ReadString(kHistorySection, "Current", "0"), 0);
        // Only slots 0 to 9 exist: a "Current" outside 0 to 8 starts the ring again.
        const int32_t slot = (current >= 0 && current < kHistorySlots - 1) ? current + 1 : 0;
        slots[static_cast<std::size_t>(slot)] = update.last;
        keys.emplace_back(std::to_string(slot), update.last);
        keys.emplace_back("Current", std::to_string(slot));
    }
    keys.emplace_back("Last", update.last);
    update.written = Profile(path_).WriteStrings(kHistorySection, keys);
    update.entries = FilledSlots(std::move(slots));
    return update;
}

}  // namespace burnmark
