#include "members/datafolder.h"

#include "core/dates.h"

namespace tessary::testing {

void DataFolderTest::SetUp() {
    ProgramFolderTest::SetUp();
    StartIn();
    state.UserCode = "ADM";
    state.WorkingDate = Day("08/12/2026");
}

int DataFolderTest::AddMember(const std::string& name, double share1) {
    const auto bytes = ReadBytes(Data("memacc.d32"));
    MemberRecord m;
    m.Name.set(name);
    m.Share1 = share1;
    const int n = static_cast<int>(bytes.size() / sizeof m) + 1;
    PutMember(n, m);
    return n;
}

void DataFolderTest::PutMember(int n, const MemberRecord& m) {
    File f;
    ASSERT_TRUE(f.Open(Data("memacc.d32"), File::Access::ReadWrite));
    ASSERT_TRUE(f.WriteAt(static_cast<std::uint64_t>(n - 1) * sizeof m, RecordBytes(m), sizeof m));
}

MemberRecord DataFolderTest::GetMember(int n) {
    MemberRecord m;
    File f;
    EXPECT_TRUE(f.Open(Data("memacc.d32"), File::Access::ReadOnly));
    EXPECT_EQ(f.ReadAt(static_cast<std::uint64_t>(n - 1) * sizeof m, RecordBytes(m), sizeof m),
              sizeof m);
    return m;
}

void DataFolderTest::AddBatchEntry(int member, int type, double amount, const std::string& date,
                                   const std::string& cheque) {
    MemberTransaction t;
    t.MemberNo = member;
    t.TransType = type;
    t.Amount = amount;
    t.Date = Day(date);
    t.ChequeNo.set(cheque);
    AppendEntry(t);
}

void DataFolderTest::AppendEntry(const MemberTransaction& t) {
    const std::string path = Data("ADMMEM.t32");
    if (!std::filesystem::exists(path)) CreateEmptyFile(path);
    File f;
    ASSERT_TRUE(f.Open(path, File::Access::ReadWrite));
    ASSERT_TRUE(f.Append(RecordBytes(t), sizeof t));
}

double DataFolderTest::Day(const std::string& date) const {
    return ParseDate(date, std::chrono::year{2026});
}

}  // namespace tessary::testing
