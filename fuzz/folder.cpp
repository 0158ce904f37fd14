#include "fuzz/folder.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/folder.h"

namespace tessary::fuzz {

namespace fs = std::filesystem;

void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
    std::abort();
}

const fs::path& ProgramFolder() {
    static const fs::path folder = [] {
        const fs::path base =
            fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path p = base / ("tessary-fuzz-" + std::to_string(::getpid()));
        fs::remove_all(p);
        fs::create_directories(p);
        for (const char* t : {"sys.d32", "nomacc.d32"}) {
            fs::copy_file(fs::path(TESSARY_BIN_DIR) / t, p / t);
        }
        std::atexit([] { fs::remove_all(ProgramFolder()); });
        return p;
    }();
    return folder;
}

std::unique_ptr<RunState> FreshFolder(const std::string& name, bool create) {
    static QuietDesk desk;
    fs::remove_all(ProgramFolder() / name);
    auto state = std::make_unique<RunState>();
    state->desk = &desk;
    ChooseFolder(*state, {name});
    PrepareDataFolder(*state, ProgramFolder().string());
    if (create) {
        OpenFileSet(*state, kSystemOnly);
        LoadSystemRecord(*state);
        CloseFileSet(*state, kSystemOnly);
    } else {
        fs::create_directories(ProgramFolder() / name);
    }
    state->UserCode = "ADM";
    return state;
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void Spill(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tessary::fuzz
