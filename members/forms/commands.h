#pragma once
#include "core/forms/app.h"

namespace tessary {

class TFmemtrans;
class TFmemacc;
class TFfindno;

// The forms the member commands show, made when the program is put together.
struct MemberForms {
    TFmemtrans& memtrans;
    TFmemacc& memacc;
    TFfindno& findno;
};

// Runs the member command whose code (11 to 21) is in the run state.
void MembersCommand(App& app, const MemberForms& forms);

// The menu's "Check Transactions": the check, its message and the offer to view the list.
void CheckTransactions(App& app);
// The menu's "Post Transactions": requires a clean check, asks, opens for update and posts.
void PostTransactions(App& app);

// The menu commands (codes 20, 21, 12 and 19).
void ExportMembersCommand(App& app);
void ImportMembersCommand(App& app);
void ReadTransactionsCommand(App& app);
void CreateCollectionDisc(App& app);

// Puts the member's name and address and today's date on the clipboard, for a letter.
void CopyNameAndAddress(App& app);

}  // namespace tessary
