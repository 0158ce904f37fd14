#include "members/commands.h"

#include "core/fileset.h"
#include "core/mainform.h"
#include "core/protocol.h"
#include "members/interchange.h"
#include "members/memacc.h"
#include "members/memtrans.h"
#include "members/posting.h"

namespace tessary {

namespace {

const char* CommandName(int code) {
    switch (code) {
        case kCmdInputMemberTransactions:
            return "Input Transactions";
        case kCmdReadMemberTransactions:
            return "Read Transactions";
        case kCmdCheckMemberTransactions:
            return "Check Transactions";
        case kCmdPostMemberTransactions:
            return "Post Transactions";
        case kCmdAddMembers:
            return "Add Members";
        case kCmdUpdateMembers:
            return "Update Members";
        case kCmdViewMembers:
            return "View Members";
        case kCmdFindMember:
            return "Find Member";
        case kCmdCreateFpyDisc:
            return "Create FPY Disc";
        case kCmdExportMembers:
            return "Export Members Records";
        case kCmdImportMembers:
        default:
            return "Import Members Details";
    }
}

}  // namespace

void MembersCommand(App& app, const MemberForms& forms) {
    TFmain& m = app.main();
    RunState& s = app.state;
    const int code = s.CommandCode;
    m.EnableMenus(true);
    m.ClearPrompt();
    if (code < kFirstMemberCommand || code > kLastMemberCommand) {
        app.ui.Show(m);
        return;
    }
    if (code <= kCmdPostMemberTransactions && !m.CheckRights(kOperator)) return;
    switch (code) {
        case kCmdInputMemberTransactions:
            app.ui.Hide(m);
            forms.memtrans.Open();
            return;
        case kCmdCheckMemberTransactions:
            CheckTransactions(app);
            return;
        case kCmdPostMemberTransactions:
            PostTransactions(app);
            return;
        case kCmdAddMembers:
        case kCmdUpdateMembers:
            if (!m.CheckRights(kSupervisor) || !OpenFileSet(s, kUpdate)) return;
            m.EnableMenus(false);
            app.ui.Hide(m);
            forms.memacc.Open(code == kCmdAddMembers ? TFmemacc::Mode::Add
                                                     : TFmemacc::Mode::Update);
            return;
        case kCmdViewMembers:
            OpenFileSet(s, kEnquiry);
            m.EnableMenus(false);
            app.ui.Hide(m);
            forms.memacc.Open(TFmemacc::Mode::View);
            return;
        case kCmdReadMemberTransactions:
            s.BatchChecked = false;
            ReadTransactionsCommand(app);
            return;
        case kCmdCreateFpyDisc:
            CreateCollectionDisc(app);
            return;
        case kCmdExportMembers:
            ExportMembersCommand(app);
            return;
        case kCmdImportMembers:  // 21 to this dispatcher; nominal entry shares the code
            ImportMembersCommand(app);
            return;
        case kCmdFindMember:
            m.NotAvailable(CommandName(code));
            return;
    }
}

}  // namespace tessary
