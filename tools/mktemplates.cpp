// Builds the template data files of a new data folder, sys.d32 and nomacc.d32, from the
// readable sources in templates/. Run at build time; the binaries are never committed.
//
//   tessary-mktemplates SYSTEM.txt CHART.txt OUTPUT-FOLDER

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/cli.h"
#include "core/file.h"
#include "core/records.h"
#include "core/text.h"

namespace {

using namespace tessary;

struct Failure {
    std::string what;
};

std::string Trim(std::string_view s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos) return {};
    const auto e = s.find_last_not_of(" \t\r");
    return std::string(s.substr(b, e - b + 1));
}

// Build inputs are read strictly: a typo must fail the build, not ship a zero.
double Number(const std::string& text, const std::string& where) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        throw Failure{where + ": not a number: \"" + text + "\""};
    }
    return value;
}

int Whole(const std::string& text, const std::string& where) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        throw Failure{where + ": not a whole number: \"" + text + "\""};
    }
    return value;
}

std::vector<std::string> Split(std::string_view s, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto at = s.find(sep, start);
        parts.push_back(Trim(s.substr(start, at - start)));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

template <std::size_t N>
void SetText(PString<N>& field, const std::string& utf8, const std::string& where) {
    const std::string text = Utf8ToCp1252(utf8);
    if (text.size() > N) throw Failure{where + ": longer than " + std::to_string(N)};
    field.set(text);
}

// Source lines without comments and blank lines, each with its "file:line" for messages.
std::vector<std::pair<std::string, std::string>> Lines(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw Failure{"cannot read " + path};
    std::vector<std::pair<std::string, std::string>> lines;
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        const std::string t = Trim(line);
        if (!t.empty() && t[0] != '#') lines.emplace_back(path + ":" + std::to_string(n), t);
    }
    return lines;
}

SystemRecord BuildSystem(const std::string& path) {
    SystemRecord sys;
    int users = 0;
    bool controller = false;
    for (const auto& [where, line] : Lines(path)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) throw Failure{where + ": expected Field = value"};
        const std::string key = Trim(line.substr(0, eq));
        const std::string value = Trim(line.substr(eq + 1));
        if (key == "UnionName") {
            SetText(sys.UnionName, value, where);
        } else if (key == "InterestRate") {
            sys.InterestRate = Number(value, where);
        } else if (key == "InterestMethod") {
            sys.InterestMethod = Whole(value, where);
        } else if (key == "PeriodNumber") {
            sys.PeriodNumber = Whole(value, where);
        } else if (key == "MaxInsuredShares") {
            sys.MaxInsuredShares = Number(value, where);
        } else if (key == "MaxInsuredLoan") {
            sys.MaxInsuredLoan = Number(value, where);
        } else if (key == "BackupDrive") {
            if (value.size() != 1) throw Failure{where + ": one drive letter"};
            sys.BackupDrive = value[0];
        } else if (key == "ConsistencyTotal") {
            sys.ConsistencyTotal = Whole(value, where);
        } else if (key == "User") {
            const auto parts = Split(value, ' ');
            if (parts.size() != 3 || users == kUserSlots) throw Failure{where + ": bad user"};
            SetText(sys.UserCodes[users], parts[0], where);
            std::string password = parts[1];
            for (char& c : password)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            SetText(sys.UserPasswords[users], password, where);
            sys.UserLevels[users] = Whole(parts[2], where);
            if (sys.UserLevels[users] < 1 || sys.UserLevels[users] > 4) {
                throw Failure{where + ": level must be 1 to 4"};
            }
            controller = controller || sys.UserLevels[users] == 1;
            ++users;
        } else {
            throw Failure{where + ": unknown field " + key};
        }
    }
    if (!controller) throw Failure{path + ": needs a user of level 1 to sign on first"};
    return sys;
}

std::vector<NominalAccountRecord> BuildChart(const std::string& path) {
    std::vector<NominalAccountRecord> chart(kNominalAccountCount);
    std::vector<bool> seen(kNominalAccountCount);
    for (const auto& [where, line] : Lines(path)) {
        const auto parts = Split(line, '|');
        if (parts.size() != 3) throw Failure{where + ": expected number | name | budget"};
        const int n = Whole(parts[0], where);
        if (n < 0 || n >= kNominalAccountCount) throw Failure{where + ": no such account"};
        if (seen[static_cast<std::size_t>(n)]) throw Failure{where + ": account given twice"};
        seen[static_cast<std::size_t>(n)] = true;
        auto& account = chart[static_cast<std::size_t>(n)];
        SetText(account.AccountName, parts[1], where);
        account.Budget = Number(parts[2], where);
    }
    if (chart[kCapitalStart].AccountName.empty()) {
        throw Failure{path + ": account 80 takes the year's surplus and must be named"};
    }
    return chart;
}

void Write(const std::string& path, const void* bytes, std::size_t size) {
    const std::string temp = path + ".new";
    std::remove(temp.c_str());
    File out;
    if (!CreateEmptyFile(temp) || !out.Open(temp, File::Access::ReadWrite) ||
        !out.WriteAt(0, bytes, size) || !out.Sync()) {
        throw Failure{"cannot write " + path};
    }
    out.Close();
    if (std::rename(temp.c_str(), path.c_str()) != 0) throw Failure{"cannot write " + path};
}

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* kUsage =
        "Usage: tessary-mktemplates SYSTEM.txt CHART.txt OUTPUT-FOLDER\n"
        "Writes the data templates sys.d32 and nomacc.d32 of a new data folder from their\n"
        "readable sources.\n";
    if (const auto status =
            tessary::AnswerHelpOrVersion(std::vector<std::string>(argv + 1, argv + argc),
                                         "tessary-mktemplates", kUsage, std::cout)) {
        return *status;
    }
    if (argc != 4) {
        return tessary::RefuseCommandLine(
            "tessary-mktemplates", "give SYSTEM.txt, CHART.txt and the OUTPUT-FOLDER", std::cerr);
    }
    try {
        SystemRecord sys = BuildSystem(argv[1]);
        const auto chart = BuildChart(argv[2]);
        const std::string out = argv[3];
        ScrambleSystemRecord(sys);
        Write(out + "/sys.d32", &sys, sizeof sys);
        Write(out + "/nomacc.d32", chart.data(), chart.size() * sizeof(NominalAccountRecord));
    } catch (const Failure& f) {
        std::fprintf(stderr, "tessary-mktemplates: %s\n", f.what.c_str());
        return 1;
    }
    return 0;
}
