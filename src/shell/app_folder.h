// Where the application folder is: the folder that holds the catalogue and
// the operator's settings. A program run from its build folder (or from any
// folder it was copied to with its catalogue) keeps using that folder; an
// installed program, whose own folder holds no catalogue or cannot be
// written, keeps a folder of the user's own, laid from the installed sample
// catalogue wherever a file is absent, so that nothing the user changed is
// ever overwritten.
#pragma once

#include <functional>
#include <string>

#include "shell/shell_only.h"

namespace burnmark {

// The catalogue's own file: a folder holding it holds a catalogue.
inline constexpr const char* kCatalogueMarkFile = "Select.ini";

struct AppFolderPlaces {
    std::string overrideDir;      // BURNMARK_APP_DIR; empty when not set
    std::string programDir;       // the program's own folder, ending in '/'
    std::string programFile;      // the program itself, never copied
    std::string installedSample;  // the sample catalogue an install lays out
    std::string userDir;          // the user's own folder; empty without a home
};

// The places of the running program: BURNMARK_APP_DIR, the program's folder,
// the installed sample beside it and $XDG_DATA_HOME/burnmark/ (or
// ~/.local/share/burnmark/).
AppFolderPlaces AppFolderPlacesOfThisProgram();

struct AppFolder {
    std::string Dir;      // ends in '/' unless empty
    std::string Problem;  // for the operator; empty when all is well
};

using FolderWritableCheck = std::function<bool(const std::string& dir)>;
bool FolderWritable(const std::string& dir);

// Chooses the application folder, in this order:
//  1. BURNMARK_APP_DIR, taken as it is;
//  2. the program's folder, when it holds a catalogue and can be written;
//  3. the user's folder, laid (where files are absent) from the installed
//     sample or else from the catalogue beside the program;
//  4. the program's folder, when there is no catalogue anywhere.
// When the user's folder cannot be made, the catalogue's own folder is used
// (settings are then not kept) and Problem says why; a sample file that cannot
// be laid into the user's folder is named in Problem, and the folder is used.
AppFolder PrepareAppFolder(const AppFolderPlaces& places,
                           const FolderWritableCheck& writable = FolderWritable);

// Copies every regular file under `from` that `to` lacks into `to`, making
// folders as needed; a name that exists in `to` (or lies under something of
// the user's that is no folder) is never touched, and `skip` (a full path) is
// not copied. Returns the first problem, empty when every file went.
std::string LayAbsentFiles(const std::string& from, const std::string& to,
                           const std::string& skip = {});

}  // namespace burnmark
