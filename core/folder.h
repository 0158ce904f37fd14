#pragma once
// The data folder that the program's first argument names.

#include <string>
#include <vector>

#include "core/state.h"

namespace tessary {

// What the first argument chooses: the folder's name and patch mode, or why the argument is
// refused (then nothing may be created for it).
struct FolderChoice {
    std::string folder = "CU1";
    bool patch = false;
    std::string error;  // empty when the argument is accepted
    bool ok() const { return error.empty(); }
};

// No argument, or "patch" in any case (which also sets patch mode), gives "CU1"; any other
// argument names the folder by its first 8 characters, never splitting a UTF-8 character.
// The folder must lie inside the program folder and be a name a user could mean, so an
// argument is refused when it is empty, "." or "..", holds "/" or "\", a control character
// or malformed UTF-8, or starts with "-" like an option.
FolderChoice ChooseFolderName(const std::vector<std::string>& args);

// Sets FolderName and PatchMode from the first argument and returns an empty text; for a
// refused argument it changes nothing and returns why, and the program must then end
// without preparing a data folder.
std::string ChooseFolder(RunState& state, const std::vector<std::string>& args);

}  // namespace tessary
