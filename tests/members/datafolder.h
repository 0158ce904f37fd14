#pragma once
// A data folder with a run state on it, for the engine tests of members and processing.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/fixture.h"

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

}  // namespace tessary::testing
