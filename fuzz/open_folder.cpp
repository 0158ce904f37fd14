// A data folder whose files are arbitrary bytes: every record file and both batches of any
// size. Checking the member batch, a members report, the export and an open for update must
// neither fail nor change a byte of the data; the check counts what the batch holds.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "core/money.h"
#include "core/text.h"
#include "fuzz/folder.h"
#include "members/interchange.h"
#include "members/posting.h"
#include "reports/members.h"

namespace tessary {
namespace {

constexpr std::array<const char*, 8> kFiles = {"sys.d32",    "memacc.d32", "memlog.d32",
                                               "nomacc.d32", "nomlog.d32", "syslog.d32",
                                               "ADMMEM.t32", "ADMNOM.t32"};

template <typename Record>
std::vector<Record> Records(const std::string& bytes) {
    std::vector<Record> out(bytes.size() / sizeof(Record));
    if (!out.empty())
        std::memcpy(static_cast<void*>(out.data()), bytes.data(), out.size() * sizeof(Record));
    return out;
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary;
    FuzzedDataProvider in(data, size);
    auto state = fuzz::FreshFolder("OPEN", false);
    RunState& s = *state;
    std::array<std::string, kFiles.size()> contents;
    for (std::size_t i = 0; i < kFiles.size(); ++i) {
        contents[i] = i + 1 < kFiles.size() ? in.ConsumeRandomLengthString(4096)
                                            : in.ConsumeRemainingBytesAsString();
        fuzz::Spill(s.DataPath(kFiles[i]), contents[i]);
    }
    const auto unchanged = [&] {
        for (std::size_t i = 0; i < kFiles.size(); ++i) {
            if (fuzz::Slurp(s.DataPath(kFiles[i])) != contents[i]) return false;
        }
        return true;
    };

    OpenFileSet(s, kSystemOnly);
    FUZZ_CHECK(LoadSystemRecord(s) == std::min<std::size_t>(contents[0].size(), kSystemRecordSize));
    CloseFileSet(s, kSystemOnly);
    s.WorkingDate = 46364;

    const BatchCheck check = CheckMemberBatch(s, 46364);
    int keyed = 0;
    for (const MemberTransaction& t : Records<MemberTransaction>(contents[6])) {
        if (!IsZeroMoney(t.Amount)) ++keyed;
    }
    FUZZ_CHECK(check.unreadable.empty());
    FUZZ_CHECK(check.count == keyed);
    FUZZ_CHECK(check.lines.size() == static_cast<std::size_t>(keyed) + 2);
    FUZZ_CHECK(check.errors >= 0 && check.errors <= 4 * keyed);
    FUZZ_CHECK((check.lines.back().find("Errors") != std::string::npos) == (check.errors > 0));

    const std::vector<MemberRecord> members = Records<MemberRecord>(contents[1]);
    // The reports read the records only; what they write goes to the sink.
    MembersBalances(members, "", [](std::string_view) {});
    MembersData(members, [](std::string_view) {});

    std::string exported;
    FUZZ_CHECK(ExportMembers(s, exported) == 0);
    // Each member exported starts its own line, unless damaged text holds a line end.
    const auto lineEnd = [](const MemberRecord& m) {
        // The text fields lie from Frequency to the end of the record.
        const auto* text = reinterpret_cast<const char*>(RecordBytes(m)) + 140;
        return std::string_view(text, kMemberRecordSize - 140).find_first_of("\r\n") !=
               std::string_view::npos;
    };
    const bool layout = std::none_of(members.begin(), members.end(), lineEnd);
    std::size_t listed = 0;
    for (std::size_t i = 0; layout && i < members.size(); ++i) {
        if (members[i].Name.view().find('*') != std::string_view::npos) continue;
        const std::string head = PadLeft(std::to_string(i + 1), 5) + ",\"";
        FUZZ_CHECK(exported.compare(listed, head.size(), head) == 0);
        listed = exported.find("\r\n", listed);
        FUZZ_CHECK(listed != std::string::npos);
        listed += 2;
    }
    FUZZ_CHECK(!layout || listed == exported.size());
    FUZZ_CHECK(unchanged());

    // An open for update that finds the logs as the stored total says, closed without a
    // change, leaves every file as it was.
    SystemRecord stored;
    std::memcpy(RecordBytes(stored), contents[0].data(),
                std::min(contents[0].size(), sizeof stored));
    if (contents[0].size() >= kSystemRecordSize) {
        ScrambleSystemRecord(stored);
        const std::uint64_t logs = contents[2].size() + contents[4].size() + contents[5].size();
        if (static_cast<std::int32_t>(static_cast<std::uint32_t>(logs)) ==
            stored.ConsistencyTotal) {
            FUZZ_CHECK(OpenFileSet(s, kUpdate));
            FUZZ_CHECK(CommitUpdate(s, kUpdate).committed);
            FUZZ_CHECK(unchanged());
        }
    }
    return 0;
}
