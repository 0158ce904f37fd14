// The transaction file reader: entries stop at the first line shorter than 10 characters,
// LF and CR LF files read alike, every date is the working date, 0 or a real day, and the
// entries carry no cheque number.

#include <chrono>
#include <cmath>
#include <cstring>

#include "core/dates.h"
#include "fuzz/folder.h"
#include "members/interchange.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double working = 46364;
    const auto year = std::chrono::year{2026};
    const std::vector<MemberTransaction> got = ReadTransactions(text, working, year);

    // A UTF-8 byte-order mark before the first line is no text.
    std::string_view body = text;
    if (body.starts_with("\xEF\xBB\xBF")) body.remove_prefix(3);
    const std::vector<std::string_view> lines = TextLines(body);
    std::size_t expected = 0;
    for (std::string_view line : lines) {
        line = line.substr(0, 80);
        // Blanks here are every byte up to the space, as a text file may carry them.
        std::size_t kept = 0, start = 0;
        while (start < line.size() && static_cast<unsigned char>(line[start]) <= ' ') ++start;
        for (std::size_t i = start; i < line.size(); ++i) {
            if (static_cast<unsigned char>(line[i]) > ' ') kept = i - start + 1;
        }
        if (kept < 10) break;
        ++expected;
    }
    FUZZ_CHECK(got.size() == expected);
    for (const MemberTransaction& t : got) {
        FUZZ_CHECK(t.ChequeNo.empty());
        FUZZ_CHECK(std::isfinite(t.Amount));
        const double d = t.Date;
        FUZZ_CHECK(d == working || d == 0 || ParseDate(FormatDate(d), year) == d);
    }

    // The same file with LF line ends reads the same.
    std::string lf(text.substr(0, text.size() - body.size()));  // the mark, if any
    for (std::string_view line : lines) lf.append(line).push_back('\n');
    const std::vector<MemberTransaction> again = ReadTransactions(lf, working, year);
    FUZZ_CHECK(again.size() == got.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        FUZZ_CHECK(std::memcmp(&got[i], &again[i], sizeof got[i]) == 0);
    }
    return 0;
}
