#pragma once
// A signed-on program run in-process on a throw-away program folder, for the member tests.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "core/fixture.h"
#include "core/start.h"
#include "ui/headless.h"

namespace tessary::testing {

// A data folder with its file set and a run state for user ADM on 08/12/2026, without the
// program around it: for the engine routines.
class DataFolderTest : public ProgramFolderTest {
  protected:
    void SetUp() override;

    // Appends a member record with the given name and returns its member number.
    int AddMember(const std::string& name, double share1 = 0);
    // Writes a member record over member number n.
    void PutMember(int n, const MemberRecord& m);
    MemberRecord GetMember(int n);
    // Appends a stored entry to the user's member batch as it is, odd values and all.
    void AppendEntry(const MemberTransaction& t);
    void AddBatchEntry(int member, int type, double amount, const std::string& date,
                       const std::string& cheque = "");
    template <typename Record>
    std::vector<Record> Records(const std::string& name) {
        const auto bytes = ReadBytes(Data(name));
        std::vector<Record> out(bytes.size() / sizeof(Record));
        if (!out.empty())
            std::memcpy(static_cast<void*>(out.data()), bytes.data(), out.size() * sizeof(Record));
        return out;
    }
    double Day(const std::string& date) const;
};

// A signed-on program run in-process on the same kind of folder, for the menu commands.
class SignedOnTest : public DataFolderTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The lines of the report work file.
    std::vector<std::string> ReportLines();

    ui::HeadlessBackend backend;
    ui::ScriptServices services{backend, std::chrono::year{2026} / 12 / 8};
    ui::Ui ui{backend, services};
    std::unique_ptr<App> app;
};

}  // namespace tessary::testing
