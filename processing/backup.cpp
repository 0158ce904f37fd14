#include "processing/backup.h"

#include <filesystem>
#include <fstream>

#include "processing/volume/archive.h"

namespace tessary {

int DiscPeriod(int periodNumber) {
    return periodNumber <= 12 ? periodNumber : 1;
}

std::string BackupParameters(char drive, const std::string& folderName) {
    const std::string& f = folderName;
    return "/o " + std::string(1, drive) + ":\\" + f + " " + f + ".zip \"/p=zip " + f + " " + f +
           "\\*.d32,del\"";
}

std::string RestoreParameters(char drive, const std::string& folderName) {
    return "/i " + std::string(1, drive) + ":\\" + folderName + " \"/p=unzip -o " + folderName +
           ",del\"";
}

void NoteDiscBackupResult(RunState& state) {
    if (!state.BackupPending) return;
    std::ifstream in(state.DataPath(volume::kResultFile));
    std::string outcome;
    if (!std::getline(in, outcome)) return;  // the tool is still at work
    state.BackupPending = false;
    if (outcome == "ok") state.BackedUp = true;
}

}  // namespace tessary
