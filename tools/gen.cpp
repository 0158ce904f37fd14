// Writes a synthetic data folder: members with balances and loans, empty logs or a year of
// posted history, a consistent system record and a member batch for one user, ready to be
// checked and posted.
//
//   tessary-gen --members N --batch M [--history H [--cashbook C]] [--user ABC] [--seed S]
//               [--date dd/mm/yyyy] DATAFOLDER
//   tessary-gen --demo DATAFOLDER [--seed S] [--date dd/mm/yyyy]

#include <fmt/core.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cli.h"
#include "core/dates.h"
#include "core/install.h"
#include "tools/gen_data.h"
#include "tools/gen_demo.h"

namespace {

using namespace tessary;

constexpr std::string_view kUsage =
    "usage: tessary-gen --members N --batch M [--history H [--cashbook C]] [--user ABC] "
    "[--seed S] [--date dd/mm/yyyy] DATAFOLDER\n"
    "       tessary-gen --demo DATAFOLDER [--seed S] [--date dd/mm/yyyy]\n"
    "  --members N   members to write to memacc.d32 (0 to {})\n"
    "  --batch M     entries in the member batch DATAFOLDER/<user>MEM.t32 (0 to {})\n"
    "  --history H   member log entries to write for the year up to D (0 to {}; default 0,\n"
    "                empty logs): the posting runs, a dividend allocation and eleven period\n"
    "                ends of that year, with the members' balances, the nominal ledger and\n"
    "                its budgets made to agree with the logs\n"
    "  --cashbook C  cash-book entries on the income and expenditure accounts in use in the\n"
    "                same year (0 to {}; default one for every 25 member log entries)\n"
    "  --user ABC    the user whose batch it is (default ADM); must be a user of the folder;\n"
    "                the history is posted by the folder's users entitled to each run\n"
    "  --seed S      a whole number choosing the data (default 1); the same seed gives the\n"
    "                same files\n"
    "  --date D      the batch is dated in the 30 days up to D (default today)\n"
    "  --demo DATAFOLDER  makes a new demonstration co-operative in DATAFOLDER by running\n"
    "                the program itself: about fifty members, a year of collections, loans,\n"
    "                cash book, reconciliations and period ends up to the year end and a\n"
    "                dividend, and the new year's first weeks, ending on D; a folder that\n"
    "                already holds data is refused\n"
    "The folder is created when missing; sys.d32 and nomacc.d32 come from the templates\n"
    "beside this program when the folder has none. Members, logs and batch are replaced;\n"
    "with a history the nominal balances and budgets are too.\n";

std::string UsageText() {
    return fmt::format(fmt::runtime(kUsage), gen::kMaxMembers, gen::kMaxBatchEntries,
                       gen::kMaxHistoryEntries, gen::kMaxCashbookEntries);
}

int Usage(std::string_view problem) {
    if (!problem.empty()) fmt::print(stderr, "tessary-gen: {}\n", problem);
    fmt::print(stderr, "{}", UsageText());
    return 2;
}

template <typename Number>
std::optional<Number> ReadWhole(std::string_view text) {
    Number value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

int MakeDemo(const std::string& folder, const gen::Settings& settings) {
    gen::DemoSettings demo;
    demo.folder = folder;
    demo.templateFolder = settings.templateFolder;
    demo.date = settings.date;
    demo.seed = settings.seed;
    const auto started = std::chrono::steady_clock::now();
    const gen::DemoOutcome made = gen::GenerateDemo(demo);
    if (made.status != 0) {
        fmt::print(stderr, "tessary-gen: {}\n", made.error);
        return made.status;
    }
    const auto& s = made.summary;
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
    fmt::print(
        "a demonstration co-operative in {}: {} members, {} loans, {} member and {} cash-book "
        "entries keyed in {} runs of the program; year end on {}, dividend at {}%; made in "
        "{:.1f} s\n",
        folder, s.members, s.loans, s.memberEntries, s.cashbookEntries, s.runs,
        FormatDate(s.yearEnd), s.dividendRate, seconds.count());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    gen::Settings settings;
    if (const auto status = AnswerHelpOrVersion(std::vector<std::string>(argv + 1, argv + argc),
                                                "tessary-gen", UsageText(), std::cout)) {
        return *status;
    }
    // The templates of the program folder: beside this program in a build folder, in
    // share/tessary when installed.
    settings.templateFolder = LocatePlaces().programFolder;
    std::optional<std::int32_t> members, batch, history, cashbook;
    std::string folder;
    std::string dateText;
    std::optional<std::string> demo;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--")) {
            if (i + 1 == argc) return Usage(fmt::format("{} needs a value", arg));
            const std::string_view value = argv[++i];
            if (arg == "--demo") {
                if (value.empty()) return Usage("--demo needs a data folder");
                demo = std::string(value);
            } else if (arg == "--members") {
                members = ReadWhole<std::int32_t>(value);
                if (!members || *members < 0 || *members > gen::kMaxMembers) {
                    return Usage(
                        fmt::format("--members must be a whole number 0 to {}", gen::kMaxMembers));
                }
            } else if (arg == "--batch") {
                batch = ReadWhole<std::int32_t>(value);
                if (!batch || *batch < 0 || *batch > gen::kMaxBatchEntries) {
                    return Usage(fmt::format("--batch must be a whole number 0 to {}",
                                             gen::kMaxBatchEntries));
                }
            } else if (arg == "--history") {
                history = ReadWhole<std::int32_t>(value);
                if (!history || *history < 0 || *history > gen::kMaxHistoryEntries) {
                    return Usage(fmt::format("--history must be a whole number 0 to {}",
                                             gen::kMaxHistoryEntries));
                }
            } else if (arg == "--cashbook") {
                cashbook = ReadWhole<std::int32_t>(value);
                if (!cashbook || *cashbook < 0 || *cashbook > gen::kMaxCashbookEntries) {
                    return Usage(fmt::format("--cashbook must be a whole number 0 to {}",
                                             gen::kMaxCashbookEntries));
                }
            } else if (arg == "--user") {
                if (value.empty() || value.size() > 3) return Usage("--user takes 1 to 3 letters");
                settings.user = std::string(value);
            } else if (arg == "--seed") {
                const auto seed = ReadWhole<std::uint64_t>(value);
                if (!seed) return Usage("--seed must be a whole number");
                settings.seed = *seed;
            } else if (arg == "--date") {
                dateText = std::string(value);
            } else {
                return Usage(fmt::format("unknown option {}", arg));
            }
        } else if (folder.empty()) {
            folder = std::string(arg);
        } else {
            return Usage("give one data folder");
        }
    }
    const auto today = LocalToday();
    if (dateText.empty()) {
        settings.date = ToDayNumber(today);
    } else {
        settings.date = ParseDate(dateText, today.year());
        if (settings.date == 0) return Usage(fmt::format("--date: not a date: \"{}\"", dateText));
    }
    if (demo) {
        if (members || batch || history || cashbook || !folder.empty() ||
            settings.user != gen::Settings{}.user) {
            return Usage("--demo takes only --seed and --date");
        }
        return MakeDemo(*demo, settings);
    }
    if (!members) return Usage("--members is required");
    if (!batch) return Usage("--batch is required");
    if (folder.empty()) return Usage("no data folder given");
    if (*batch > 0 && *members == 0) return Usage("a batch needs at least one member");
    if (history.value_or(0) > 0 && *members == 0)
        return Usage("a history needs at least one member");
    if (cashbook && !history) return Usage("--cashbook goes with --history");

    settings.members = *members;
    settings.batchEntries = *batch;
    settings.historyEntries = history.value_or(0);
    if (cashbook) settings.cashbookEntries = *cashbook;

    gen::Summary summary;
    const std::string error = gen::GenerateDataFolder(folder, settings, &summary);
    if (!error.empty()) {
        fmt::print(stderr, "tessary-gen: {}\n", error);
        return 1;
    }
    fmt::print("{} members ({} with loans) and a batch of {} entries to {}\n", settings.members,
               summary.loans, settings.batchEntries, summary.batchPath);
    if (settings.historyEntries > 0 || settings.Cashbook() > 0) {
        fmt::print(
            "history: {} member log entries and {} nominal log entries over {} posting "
            "days\n",
            settings.historyEntries, summary.nominalEntries, summary.postingDays);
    }
    return 0;
}
