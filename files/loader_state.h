// The loading front end's own state: the folders the file dialogs remember,
// the settings file's path and the names of the file being loaded.
#pragma once

#include <string>

namespace qz {

struct LoaderState {
    std::string programFolder;  // the executable's folder (set by the program's entry)
    std::string settingsPath;   // full path of the settings file
    std::string midiFolder;     // where sequences are saved; kept in the settings file
    std::string browseFolder;   // where "Load Folder" starts
    std::string loadFolder;     // where "Load" starts
    std::string spareFolder;
    char proposedName[17] = {};  // the name the next loaded sequence gets
    char derivedName[17] = {};   // the name derived from the file, restored after Replace
    std::string conflictText;
    bool replaceAll = false;  // set by "ALL Replace" until the next drop
};

}  // namespace qz
