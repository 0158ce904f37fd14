#pragma once
// Checking and posting a user's member batch.

#include <array>
#include <string>
#include <vector>

#include "core/app.h"

namespace tessary {

// The signed-on user's member batch: DataFolder + UserCode + "MEM.t32".
std::string MemberBatchPath(const RunState& state);

struct BatchCheck {
    int count = 0;
    double value = 0;
    int errors = 0;
    std::string unreadable;  // why the batch could not be checked at all
};

// Lists the batch with an error code per entry into the report work file (report 23) and
// totals it. Opens and closes the file set for enquiry.
BatchCheck CheckMemberBatch(App& app);
// The menu's "Check Transactions": the check, its message and the offer to view the list.
void CheckTransactions(App& app);
// The menu's "Post Transactions": requires a clean check, asks, opens for update and posts.
void PostTransactions(App& app);

// The whole batch, as stored. A missing batch is empty; `error` (when given) gets the reason
// a batch could not be read: not an ordinary file, or beyond any real batch's size.
std::vector<MemberTransaction> ReadMemberBatch(const std::string& path, int* error = nullptr);
inline constexpr std::uint64_t kMaxBatchEntries = 10'000'000;
// Whether a stored entry date is a day the program can show.
bool EntryDateReadable(double date);

// Posts the whole batch with the file set open for update, then shows the posting report.
void PostMemberBatch(App& app);

// Amounts by posting type 1 to 8 (index 0 unused).
using TypeAmounts = std::array<double, 9>;

// What a posting run has made and not yet written: the log records of the run, in order.
struct PostingLogs {
    std::string memlog;
    std::string nomlog;
};

// Applies the entry in the transaction buffer to the member in the member buffer, adding its
// member log entries and nominal log entries for money paid out to `logs`, its report lines
// to the report, and its amounts to `totals`.
void PostMemberTransaction(App& app, TypeAmounts& totals, PostingLogs& logs);

}  // namespace tessary
