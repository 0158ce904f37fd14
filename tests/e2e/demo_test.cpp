// The demonstration co-operative of tessary-gen --demo: made in a new folder beside the
// program, it opens in the program with every report filled and its books in order; a folder
// that already holds data is never written over.

#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"
#include "e2e/harness.h"

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;

const char* const kLastDay = "15/11/2026";

// The lines of a filed report.
std::vector<std::string> ReportLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end == std::string::npos ? end : end - at));
        if (end == std::string::npos) break;
        at = end + 2;
    }
    return lines;
}

// The number in `width` columns from `at` of the first line that begins with `label`; NaN when
// there is none.
double Figure(const std::string& report, std::string_view label, std::size_t at,
              std::size_t width) {
    for (const std::string& line : ReportLines(report)) {
        if (!line.starts_with(label) || line.size() < at + width) continue;
        std::string_view text = std::string_view(line).substr(at, width);
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
        double value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec == std::errc() && end == text.data() + text.size()) return value;
    }
    return std::nan("");
}

class DemoCooperative : public ScriptTest {
  protected:
    ScriptRun MakeDemo(const std::string& folder) {
        return RunGenerator({"--demo", (program / folder).string(), "--date", kLastDay});
    }
    ScriptRun Script(const std::string& body) {
        return Run("type Password tessary\nclick Next\n" + body, {"--today", kLastDay}, "DEMO");
    }
    template <typename Record>
    std::vector<Record> Records(const char* file) {
        return ReadRecords<Record>(Data(file, "DEMO"));
    }
};

TEST_F(DemoCooperative, AYearOfWorkFillsEveryReportAndKeepsTheBooksInOrder) {
    const ScriptRun made = MakeDemo("DEMO");
    ASSERT_EQ(made.status, 0) << made.out << made.err;
    // The same date and seed make the same co-operative, byte for byte.
    ASSERT_EQ(MakeDemo("AGAIN").status, 0);
    for (const char* f :
         {"sys.d32", "memacc.d32", "memlog.d32", "nomacc.d32", "nomlog.d32", "syslog.d32"}) {
        EXPECT_EQ(Slurp(Data(f, "AGAIN")), Slurp(Data(f, "DEMO"))) << f;
    }

    // The new year: the dividend, then the first month's work closed on 28 October, the
    // current one open.
    const SystemRecord sys = ReadSystem("DEMO");
    EXPECT_EQ(+sys.PeriodNumber, 2);
    EXPECT_EQ(FormatDate(sys.LastPeriodEndDate), "28/10/2026");
    EXPECT_EQ(sys.UnionName.str(), "Riverside Credit Union");
    // The treasurer and the clerk did the daily work under their own codes.
    EXPECT_EQ(sys.UserCodes[1].str(), "TOM");
    EXPECT_EQ(+sys.UserLevels[1], 2);
    EXPECT_EQ(sys.UserCodes[2].str(), "ANN");
    EXPECT_EQ(+sys.UserLevels[2], 3);
    std::int32_t logBytes = 0;
    for (const char* log : {"memlog.d32", "nomlog.d32", "syslog.d32"})
        logBytes += static_cast<std::int32_t>(fs::file_size(Data(log, "DEMO")));
    EXPECT_EQ(+sys.ConsistencyTotal, logBytes);
    const auto syslog = Records<SyslogRecord>("syslog.d32");
    ASSERT_FALSE(syslog.empty());
    EXPECT_EQ(syslog.front().Description.str(), "Allocate Dividends");
    EXPECT_EQ(syslog.back().Description.str(), "Post Members Transactions");
    EXPECT_EQ(FormatDate(syslog.back().Date), kLastDay);
    EXPECT_EQ(syslog.back().UserCode.str(), "ANN");

    // The closing year as filed before its year end: twelve period ends a month apart.
    const std::string closing = Slurp(program / "DEMO" / "YearEnd" / "system-control.txt");
    std::vector<std::string> periodEnds;
    for (const std::string& line : ReportLines(closing)) {
        if (line.find("Process Month") != std::string::npos) periodEnds.push_back(line);
    }
    ASSERT_EQ(periodEnds.size(), 12u) << closing;
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_NE(periodEnds[i].find("Process Month " + std::to_string(i + 1)), std::string::npos)
            << periodEnds[i];
        EXPECT_EQ(periodEnds[i].substr(0, 3), "28/") << periodEnds[i];
    }
    // The year end put the year's profit into undivided earnings, and the dividend came out
    // of them to the members' Share 1.
    const double profit =
        Figure(Slurp(program / "DEMO" / "YearEnd" / "profit-and-loss.txt"), "PROFIT/LOSS", 41, 11);
    const auto accounts = Records<NominalAccountRecord>("nomacc.d32");
    ASSERT_EQ(accounts.size(), 160u);
    EXPECT_GT(profit, 0);
    EXPECT_NEAR(+accounts[80].YearStartBalance, profit, 0.005);
    double dividends = 0;
    int paid = 0;
    const auto memlog = Records<MemberLogEntry>("memlog.d32");
    for (const auto& e : memlog) {
        if (e.TransType != 9) continue;
        dividends += +e.Amount;
        ++paid;
        EXPECT_EQ(+e.Date, +syslog.front().Date);
    }
    EXPECT_GE(paid, 28);
    EXPECT_NEAR(+syslog.front().Amount, dividends, 0.005);
    EXPECT_NEAR(+accounts[80].Balance, profit - dividends, 0.005);

    // Every member's balances are the year's start plus what the member log holds.
    const auto members = Records<MemberRecord>("memacc.d32");
    EXPECT_GE(members.size(), 40u);
    EXPECT_LE(members.size(), 60u);
    std::map<int, std::array<double, 10>> moved;
    for (const auto& e : memlog)
        moved[+e.MemberNo][static_cast<std::size_t>(+e.TransType)] += +e.Amount;
    int loans = 0;
    for (std::size_t i = 0; i < members.size(); ++i) {
        const MemberRecord& m = members[i];
        const auto& t = moved[static_cast<int>(i) + 1];
        EXPECT_FALSE(m.Name.empty());
        EXPECT_FALSE(m.Address1.empty());
        EXPECT_NEAR(+m.Share1, m.YearStartShare1 + t[1] + t[9] - t[5], 0.005) << i + 1;
        EXPECT_NEAR(+m.Share2, m.YearStartShare2 + t[2] - t[6], 0.005) << i + 1;
        EXPECT_NEAR(+m.LoanBalance, m.YearStartLoan + t[7] - t[3], 0.005) << i + 1;
        if (m.LoanAmount > 0) ++loans;
    }
    EXPECT_GE(loans, 10);

    // Every report of the menu, filed as text, has figures in it; then a posting run shows
    // that the folder opens for update.
    std::string script;
    for (const MenuReport& r : kMenuReports) {
        script += std::string("menu ") + r.item + "\n" + r.prompts + "expect forms TFview\n" +
                  "click BFile\nfile " + (program / (std::string(r.item) + ".txt")).string() +
                  "\nclick Close\n";
    }
    script += R"(menu InputTransactions1
type Ememno 1
type Etype 1
type Eamount 10
click Next
click Close
menu TotalTransactions1
click Cancel
menu PostTransactions1
expect L4 "Post Members Transactions ? ADM"
click OK
expect forms TFview
click Close
)";
    const ScriptRun run = Script(script);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Records<MemberLogEntry>("memlog.d32").size(), memlog.size() + 1);
    for (const MenuReport& r : kMenuReports) {
        const auto lines = ReportLines(Slurp(program / (std::string(r.item) + ".txt")));
        int figures = 0;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            if (lines[i].find_first_of("123456789") != std::string::npos) ++figures;
        }
        EXPECT_GE(figures, 3) << r.item;
    }
    const std::string trial = Slurp(program / "TrialBalance1.txt");
    EXPECT_GT(Figure(trial, "Totals", 26, 11), 0);
    EXPECT_EQ(Figure(trial, "Totals", 26, 11), Figure(trial, "Totals", 41, 11)) << trial;
    const std::string delinquent = Slurp(program / "DelinquentLoans1.txt");
    EXPECT_GT(Figure(delinquent, "      Total", 23, 5), 0) << delinquent;
    EXPECT_GT(Figure(delinquent, "      Total", 29, 11), 0) << delinquent;
    EXPECT_GT(Figure(Slurp(program / "DistributionofLoans1.txt"), "         Total", 21, 5), 0);
}

TEST_F(DemoCooperative, AFolderThatHoldsDataIsNeverWrittenOver) {
    MakeDataFolder("CU1");
    std::vector<std::string> before;
    for (const char* f : {"sys.d32", "memacc.d32", "nomacc.d32"}) before.push_back(Slurp(Data(f)));
    const ScriptRun refused = MakeDemo("CU1");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("already holds a co-operative's data"), std::string::npos)
        << refused.err;
    std::size_t i = 0;
    for (const char* f : {"sys.d32", "memacc.d32", "nomacc.d32"})
        EXPECT_EQ(Slurp(Data(f)), before[i++]);
    EXPECT_FALSE(fs::exists(program / ".CU1.making"));

    // A name the program would cut or read as "patch" would leave the demo unreachable.
    for (const char* name : {"DEMONSTRATION", "patch"}) {
        const ScriptRun unreachable = MakeDemo(name);
        EXPECT_EQ(unreachable.status, 2) << name;
        EXPECT_FALSE(fs::exists(program / name)) << name;
    }
    // The demo takes no settings of the synthetic folders.
    const ScriptRun mixed = RunGenerator({"--demo", (program / "NEW").string(), "--members", "5"});
    EXPECT_EQ(mixed.status, 2);
    EXPECT_FALSE(fs::exists(program / "NEW"));
}

}  // namespace
}  // namespace tessary::testing
