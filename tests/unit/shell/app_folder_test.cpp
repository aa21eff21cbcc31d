// The application folder: which folder the program takes, and that laying the
// sample into the user's folder never touches a file the user has.
#include "shell/app_folder.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

class AppFolderTest : public ::testing::Test {
protected:
    // prog/ holds the program, share/sample/ an installed sample, home/ the user's.
    AppFolderPlaces Places() const {
        return {{},
                dir.Path() + "prog/",
                dir.Path() + "prog/burnmark",
                dir.Path() + "share/sample/",
                dir.Path() + "home/burnmark/"};
    }
    bool Has(const std::string& relative) const { return fs::exists(dir.Path() + relative); }

    TempDir dir;
};

TEST_F(AppFolderTest, ChoosesTheFolderByWhereTheCatalogueIs) {
    struct Case {
        const char* name;
        bool overrideSet;
        bool catalogueBesideProgram;
        bool programDirWritable;
        bool installedSample;
        const char* chosen;    // relative to the test folder
        const char* laidFrom;  // the catalogue the user's folder got; nullptr: none made
    } cases[] = {
        {"override wins", true, true, true, true, "elsewhere/", nullptr},
        {"build folder", false, true, true, false, "prog/", nullptr},
        {"read-only copy of the build folder", false, true, false, false, "home/burnmark/", "prog"},
        {"installed", false, false, true, true, "home/burnmark/", "sample"},
        {"installed sample before the program's folder", false, true, false, true, "home/burnmark/",
         "sample"},
        {"no catalogue anywhere", false, false, true, false, "prog/", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir.Path());
        fs::create_directories(dir.Path() + "prog");
        dir.Write("prog/burnmark", "program");
        if (c.catalogueBesideProgram) dir.Write("prog/Select.ini", "prog");
        if (c.installedSample) dir.Write("share/sample/Select.ini", "sample");
        AppFolderPlaces places = Places();
        if (c.overrideSet) places.overrideDir = dir.Path() + "elsewhere";
        const bool writable = c.programDirWritable;

        const AppFolder folder =
            PrepareAppFolder(places, [writable](const std::string&) { return writable; });
        EXPECT_EQ(folder.Dir, dir.Path() + c.chosen);
        EXPECT_EQ(folder.Problem, "");
        if (c.laidFrom) {
            EXPECT_EQ(dir.Read("home/burnmark/Select.ini"), c.laidFrom);
            EXPECT_FALSE(Has("home/burnmark/burnmark")) << "the program is not a catalogue file";
        } else {
            EXPECT_FALSE(Has("home")) << "nothing made for the user";
        }
    }
}

TEST_F(AppFolderTest, LayingAddsWhatIsAbsentAndKeepsWhatTheUserHas) {
    dir.Write("share/sample/Select.ini", "sample list");
    dir.Write("share/sample/INI/ATMEL/AT89C51.INI", "sample device");
    dir.Write("share/sample/INI/ATMEL/AT29C256.INI", "sample device 2");
    dir.Write("share/sample/FPGA/MCU51.BIN", std::string("\0\x01\xFF", 3));
    dir.Write("home/burnmark/Select.ini", "the user's list");
    dir.Write("home/burnmark/INI/ATMEL/AT89C51.INI", "the user's device");
    dir.Write("home/burnmark/History_1.ini", "[System]\r\nType=1\r\n");
    fs::create_symlink(dir.Path() + "nowhere", dir.Path() + "home/burnmark/FPGA");

    // A file of the user's replaced by a link that leads nowhere.
    dir.Write("share/sample/Sound/ok.wav", "sample sound");
    fs::create_directories(dir.Path() + "home/burnmark/Sound");
    fs::create_symlink(dir.Path() + "nowhere.wav", dir.Path() + "home/burnmark/Sound/ok.wav");
    // A file of the user's where the sample has a folder.
    dir.Write("share/sample/Skin/a.bmp", "sample picture");
    dir.Write("home/burnmark/Skin", "the user's file");

    const AppFolder folder = PrepareAppFolder(Places());
    ASSERT_EQ(folder.Dir, dir.Path() + "home/burnmark/") << folder.Problem;
    // Nothing of the user's is in the way of a file: all is well.
    EXPECT_EQ(folder.Problem, "");
    EXPECT_TRUE(fs::is_symlink(dir.Path() + "home/burnmark/Sound/ok.wav"));
    EXPECT_FALSE(Has("nowhere.wav"));
    EXPECT_EQ(dir.Read("home/burnmark/Skin"), "the user's file");
    EXPECT_EQ(dir.Read("home/burnmark/Select.ini"), "the user's list");
    EXPECT_EQ(dir.Read("home/burnmark/INI/ATMEL/AT89C51.INI"), "the user's device");
    EXPECT_EQ(dir.Read("home/burnmark/History_1.ini"), "[System]\r\nType=1\r\n");
    EXPECT_EQ(dir.Read("home/burnmark/INI/ATMEL/AT29C256.INI"), "sample device 2");
    // A folder the user replaced by a link that leads nowhere stays as it is.
    EXPECT_TRUE(fs::is_symlink(dir.Path() + "home/burnmark/FPGA"));
    EXPECT_FALSE(Has("nowhere"));

    // A file the user deleted comes back from the sample at the next start.
    fs::remove(dir.Path() + "home/burnmark/INI/ATMEL/AT29C256.INI");
    PrepareAppFolder(Places());
    EXPECT_EQ(dir.Read("home/burnmark/INI/ATMEL/AT29C256.INI"), "sample device 2");
}

// A sample file whose copy cannot be written: its name in the user's folder
// is one byte longer than the longest path the system takes.
TEST_F(AppFolderTest, ASampleFileThatCannotBeLaidIsToldAndTheOthersAreLaid) {
    const std::string sample = dir.Path() + "share/sample/";
    const std::string name(250, 'n');
    // Folders of at most 200 characters each (with their separators) make up the rest.
    const std::size_t folders = PATH_MAX - 1 - sample.size() - name.size();
    const std::size_t count = (folders + 200) / 201;
    std::string relative;
    for (std::size_t i = 0; i < count; ++i)
        relative += std::string(folders / count - 1 + (i < folders % count ? 1 : 0), 'd') + "/";
    ASSERT_EQ((sample + relative + name).size(), std::size_t{PATH_MAX - 1});
    dir.Write("share/sample/Select.ini", "sample list");
    for (const char* file : {"a.ini", "b.ini", "c.ini"})
        dir.Write("share/sample/" + relative + file, file);
    dir.Write("share/sample/" + relative + name, "too long a name");

    const AppFolder folder = PrepareAppFolder(Places());
    EXPECT_EQ(folder.Dir, dir.Path() + "home/burnmark/");
    EXPECT_NE(folder.Problem.find("could not be laid wholly"), std::string::npos) << folder.Problem;
    EXPECT_NE(folder.Problem.find(name), std::string::npos) << folder.Problem;
    EXPECT_EQ(dir.Read("home/burnmark/Select.ini"), "sample list");
    for (const char* file : {"a.ini", "b.ini", "c.ini"})
        EXPECT_EQ(dir.Read("home/burnmark/" + relative + file), file);
}

TEST_F(AppFolderTest, WithoutAUsersFolderTheSampleIsReadAndTheOperatorIsTold) {
    dir.Write("share/sample/Select.ini", "sample");
    struct Case {
        const char* name;
        std::string userDir;
        const char* says;
    } cases[] = {
        {"no home", "", "HOME is not set"},
        {"a file where the folder should be", dir.Write("home", "a file") + "/burnmark/",
         "home/burnmark/ cannot be made"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppFolderPlaces places = Places();
        places.userDir = c.userDir;
        const AppFolder folder = PrepareAppFolder(places);
        EXPECT_EQ(folder.Dir, dir.Path() + "share/sample/");
        EXPECT_NE(folder.Problem.find(c.says), std::string::npos) << folder.Problem;
        EXPECT_NE(folder.Problem.find("settings are not kept"), std::string::npos);
    }
}

}  // namespace
}  // namespace burnmark
