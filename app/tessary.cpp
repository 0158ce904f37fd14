// Tessary's entry point. Until the windowed front end is in place it prepares the data folder
// named by the first argument (default CU1) beside the program and reports what it found.

#include <fmt/core.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/dates.h"
#include "core/fileset.h"
#include "core/text.h"

namespace {

class ConsoleDesk : public tessary::Desk {
  public:
    void ShowMessage(std::string_view text) override { fmt::print("{}\n", text); }
    bool AskQuestion(std::string_view message, std::string_view question) override {
        fmt::print("{}\n{} (answered Cancel)\n", message, question);
        return false;
    }
    void RequestShutDown() override {}
};

}  // namespace

int main(int argc, char** argv) {
    using namespace tessary;
    ConsoleDesk desk;
    RunState state;
    state.desk = &desk;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string programFolder = ExecutableFolder();
    std::error_code ec;
    std::filesystem::current_path(programFolder, ec);
    ChooseFolder(state, args);
    PrepareDataFolder(state, programFolder);

    const bool existed = std::filesystem::exists(state.DataPath("sys.d32"));
    OpenFileSet(state, kSystemOnly);
    const std::size_t got = LoadSystemRecord(state);
    CloseFileSet(state, kSystemOnly);

    fmt::print("Tessary data folder: {}\n", state.DataFolder);
    fmt::print("{}\n", existed ? "Opened the existing file set." : "Created a new file set.");
    for (DataFile f : kDataFiles) {
        const std::string path = state.DataPath(DataFileName(f));
        const auto size = std::filesystem::file_size(path, ec);
        fmt::print("  {:<12}{}\n", DataFileName(f),
                   ec ? std::string("missing") : fmt::format("{} bytes", size));
    }
    if (got < sizeof(SystemRecord)) {
        fmt::print("The system record is missing or short ({} bytes).\n", got);
        return 1;
    }
    fmt::print("Credit union: {}\n", Cp1252ToUtf8(state.System.UnionName.view()));
    fmt::print(
        "Period {}, last posting {}, last period end {}\n", state.System.PeriodNumber,
        state.System.LastPostingDate ? FormatDate(state.System.LastPostingDate) : "none",
        state.System.LastPeriodEndDate ? FormatDate(state.System.LastPeriodEndDate) : "none");
    return 0;
}
