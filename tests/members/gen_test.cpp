// The synthetic data generator, run as the tessary-gen executable: its folders must check
// clean and post as a user's own would, and the same seed must give the same files.

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "core/dates.h"
#include "core/money.h"
#include "members/posting.h"
#include "members/session.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::SignedOnTest;

struct GenRun {
    int status = -1;
    std::string err;
};

// The text as one shell word.
std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    q += '\'';
    return q;
}

class Generator : public SignedOnTest {
  protected:
    GenRun Gen(const std::vector<std::string>& args) {
        const fs::path err = program / "gen-err.txt";
        std::string command = Quote((fs::path(TESSARY_BIN_DIR) / "tessary-gen").string());
        for (const auto& a : args) {
            command += ' ';
            command += Quote(a);
        }
        command += " > /dev/null 2> ";
        command += Quote(err.string());
        GenRun run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::ifstream in(err);
        std::stringstream s;
        s << in.rdbuf();
        run.err = s.str();
        return run;
    }
    std::string Folder() const { return app->state.DataFolder; }
};

TEST_F(Generator, MembersAreWellFormedAndTheBatchChecksCleanAndPostsWithinBalances) {
    const GenRun run = Gen(
        {"--members", "300", "--batch", "400", "--seed", "7", "--date", "08/12/2026", Folder()});
    ASSERT_EQ(run.status, 0) << run.err;

    const auto members = Records<MemberRecord>("memacc.d32");
    ASSERT_EQ(members.size(), 300u);
    std::set<int> loanNumbers;
    std::set<std::string> frequencies;
    for (const MemberRecord& m : members) {
        EXPECT_FALSE(m.Name.empty());
        EXPECT_EQ(m.Name.view().find('*'), std::string_view::npos);
        EXPECT_GT(ParseDate(m.JoinDate.view(), std::chrono::year{2026}), 0) << m.JoinDate.str();
        for (double money :
             {+m.Share1, +m.Share2, +m.LoanBalance, +m.InterestDue, +m.LoanAmount, +m.Repayment}) {
            EXPECT_EQ(money, RoundMoney(money));
            EXPECT_GE(money, 0);
        }
        if (m.LoanDate > 0) {
            EXPECT_GT(+m.LoanAmount, 0);
            EXPECT_GT(+m.Repayment, 0);
            EXPECT_GT(+m.LoanNumber, 0);
            EXPECT_LE(+m.LoanBalance, +m.LoanAmount);
            EXPECT_TRUE(loanNumbers.insert(+m.LoanNumber).second) << "loan number repeated";
            frequencies.insert(m.Frequency.str());
        } else {
            EXPECT_EQ(+m.LoanBalance, 0);
        }
    }
    EXPECT_GT(loanNumbers.size(), 90u);  // about half the members
    EXPECT_LT(loanNumbers.size(), 210u);
    EXPECT_EQ(frequencies, (std::set<std::string>{"F", "L", "M", "W"}));

    const auto batch = Records<MemberTransaction>("ADMMEM.t32");
    ASSERT_EQ(batch.size(), 400u);
    std::set<int> types;
    const double last = Day("08/12/2026");
    for (const MemberTransaction& t : batch) {
        types.insert(+t.TransType);
        EXPECT_GE(+t.MemberNo, 1);
        EXPECT_LE(+t.MemberNo, 300);
        EXPECT_GE(+t.Date, last - 29);
        EXPECT_LE(+t.Date, last);
        EXPECT_GT(+t.Amount, 0);
    }
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4, 5, 6, 7}));

    const BatchCheck check = CheckMemberBatch(app->state, app->Today());
    EXPECT_EQ(check.count, 400);
    EXPECT_EQ(check.errors, 0);
    // The system record must vouch for the empty logs, or the folder would not open.
    ASSERT_TRUE(OpenFileSet(app->state, kUpdate));
    EXPECT_TRUE(PostMemberBatch(app->state).outcome.ok());
    EXPECT_FALSE(fs::exists(Data("ADMMEM.t32")));
    EXPECT_FALSE(Records<MemberLogEntry>("memlog.d32").empty());
    for (const MemberRecord& m : Records<MemberRecord>("memacc.d32")) {
        EXPECT_GE(+m.Share1, 0) << m.Name.str();
        EXPECT_GE(+m.Share2, 0) << m.Name.str();
    }
}

TEST_F(Generator, TheSameSeedGivesTheSameFilesAndAnotherSeedOthers) {
    const auto make = [&](const std::string& name, const std::string& seed) {
        const fs::path folder = program / name;
        const GenRun run = Gen({"--members", "50", "--batch", "40", "--seed", seed, "--date",
                                "08/12/2026", "--user", "ADM", folder.string()});
        EXPECT_EQ(run.status, 0) << run.err;
        return std::pair{ReadBytes(folder / "memacc.d32"), ReadBytes(folder / "ADMMEM.t32")};
    };
    const auto a = make("A", "11");
    const auto b = make("B", "11");
    const auto c = make("C", "12");
    EXPECT_EQ(a.first.size(), 50 * sizeof(MemberRecord));
    EXPECT_EQ(a.second.size(), 40 * sizeof(MemberTransaction));
    EXPECT_EQ(a, b);
    EXPECT_NE(a.first, c.first);
    EXPECT_NE(a.second, c.second);
    // A new folder gets the templates' system record and chart.
    EXPECT_EQ(ReadBytes(program / "A" / "nomacc.d32"),
              ReadBytes(fs::path(TESSARY_BIN_DIR) / "nomacc.d32"));
}

TEST_F(Generator, BadArgumentsGetTheUsageAndStatusTwo) {
    const std::string folder = (program / "bad").string();
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--members", "10", "--batch", "5"},
        {"--members", "-1", "--batch", "5", folder},
        {"--members", "ten", "--batch", "5", folder},
        {"--members", "10", "--batch", "5", "--date", "31/02/2026", folder},
        {"--members", "0", "--batch", "5", folder},
        {"--members", "10", "--batch", "5", "--user", "TOOLONG", folder},
        {"--members", "10", "--batch", "5", "--colour", "red", folder},
        {"--members", "10", "--batch", "5", folder, "another"},
        {"--members", "10", "--batch"},
    };
    for (const auto& args : bad) {
        const GenRun run = Gen(args);
        std::string shown;
        for (const auto& a : args) shown += a + " ";
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_NE(run.err.find("usage: tessary-gen"), std::string::npos) << shown;
    }
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(Generator, AUserTheFolderDoesNotHaveIsRefusedBeforeAnythingIsWritten) {
    const GenRun run =
        Gen({"--members", "10", "--batch", "5", "--user", "XYZ", "--date", "08/12/2026", Folder()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("XYZ is not a user"), std::string::npos) << run.err;
    EXPECT_TRUE(ReadBytes(Data("memacc.d32")).empty());
    EXPECT_FALSE(fs::exists(Data("XYZMEM.t32")));
}

}  // namespace
}  // namespace tessary
