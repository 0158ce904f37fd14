#pragma once
// A throw-away program folder for the fuzz targets, on a memory file system where there is
// one: a target makes and syncs files on every input, and a disc would set the pace.

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/fileset.h"

namespace tessary::fuzz {

// Aborts the run when a property does not hold: the fuzzer keeps the input that broke it.
#define FUZZ_CHECK(condition)                                                    \
    do {                                                                         \
        if (!(condition)) ::tessary::fuzz::Fail(#condition, __FILE__, __LINE__); \
    } while (0)
[[noreturn]] void Fail(const char* what, const char* file, int line);

// Tells the file set nothing and answers every question with Cancel.
class QuietDesk : public Desk {
  public:
    void ShowMessage(std::string_view) override {}
    bool AskQuestion(std::string_view, std::string_view) override { return false; }
    void RequestShutDown() override {}
};

// The program folder with the built templates, made once per process.
const std::filesystem::path& ProgramFolder();

// A fresh run state on data folder `name` of the program folder, emptied first; the file set
// is created as the first start creates it unless `create` is false.
std::unique_ptr<RunState> FreshFolder(const std::string& name, bool create = true);

std::string Slurp(const std::filesystem::path& path);
void Spill(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tessary::fuzz
