// libFuzzer target for the file-name history of the name boxes. The input is
// a history length (its first byte), the text in the box (up to the first NUL)
// and, after the NUL, the text of the INI file. The history is read from the
// file, written back with the text on top, and read again: every name comes
// back exactly, and nothing outside the history's section changes.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/profile.h"
#include "platform/text.h"
#include "widgets/history_list.h"

namespace {

using namespace burnmark;

inline void Check(bool ok) {
    if (!ok) std::abort();
}

constexpr const char* kSection = "BinaryEditLoadFileHistory";

struct Folder {
    std::filesystem::path root;
    std::string file;

    Folder() {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/bm_history_fuzz_XXXXXX";
        Check(mkdtemp(pattern.data()) != nullptr);
        root = pattern;
        file = pattern + "/burnmark.INI";
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

Folder& Dir() {
    static Folder dir;
    return dir;
}

// Every value of every other section, as the program would read it.
std::map<std::pair<std::string, std::string>, std::string> OtherValues(const std::string& path) {
    const ProfileSnapshot file(path);
    std::map<std::pair<std::string, std::string>, std::string> values;
    for (const std::string& section : file.ReadSections()) {
        if (AsciiLower(section) == AsciiLower(kSection)) continue;
        for (const std::string& key : file.ReadSection(section))
            values[{AsciiLower(section), AsciiLower(key)}] = file.ReadString(section, key, "");
    }
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0 || size > kMaxProfileFileBytes) return 0;
    const auto maxLength = static_cast<int32_t>(data[0] % 16) - 2;  // a few negative too
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t nul = rest.find('\0');
    const std::string text = nul == std::string::npos ? std::string() : rest.substr(0, nul);
    const std::string ini = nul == std::string::npos ? rest : rest.substr(nul + 1);

    Folder& dir = Dir();
    {
        std::ofstream out(dir.file, std::ios::binary | std::ios::trunc);
        out << ini;
        Check(static_cast<bool>(out));
    }
    Profile profile(dir.file);
    const auto othersBefore = OtherValues(dir.file);

    const std::vector<std::string> read = ReadHistory(profile, kSection, maxLength);
    Check(read.size() <= static_cast<std::size_t>(std::max(maxLength, 0)));
    for (const std::string& name : read) Check(StorableHistoryName(name));

    const std::vector<std::string> list = HistoryAfterWrite(text, read, maxLength);
    Check(list.size() <= static_cast<std::size_t>(std::max(maxLength, 0)));
    if (maxLength > 0 && StorableHistoryName(text)) Check(list.front() == text);
    // Only later copies of the text go: the rest keep their order.
    std::vector<std::string> others;
    for (const std::string& name : read)
        if (name != text) others.push_back(name);
    std::size_t at = list.empty() || list.front() != text ? 0 : 1;
    for (std::size_t i = 0; at < list.size(); ++i, ++at) {
        Check(i < others.size());
        Check(list[at] == others[i]);
    }

    Check(WriteHistory(profile, kSection, list));
    Check(ReadHistory(profile, kSection, maxLength) == list);
    Check(OtherValues(dir.file) == othersBefore);

    // Written once more, the file stays as it is.
    std::ifstream first(dir.file, std::ios::binary);
    const std::string once((std::istreambuf_iterator<char>(first)),
                           std::istreambuf_iterator<char>());
    Check(WriteHistory(profile, kSection, list));
    std::ifstream second(dir.file, std::ios::binary);
    const std::string twice((std::istreambuf_iterator<char>(second)),
                            std::istreambuf_iterator<char>());
    Check(once == twice);
    return 0;
}
