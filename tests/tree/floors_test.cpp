// The folders of src/ are floors: a file includes only from its own floor and
// the floors below it, a core file never includes a window's header or Qt, and
// a window includes the windows of another floor only through widgets/ui.
// The linker does not catch a header-only include that runs up, so the tree
// is read here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::map<std::string, int> kFloors = {
    {"platform", 0}, {"link", 1},       {"buffer", 1},     {"fusemap", 1}, {"widgets", 1},
    {"buffer/formats", 2}, {"catalogue", 3}, {"operations", 4}, {"flow", 5}, {"shell", 6},
};

struct Place {
    std::string folder;  // the floor's folder, without "/ui"
    bool window = false;
};

Place PlaceOf(const std::string& path) {
    Place place;
    const auto slash = path.rfind('/');
    place.folder = slash == std::string::npos ? "" : path.substr(0, slash);
    if (place.folder == "ui" || place.folder.ends_with("/ui")) {
        place.window = true;
        place.folder = place.folder.size() > 2 ? place.folder.substr(0, place.folder.size() - 3) : "";
    }
    return place;
}

std::vector<std::string> Faults(const fs::path& src) {
    std::vector<std::string> faults;
    const std::regex include(R"re(^\s*#\s*include\s*([<"])([^">]+)[">])re");
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        const std::string rel = fs::relative(entry.path(), src).generic_string();
        if (rel == "main.cpp") continue;
        const Place from = PlaceOf(rel);
        const auto fromFloor = kFloors.find(from.folder);
        if (fromFloor == kFloors.end()) {
            faults.push_back(rel + ": lies in no known floor");
            continue;
        }
        std::ifstream in(entry.path());
        std::string line;
        while (std::getline(in, line)) {
            std::smatch m;
            if (!std::regex_search(line, m, include)) continue;
            const std::string target = m[2];
            if (m[1] == "<") {
                if (!from.window && target.starts_with("Q")) faults.push_back(rel + ": core includes Qt <" + target + ">");
                continue;
            }
            const Place to = PlaceOf(target);
            const auto toFloor = kFloors.find(to.folder);
            if (toFloor == kFloors.end()) continue;  // a header beside the file
            if (to.window && !from.window) faults.push_back(rel + ": core includes the window " + target);
            if (toFloor->second > fromFloor->second ||
                (toFloor->second == fromFloor->second && to.folder != from.folder &&
                 !(from.folder == "buffer/formats" && to.folder == "buffer")))
                faults.push_back(rel + ": includes " + target + " from a floor above or beside its own");
            if (to.window && from.window && to.folder != from.folder && to.folder != "widgets" &&
                toFloor->second >= fromFloor->second)
                faults.push_back(rel + ": includes the window " + target + " of another floor");
        }
    }
    return faults;
}

TEST(Floors, NoIncludeRunsUpAFloor) {
    const auto faults = Faults(BURNMARK_SOURCE_DIR);
    std::string all;
    for (const auto& f : faults) all += f + "\n";
    EXPECT_TRUE(faults.empty()) << all;
}

}  // namespace
