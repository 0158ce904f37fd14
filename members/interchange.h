#pragma once
// Member data across the system's edge: the comma-separated member export and import, reading
// a file of member transactions into the user's batch, and the collection program's disc.
// The engine routines take and give text and records; the menu commands below them choose
// the files, ask and tell the user.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "core/state.h"
#include "core/update.h"

namespace tessary {

// The lines of a text file as the export writes them (CR LF); LF alone and a last line
// without a line end read the same. A lone CR ends a line too.
std::vector<std::string_view> TextLines(std::string_view text);

// Takes the next field off the front of `rest`: empty before a comma; a quoted field up to
// the next quote (the character after it is dropped as the separator); else up to the next
// comma. An unclosed quote gives an empty field and leaves the text after the quote.
std::string NextCsvField(std::string& rest);

// One export line of member `number`, with its CR LF, from the record as it stands.
std::string ExportLine(const MemberRecord& member, int number);

// The export file of every member of memacc.d32 (its interest due as at the working date),
// skipping any whose name holds "*". The file set need not be open. 0 or the error number
// of reading memacc.d32.
int ExportMembers(RunState& state, std::string& text);

// Above this a member number would make a file of members no report could show.
inline constexpr int kMaxMemberNumber = 99999;

struct ImportResult {
    bool opened = false;    // false: the open has said why the import cannot start
    std::string message;    // what the user is told
    int accepted = 0;       // lines whose member was written
    bool stopped = false;   // a line stopped the import with one of its three messages
    UpdateOutcome outcome;  // how the update run ended
};

// Opens the file set for update, creates members from the lines of `text` and closes it: the
// members of the lines before a refused line are kept, the rest of the text is not read. A member
// number above `maxMember` is refused as invalid.
ImportResult ImportMembers(RunState& state, std::string_view text,
                           int maxMember = kMaxMemberNumber);

// The batch entries a transaction file gives: member number, type, amount and date per
// line; no date takes `workingDate`. Reading ends at a line shorter than 10 characters.
std::vector<MemberTransaction> ReadTransactions(std::string_view text, double workingDate,
                                                std::chrono::year currentYear);

inline constexpr const char* kCollectionProgram = "fpy.exe";

}  // namespace tessary
