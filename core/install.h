#pragma once
// Where the program finds its own files and where it keeps the co-operatives' data.
//
// A program run from its build folder keeps both beside its executable, as it always has. An
// installed program (PREFIX/bin/tessary) finds its files in PREFIX/share/tessary and never
// writes there: its data folders live in $TESSARY_HOME when set (a folder every workstation
// mounts, say), else in $XDG_DATA_HOME/tessary, else in ~/.local/share/tessary.

#include <functional>
#include <string>

namespace tessary {

struct Places {
    std::string programFolder;  // templates, sign-on picture, guide, archiving tool
    std::string dataHome;       // where the data folders sit
    bool installed = false;
    bool homeNamed = false;  // the data home was named by $TESSARY_HOME
    std::string error;       // why no data home can be used; empty when all is well
    bool ok() const { return error.empty(); }
};

// Looks up an environment variable; null when unset.
using EnvironmentLookup = std::function<const char*(const char*)>;

// Works out the places for an executable in `executableFolder`. Nothing is created.
Places LocatePlaces(const std::string& executableFolder, const EnvironmentLookup& environment);
// The same, from the running executable and the process environment.
Places LocatePlaces();

// Makes sure the data home exists: the default one is created, but $TESSARY_HOME must already
// be there, since a server folder that is not mounted must not be replaced by a local one that
// only this workstation would see. Returns why it cannot be used, or an empty text.
std::string PrepareDataHome(Places& places);

// For --help: where the data folders are and how workstations share them.
std::string DataHomeHelp(const Places& places);

}  // namespace tessary
