#pragma once
// Backup to and restore from a removable disc, through the archiving tool volume.pif in the
// program folder.

#include <string>

#include "core/state.h"

namespace tessary {

// The disc asked for: the period's own, and period 1's after the twelfth period end.
int DiscPeriod(int periodNumber);
// The tool's parameter strings for a drive letter and a data folder name.
std::string BackupParameters(char drive, const std::string& folderName);
std::string RestoreParameters(char drive, const std::string& folderName);

// Reads what the tool reported of a backup started in this run: only a backup it reports
// done counts as backed up.
void NoteDiscBackupResult(RunState& state);

}  // namespace tessary
