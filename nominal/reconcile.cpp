#include "nominal/reconcile.h"

#include <algorithm>
#include <cmath>

#include "core/update.h"
#include "nominal/posting.h"

namespace tessary {

namespace {

// A damaged amount cannot be added up; it is left out rather than spoil the total.
double Countable(double effect) {
    return std::isfinite(effect) ? effect : 0;
}

bool ReadEntry(const RunState& state, std::uint64_t n, NominalLogEntry& e) {
    return state.Files[DataFile::NomLog].ReadAt(n * kNominalLogEntrySize, RecordBytes(e),
                                                kNominalLogEntrySize) == kNominalLogEntrySize;
}

}  // namespace

void Reconciliation::Start(const RunState& state, double yearStartBalance) {
    reconciled_ = yearStartBalance;
    std::uint64_t count = 0;
    NominalLogEntry e;
    while (ReadEntry(state, count, e)) {
        if (e.Reconciled != 0) reconciled_ += Countable(BankEffect(e.AccountNo, e.Amount));
        ++count;
    }
    lastPage_ = static_cast<std::int64_t>(count / kRows);
    rows_.clear();
    page_ = 0;
}

void Reconciliation::Load(const RunState& state, std::int64_t page) {
    page_ = std::clamp<std::int64_t>(page, 0, lastPage_);
    rows_.clear();
    for (int r = 0; r < kRows; ++r) {
        Row row;
        if (!ReadEntry(state, static_cast<std::uint64_t>(page_ * kRows + r), row.entry)) break;
        row.effect = BankEffect(row.entry.AccountNo, row.entry.Amount);
        row.ticked = row.entry.Reconciled != 0;
        rows_.push_back(row);
    }
}

bool Reconciliation::Toggle(int r) {
    if (r < 0 || r >= static_cast<int>(rows_.size())) return false;
    Row& row = rows_[static_cast<std::size_t>(r)];
    row.ticked = !row.ticked;
    reconciled_ += row.ticked ? Countable(row.effect) : -Countable(row.effect);
    return true;
}

void Reconciliation::Save(RunState& state) const {
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const auto n = static_cast<std::uint64_t>(page_ * kRows) + r;
        // Read afresh, so that only the mark is written over what the log holds.
        NominalLogEntry e;
        if (!ReadEntry(state, n, e)) break;
        e.Reconciled = rows_[r].ticked ? 1 : 0;
        WriteData(state, DataFile::NomLog, n * kNominalLogEntrySize, RecordBytes(e),
                  kNominalLogEntrySize);
    }
}

}  // namespace tessary
