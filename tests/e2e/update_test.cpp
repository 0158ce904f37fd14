// Update runs under faults: every update command is run with a kill, a failing operation or a
// disc that fills up at each of its file operations in turn, and must end done, untouched or
// restored, with a safety copy that is never mixed. Also the races between copies of the
// program over one batch, and a crash between a commit and the deletion of its batch.

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "e2e/harness.h"

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kToday = {"--today", "08/12/2026"};
const char* const kSignOn = "type Password tessary\nclick Next\n";

bool ShowsViewer(const ScriptRun& run) {
    return run.out.find("TFview") != std::string::npos;
}

bool SaysPostingCompleted(const ScriptRun& run) {
    return run.out.find("Posting Completed") != std::string::npos;
}

class UpdateFaults : public ScriptTest {
  protected:
    ScriptRun Script(const std::string& body) { return Run(std::string(kSignOn) + body, kToday); }
    void AddMembers(const std::vector<std::string>& names) {
        std::string script = "menu AddMembers1\n";
        for (const auto& n : names) script += "type Edit1 \"" + n + "\"\nclick Next\n";
        ASSERT_EQ(Script(script + "click Close\n").status, 0);
    }
    void KeyMemberEntry(int member, int type, const std::string& amount,
                        const std::string& cheque = "") {
        std::string s = "menu InputTransactions1\ntype Ememno " + std::to_string(member) +
                        "\ntype Etype " + std::to_string(type) + "\ntype Eamount " + amount + "\n";
        if (!cheque.empty()) s += "type Echeque " + cheque + "\n";
        ASSERT_EQ(Script(s + "click Next\nclick Close\n").status, 0);
    }
    // A folder with a posted first run and a second batch keyed, ready to post.
    void PreparedMemberBatch() {
        AddMembers({"Mary Murphy", "John Byrne"});
        KeyMemberEntry(1, 1, "250");
        ASSERT_EQ(Script(kPostMembers).status, 0);
        KeyMemberEntry(1, 5, "40", "777");
        KeyMemberEntry(2, 1, "60");
        KeyMemberEntry(2, 7, "500", "778");
    }
    void PreparedNominalBatch() {
        const auto entry = [](int index, const char* amount, const char* text) {
            return "select ListBox1 " + std::to_string(index) + "\ntype Edit2 " + amount +
                   "\ntype Edit3 \"" + text + "\"\nclick Next\n";
        };
        ASSERT_EQ(Script("menu InputTransactions2\n" + entry(22, "300", "rent") + "click Close\n" +
                         kPostNominal)
                      .status,
                  0);
        ASSERT_EQ(Script("menu InputTransactions2\n" + entry(24, "100", "stamps") +
                         entry(19, "30", "interest") + "click Close\n")
                      .status,
                  0);
    }
    static constexpr const char* kPostMembers =
        "menu TotalTransactions1\nclick Cancel\nmenu PostTransactions1\nclick OK\nprint forms\n"
        "print TFmain.Lm\nprint TFmodal.Label1\n";
    static constexpr const char* kPostNominal =
        "menu TotalTransactions2\nclick Cancel\nmenu Post2\nclick OK\nprint TFmain.Lm\n";

    void Report(const char* what, const SweepFigures& f) {
        std::cout << what << ": " << f.points << " points\n";
        EXPECT_GT(f.points, 10);
    }
};

TEST_F(UpdateFaults, MemberPostingOnAFailingOrFillingDisc) {
    PreparedMemberBatch();
    const std::string post = std::string(kSignOn) + kPostMembers;
    for (Fault fault : {Fault::FailOnce, Fault::DiscFull}) {
        // Posted without a safety copy: told over the report, which clears the message line.
        int uncopied = 0;
        const auto told = [&](const SweptRun& r) {
            if (!r.done || r.copied || !ShowsViewer(r.run)) return;
            ++uncopied;
            EXPECT_NE(r.run.out.find("Posting done, but the safety copy failed"), std::string::npos)
                << "call " << r.at << ": " << r.run.out;
        };
        const auto f =
            ExpectUpdateSurvivesFaults(post, "ADMMEM.t32", kToday, fault, ShowsViewer, told);
        Report("member posting", f);
        EXPECT_GT(uncopied, 0);
        // Failures before the commit are undone on the spot; none needs a restore.
        EXPECT_GT(f.untouched, 0);
        EXPECT_GT(f.committed, 0);
    }
}

TEST_F(UpdateFaults, NominalPostingOnAFailingOrFillingDisc) {
    PreparedNominalBatch();
    const std::string post = std::string(kSignOn) + kPostNominal;
    for (Fault fault : {Fault::FailOnce, Fault::DiscFull}) {
        const auto f =
            ExpectUpdateSurvivesFaults(post, "ADMNOM.t32", kToday, fault, SaysPostingCompleted);
        Report("nominal posting", f);
        EXPECT_GT(f.untouched, 0);
        EXPECT_GT(f.committed, 0);
    }
}

TEST_F(UpdateFaults, FirstPostingInANewFolder) {
    // The folder is made by this test's first sign-on: its first posting must already have a
    // safety copy to fall back on.
    AddMembers({"Mary Murphy"});
    KeyMemberEntry(1, 1, "250");
    const std::string post = std::string(kSignOn) + kPostMembers;
    for (Fault fault : {Fault::Kill, Fault::DiscFull}) {
        const auto f = ExpectUpdateSurvivesFaults(post, "ADMMEM.t32", kToday, fault,
                                                  fault == Fault::Kill ? nullptr : ShowsViewer);
        Report("first posting", f);
        EXPECT_GT(f.committed, 0);
    }
}

TEST_F(UpdateFaults, MemberMaintenanceUnderEveryFault) {
    AddMembers({"Mary Murphy"});
    const std::string add = std::string(kSignOn) +
                            "menu AddMembers1\ntype Edit1 \"John Byrne\"\nclick Next\n" +
                            "click Close\nprint TFmain.Lm\n";
    // After a save of its own, the swept save brings the copy kept aside forward.
    sweepWarmUp = std::string(kSignOn) + "menu SetUp1\ntype interest 1.5\nclick Close\n";
    for (Fault fault : {Fault::Kill, Fault::FailOnce, Fault::DiscFull}) {
        const auto f = ExpectUpdateSurvivesFaults(add, "", kToday, fault, nullptr);
        Report("member maintenance", f);
        EXPECT_GT(f.committed, 0);
    }
}

TEST_F(UpdateFaults, LedgerMaintenanceSetUpAndReconciliationUnderFaults) {
    PreparedNominalBatch();
    const std::string ledger = std::string(kSignOn) +
                               "menu MaintainAccounts1\ntype Ebudget 1234\nclick Next\n"
                               "click Close\nprint TFmain.Lm\n";
    const std::string setUp =
        std::string(kSignOn) + "menu SetUp1\ntype interest 1.5\nclick Close\nprint TFmain.Lm\n";
    const std::string reconcile = std::string(kSignOn) +
                                  "menu Reconcile\ntype E2 -300\nclick OK\nselect Bank 0\n"
                                  "click Close\nprint TFmain.Lm\n";
    // Each ends by printing the message line, which is empty unless the close had to say that
    // the changes were not kept.
    const std::function<bool(const ScriptRun&)> saidNothing = [](const ScriptRun& run) {
        return run.out == "\n";
    };
    // The swept save finds its copies known, so a fault cannot stop its form from opening.
    sweepWarmUp = std::string(kSignOn) + "menu SetUp1\ntype interest 1.25\nclick Close\n";
    for (const std::string* script : {&ledger, &setUp, &reconcile}) {
        for (Fault fault : {Fault::Kill, Fault::DiscFull}) {
            // Ledger maintenance and reconciliation write records in place, some of them again
            // unchanged, so a write failing once the data is whole still says so (and a full
            // disc can stop taking marks back); set-up says exactly whether it saved.
            const bool exact = fault != Fault::Kill && script == &setUp;
            const auto f = ExpectUpdateSurvivesFaults(*script, "", kToday, fault,
                                                      exact ? saidNothing : nullptr);
            Report("maintenance", f);
            EXPECT_GT(f.committed, 0);
        }
    }
}

TEST_F(UpdateFaults, AReconciliationThatCouldNotSaveItsMarksSaysSo) {
    PreparedNominalBatch();
    const std::string reconcile = std::string(kSignOn) +
                                  "menu Reconcile\ntype E2 -300\nclick OK\nselect Bank 0\n"
                                  "click Close\nprint TFmain.Lm\n";
    const auto log = [&] { return Slurp(Data("nomlog.d32")); };
    const std::string before = log();
    // The clean run marks the rent entry, says nothing, and counts its file operations.
    const std::string pristine = program.string() + ".pristine";
    fs::remove_all(pristine);
    fs::copy(program, pristine, fs::copy_options::recursive);
    // Counted on a copy, as every faulty run is.
    fs::remove_all(program);
    fs::copy(pristine, program, fs::copy_options::recursive);
    long calls = 0;
    ASSERT_EQ(RunCountingOperations(reconcile, kToday, calls).out, "\n");
    const std::string after = log();
    ASSERT_NE(after, before);

    // A disc that fills up at each operation in turn: whenever the marks did not all reach
    // the disc, the message line says so after the form has closed.
    int silentFailures = 0, reported = 0;
    for (long at = 1; at <= calls; ++at) {
        fs::remove_all(program);
        fs::copy(pristine, program, fs::copy_options::recursive);
        const auto run = RunWithEnvironment(FaultAt(Fault::DiscFull, at), reconcile, kToday);
        if (run.status != 0) continue;  // the fault came before the form could open
        if (log() != after) {
            if (run.out == "\n") ++silentFailures;
            ++reported;
        }
    }
    fs::remove_all(pristine);
    EXPECT_EQ(silentFailures, 0);
    EXPECT_GT(reported, 0);
}

TEST_F(UpdateFaults, EntriesKeyedAfterACrashInTheCommitWindowSurvive) {
    AddMembers({"Mary Murphy"});
    KeyMemberEntry(1, 1, "250");
    const std::string batch = Slurp(Data("ADMMEM.t32"));
    ASSERT_EQ(Script(kPostMembers).status, 0);
    // As a run killed after its commit and before deleting its batch leaves the folder: the
    // posted batch and its marker holding the stored total.
    std::ofstream(Data("ADMMEM.t32"), std::ios::binary) << batch;
    const std::int32_t total = ReadSystem().ConsistencyTotal;
    std::ofstream(Data("ADMMEM.t32.posted"), std::ios::binary)
        .write(reinterpret_cast<const char*>(&total), sizeof total);

    // The entry form settles the marker before it reads the batch: it starts empty.
    const auto keyed = Script(
        "menu InputTransactions1\nexpect Ememno \"\"\ntype Ememno 1\ntype Etype 1\n"
        "type Eamount 75\nclick Next\nclick Close\n");
    ASSERT_EQ(keyed.status, 0) << keyed.out << keyed.err;
    EXPECT_FALSE(fs::exists(Data("ADMMEM.t32.posted")));
    const auto posted = Script(std::string(kPostMembers) + "expect-line Memo1 1 " +
                               "\"    1 Mary Murphy                    Share 1 Deposit       "
                               "75.00  08/12/2026\"\n");
    EXPECT_EQ(posted.status, 0) << posted.out << posted.err;
    EXPECT_EQ(+ReadRecords<MemberRecord>(Data("memacc.d32")).at(0).Share1, 325.0);
}

TEST_F(UpdateFaults, AnUnsettledMarkerOfARunThatDiedBeforeItsCommitKeepsTheBatch) {
    AddMembers({"Mary Murphy"});
    KeyMemberEntry(1, 1, "250");
    const std::int32_t other = ReadSystem().ConsistencyTotal + 136;
    std::ofstream(Data("ADMMEM.t32.posted"), std::ios::binary)
        .write(reinterpret_cast<const char*>(&other), sizeof other);
    const auto run = Script(std::string(kPostMembers));
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(ShowsViewer(run)) << run.out;
    EXPECT_EQ(+ReadRecords<MemberRecord>(Data("memacc.d32")).at(0).Share1, 250.0);
}

// Holds a user's batch as another copy of the program would while its form is open.
class HeldBatch {
  public:
    explicit HeldBatch(const fs::path& batch) : lock_(batch.string() + ".lock") {
        fd_ = ::open(lock_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        struct flock l {};
        l.l_type = F_WRLCK;
        l.l_whence = SEEK_SET;
        held_ = fd_ >= 0 && ::fcntl(fd_, F_OFD_SETLK, &l) == 0;
    }
    // Lets go as the program does: the lock file goes while it is still held.
    ~HeldBatch() {
        if (held_) ::unlink(lock_.c_str());
        if (fd_ >= 0) ::close(fd_);
    }
    bool held() const { return held_; }

  private:
    std::string lock_;
    int fd_ = -1;
    bool held_ = false;
};

TEST_F(UpdateFaults, ABatchOpenInAnotherCopyIsNeitherCheckedPostedNorOpenedTwice) {
    AddMembers({"Mary Murphy"});
    KeyMemberEntry(1, 1, "250");
    PreparedNominalBatch();
    const std::string members = Slurp(Data("ADMMEM.t32"));
    const std::string nominal = Slurp(Data("ADMNOM.t32"));
    {
        HeldBatch m(Data("ADMMEM.t32"));
        HeldBatch n(Data("ADMNOM.t32"));
        ASSERT_TRUE(m.held() && n.held());
        const auto run = Script(R"(
menu TotalTransactions1
expect Lm "Batch in use by another copy of Tessary"
menu PostTransactions1
expect Lm "Please check transactions first"
menu InputTransactions1
expect forms TFmain
expect Lm "Batch in use by another copy of Tessary"
menu TotalTransactions2
expect Lm "Batch in use by another copy of Tessary"
menu InputTransactions2
expect forms TFmain
expect Lm "Batch in use by another copy of Tessary"
)");
        EXPECT_EQ(run.status, 0) << run.out << run.err;
    }
    EXPECT_EQ(Slurp(Data("ADMMEM.t32")), members);
    EXPECT_EQ(Slurp(Data("ADMNOM.t32")), nominal);
    // Let go, the batch posts as usual.
    const auto run = Script(kPostMembers);
    EXPECT_TRUE(ShowsViewer(run)) << run.out;
    // Every lock let go takes its file with it.
    for (const auto& e : fs::directory_iterator(program / "CU1")) {
        EXPECT_NE(e.path().extension(), ".lock") << e.path();
    }
}

TEST_F(UpdateFaults, NominalEntriesPostingCannotCarryAreFlaggedAndTheBatchKept) {
    PreparedNominalBatch();
    // An entry on an account beyond the ledger and one too large to show.
    NominalTransaction beyond;
    beyond.Amount = 12;
    beyond.AccountNo = 200;
    beyond.Narrative.set("beyond");
    NominalTransaction huge;
    huge.Amount = 1e12;
    huge.AccountNo = 124;
    huge.Narrative.set("huge");
    {
        std::ofstream out(Data("ADMNOM.t32"), std::ios::binary | std::ios::app);
        out.write(reinterpret_cast<const char*>(RecordBytes(beyond)), sizeof beyond);
        out.write(reinterpret_cast<const char*>(RecordBytes(huge)), sizeof huge);
    }
    const std::string batch = Slurp(Data("ADMNOM.t32"));
    const std::string nomlog = Slurp(Data("nomlog.d32"));
    const auto run = Script(R"(
menu TotalTransactions2
expect Lm "Total - Count     4   Value      -70.00    2 Error(s) - must be corrected"
click OK
expect-line Memo1 3 "                         200 beyond                               12.00 ACCOUNT"
expect-line Memo1 6 "Total - Count     4  Value      -70.00  Errors     2"
click Close
menu Post2
expect Lm "Please check transactions total first"
menu TotalTransactions1
click Cancel
menu Post2
click OK
expect Lm "Please check transactions total first"
)");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Slurp(Data("ADMNOM.t32")), batch);
    EXPECT_EQ(Slurp(Data("nomlog.d32")), nomlog);
}

}  // namespace
}  // namespace tessary::testing
