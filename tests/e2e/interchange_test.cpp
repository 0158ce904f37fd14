// Member export, import, Read Transactions and the collection disc through tessary-script, and
// the import under kills and a filling disc.

#include <filesystem>
#include <fstream>
#include <iostream>

#include "e2e/harness.h"

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kToday = {"--today", "08/12/2026"};
const char* const kSignOn = "type Password tessary\nclick Next\n";

class Interchange : public ScriptTest {
  protected:
    ScriptRun Script(const std::string& body, const std::string& folder = "") {
        return Run(std::string(kSignOn) + body, kToday, folder);
    }
    void AddMembers(const std::vector<std::string>& names) {
        std::string script = "menu AddMembers1\n";
        for (const auto& n : names) script += "type Edit1 \"" + n + "\"\nclick Next\n";
        const auto run = Script(script + "click Close\n");
        ASSERT_EQ(run.status, 0) << run.err;
    }
    void Write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string LastLine(const ScriptRun& run) {
        const auto lines = run.Lines();
        return lines.empty() ? "" : lines.back();
    }
};

TEST_F(Interchange, ExportThenImportIntoAnotherFolderRoundTrips) {
    AddMembers({"Mary Murphy", "John Byrne", "Ann Walsh"});
    const fs::path csv = program / "members.csv";
    auto run = Script("menu ExportMembersRecords1\nfile " + csv.string() + "\nprint TFmain.Lm\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(LastLine(run), "Export completed");
    const std::string text = Slurp(csv);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    EXPECT_EQ(text.substr(0, 7), "    1,\"");
    EXPECT_FALSE(fs::exists(csv.string() + ".tmp"));

    run =
        Script("menu ImportMembersDetails1\nfile " + csv.string() + "\nprint TFmain.Lm\n", "OTHER");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(LastLine(run), "Import completed");
    const auto members = ReadRecords<MemberRecord>(Data("memacc.d32", "OTHER"));
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[1].Name.str(), "John Byrne" + std::string(20, ' '));

    // Exporting the imported folder gives the same file again.
    const fs::path again = program / "again.csv";
    run = Script("menu ExportMembersRecords1\nfile " + again.string() + "\nprint TFmain.Lm\n",
                 "OTHER");
    EXPECT_EQ(Slurp(again), text);

    // Importing the same file again stops at its first line.
    run =
        Script("menu ImportMembersDetails1\nfile " + csv.string() + "\nprint TFmain.Lm\n", "OTHER");
    EXPECT_EQ(LastLine(run), "Member number 1 - already in use");
}

TEST_F(Interchange, ExportAndImportSayWhatWentWrong) {
    AddMembers({"Mary Murphy"});
    auto run = Script("menu ExportMembersRecords1\nfile " + (program / "no/such/x.csv").string() +
                      "\nprint TFmain.Lm\n");
    EXPECT_NE(LastLine(run).find("Export failed"), std::string::npos) << LastLine(run);
    const std::string missing = (program / "missing.csv").string();
    run = Script("menu ImportMembersDetails1\nfile " + missing + "\nprint TFmain.Lm\n");
    EXPECT_EQ(LastLine(run), missing + " not found");
    run = Script("menu ImportMembersDetails1\ncancel\nprint TFmain.Lm\n");
    EXPECT_EQ(LastLine(run), "");
}

TEST_F(Interchange, ReadTransactionsFillsTheBatchAndAsksBeforeReplacingKeyedEntries) {
    AddMembers({"Mary Murphy", "John Byrne"});
    const fs::path file = program / "trans.txt";
    Write(file, "1,1,25.00,\r\n2,1,30.00,01/12/2026\r\n2,1,40.000\r\nend\r\n1,1,99,\r\n");
    auto run = Script("menu ReadTransactions1\nfile " + file.string() + "\nprint TFmain.Lm\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(LastLine(run), "Read Transactions completed");
    auto batch = ReadRecords<MemberTransaction>(Data("ADMMEM.t32"));
    ASSERT_EQ(batch.size(), 3u);
    EXPECT_EQ(+batch[0].Amount, 25);
    EXPECT_EQ(+batch[0].Date, 46364);  // the working date, 08/12/2026
    EXPECT_EQ(+batch[2].Amount, 0);

    // The check lists the two entries with amounts; posting them reaches the members.
    run = Script("menu TotalTransactions1\nclick Cancel\nprint TFmain.Lm\n");
    EXPECT_NE(run.out.find("Total - Count     2   Value       55.00"), std::string::npos)
        << run.out;

    // A batch with keyed entries is replaced only after an OK.
    Write(file, "2,5,10.00,\r\n");
    run = Script("menu ReadTransactions1\nfile " + file.string() +
                 "\nprint TFmain.Lm\nclick Cancel\nprint TFmain.Lm\n");
    EXPECT_NE(run.out.find("Your member batch holds 2 keyed entries"), std::string::npos)
        << run.out;
    EXPECT_EQ(ReadRecords<MemberTransaction>(Data("ADMMEM.t32")).size(), 3u);
    run = Script("menu ReadTransactions1\nfile " + file.string() + "\nclick OK\nprint TFmain.Lm\n");
    EXPECT_EQ(LastLine(run), "Read Transactions completed");
    batch = ReadRecords<MemberTransaction>(Data("ADMMEM.t32"));
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(+batch[0].TransType, 5);
}

TEST_F(Interchange, TheCollectionDiscIsCreatedOnlyWhenItCanBe) {
    const fs::path drive = program / "floppy";
    const std::string disc = "menu CreatePortabledisk\nclick OK\nprint TFmain.Lm\n";
    const std::vector<std::string> env = {"TESSARY_DRIVE_A=" + drive.string()};
    auto run = RunWithEnvironment(env, std::string(kSignOn) + disc, kToday);
    EXPECT_EQ(LastLine(run), "The collection program fpy.exe is missing from the program folder");

    Write(program / "fpy.exe", "MZ collection program");
    run = RunWithEnvironment(env, std::string(kSignOn) + disc, kToday);
    EXPECT_EQ(LastLine(run), "Drive a: is not available (no disc in " + drive.string() + ")");

    fs::create_directories(drive);
    run = RunWithEnvironment(env, std::string(kSignOn) + "menu CreatePortabledisk\nclick Cancel\n",
                             kToday);
    EXPECT_FALSE(fs::exists(drive / "fpy.exe"));
    run = RunWithEnvironment(env, std::string(kSignOn) + disc, kToday);
    EXPECT_EQ(LastLine(run), "Fieldpay disc created");
    EXPECT_EQ(Slurp(drive / "fpy.exe"), "MZ collection program");
}

class ImportUpdateFaults : public Interchange {};

TEST_F(ImportUpdateFaults, ImportSurvivesAKillOrAFillingDiscAnywhere) {
    AddMembers({"Mary Murphy"});
    const fs::path csv = program / "in.csv";
    Write(csv, "4,\"Ann Walsh\",\"Main St\"\r\n3,\"Tom Kelly\"\r\n");
    const std::string import = std::string(kSignOn) + "menu ImportMembersDetails1\nfile " +
                               csv.string() + "\nprint TFmain.Lm\n";
    const auto said = [](const ScriptRun& run) {
        return run.out.find("Import completed") != std::string::npos ||
               run.out.find("Import done") != std::string::npos;
    };
    for (Fault fault : {Fault::Kill, Fault::DiscFull}) {
        const auto f = ExpectUpdateSurvivesFaults(import, "", kToday, fault, said);
        std::cout << "import: " << f.points << " points\n";
        EXPECT_GT(f.points, 10);
        EXPECT_GT(f.committed, 0);
    }
}

TEST_F(ImportUpdateFaults, TheLineThatStoppedAnImportIsToldWhateverBecameOfTheCommit) {
    AddMembers({"Mary Murphy"});
    const fs::path csv = program / "in.csv";
    Write(csv, "4,\"Ann Walsh\"\r\nx,\"Bad\"\r\n");
    const std::string import = std::string(kSignOn) + "menu ImportMembersDetails1\nfile " +
                               csv.string() + "\nprint TFmain.Lm\n";
    const std::string reason = "Invalid member number at record 2";
    fs::copy(program / "CU1", program / "kept", fs::copy_options::recursive);
    // Counted on a copy, as every faulty run is.
    fs::remove_all(program / "CU1");
    fs::copy(program / "kept", program / "CU1", fs::copy_options::recursive);
    long calls = 0;
    EXPECT_EQ(LastLine(RunCountingOperations(import, kToday, calls)), reason);
    int doubtful = 0;
    for (Fault fault : {Fault::FailOnce, Fault::DiscFull}) {
        for (long at = 1; at <= calls; ++at) {
            fs::remove_all(program / "CU1");
            fs::copy(program / "kept", program / "CU1", fs::copy_options::recursive);
            const std::string said =
                LastLine(RunWithEnvironment(FaultAt(fault, at), import, kToday));
            if (said.find("could not be confirmed") == std::string::npos &&
                said.find("disc reported an error") == std::string::npos) {
                continue;
            }
            ++doubtful;
            EXPECT_EQ(said.rfind(reason + " - ", 0), 0u) << "call " << at << ": " << said;
        }
    }
    EXPECT_GT(doubtful, 0);
}

}  // namespace
}  // namespace tessary::testing
