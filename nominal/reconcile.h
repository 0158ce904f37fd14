#pragma once
// The bank reconciliation's working, without its form: the nominal log a page at a time, each
// entry's bank effect and mark, and the reconciled total. The form shows the rows and passes
// on the user's ticks; the amounts it adds up are the entries' own, never read back from text.
//
// In the order the form calls it: Start once the set is open for update, Load a page, Toggle
// rows, Save the page before another is loaded or the set is closed.

#include <cstdint>
#include <vector>

#include "core/records.h"
#include "core/state.h"

namespace tessary {

class Reconciliation {
  public:
    static constexpr int kRows = 23;

    struct Row {
        NominalLogEntry entry;
        double effect = 0;  // what the bank account gains (or loses, when negative) by it
        bool ticked = false;
    };

    // Counts the log's entries and starts the reconciled total at `yearStartBalance` (the bank
    // account's) plus the effect of every entry already ticked.
    void Start(const RunState& state, double yearStartBalance);
    // Reads page `page` of the log (the last page when beyond it).
    void Load(const RunState& state, std::int64_t page);
    // Ticks or unticks row `r` of the page; false when the row holds no entry.
    bool Toggle(int r);
    // Writes the page's marks to the log through the update run's checked writes.
    void Save(RunState& state) const;

    const std::vector<Row>& rows() const { return rows_; }
    double reconciled() const { return reconciled_; }
    std::int64_t page() const { return page_; }
    std::int64_t lastPage() const { return lastPage_; }

  private:
    std::vector<Row> rows_;
    double reconciled_ = 0;
    std::int64_t page_ = 0;
    std::int64_t lastPage_ = 0;
};

}  // namespace tessary
