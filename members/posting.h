#pragma once
// Checking and posting a user's member batch. The engine routines work on the run state's
// records and files and hand back report lines and outcomes; the menu commands below them
// prompt, show messages and put the lines in front of the user.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/batch.h"
#include "core/protocol.h"
#include "core/state.h"
#include "core/update.h"
#include "members/loan.h"

namespace tessary {

// The signed-on user's member batch: DataFolder + UserCode + "MEM.t32".
std::string MemberBatchPath(const RunState& state);

// Whether a stored entry date is a day the program can show.
bool EntryDateReadable(double date);

inline constexpr const char* kMsgRecheck = "Please check transactions first";

struct BatchCheck {
    int count = 0;
    double value = 0;
    int errors = 0;
    std::string unreadable;          // why the batch could not be checked at all
    std::vector<std::string> lines;  // the listing (report 23)
};

// Lists the batch with an error code per entry and totals it, against the members as stored
// and `today`. Opens and closes the file set for enquiry.
BatchCheck CheckMemberBatch(RunState& state, double today);

// Amounts by posting type 1 to 8 (index 0 unused).
using TypeAmounts = std::array<double, 9>;

// What a posting run has made and not yet written: the log records of the run, in order.
struct PostingLogs {
    std::string memlog;
    std::string nomlog;
};

// What one entry does to its member, posted on the working date `today`: the balances move
// and the amounts posted come back by type. A repayment pays the interest due first, then
// the loan, and what is left goes to Share 1.
TypeAmounts ApplyMemberTransaction(MemberRecord& member, const MemberTransaction& entry,
                                   Rates rates, double today);
// The member log entry for an amount posted to a member as `type`.
MemberLogEntry MemberLogOf(std::int32_t memberNo, int type, double amount, double date,
                           std::string_view user);
// Withdrawals and loans are paid out of the bank, each with an entry of its own.
constexpr bool PaysOut(int type) {
    return type >= kShare1Withdraw && type <= kLoanAllocation;
}
NominalLogEntry PaidOutLogOf(const MemberTransaction& entry, std::string_view user);

// A run's money taken in and paid out, from its totals by type.
double RunReceipts(const TypeAmounts& totals);
double RunPayments(const TypeAmounts& totals);
// What a run's totals do to the ledger, by account: the bank takes the net cash and each
// control account the total of its type.
std::array<double, kNominalAccountCount> RunLedgerChanges(const TypeAmounts& totals);
// The bank's one entry for the money a run took in.
NominalLogEntry ReceiptsLogOf(double receipts, double date, std::string_view user);
inline constexpr const char* kMemberRunDescription = "Post Members Transactions";

// Applies the entry in the transaction buffer to the member in the member buffer, adding its
// member log entries and nominal log entries for money paid out to `logs`, its report lines
// to `lines`, and its amounts to `totals`.
void PostMemberTransaction(RunState& state, TypeAmounts& totals, PostingLogs& logs,
                           std::vector<std::string>& lines);

struct MemberPosting {
    bool opened = false;             // false: the open has said why the run cannot start
    std::string refused;             // why the run did not start ("No data", ...), or ""
    UpdateOutcome outcome;           // how the run ended when it started
    std::vector<std::string> lines;  // the posting report (report 22), total line included
    double total = 0;                // receipts less payments
};

// Opens the file set for update, posts the whole batch and closes the set: the run is
// committed whole (batch deleted, safety copy taken) or not at all.
MemberPosting PostMemberBatch(RunState& state);

}  // namespace tessary
