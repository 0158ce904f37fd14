#include "core/drive.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace tessary {

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UserName() {
    if (const char* u = std::getenv("USER"); u && *u) return u;
    if (const passwd* pw = ::getpwuid(::getuid())) return pw->pw_name;
    return {};
}

}  // namespace

bool IsMountPoint(const std::string& folder) {
    struct stat self {
    }, parent{};
    if (::stat(folder.c_str(), &self) != 0 || !S_ISDIR(self.st_mode)) return false;
    const std::string up = (std::filesystem::path(folder) / "..").string();
    if (::stat(up.c_str(), &parent) != 0) return false;
    return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

Drive FindDrive(char letter) {
    Drive drive;
    drive.letter = Upper(letter);
    const std::string variable = std::string("TESSARY_DRIVE_") + drive.letter;
    if (const char* set = std::getenv(variable.c_str()); set && *set) {
        std::error_code ec;
        drive.folder = set;
        drive.available = std::filesystem::is_directory(drive.folder, ec);
        return drive;
    }
    const std::string lower(1, static_cast<char>(drive.letter - 'A' + 'a'));
    const std::string candidates[] = {"/media/" + UserName() + "/" + drive.letter, "/mnt/" + lower};
    drive.folder = candidates[0];
    for (const std::string& folder : candidates) {
        if (IsMountPoint(folder)) {
            drive.folder = folder;
            drive.available = true;
            break;
        }
    }
    return drive;
}

}  // namespace tessary
