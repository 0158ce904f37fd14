// The member import: the field splitter on every line, then the whole file imported into a
// data folder holding a member, a closed member with a balance and a free slot. The folder
// must end exactly as a plain model of the import says, with the message the model expects;
// and what the export then writes must import into an empty folder as the same members.

#include <cstring>
#include <vector>

#include "core/money.h"
#include "core/text.h"
#include "fuzz/folder.h"
#include "members/interchange.h"

namespace tessary {
namespace {

constexpr int kMaxMember = 64;  // keeps appended free slots small; larger numbers stop alike

void CheckSplitter(std::string_view line) {
    std::string rest(line);
    std::size_t steps = 0;
    while (!rest.empty()) {
        const std::string before = rest;
        const std::string field = NextCsvField(rest);
        FUZZ_CHECK(rest.size() < before.size());  // every field takes something off
        FUZZ_CHECK(before.size() >= rest.size() + field.size());
        FUZZ_CHECK(before.compare(before.size() - rest.size(), rest.size(), rest) == 0);
        if (before[0] == '"') {
            FUZZ_CHECK(field.find('"') == std::string::npos);
            FUZZ_CHECK(before.compare(1, field.size(), field) == 0);
        } else {
            FUZZ_CHECK(field.find(',') == std::string::npos);
            FUZZ_CHECK(before.compare(0, field.size(), field) == 0);
        }
        ++steps;
    }
    FUZZ_CHECK(steps <= line.size());
}

std::string Bytes(const std::vector<MemberRecord>& records) {
    return std::string(reinterpret_cast<const char*>(records.data()),
                       records.size() * sizeof(MemberRecord));
}

// The import as the rules state it, on records in memory.
std::string Model(std::vector<MemberRecord>& records, std::string_view text, int& accepted) {
    int lineNo = 0;
    // A UTF-8 byte-order mark before the first line is no text, and no field keeps a NUL.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    for (std::string_view line : TextLines(text)) {
        ++lineNo;
        std::string rest(line);
        std::erase(rest, '\0');
        const std::string first = NextCsvField(rest);
        // A whole number: blanks, an optional minus, digits, blanks.
        std::size_t p = first.find_first_not_of(' ');
        if (p == std::string::npos) p = first.size();
        const std::size_t digits = first.find_first_not_of("0123456789", p + (first[p] == '-'));
        const std::size_t end = digits == std::string::npos ? first.size() : digits;
        const bool shape =
            end > p + (first[p] == '-') && first.find_first_not_of(' ', end) == std::string::npos;
        long long n = 0;
        if (shape) {
            const std::string number = first.substr(p, end - p);
            n = number.size() > 12 ? kMaxMember + 1 : std::stoll(number);
        }
        if (!shape || n <= 0 || n > kMaxMember) {
            return "Invalid member number at record " + std::to_string(lineNo);
        }
        while (static_cast<long long>(records.size()) < n) {
            MemberRecord free;
            free.Name.set("*");
            records.push_back(free);
        }
        MemberRecord& m = records[static_cast<std::size_t>(n - 1)];
        if (m.Name.view() != "*") return "Member number " + std::to_string(n) + " - already in use";
        if (!IsZeroMoney(m.Share1) || !IsZeroMoney(m.Share2) || !IsZeroMoney(m.LoanBalance)) {
            return "Member number " + std::to_string(n) + " - share or loan balances not zero";
        }
        m = MemberRecord{};
        for (auto* f : {&m.Name, &m.Address1, &m.Address2, &m.Address3, &m.Address4, &m.Address5})
            f->set(NextCsvField(rest));
        m.Phone.set(NextCsvField(rest));
        m.Password.set(NextCsvField(rest));
        m.MemberType.set(NextCsvField(rest));
        m.JoinDate.set(NextCsvField(rest));
        m.BirthDate.set(NextCsvField(rest));
        ++accepted;
    }
    return "Import completed";
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::string_view line : TextLines(text)) CheckSplitter(line);

    std::vector<MemberRecord> records(3);
    records[0].Name.set("Real Member");
    records[1].Name.set("*");
    records[1].Share2 = 10;
    records[2].Name.set("*");
    auto state = fuzz::FreshFolder("IMP");
    fuzz::Spill(state->DataPath("memacc.d32"), Bytes(records));

    int accepted = 0;
    const std::string expected = Model(records, text, accepted);
    const ImportResult result = ImportMembers(*state, text, kMaxMember);
    FUZZ_CHECK(result.outcome.ok());
    FUZZ_CHECK(result.message == expected);
    FUZZ_CHECK(result.accepted == accepted);
    FUZZ_CHECK(fuzz::Slurp(state->DataPath("memacc.d32")) == Bytes(records));

    // The export of what was imported reads back as the same members, unless a text holds a
    // double quote (which the file format cannot carry).
    std::string exported;
    FUZZ_CHECK(ExportMembers(*state, exported) == 0);
    for (std::string_view line : TextLines(exported)) {
        if (std::count(line.begin(), line.end(), '"') != 22) return 0;
    }
    auto empty = fuzz::FreshFolder("RT");
    FUZZ_CHECK(ImportMembers(*empty, exported, kMaxMember).message == "Import completed");
    std::string again;
    FUZZ_CHECK(ExportMembers(*empty, again) == 0);
    FUZZ_CHECK(again == exported);
    return 0;
}
