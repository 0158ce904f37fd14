#pragma once
// Disc drives. The program and its archiving tool name removable discs by drive letter; on
// this system a letter stands for a folder, by one rule for every drive:
//   TESSARY_DRIVE_<LETTER> when set: that folder, available when it exists;
//   else /media/$USER/<LETTER>, then /mnt/<letter>: the first that is a mount point, where
//   a medium labelled with the letter is mounted. A folder there with nothing mounted on it
//   is an empty drive, not a disc.

#include <string>

namespace tessary {

struct Drive {
    char letter = 'A';       // upper case
    std::string folder;      // the folder it stands for (the first candidate when none is)
    bool available = false;  // a disc is there to read and write
};

Drive FindDrive(char letter);

// Whether `folder` is a mount point: a different file system from its parent's.
bool IsMountPoint(const std::string& folder);

}  // namespace tessary
