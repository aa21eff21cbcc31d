#include "catalogue/selection_catalogue.h"
#include "platform/text.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <system_error>
#include <thread>
#include <unordered_set>

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

// The index a list key gives: "%04lX" of 1..0xFFFF is four hexadecimal
// digits (keys match without regard to case); 0 for any other key.
int32_t ListIndex(std::string_view key) {
    if (key.size() != 4) return 0;
    int32_t index = 0;
    for (char c : key) {
        const int digit = HexDigit(c);
        if (digit < 0) return 0;
        index = index * 16 + digit;
    }
    return index;
}

// A list in the lists' order: the named entries that pass, sorted, and the
// entries the section leaves out (all the default) added as one run, so that
// sorting costs what the catalogue holds rather than what its count claims.
template <typename Pass>
std::vector<std::string> SortedList(int32_t count, const std::map<int32_t, std::string>& named,
                                    const std::string& fallback, bool fallbackPasses, Pass&& pass) {
    std::vector<std::string> list;
    for (const auto& [index, entry] : named)
        if (pass(entry)) list.push_back(entry);
    SortNames(list);
    if (!fallbackPasses) return list;
    const auto at =
        std::lower_bound(list.begin(), list.end(), fallback,
                         [](const std::string& a, const std::string& b) { return NameLess(a, b); });
    list.insert(at, static_cast<std::size_t>(count) - named.size(), fallback);
    return list;
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

// ---- One showing's catalogue ----------------------------------------------------------------

SelectCatalogue::SelectCatalogue(std::string appDir)
    : appDir_(std::move(appDir)), select_(SelectIniPath(appDir_)) {}

SelectCatalogue::List SelectCatalogue::ReadList(const std::string& section) const {
    List list;
    list.count = HexCount(select_.ReadString(section, "Value", "0"));
    if (list.count == 0) return list;
    // Only the keys the section holds: the entries it leaves out read as the
    // default without a lookup each.
    for (const std::string& key : select_.ReadSection(section)) {
        const int32_t index = ListIndex(key);
        if (index < 1 || index > list.count || list.named.count(index)) continue;
        list.named.emplace(index, select_.ReadString(section, key, ""));
    }
    return list;
}

const SelectCatalogue::List& SelectCatalogue::MakerList(const std::string& maker) {
    const std::string key = AsciiLower(maker);
    auto found = lists_.find(key);
    if (found == lists_.end()) found = lists_.emplace(key, ReadList(maker)).first;
    return found->second;
}

std::vector<std::string> SelectCatalogue::Makers() const {
    const List list = ReadList("ITEM");
    return SortedList(list.count, list.named, "0", true, [](const std::string&) { return true; });
}

namespace {

std::string ReadCategory(const std::string& path) {
    std::string type = Profile(path).ReadString(kDeviceSection, "TYPE", kNoneEntry, 19);
    const auto blank = type.find(' ');
    if (blank != std::string::npos) type.resize(blank);
    return type;
}

}  // namespace

const std::string& SelectCatalogue::Category(const std::string& name) {
    const auto known = categoryOf_.find(name);
    if (known != categoryOf_.end()) return known->second;
    // Names that differ only in case name one file: it is read once.
    const std::string path = RealPath(name);
    auto read = categoryAt_.find(path);
    if (read == categoryAt_.end()) read = categoryAt_.emplace(path, ReadCategory(path)).first;
    return categoryOf_.emplace(name, read->second).first->second;
}

void SelectCatalogue::ReadCategories(const std::string& maker, const List& list) {
    std::vector<std::string> paths;
    std::unordered_set<std::string> seen;
    for (const auto& [index, type] : list.named) {
        const std::string name = DeviceFileName(maker, type);
        if (categoryOf_.count(name)) continue;
        std::string path = RealPath(name);
        if (!categoryAt_.count(path) && seen.insert(path).second) paths.push_back(std::move(path));
    }
    // A few files are read as they are asked for.
    constexpr std::size_t kAlone = 64;
    if (paths.size() < kAlone) return;
    std::vector<std::string> types(paths.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < paths.size(); i = next++) types[i] = ReadCategory(paths[i]);
    };
    std::vector<std::thread> helpers;
    const unsigned cores = std::thread::hardware_concurrency();
    try {
        for (unsigned w = 1; w < std::min(cores, 8u); ++w) helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer helpers, or none: this thread reads what they leave.
    }
    work();
    for (std::thread& t : helpers) t.join();
    for (std::size_t i = 0; i < paths.size(); ++i)
        categoryAt_.emplace(std::move(paths[i]), std::move(types[i]));
}

bool SelectCatalogue::Passes(const std::string& maker, const std::string& type,
                             const char* category) {
    return Category(DeviceFileName(maker, type)) == category;
}

std::vector<std::string> SelectCatalogue::Types(const std::string& maker, int filter) {
    const List& list = MakerList(maker);
    const char* category = FilterCategory(filter);
    if (category) ReadCategories(maker, list);
    const std::string none = kNoneEntry;
    // The entries the section leaves out are all "<none>": one answer for them.
    const bool nonePasses = !category || Passes(maker, none, category);
    return SortedList(list.count, list.named, none, nonePasses, [&](const std::string& type) {
        return !category || Passes(maker, type, category);
    });
}

long SelectCatalogue::TypeCount(const std::string& maker, int filter) {
    const std::pair<std::string, int> key(AsciiLower(maker), filter);
    const auto known = counts_.find(key);
    if (known != counts_.end()) return known->second;
    const List& list = MakerList(maker);
    const char* category = FilterCategory(filter);
    long count = list.count;
    if (category) {
        ReadCategories(maker, list);
        const long missing = list.count - static_cast<long>(list.named.size());
        count = Passes(maker, kNoneEntry, category) ? missing : 0;
        for (const auto& [index, type] : list.named) count += Passes(maker, type, category);
    }
    counts_.emplace(key, count);
    return count;
}

std::string SelectCatalogue::DeviceFileName(const std::string& maker,
                                            const std::string& type) const {
    // An empty key would read nothing sensible: no type, no file.
    if (type.empty()) return kNoneEntry;
    return select_.ReadString(maker, type, kNoneEntry);
}

std::optional<DeviceInfoTexts> SelectCatalogue::DeviceInfo(const std::string& maker,
                                                           const std::string& type) {
    const std::string name = DeviceFileName(maker, type);
    if (name == kNoneEntry) return std::nullopt;
    const ProfileSnapshot file(RealPath(name));
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
