#pragma once
// A throw-away program folder with the built templates, a run state on a data folder in it,
// and a desk that records what the program tells the user.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/fileset.h"

namespace tessary::testing {

class RecordingDesk : public Desk {
  public:
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    bool answer = false;
    int shutdowns = 0;

    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    bool AskQuestion(std::string_view message, std::string_view question) override {
        messages.emplace_back(message);
        questions.emplace_back(question);
        return answer;
    }
    void RequestShutDown() override { ++shutdowns; }
};

class ProgramFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        program = std::filesystem::temp_directory_path() /
                  (std::string("tessary-") + info->test_suite_name() + "-" + info->name() + "-" +
                   std::to_string(::getpid()));
        std::filesystem::remove_all(program);
        std::filesystem::create_directories(program);
        for (const char* t : {"sys.d32", "nomacc.d32"}) {
            std::filesystem::copy_file(std::filesystem::path(TESSARY_BIN_DIR) / t, program / t);
        }
        state.desk = &desk;
    }
    void TearDown() override {
        for (auto& f : state.Files.files) f.Close();
        std::filesystem::remove_all(program);
    }

    // Prepares the data folder `name` and creates its file set, as start-up does.
    void StartIn(const std::string& name = "CU1") {
        ChooseFolder(state, {name});
        PrepareDataFolder(state, program.string());
        OpenFileSet(state, kSystemOnly);
        LoadSystemRecord(state);
        CloseFileSet(state, kSystemOnly);
    }

    std::string Data(const std::string& name) const { return state.DataFolder + name; }

    std::filesystem::path program;
    RecordingDesk desk;
    RunState state;
};

std::vector<unsigned char> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);
void AppendBytes(const std::filesystem::path& path, std::size_t count, unsigned char value = 0);

}  // namespace tessary::testing
