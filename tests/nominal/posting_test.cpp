// The cash-book engine on its own: totalling and posting a nominal batch with no program
// around it, the files read back afterwards.

#include "nominal/posting.h"

#include <filesystem>

#include "core/dates.h"
#include "core/fixture.h"

namespace tessary {
namespace {

class NominalEngine : public testing::ProgramFolderTest {
  protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        StartIn();
        state.UserCode = "ADM";
        state.WorkingDate = ParseDate("08/12/2026", std::chrono::year{2026});
    }
    void Add(int account, double amount, const std::string& narrative) {
        NominalTransaction t;
        t.AccountNo = account;
        t.Amount = amount;
        t.Narrative.set(narrative);
        const std::string path = NominalBatchPath(state);
        if (!std::filesystem::exists(path)) CreateEmptyFile(path);
        File f;
        ASSERT_TRUE(f.Open(path, File::Access::ReadWrite));
        ASSERT_TRUE(f.Append(RecordBytes(t), sizeof t));
    }
    template <typename Record>
    std::vector<Record> Records(const std::string& name) {
        const auto bytes = testing::ReadBytes(Data(name));
        std::vector<Record> out(bytes.size() / sizeof(Record));
        if (!out.empty()) std::memcpy(static_cast<void*>(out.data()), bytes.data(), bytes.size());
        return out;
    }
};

// Money comes into the bank on the bank account itself and on liabilities, capital and
// income (60 to 119); on every other account it goes out.
TEST(BankEffect, InOnZeroAndSixtyToOneHundredAndNineteenOutElsewhere) {
    const struct {
        int account;
        double effect;
    } cases[] = {{0, 86.13},   {1, -86.13},   {59, -86.13}, {60, 86.13},
                 {119, 86.13}, {120, -86.13}, {159, -86.13}};
    for (const auto& c : cases) EXPECT_EQ(BankEffect(c.account, 86.13), c.effect) << c.account;
}

TEST_F(NominalEngine, TotalsListsAndPostsAPaymentAndAReceipt) {
    Add(124, 100, "100234 - Stamps");   // expenditure: money out of the bank
    Add(103, 30, "Interest received");  // income: money in
    Add(122, 0, "never keyed");
    const NominalTotal total = TotalNominalBatch(state);
    EXPECT_EQ(total.count, 2);
    EXPECT_EQ(total.errors, 0);
    EXPECT_EQ(total.total, -70);
    EXPECT_EQ(total.lines,
              (std::vector<std::string>{
                  "Insurance Premiums       124 100234 - Stamps                     100.00",
                  "Sundry Income            103 Interest received                    30.00", "",
                  "Total - Count     2  Value      -70.00"}));

    const NominalPosting run = PostNominalBatch(state);
    EXPECT_EQ(run.refused, "");
    EXPECT_TRUE(run.outcome.ok());
    EXPECT_EQ(run.bank, -70);
    const auto accounts = Records<NominalAccountRecord>("nomacc.d32");
    EXPECT_EQ(+accounts.at(0).Balance, -70);
    EXPECT_EQ(+accounts.at(124).Balance, 100);
    EXPECT_EQ(+accounts.at(103).Balance, 30);
    const auto log = Records<NominalLogEntry>("nomlog.d32");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].Narrative.str(), "100234 - Stamps");
    EXPECT_EQ(+log[1].AccountNo, 103);
    EXPECT_FALSE(std::filesystem::exists(NominalBatchPath(state)));
}

TEST_F(NominalEngine, AnEntryBeyondTheLedgerKeepsTheWholeBatch) {
    Add(124, 100, "stamps");
    Add(-1, 5, "before the ledger");
    Add(160, 5, "after the ledger");
    const NominalTotal total = TotalNominalBatch(state);
    EXPECT_EQ(total.errors, 2);
    EXPECT_EQ(total.total, -100);  // only what can be posted counts
    EXPECT_EQ(total.lines.at(1), "                          -1 before the ledger" +
                                     std::string(21, ' ') + "5.00 ACCOUNT");
    const auto batch = testing::ReadBytes(NominalBatchPath(state));
    EXPECT_EQ(PostNominalBatch(state).refused, "Please check transactions total first");
    EXPECT_EQ(testing::ReadBytes(NominalBatchPath(state)), batch);
    EXPECT_TRUE(Records<NominalLogEntry>("nomlog.d32").empty());
}

}  // namespace
}  // namespace tessary
