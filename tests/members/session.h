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

class SignedOnTest : public ProgramFolderTest {
  protected:
    void SetUp() override;
    void TearDown() override;

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
    std::vector<std::string> ReportLines();
    double Day(const std::string& date) const;

    ui::HeadlessBackend backend;
    ui::ScriptServices services{backend, std::chrono::year{2026} / 12 / 8};
    ui::Ui ui{backend, services};
    std::unique_ptr<App> app;
};

}  // namespace tessary::testing
