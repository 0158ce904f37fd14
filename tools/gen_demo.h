#pragma once
// A demonstration co-operative made the way its users would have made it: a year of work done
// on the program's own forms, run after run, from the founding meeting through the monthly
// collections, cash book, bank reconciliations and period ends to the year end and dividend,
// and a little way into the new year. The same date and seed always give the same folder.

#include <cstdint>
#include <string>

namespace tessary::gen {

struct DemoSettings {
    std::string folder;          // the data folder to make; it must hold no data files
    std::string templateFolder;  // where the new-folder templates sys.d32 and nomacc.d32 are
    double date = 0;             // day number of the last day of the history
    std::uint64_t seed = 1;
};

struct DemoSummary {
    int members = 0;
    int loans = 0;
    int memberEntries = 0;    // keyed into member batches
    int cashbookEntries = 0;  // keyed into cash-book batches
    int runs = 0;             // sign-ons of the program
    double yearEnd = 0;       // day number of the year end
    std::string dividendRate;
};

struct DemoOutcome {
    int status = 0;  // 0 made; 1 failed, with nothing left in the folder; 2 refused
    std::string error;
    DemoSummary summary;
};

DemoOutcome GenerateDemo(const DemoSettings& settings);

}  // namespace tessary::gen
