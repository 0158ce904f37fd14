#include "core/install.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/file.h"
#include "core/state.h"

#ifndef TESSARY_INSTALLED_PROGRAM_FOLDER
#define TESSARY_INSTALLED_PROGRAM_FOLDER "../share/tessary"
#endif

namespace tessary {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTemplate = DataFileName(DataFile::Sys);  // every program folder has it

bool HoldsTemplates(const fs::path& folder) {
    std::error_code ec;
    return fs::is_regular_file(folder / kTemplate, ec);
}

std::string Variable(const EnvironmentLookup& environment, const char* name) {
    const char* value = environment(name);
    return value ? std::string(value) : std::string();
}

}  // namespace

Places LocatePlaces(const std::string& executableFolder, const EnvironmentLookup& environment) {
    Places places;
    places.programFolder = executableFolder;
    places.dataHome = executableFolder;
    const fs::path beside(executableFolder);
    const fs::path shared = beside / TESSARY_INSTALLED_PROGRAM_FOLDER;
    // Templates beside the executable mark a build folder (or a hand-made program folder);
    // keep everything there.
    if (HoldsTemplates(beside) || !HoldsTemplates(shared)) return places;

    places.installed = true;
    places.programFolder = shared.lexically_normal().string();
    if (const std::string home = Variable(environment, "TESSARY_HOME"); !home.empty()) {
        places.homeNamed = true;
        std::error_code ec;
        places.dataHome = fs::absolute(home, ec).lexically_normal().string();
        if (ec) places.error = "TESSARY_HOME (" + home + ") is not a usable folder name";
        return places;
    }
    // A relative XDG_DATA_HOME is invalid and is ignored, as the desktop's conventions say.
    const std::string xdg = Variable(environment, "XDG_DATA_HOME");
    if (!xdg.empty() && fs::path(xdg).is_absolute()) {
        places.dataHome = (fs::path(xdg) / "tessary").lexically_normal().string();
        return places;
    }
    const std::string user = Variable(environment, "HOME");
    if (user.empty() || !fs::path(user).is_absolute()) {
        places.dataHome.clear();
        places.error =
            "There is no home folder to keep the data in: set TESSARY_HOME to the folder of the "
            "data folders";
        return places;
    }
    places.dataHome = (fs::path(user) / ".local/share/tessary").lexically_normal().string();
    return places;
}

Places LocatePlaces() {
    return LocatePlaces(ExecutableFolder(), [](const char* name) { return std::getenv(name); });
}

std::string PrepareDataHome(Places& places) {
    if (!places.ok()) return places.error;
    std::error_code ec;
    if (fs::is_directory(places.dataHome, ec)) return {};
    if (!places.installed) return {};  // a build folder: the data folders sit beside the program
    if (places.homeNamed) {
        return "The data home " + places.dataHome +
               " (TESSARY_HOME) is not a folder here: is the shared folder mounted?";
    }
    fs::create_directories(places.dataHome, ec);
    if (ec) return "The data home " + places.dataHome + " cannot be made: " + ec.message();
    return {};
}

std::string DataHomeHelp(const Places& places) {
    std::string text;
    if (places.installed) {
        text =
            "Data folders are kept in $TESSARY_HOME when it is set, else in\n"
            "$XDG_DATA_HOME/tessary (by default ~/.local/share/tessary). Here that is:\n  " +
            (places.ok() ? places.dataHome : places.error) + "\n";
    } else {
        text = "This program runs from its build folder: its data folders sit beside it, in\n  " +
               places.dataHome + "\n";
    }
    return text +
           "Several workstations share a co-operative's data by setting TESSARY_HOME to the same\n"
           "folder on a file server that each of them mounts. Any number of them may read the\n"
           "data at once; one at a time may update it, and the others are told so.\n";
}

}  // namespace tessary
