// The member batch's menu commands: the check's flag gates posting.

#include "core/forms/mainform.h"
#include "members/forms/commands.h"
#include "members/forms/session.h"

namespace tessary {
namespace {

using testing::SignedOnTest;

class PostingCommands : public SignedOnTest {};

TEST_F(PostingCommands, CheckSetsAndClearsTheSharedFlagAndPostingNeedsIt) {
    TFmain& m = app->main();
    const int n = AddMember("Flag");
    AddBatchEntry(n, 1, 10, "08/12/2026");
    PostTransactions(*app);
    EXPECT_EQ(m.Lm.caption, "Please check transactions first");

    CheckTransactions(*app);  // nobody answers "View Transactions ?": Cancel
    EXPECT_TRUE(app->state.BatchChecked);
    EXPECT_EQ(m.Lm.caption, "Total - Count     1   Value       10.00");
    AddBatchEntry(n, 9, 1, "08/12/2026");
    CheckTransactions(*app);
    EXPECT_FALSE(app->state.BatchChecked);
    EXPECT_EQ(m.Lm.caption,
              "Total - Count     2   Value        9.00    1 Error(s) - must be corrected");
}

}  // namespace
}  // namespace tessary
