#pragma once
// Records holding no number where an amount or a date belongs (NaN or an infinity): the mark
// of a damaged data file. The Reports menu notes the damaged fields of the records a report
// reads (NoteDamage), runs the report, ends it with WriteDamagedRecords and tells the user
// once. Meanwhile the amount cells show "DAMAGED" (Money11) and the report routines keep such
// values out of their totals (AddToTotal in report.h).

#include <string>
#include <vector>

#include "core/records.h"
#include "reports/report.h"
#include "reports/rows.h"

namespace tessary {

// Told once a report run, over the viewer, when the report names damaged records.
inline constexpr const char* kMsgDamagedRecords =
    "The data holds damaged records - see the end of the report";

// Each adds the name of every damaged field to `names`, in record order: "member 12, Share1",
// "account 112, Budget", "member log entry 57 (member 12), Amount", and so on.
void NoteDamage(const std::vector<MemberRecord>& members, std::vector<std::string>& names);
void NoteDamage(const std::vector<NominalAccountRecord>& accounts, std::vector<std::string>& names);
void NoteDamage(const std::vector<MemberLogEntry>& log, std::vector<std::string>& names);
void NoteDamage(const std::vector<NominalLogEntry>& log, std::vector<std::string>& names);
void NoteDamage(const std::vector<SyslogRecord>& log, std::vector<std::string>& names);
void NoteDamage(const SystemRecord& system, std::vector<std::string>& names);

// The end of a report on damaged data: an empty row, "Damaged record: " and the name for
// each, and how their amounts were treated. Nothing when `names` is empty.
void AddDamagedRecords(const std::vector<std::string>& names, ReportRows& rows);
// The same as text.
void WriteDamagedRecords(const std::vector<std::string>& names, const LineSink& out);

}  // namespace tessary
