#include "members/interchange.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "core/dates.h"
#include "core/drive.h"
#include "core/fileset.h"
#include "core/money.h"
#include "core/text.h"
#include "core/update.h"
#include "members/loans.h"
#include "members/posting.h"

namespace tessary {

namespace fs = std::filesystem;

namespace {

bool IsBlank(char c) {
    // Blanks as a text file may carry them: spaces, tabs and other control characters.
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string Quoted(std::string_view text, std::size_t width) {
    return "\"" + PadRight(std::string(text), width) + "\"";
}

// A date of the export: day 0 (no date) is written as the day it counts from.
std::string ExportDate(double day) {
    return day == 0 ? std::string("30/12/1899") : FormatDate(day);
}

// The text before the next comma of `rest`, trimmed, and `rest` past that comma; nothing
// when `rest` holds no comma.
std::string_view BeforeComma(std::string_view& rest, bool& found) {
    const std::size_t comma = rest.find(',');
    found = comma != std::string_view::npos;
    if (!found) return {};
    const std::string_view field = Trim(rest.substr(0, comma));
    rest.remove_prefix(comma + 1);
    return field;
}

// Editors that save UTF-8 may put a byte-order mark before the first line; it is no text.
std::string_view WithoutByteOrderMark(std::string_view text) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (text.starts_with(kMark)) text.remove_prefix(kMark.size());
    return text;
}

// After a commit whose outcome the disc left uncertain: whether the next open will take the
// data as it stands, its stored total matching the logs.
bool StoredTotalMatches(const RunState& s) {
    File sys;
    SystemRecord stored;
    if (!sys.Open(s.DataPath(DataFileName(DataFile::Sys)), File::Access::ReadOnly) ||
        sys.ReadAt(0, RecordBytes(stored), sizeof stored) != sizeof stored) {
        return false;
    }
    ScrambleSystemRecord(stored);
    std::uint64_t sum = 0;
    for (const char* log : {DataFileName(DataFile::MemLog), DataFileName(DataFile::NomLog),
                            DataFileName(DataFile::SysLog)}) {
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(s.DataPath(log), ec);
        if (ec) return false;
        sum += size;
    }
    return stored.ConsistencyTotal == static_cast<std::int32_t>(static_cast<std::uint32_t>(sum)) &&
           !RunInProgress(s.DataFolder);
}

}  // namespace

std::vector<std::string_view> TextLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, end));
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crlf ? 2 : 1));
    }
    return lines;
}

std::string NextCsvField(std::string& rest) {
    std::string field;
    if (rest.empty()) return field;
    if (rest.front() == ',') {
        rest.erase(0, 1);
        return field;
    }
    if (rest.front() == '"') {
        rest.erase(0, 1);
        const std::size_t close = rest.find('"');
        // No closing quote: the field is empty and the text after the quote comes next.
        if (close == std::string::npos) return field;
        field = rest.substr(0, close);
        rest.erase(0, std::min(rest.size(), close + 2));
        return field;
    }
    const std::size_t comma = rest.find(',');
    field = rest.substr(0, comma);
    rest.erase(0, comma == std::string::npos ? rest.size() : comma + 1);
    return field;
}

std::string ExportLine(const MemberRecord& m, int number) {
    std::string line = PadLeft(std::to_string(number), 5) + ",";
    for (const auto* text :
         {&m.Name, &m.Address1, &m.Address2, &m.Address3, &m.Address4, &m.Address5}) {
        line += Quoted(text->view(), 30) + ",";
    }
    line += Quoted(m.Phone.view(), 16) + ",";
    line += Quoted(m.Password.view(), 8) + ",";
    line += Quoted(m.MemberType.view(), 8) + ",";
    line += Quoted(m.JoinDate.view(), 10) + ",";
    line += Quoted(m.BirthDate.view(), 10) + ",";
    for (double amount :
         {+m.Share1, +m.Share2, +m.LoanBalance, +m.InterestDue, +m.LoanAmount, +m.Repayment}) {
        line += Money11(amount) + ",";
    }
    line += Quoted(m.Frequency.view(), 1) + ",";
    line += PadLeft(std::to_string(m.LoanNumber), 6) + ",";
    line += ExportDate(m.LoanDate) + "," + ExportDate(m.LastPayDate) + "\r\n";
    return line;
}

int ExportMembers(RunState& s, std::string& text) {
    text.clear();
    File memacc;
    if (!memacc.Open(s.DataPath(DataFileName(DataFile::MemAcc)), File::Access::ReadOnly))
        return memacc.Error();
    const std::uint64_t count = memacc.Size() / kMemberRecordSize;
    for (std::uint64_t record = 0; record < count; ++record) {
        MemberRecord& m = s.Member;
        if (memacc.ReadAt(record * kMemberRecordSize, RecordBytes(m), kMemberRecordSize) !=
            kMemberRecordSize) {
            return memacc.Error() ? memacc.Error() : EIO;
        }
        m.InterestDue = CurrentInterestDue(s);
        // Free slots, and anyone whose name holds "*", keep their number but are not written.
        if (m.Name.view().find('*') != std::string_view::npos) continue;
        text += ExportLine(m, static_cast<int>(record + 1));
    }
    return 0;
}

ImportResult ImportMembers(RunState& s, std::string_view text, int maxMember) {
    ImportResult result;
    result.opened = OpenFileSet(s, kUpdate);
    if (!result.opened) return result;
    BeginRun(s);
    std::int32_t count = MemberCount(s);
    const auto stop = [&](std::string message) {
        result.message = std::move(message);
        result.stopped = true;
    };
    int lineNo = 0;
    for (std::string_view line : TextLines(WithoutByteOrderMark(text))) {
        ++lineNo;
        std::string rest(line);
        // A NUL would end the name early wherever it is shown as text: no field keeps one.
        std::erase(rest, '\0');
        const std::optional<long long> number =
            ReadWholeNumber(NextCsvField(rest), WholeNumberForm{});
        if (!number || *number <= 0 || *number > maxMember) {
            stop("Invalid member number at record " + std::to_string(lineNo));
            break;
        }
        const auto n = static_cast<std::int32_t>(*number);
        bool written = true;
        if (n > count) {
            MemberRecord& free = s.Member;
            free = MemberRecord{};
            free.Name.set("*");
            for (s.RecordNo = count; s.RecordNo < n && written; ++s.RecordNo) {
                written = WriteMember(s);
            }
            count = n;
        }
        if (!written) break;
        s.RecordNo = n - 1;
        MemberRecord& m = s.Member;
        if (ReadMember(s) < kMemberRecordSize || !(m.Name == "*")) {
            stop("Member number " + std::to_string(n) + " - already in use");
            break;
        }
        if (!IsZeroMoney(m.Share1) || !IsZeroMoney(m.Share2) || !IsZeroMoney(m.LoanBalance)) {
            stop("Member number " + std::to_string(n) + " - share or loan balances not zero");
            break;
        }
        m = MemberRecord{};
        for (auto* field :
             {&m.Name, &m.Address1, &m.Address2, &m.Address3, &m.Address4, &m.Address5}) {
            field->set(NextCsvField(rest));
        }
        m.Phone.set(NextCsvField(rest));
        m.Password.set(NextCsvField(rest));
        m.MemberType.set(NextCsvField(rest));
        m.JoinDate.set(NextCsvField(rest));
        m.BirthDate.set(NextCsvField(rest));
        if (!WriteMember(s)) break;
        ++result.accepted;
    }
    result.outcome = CommitUpdate(s, kUpdate);
    // A line that stopped the import still has to be mended, whatever became of the lines
    // before it: its reason comes first.
    const std::string reason = result.stopped ? result.message + " - " : std::string();
    if (result.outcome.uncertain && StoredTotalMatches(s)) {
        // The disc failed after the new total reached it: the import stands.
        result.message = reason +
                         (result.stopped ? "the lines before it are in" : "Import completed") +
                         ", but the disc reported an error: " + FileErrorText(result.outcome.error);
        return result;
    }
    if (!result.outcome.committed || result.outcome.incomplete) {
        // The stop message alone would suggest the earlier lines are in; they are not.
        result.stopped = false;
        result.accepted = 0;
        result.message = reason + OutcomeMessage(result.outcome, "Import");
    } else if (!result.stopped) {
        result.message = OutcomeMessage(result.outcome, "Import");
    }
    return result;
}

std::vector<MemberTransaction> ReadTransactions(std::string_view text, double workingDate,
                                                std::chrono::year currentYear) {
    std::vector<MemberTransaction> entries;
    for (std::string_view full : TextLines(WithoutByteOrderMark(text))) {
        std::string_view rest = Trim(full.substr(0, 80));
        if (rest.size() < 10) break;
        MemberTransaction t;
        bool found = false;
        t.MemberNo = ReadWholeNumber(BeforeComma(rest, found));
        if (!found) rest = {};
        t.TransType = ReadWholeNumber(BeforeComma(rest, found));
        if (!found) rest = {};
        // The amount counts only when a comma ends it.
        t.Amount = ReadNumber(BeforeComma(rest, found));
        if (!found) rest = {};
        if (const std::size_t comma = rest.find(','); comma != std::string_view::npos) {
            rest = rest.substr(0, comma);
        }
        std::string date(Trim(rest));
        if (date.empty()) {
            t.Date = workingDate;
        } else {
            for (int quotes = 0; quotes < 2; ++quotes) {
                const std::size_t q = date.find('"');
                if (q == std::string::npos) break;
                date.erase(q, 1);
            }
            t.Date = ParseDate(date, currentYear);
        }
        entries.push_back(t);
    }
    return entries;
}

}  // namespace tessary
