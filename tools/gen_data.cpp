#include "tools/gen_data.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/batch.h"
#include "core/dates.h"
#include "core/file.h"
#include "core/money.h"
#include "core/records.h"
#include "core/state.h"
#include "members/loan.h"
#include "members/posting.h"
#include "tools/gen_common.h"
#include "tools/gen_history.h"

namespace tessary::gen {

namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 48> kFirstNames = {
    "Mary",  "Patrick", "Margaret", "John",   "Bridget", "Michael", "Catherine", "James",
    "Anne",  "Thomas",  "Sarah",    "Joseph", "Helen",   "Peter",   "Elizabeth", "David",
    "Ellen", "Brendan", "Siobhan",  "Kevin",  "Aoife",   "Declan",  "Niamh",     "Sean",
    "Grace", "Liam",    "Emma",     "Conor",  "Ciara",   "Daniel",  "Orla",      "Martin",
    "Nora",  "Paul",    "Deirdre",  "Gerard", "Fiona",   "Eamon",   "Rose",      "Francis",
    "Joan",  "Hugh",    "Teresa",   "Colm",   "Maeve",   "Anthony", "Una",       "Brian"};

constexpr std::array<std::string_view, 48> kLastNames = {
    "Murphy",     "Kelly",    "O'Sullivan", "Walsh",   "Smith",    "O'Brien",  "Byrne",
    "Ryan",       "O'Connor", "O'Neill",    "Reilly",  "Doyle",    "McCarthy", "Gallagher",
    "Doherty",    "Kennedy",  "Lynch",      "Murray",  "Quinn",    "Moore",    "McLoughlin",
    "Carroll",    "Connolly", "Daly",       "Connell", "Wilson",   "Dunne",    "Brennan",
    "Burke",      "Collins",  "Campbell",   "Clarke",  "Johnston", "Hughes",   "Farrell",
    "Fitzgerald", "Brown",    "Martin",     "Maguire", "Nolan",    "Flynn",    "Thompson",
    "Callaghan",  "Duffy",    "Mahony",     "Boyle",   "Healy",    "Shea"};

constexpr std::array<std::string_view, 24> kStreets = {
    "Church",  "Main",    "Bridge", "Mill",  "Chapel", "Station", "Market",    "Castle",
    "Green",   "School",  "Park",   "Abbey", "Meadow", "Orchard", "Riverside", "Hill",
    "Harbour", "Convent", "Fair",   "Pound", "Forge",  "Quarry",  "Well",      "Oak"};

constexpr std::array<std::string_view, 8> kStreetKinds = {"Street", "Road",    "Lane",  "Avenue",
                                                          "Close",  "Terrace", "Drive", "Park"};

constexpr std::array<std::string_view, 16> kLocalities = {
    "Ballymore", "Kilbride",     "Rathmore",   "Glenview", "Ardnagh",  "Carrigbeg",
    "Drumlish",  "Moyvalley",    "Clonmore",   "Lisnagry", "Knockane", "Tullyvin",
    "Ashgrove",  "Newtownbarry", "Castlepark", "Millbrook"};

constexpr std::array<std::string_view, 10> kTowns = {"Westport", "Ennis",    "Tullamore", "Athlone",
                                                     "Carlow",   "Kilkenny", "Longford",  "Navan",
                                                     "Sligo",    "Tralee"};

constexpr std::array<std::string_view, 10> kCounties = {
    "Co. Mayo",     "Co. Clare",    "Co. Offaly", "Co. Westmeath", "Co. Carlow",
    "Co. Kilkenny", "Co. Longford", "Co. Meath",  "Co. Sligo",     "Co. Kerry"};

constexpr std::array<std::string_view, 6> kGroups = {"Youth Club",    "Football Club",
                                                     "Parish Guild",  "Drama Society",
                                                     "Credit Circle", "Tenants Association"};

// The whole day `years` years (of 365.25 days) before `day`.
double YearsBefore(double day, double years) {
    return std::floor(day - years * 365.25);
}

// What the batch needs to know of each member: the fields posting reads and moves, as the
// batch leaves them so far. Kept small, as a folder may hold a million members.
struct Standing {
    double share1 = 0;
    double share2 = 0;
    double loan = 0;
    double repayment = 0;
    double interestDue = 0;
    double lastPayDate = 0;

    static Standing Of(const MemberRecord& m) {
        return {m.Share1, m.Share2, m.LoanBalance, m.Repayment, m.InterestDue, m.LastPayDate};
    }
    // Moves the balances as posting will: by the engine's own rule for the entry.
    void Post(const MemberTransaction& t, Rates rates) {
        MemberRecord m;
        m.Share1 = share1;
        m.Share2 = share2;
        m.LoanBalance = loan;
        m.Repayment = repayment;
        m.InterestDue = interestDue;
        m.LastPayDate = lastPayDate;
        ApplyMemberTransaction(m, t, rates, t.Date);
        *this = Of(m);
    }
};

}  // namespace

Person DrawPerson(Random& random, double date) {
    Person p;
    MemberRecord& m = p.record;
    const double roll = random.Unit();
    const bool group = roll < 0.02;
    const bool juvenile = !group && roll < 0.14;
    double birth = 0;
    if (juvenile) {
        birth = date - static_cast<double>(random.Between(365, 17 * 365));
    } else if (!group) {
        birth = date - static_cast<double>(random.Between(18 * 365 + 5, 88 * 365));
    }
    const bool senior = !group && !juvenile && birth <= YearsBefore(date, 66);

    if (group) {
        m.Name.set(fmt::format("{} {}", random.Pick(kLocalities), random.Pick(kGroups)));
        m.MemberType.set("GROUP");
    } else {
        m.Name.set(fmt::format("{} {}", random.Pick(kFirstNames), random.Pick(kLastNames)));
        m.MemberType.set(juvenile ? "JUVENILE" : senior ? "SENIOR" : "ADULT");
    }

    m.Address1.set(fmt::format("{} {} {}", random.Between(1, 180), random.Pick(kStreets),
                               random.Pick(kStreetKinds)));
    const std::size_t town = random.Index(kTowns.size());
    if (random.Chance(0.4)) {
        m.Address2.set(random.Pick(kLocalities));
        m.Address3.set(kTowns[town]);
        m.Address4.set(kCounties[town]);
    } else {
        m.Address2.set(kTowns[town]);
        m.Address3.set(kCounties[town]);
    }
    if (random.Chance(0.9)) {
        m.Phone.set(
            random.Chance(0.6)
                ? fmt::format("08{} {:03} {:04}", random.Between(3, 7), random.Between(0, 999),
                              random.Between(0, 9999))
                : fmt::format("0{} {:06}", random.Between(21, 99), random.Between(100000, 999999)));
    }

    // Members join once they are 16, or at birth for a juvenile's account.
    double earliest = std::max(date - 35 * 365.0, group ? 1.0 : birth + 1);
    if (!group && !juvenile) earliest = std::max(earliest, YearsBefore(birth, -16));
    const double latest = date - 7;
    const double join =
        earliest >= latest ? latest
                           : static_cast<double>(random.Between(static_cast<std::int64_t>(earliest),
                                                                static_cast<std::int64_t>(latest)));
    m.JoinDate.set(FormatDate(join));
    if (!group) m.BirthDate.set(FormatDate(birth));
    p.juvenile = juvenile;
    p.join = join;
    return p;
}

namespace {

struct MemberMaker {
    Random& random;
    double date;
    double dailyRate;
    std::int32_t loanNumber = 0;

    MemberRecord Make(Standing& standing) {
        Person person = DrawPerson(random, date);
        MemberRecord& m = person.record;
        const bool juvenile = person.juvenile;
        const double join = person.join;

        // Share balances: most modest, a few large, some members with nothing saved yet.
        const double scale = juvenile ? 0.2 : random.Chance(0.15) ? 8 : 1;
        const double share1 =
            random.Chance(0.04)
                ? 0
                : RoundMoney(static_cast<double>(random.Between(500, 200000)) / 100 * scale);
        const double share2 =
            random.Chance(0.35) ? RoundMoney(static_cast<double>(random.Between(100, 300000)) / 100)
                                : 0;
        m.Share1 = share1;
        m.Share2 = share2;
        m.YearStartShare1 = RoundMoney(share1 * (0.75 + 0.25 * random.Unit()));
        m.YearStartShare2 = RoundMoney(share2 * (0.75 + 0.25 * random.Unit()));
        m.MaxShares = std::ceil((share1 + share2) / 500 + 1) * 500;

        if (!juvenile && random.Chance(0.58)) AddLoan(m, join);
        standing = Standing::Of(m);
        return m;
    }

    void AddLoan(MemberRecord& m, double join) {
        const RepaymentFrequency& drawn = random.Pick(kRepaymentFrequencies);
        const std::string_view frequency = drawn.letter;
        const double period = drawn.days;
        const double amount = RoundMoney(static_cast<double>(random.Between(5, 400)) * 50);
        const double periods = frequency == "W"   ? static_cast<double>(random.Between(26, 156))
                               : frequency == "F" ? static_cast<double>(random.Between(13, 78))
                               : frequency == "L" ? static_cast<double>(random.Between(7, 42))
                                                  : static_cast<double>(random.Between(6, 36));
        const double repayment = std::ceil(amount * 1.06 / periods);

        const double earliest = std::max(join, date - 3 * 365.0);
        const double latest = date - 1;
        const double loanDate =
            earliest >= latest
                ? latest
                : static_cast<double>(random.Between(static_cast<std::int64_t>(earliest),
                                                     static_cast<std::int64_t>(latest)));
        const double due = std::floor((date - loanDate) / period);  // repayments fallen due

        // Most keep up; some fall behind; a few have paid the loan off.
        double paid = due * repayment * (random.Chance(0.75) ? 1.0 : 0.4 + 0.5 * random.Unit());
        if (random.Chance(0.05)) paid = amount * 1.1;
        const double balance = RoundMoney(std::clamp(amount - paid * 0.9, 0.0, amount));
        const double lastPay =
            due >= 1 ? std::floor(loanDate + due * period) -
                           static_cast<double>(random.Between(0, static_cast<std::int64_t>(period)))
                     : loanDate;

        m.LoanNumber = ++loanNumber;
        m.LoanDate = loanDate;
        m.Frequency.set(frequency);
        m.LoanAmount = amount;
        m.Repayment = RoundMoney(repayment);
        m.LoanBalance = balance;
        m.LastPayDate = std::max(lastPay, loanDate);
        m.InterestPaid = RoundMoney((amount - balance) * 0.06);
        // What has accrued since the last payment, none of it charged yet.
        m.InterestDue = InterestDue(m, Rates{dailyRate, false}, date);
        m.MaxLoan = amount;
        const double yearStart = YearsBefore(date, 1);
        if (loanDate < yearStart) {
            m.YearStartLoan =
                RoundMoney(std::min(amount, balance + (date - yearStart) / period * repayment));
            m.YearStartInterestDue = RoundMoney(dailyRate * m.YearStartLoan * period / 2);
        }
    }
};

std::string WriteMembers(const fs::path& path, const Settings& settings, MemberMaker& maker,
                         std::vector<Standing>& standings) {
    constexpr std::size_t kChunk = 4096;  // records a write: about 1.6 MB
    std::vector<MemberRecord> chunk;
    chunk.reserve(kChunk);
    StagedFile out(path);
    standings.resize(static_cast<std::size_t>(settings.members));
    for (std::size_t i = 0; i < standings.size(); ++i) {
        chunk.push_back(maker.Make(standings[i]));
        if (chunk.size() == kChunk || i + 1 == standings.size()) {
            out.Write(chunk.data(), chunk.size() * sizeof(MemberRecord));
            chunk.clear();
        }
    }
    if (!out.Commit()) return "cannot write " + path.string();
    return {};
}

// The same members kept in memory, for a history to change before they are written.
std::vector<MemberRecord> MakeMembers(const Settings& settings, MemberMaker& maker,
                                      std::vector<Standing>& standings) {
    standings.resize(static_cast<std::size_t>(settings.members));
    std::vector<MemberRecord> members;
    members.reserve(standings.size());
    for (Standing& s : standings) members.push_back(maker.Make(s));
    return members;
}

template <typename Record>
std::string WriteRecords(const fs::path& path, const std::vector<Record>& records) {
    StagedFile out(path);
    out.Write(records.data(), records.size() * sizeof(Record));
    if (!out.Commit()) return "cannot write " + path.string();
    return {};
}

// Share of each transaction type 1 to 7 in a batch, in per cent.
constexpr std::array<int, 7> kTypeShares = {32, 8, 25, 5, 18, 6, 6};

int DrawType(Random& random) {
    std::int64_t roll = random.Between(0, 99);
    for (std::size_t i = 0; i < kTypeShares.size(); ++i) {
        roll -= kTypeShares[i];
        if (roll < 0) return static_cast<int>(i) + 1;
    }
    return 1;
}

double PoundsAndPence(Random& random, std::int64_t lo, std::int64_t hi, double penceChance) {
    double amount = static_cast<double>(random.Between(lo, hi));
    if (random.Chance(penceChance)) amount += static_cast<double>(random.Between(1, 99)) / 100;
    return RoundMoney(amount);
}

std::vector<MemberTransaction> MakeBatch(const Settings& settings, double firstDay,
                                         std::vector<Standing>& standings, Rates rates,
                                         Random& random) {
    const auto count = static_cast<std::size_t>(settings.batchEntries);
    std::vector<MemberTransaction> batch(count);
    if (count == 0 || standings.empty()) return {};

    // Every type appears once the batch has room for all seven; the rest are drawn.
    std::vector<int> types(count);
    for (std::size_t i = 0; i < count; ++i)
        types[i] = i < 7 ? static_cast<int>(i) + 1 : DrawType(random);
    for (std::size_t i = count - 1; i > 0; --i) std::swap(types[i], types[random.Index(i + 1)]);
    // Entries are keyed in roughly the order they happened.
    std::vector<double> dates(count);
    for (double& d : dates) {
        d = static_cast<double>(random.Between(static_cast<std::int64_t>(firstDay),
                                               static_cast<std::int64_t>(settings.date)));
    }
    std::sort(dates.begin(), dates.end());

    std::vector<std::size_t> borrowers;
    for (std::size_t i = 0; i < standings.size(); ++i) {
        if (standings[i].repayment > 0) borrowers.push_back(i);
    }
    const auto anyone = [&] { return random.Index(standings.size()); };
    const auto borrower = [&] {
        return borrowers.empty() ? anyone() : borrowers[random.Index(borrowers.size())];
    };
    // A member satisfying `fits`, tried a few times; the last one tried otherwise.
    const auto find = [&](auto draw, auto fits) {
        std::size_t who = draw();
        for (int tries = 1; tries < 20 && !fits(standings[who]); ++tries) who = draw();
        return who;
    };
    std::int64_t cheque = random.Between(100000, 800000);

    for (std::size_t i = 0; i < count; ++i) {
        MemberTransaction& t = batch[i];
        int type = types[i];
        std::size_t who = 0;
        double amount = 0;
        switch (type) {
            case 1:
                who = anyone();
                amount = PoundsAndPence(random, 5, 250, 0.25);
                break;
            case 2:
                who = anyone();
                amount = PoundsAndPence(random, 5, 100, 0.1);
                break;
            case 3: {
                who = find(borrower, [](const Standing& s) { return s.loan > 0; });
                const double roll = random.Unit();
                const double times = roll < 0.75 ? 1 : roll < 0.85 ? 2 : 0.5;
                amount = RoundMoney(std::max(1.0, standings[who].repayment * times));
                break;
            }
            case 4: {
                constexpr std::array<double, 5> kFees = {1, 2, 5, 10, 25};
                who = anyone();
                amount = random.Pick(kFees);
                break;
            }
            case 5:
            case 6: {
                // Withdrawals stay within the balance the batch leaves the member so far.
                const bool first = type == 5;
                const auto balance = [first](const Standing& s) {
                    return first ? s.share1 : s.share2;
                };
                who = find(anyone, [&](const Standing& s) { return balance(s) >= 10; });
                const double available = balance(standings[who]);
                if (available < 10) {
                    type = first ? 1 : 2;  // nothing to draw: it becomes a lodgement
                    amount = PoundsAndPence(random, 5, 100, 0.1);
                } else {
                    amount = random.Chance(0.1)
                                 ? available
                                 : std::min(available,
                                            10.0 * static_cast<double>(random.Between(1, 60)));
                    amount = RoundMoney(amount);
                }
                break;
            }
            case 7:
                who = borrower();
                amount = RoundMoney(static_cast<double>(random.Between(2, 60)) * 50);
                break;
        }

        t.Amount = amount;
        t.MemberNo = static_cast<std::int32_t>(who) + 1;
        t.TransType = type;
        t.Date = dates[i];
        if (type >= 5 && random.Chance(0.7)) t.ChequeNo.set(fmt::format("{}", cheque++));
        standings[who].Post(t, rates);
    }
    return batch;
}

std::string ReplaceWithEmpty(const fs::path& path) {
    if (!fs::exists(path)) {
        if (!CreateEmptyFile(path)) return "cannot create " + path.string();
        return {};
    }
    File f;
    if (!f.Open(path, File::Access::ReadWrite) || !f.Truncate(0) || !f.Sync()) {
        return "cannot empty " + path.string();
    }
    return {};
}

}  // namespace

std::string GenerateDataFolder(const std::string& folder, const Settings& settings,
                               Summary* summary) {
    if (settings.members < 0 || settings.members > kMaxMembers) {
        return fmt::format("the member count must be 0 to {}", kMaxMembers);
    }
    if (settings.batchEntries < 0 || settings.batchEntries > kMaxBatchEntries) {
        return fmt::format("the batch size must be 0 to {}", kMaxBatchEntries);
    }
    if (settings.batchEntries > 0 && settings.members == 0) return "a batch needs members";
    if (settings.historyEntries < 0 || settings.historyEntries > kMaxHistoryEntries) {
        return fmt::format("the history must be 0 to {} entries", kMaxHistoryEntries);
    }
    if (settings.Cashbook() < 0 || settings.Cashbook() > kMaxCashbookEntries) {
        return fmt::format("the cash book must be 0 to {} entries", kMaxCashbookEntries);
    }
    if (settings.historyEntries > 0 && settings.members == 0) return "a history needs members";
    const bool history = settings.historyEntries > 0 || settings.Cashbook() > 0;
    if (settings.user.empty() || settings.user.size() > 3) return "a user code has 1 to 3 letters";
    if (settings.date < 1) return "no date given";

    const fs::path dir(folder);
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir)) return "cannot make the folder " + folder;

    for (const char* name : {DataFileName(DataFile::Sys), DataFileName(DataFile::NomAcc)}) {
        if (fs::exists(dir / name)) continue;
        const fs::path source = fs::path(settings.templateFolder) / name;
        if (!fs::exists(source)) return "no template " + source.string();
        if (CopyFileDurably(source, dir / name) != 0) return "cannot copy " + source.string();
    }

    // Hold the update lock, as the program does, so that a copy of it updating the folder
    // at the same time is refused rather than overwritten.
    File sys;
    if (!sys.Open(dir / DataFileName(DataFile::Sys), File::Access::ReadWrite))
        return "cannot open sys.d32";
    if (!sys.TryLockExclusive()) return "the data folder is being updated by the program";
    SystemRecord system;
    if (sys.ReadAt(0, RecordBytes(system), sizeof system) != sizeof system) {
        return "sys.d32 is too short to hold a system record";
    }
    ScrambleSystemRecord(system);  // now plain

    bool known = false;
    std::string users;
    for (int i = 0; i < kUserSlots; ++i) {
        const std::string code = system.UserCodes[i].str();
        if (code.empty()) continue;
        known = known || code == settings.user;
        users += (users.empty() ? "" : ", ") + code;
    }
    if (!known)
        return fmt::format("{} is not a user of this folder (users: {})", settings.user, users);
    // A history brings its own period ends; without one the batch must follow the folder's.
    if (!history && settings.batchEntries > 0 && system.LastPeriodEndDate > settings.date) {
        return fmt::format("the date is before the folder's last period end, {}",
                           FormatDate(system.LastPeriodEndDate));
    }

    Random random(settings.seed);
    MemberMaker maker{random, settings.date, DailyInterestRate(system)};
    std::vector<Standing> standings;
    std::int32_t loans = 0;
    if (!history) {
        if (auto error =
                WriteMembers(dir / DataFileName(DataFile::MemAcc), settings, maker, standings);
            !error.empty()) {
            return error;
        }
        loans = maker.loanNumber;
    } else {
        std::vector<MemberRecord> members = MakeMembers(settings, maker, standings);
        std::vector<NominalAccountRecord> accounts(kNominalAccountCount);
        {
            File nomacc;
            const std::size_t bytes = accounts.size() * sizeof(NominalAccountRecord);
            if (!nomacc.Open(dir / DataFileName(DataFile::NomAcc), File::Access::ReadOnly) ||
                nomacc.ReadAt(0, accounts.data(), bytes) != bytes) {
                return "nomacc.d32 does not hold the 160 accounts";
            }
        }
        // The year draws from a stream of its own, so that the members come out as they
        // would without it.
        Random past(settings.seed ^ 0x9e3779b97f4a7c15ULL);
        HistorySettings plan;
        plan.memberEntries = settings.historyEntries;
        plan.cashbookEntries = settings.Cashbook();
        plan.date = settings.date;
        plan.fallbackUser = settings.user;
        const HistoryOutcome outcome = WriteHistory(dir, plan, past, members, accounts, system);
        if (!outcome.error.empty()) return outcome.error;
        if (auto error = WriteRecords(dir / DataFileName(DataFile::MemAcc), members);
            !error.empty())
            return error;
        if (auto error = WriteRecords(dir / DataFileName(DataFile::NomAcc), accounts);
            !error.empty())
            return error;
        for (std::size_t i = 0; i < members.size(); ++i) {
            const MemberRecord& m = members[i];
            standings[i] = Standing::Of(m);
            loans += m.LoanDate > 0;
        }
        if (summary) {
            summary->postingDays = outcome.postingDays;
            summary->nominalEntries = outcome.nominalEntries;
        }
    }
    const double firstDay = std::max(settings.date - 29, std::ceil(system.LastPeriodEndDate));

    const std::string batchName = BatchFileName(settings.user, BatchKind::Members);
    {
        const auto batch = MakeBatch(settings, firstDay, standings, RatesOf(system), random);
        StagedFile out(dir / batchName);
        out.Write(batch.data(), batch.size() * sizeof(MemberTransaction));
        if (!out.Commit()) return "cannot write " + (dir / batchName).string();
    }
    // A marker left by an interrupted posting of an earlier batch of this name would have
    // the next update delete the new one.
    fs::remove(dir / (batchName + ".posted"), ec);

    if (!history) {
        for (const char* name : {DataFileName(DataFile::MemLog), DataFileName(DataFile::NomLog),
                                 DataFileName(DataFile::SysLog)}) {
            if (auto error = ReplaceWithEmpty(dir / name); !error.empty()) return error;
        }
        system.ConsistencyTotal = 0;  // the summed sizes of the three empty logs
    }
    ScrambleSystemRecord(system);
    if (!sys.WriteAt(0, RecordBytes(system), sizeof system) || !sys.Sync()) {
        return "cannot write sys.d32";
    }
    sys.Close();
    SyncFolder(dir);

    if (summary) {
        summary->loans = loans;
        summary->batchPath = (dir / batchName).string();
    }
    return {};
}

}  // namespace tessary::gen
