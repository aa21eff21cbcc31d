// libFuzzer target for the device selection's catalogue. The input is split
// at its NUL bytes: Select.ini, then two device files (INI/D/A.INI and
// INI/d/b.ini, which a catalogue may name in any case), then SelIcHst.ini.
// The catalogue is read as a showing of the dialog reads it: the makers, each
// maker's types under every filter with their counts, the panel of a few
// types; then the dialog's own creation, the total, clicks and typing, a
// history entry chosen, and an OK with the history ring it writes. Every
// count must be its list's size, the lists sorted and within their keys, and
// the ring must hold what the OK says it holds; a run must finish in time
// whatever counts the catalogue claims.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/data_buffer.h"
#include "catalogue/device_selection.h"
#include "catalogue/selection_catalogue.h"
#include "link/fpga_image.h"
#include "link/programmer_link.h"
#include "platform/quiet_ports.h"
#include "platform/sound_player.h"
#include "platform/usb_transport.h"

namespace {

using namespace burnmark;

// Says which check failed before it stops the run.
#define Check(ok) CheckAt((ok), __LINE__, #ok)
inline void CheckAt(bool ok, int line, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "check failed at line %d: %s\n", line, what);
    std::abort();
}

// The makers whose lists are read in full per input: a catalogue may claim
// 65,535 of them, and each list is up to 65,535 entries.
constexpr std::size_t kListedMakers = 4;
// The data buffer is capped, as a device may ask for up to 256 MB.
constexpr std::size_t kBufferCap = std::size_t{1} << 20;

struct AppDirectory {
    std::filesystem::path root;
    std::string appDir;

    AppDirectory() {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/bm_selection_fuzz_XXXXXX";
        Check(mkdtemp(pattern.data()) != nullptr);
        root = pattern;
        appDir = pattern + "/";
        std::filesystem::create_directories(root / "INI" / "D");
        std::filesystem::create_directories(root / "INI" / "d");
        std::filesystem::create_directories(root / "FPGA");
        std::ofstream(root / "FPGA" / "FUZZ.BIN", std::ios::binary) << std::string(100, '\x5A');
    }
    ~AppDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    void Write(const char* relative, std::string_view bytes) const {
        std::ofstream out(root / relative, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        Check(static_cast<bool>(out));
    }
};

AppDirectory& Dir() {
    static AppDirectory dir;
    return dir;
}



class NoFailDisplay : public OperationFailDisplay {
public:
    void ShowOperationFail() override {}
};

bool Sorted(const std::vector<std::string>& names) {
    return std::is_sorted(
        names.begin(), names.end(),
        [](const std::string& a, const std::string& b) { return NameLess(a, b); });
}

// The first few makers of the list, each name once.
std::vector<std::string> SomeMakers(const std::vector<std::string>& makers) {
    std::vector<std::string> some;
    for (const std::string& maker : makers) {
        if (some.size() == kListedMakers) break;
        if (std::find(some.begin(), some.end(), maker) == some.end()) some.push_back(maker);
    }
    return some;
}

void CheckCatalogue(const std::string& appDir) {
    SelectCatalogue catalogue(appDir);
    const std::vector<std::string> makers = catalogue.Makers();
    Check(makers.size() <= 0xFFFF);
    Check(Sorted(makers));
    for (const std::string& maker : SomeMakers(makers)) {
        const std::vector<std::string> all = catalogue.Types(maker, 0);
        Check(all.size() <= 0xFFFF && Sorted(all));
        Check(catalogue.TypeCount(maker, 0) == static_cast<long>(all.size()));
        // The categories are exclusive: the filtered lists share out the list.
        std::size_t filtered = 0;
        for (int filter = 1; filter < kFilterCount; ++filter) {
            const std::vector<std::string> types = catalogue.Types(maker, filter);
            Check(Sorted(types));
            Check(catalogue.TypeCount(maker, filter) == static_cast<long>(types.size()));
            Check(std::includes(
                all.begin(), all.end(), types.begin(), types.end(),
                [](const std::string& a, const std::string& b) { return NameLess(a, b); }));
            filtered += types.size();
        }
        Check(filtered <= all.size());
        for (std::size_t i = 0; i < all.size() && i < 4; ++i) {
            const std::string name = catalogue.DeviceFileName(maker, all[i]);
            Check(catalogue.DeviceInfo(maker, all[i]).has_value() == (name != kNoneEntry));
        }
    }
}

void CheckDialog(const std::string& appDir, std::string_view input) {
    QuietMessages messages;
    QuietProgress progress;
    QuietSounds silence;
    NoFailDisplay fail;
    NoProgrammer usb;
    SoundPlayer player(silence, messages);
    FpgaImage fpga(messages, fail);
    BufferSizing sizing;
    DataBuffer buffer(messages, progress, appDir + "History_1.ini", kBufferCap);
    ProgrammerLink link(usb, messages, player, fail, fpga);
    ChecksumDisplay checksum;
    DeviceOptions options;
    BusyState busy;
    DeviceRecord device;
    device.AppDir = appDir;
    device.HistoryIniPath = appDir + "History_1.ini";
    buffer.SetChecksumView(&checksum);
    DeviceSelection selection(SelectionParts{device, messages, fpga, sizing, buffer, link, checksum,
                                             fail, options, busy});

    selection.BeginShowing();
    auto consistent = [&] {
        const int m = selection.MakerIndex();
        const int t = selection.TypeIndex();
        Check(m >= -1 && m < static_cast<int>(selection.Makers().size()));
        Check(t >= -1 && t < static_cast<int>(selection.Types().size()));
        if (m >= 0)
            Check(selection.Makers()[static_cast<std::size_t>(m)] == selection.Manufacturer());
        if (t >= 0) Check(selection.Types()[static_cast<std::size_t>(t)] == selection.TypeNum());
    };
    consistent();

    const std::vector<std::string> makers = SomeMakers(selection.Makers());
    for (int filter = 0; filter < kFilterCount; ++filter) {
        selection.TypeGroupClick(filter);
        consistent();
        // The total is the sum of the lists a click on each maker shows.
        const long total = selection.CountAllTypes();
        Check(total >= 0 && total <= 0xFFFFL * 0xFFFF);
        if (selection.Makers().size() == makers.size()) {
            long listed = 0;
            for (std::size_t i = 0; i < selection.Makers().size(); ++i) {
                selection.MaunListBoxClick(static_cast<int>(i));
                listed += static_cast<long>(selection.Types().size());
            }
            Check(listed == total);
        }
    }
    // Typing: each prefix of a few bytes of the input, into both edits.
    for (std::size_t n = 1; n <= 3 && n <= input.size(); ++n) {
        selection.ManuEditChange(std::string(input.substr(0, n)), EditSource::Operator);
        selection.IcTypeEditChange(std::string(input.substr(0, n)), EditSource::Operator);
        consistent();
    }
    selection.ManuEditExit();
    selection.IcTypeEditExit();
    for (const std::string& entry : std::vector<std::string>(selection.HistoryItems())) {
        selection.HistCBoxChange(entry);
        consistent();
        if (const std::optional<MakerAndType> split = SplitHistoryEntry(entry, selection.Makers()))
            Check(HistoryEntry(split->maker, split->type) == entry);
    }

    // An OK records the choice; the ring then holds what the box offers.
    const OkEnd end = selection.OKBtnClick();
    consistent();
    if (end == OkEnd::Accepted) {
        const SelectionHistory ring(appDir + kHistoryRingName);
        Check(ring.Last() == selection.HistoryText());
        Check(ring.Entries() == selection.HistoryItems());
        Check(selection.HistoryItems().size() <= static_cast<std::size_t>(kHistorySlots));
        Check(device.Manufacturer == selection.Manufacturer() &&
              device.TypeNum == selection.TypeNum());
    }
    selection.EndShowing();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const AppDirectory& dir = Dir();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const char* const files[] = {"Select.ini", "INI/D/A.INI", "INI/d/b.ini", "SelIcHst.ini"};
    std::size_t at = 0;
    for (const char* file : files) {
        const std::size_t end = std::min(input.find('\0', at), input.size());
        dir.Write(file, at < input.size() ? input.substr(at, end - at) : std::string_view());
        at = end + 1;
    }
    std::error_code ignored;
    std::filesystem::remove(dir.root / "History_1.ini", ignored);

    CheckCatalogue(dir.appDir);
    CheckDialog(dir.appDir, input);
    return 0;
}
