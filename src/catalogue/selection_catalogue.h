// The catalogue as the device selection dialog reads it: the makers and types
// of Select.ini with the category filter, the information panel of a type from
// its device file, the maker pictures under Bmpdata\, the makers' web pages
// through url\URLList.ini, and the selection history ring in SelIcHst.ini.
// SelectCatalogue reads Select.ini once for one showing of the dialog; the
// other reads take their files afresh at each call.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/paths.h"
#include "platform/profile.h"

namespace burnmark {

inline constexpr const char* kSelectIniName = "Select.ini";
inline constexpr const char* kHistoryRingName = "SelIcHst.ini";
inline constexpr const char* kUrlListName = "url\\URLList.ini";
// A type or device file name that the catalogue does not give.
inline constexpr const char* kNoneEntry = "<none>";
// The maker selected while the history holds no last entry.
inline constexpr const char* kGeneralTypeMaker = "General Type";

// The hidden category filter: 0 lists every type; 1 to 4 only the types
// whose device file's "TYPE" (up to its first blank) is "PLD", "MPU",
// "EEPROM" or "EPROM".
inline constexpr int kFilterCount = 5;
// The category a filter asks for; nullptr for 0 and for indices out of range.
const char* FilterCategory(int filter);

// "%04lX" of a catalogue index: 1 gives "0001", 26 gives "001A".
std::string CatalogueKey(uint32_t index);

// The order of the lists: without regard to case, as the operator reads
// them; names equal but for case keep a fixed order (upper case first).
bool NameLess(std::string_view a, std::string_view b);
void SortNames(std::vector<std::string>& names);

// The entry a typed or given text selects, or -1: the entry equal to it,
// else one equal to it without regard to case, else the first that starts
// with it, else the first that starts with it without regard to case. An
// empty text selects nothing.
int MatchEntry(const std::vector<std::string>& entries, std::string_view text);

// The stored path of a device file name: appDir + "INI\" + name.
std::string DeviceFilePath(const std::string& appDir, const std::string& name);

// The information panel of one type.
struct DeviceInfoTexts {
    std::string PinLabel;
    std::string SizeLabel;
    std::string VCCLabel;
    std::string VCPLabel;
    std::string VPPLabel;
    std::string NoteLabel;
    bool operator==(const DeviceInfoTexts&) const = default;
};

// Select.ini as one showing of the dialog reads it: the file once, each
// maker's entries from its own section, each device file's category at most
// once, and the device files' paths resolved in one run. What a showing costs
// follows what it shows: a maker's list costs its types, a total its makers'
// entries; a maker listed twice, and entries the catalogue leaves out, cost
// nothing more. Edits to the files are seen by the next showing.
class SelectCatalogue {
public:
    explicit SelectCatalogue(std::string appDir);
    SelectCatalogue(const SelectCatalogue&) = delete;
    SelectCatalogue& operator=(const SelectCatalogue&) = delete;

    // The makers of [ITEM], sorted. The count is a hexadecimal text; a key
    // that is missing gives the maker "0".
    std::vector<std::string> Makers() const;
    // The types of the maker that pass the filter, sorted. A key that is
    // missing gives the type "<none>"; with a filter, a type whose device
    // file is missing is left out.
    std::vector<std::string> Types(const std::string& maker, int filter);
    // How many types Types() lists.
    long TypeCount(const std::string& maker, int filter);
    // The type's device file, relative to the INI folder; "<none>" when the
    // catalogue gives none.
    std::string DeviceFileName(const std::string& maker, const std::string& type) const;
    // The panel's texts from the type's device file ("<none>" for each key
    // the file lacks, "Note : None." without a note); nullopt when the
    // catalogue names no device file for the type.
    std::optional<DeviceInfoTexts> DeviceInfo(const std::string& maker, const std::string& type);

private:
    // A list section: its count, and the entries its keys give, by index
    // (the others read as the default).
    struct List {
        int32_t count = 0;
        std::map<int32_t, std::string> named;
    };
    List ReadList(const std::string& section) const;
    const List& MakerList(const std::string& maker);
    // "TYPE" of a device file, at most 19 characters, up to its first blank.
    const std::string& Category(const std::string& name);
    // Reads the categories of the maker's device files not read yet, side by
    // side: a filter over thousands of types waits on opening as many files.
    void ReadCategories(const std::string& maker, const List& list);
    // The type's device file is of the category.
    bool Passes(const std::string& maker, const std::string& type, const char* category);
    std::string RealPath(const std::string& name) {
        return paths_.Resolve(DeviceFilePath(appDir_, name));
    }

    std::string appDir_;
    ProfileSnapshot select_;
    PathResolver paths_;
    // By lower-case maker name, as sections are named.
    std::unordered_map<std::string, List> lists_;
    // Categories by device file name, and by the real path it resolves to.
    std::unordered_map<std::string, std::string> categoryOf_;
    std::unordered_map<std::string, std::string> categoryAt_;
    std::map<std::pair<std::string, int>, long> counts_;
};

// "VCC = %d.%d V" and its kin: a text of tenths of a volt, its leading
// decimal digits (at most four characters) read as the value.
std::string VoltageText(const char* label, std::string_view tenths);

// The maker's picture: Bmpdata\<maker>.bmp, else Bmpdata\NULL.bmp; the real
// path of the one that exists, or empty when neither does. A maker name that
// would name a file outside the folder gets the fallback.
std::string MakerPicturePath(const std::string& appDir, const std::string& maker);

// The maker's web file in the URL folder, from url\URLList.ini [Index];
// nullopt when the maker has no entry ("None").
std::optional<std::string> FindMakerUrl(const std::string& appDir, const std::string& maker);
// The address a web file names: the "URL=" line of an Internet shortcut, or
// the file's first line when that is an address itself. Only web and mail
// addresses (http, https, ftp, mailto) are given out; nullopt for anything
// else, a missing file, or a file name that would leave the URL folder.
std::optional<std::string> MakerWebAddress(const std::string& appDir, const std::string& file);

// ---- The history ring ---------------------------------------------------------------------

inline constexpr int kHistorySlots = 10;
inline constexpr const char* kHistorySection = "HISTORY";
inline constexpr const char* kHistorySeparator = "_IC_";

// "%s_IC_%s" of maker and type.
std::string HistoryEntry(const std::string& maker, const std::string& type);

struct MakerAndType {
    std::string maker;
    std::string type;
    bool operator==(const MakerAndType&) const = default;
};
// The maker and type of a history entry. An entry without "_IC_", or with an
// empty maker or type, gives nullopt. When names themselves hold "_IC_", the
// first split whose maker is one of knownMakers is taken, else the first.
std::optional<MakerAndType> SplitHistoryEntry(std::string_view entry,
                                              const std::vector<std::string>& knownMakers = {});

// SelIcHst.ini: ten slots "0".."9", "Current" (the slot written last) and
// "Last" (the entry of the last OK).
class SelectionHistory {
public:
    explicit SelectionHistory(std::string path) : path_(std::move(path)) {}

    // The entries of the slots in slot order, empty slots ("Null") left out.
    std::vector<std::string> Entries() const;
    // "Last", or nullopt while the ring has none.
    std::optional<std::string> Last() const;

    // The ring after an entry was added, as the history box shows it.
    struct Update {
        std::vector<std::string> entries;  // as Entries() reads them now
        std::string last;
        // False when the file could not be written; it is then as it was.
        bool written = true;
    };
    // The entry goes to the slot after "Current" (slot 0 after slot 9, and
    // after any "Current" outside the ring) unless a slot holds it already;
    // "Last" takes it in any case. Slot, "Current" and "Last" are written in
    // one pass, so that the ring is never left half changed.
    [[nodiscard]] Update AddHistoryEntry(const std::string& maker, const std::string& type);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace burnmark
