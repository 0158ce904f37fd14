// The reconciliation's working without its form: totals from the entries themselves, pages,
// and marks written back.

#include "nominal/reconcile.h"

#include <fstream>

#include "core/fixture.h"

namespace tessary::testing {
namespace {

class Reconciling : public ProgramFolderTest {};

TEST_F(Reconciling, TotalsComeFromTheEntriesAndMarksGoBackToTheirOwnEntries) {
    StartIn();
    // 25 entries, two pages: receipts on account 0 and payments on 124 by turns, the first
    // already ticked, and last a receipt too large for its column.
    std::vector<NominalLogEntry> log(25);
    for (std::size_t i = 0; i < log.size(); ++i) {
        log[i].AccountNo = i % 2 == 0 ? 0 : 124;
        log[i].Amount = 10.37 * static_cast<double>(i + 1);
    }
    log[0].Reconciled = 1;
    log[24].Amount = 123456789012.34;
    {
        std::ofstream out(Data("nomlog.d32"), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(log.data()),
                  static_cast<std::streamsize>(log.size() * sizeof(NominalLogEntry)));
    }
    ASSERT_TRUE(state.Files[DataFile::NomLog].Open(Data("nomlog.d32"), File::Access::ReadWrite));

    Reconciliation rec;
    rec.Start(state, 1234.56);
    EXPECT_DOUBLE_EQ(rec.reconciled(), 1244.93);
    EXPECT_EQ(rec.lastPage(), 1);
    rec.Load(state, rec.lastPage());
    ASSERT_EQ(rec.rows().size(), 2u);
    EXPECT_DOUBLE_EQ(rec.rows()[0].effect, -248.88);  // a payment takes money out
    EXPECT_TRUE(rec.Toggle(1));
    EXPECT_DOUBLE_EQ(rec.reconciled(), 1244.93 + 123456789012.34);
    EXPECT_FALSE(rec.Toggle(2));  // no entry there
    EXPECT_FALSE(rec.Toggle(-1));
    rec.Save(state);

    rec.Load(state, 0);
    ASSERT_EQ(rec.rows().size(), 23u);
    EXPECT_TRUE(rec.rows()[0].ticked);
    EXPECT_TRUE(rec.Toggle(0));  // untick the first: its receipt leaves the total
    EXPECT_DOUBLE_EQ(rec.reconciled(), 1234.56 + 123456789012.34);
    rec.Save(state);

    std::vector<NominalLogEntry> marks(log.size() + 1);
    std::ifstream in(Data("nomlog.d32"), std::ios::binary);
    in.read(reinterpret_cast<char*>(marks.data()),
            static_cast<std::streamsize>(marks.size() * sizeof(NominalLogEntry)));
    marks.resize(static_cast<std::size_t>(in.gcount()) / sizeof(NominalLogEntry));
    ASSERT_EQ(marks.size(), 25u);
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(marks[i].Reconciled, i == 24 ? 1 : 0) << i;
        EXPECT_EQ(+marks[i].Amount, +log[i].Amount) << i;
    }
}

}  // namespace
}  // namespace tessary::testing
