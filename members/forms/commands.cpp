#include "members/forms/commands.h"

#include "core/fileset.h"
#include "core/forms/mainform.h"
#include "core/protocol.h"
#include "members/forms/findno.h"
#include "members/forms/memacc.h"
#include "members/forms/memtrans.h"
#include "members/interchange.h"
#include "members/posting.h"

namespace tessary {

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
        case kCmdFindMember:  // the form opens the file set itself
            m.EnableMenus(false);
            app.ui.Hide(m);
            forms.findno.Open();
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
    }
}

}  // namespace tessary
