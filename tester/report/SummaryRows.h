#pragma once
// Summary rows of records (what the report's summary, its page headers and the export show) and their
// totals; the choice of rows for --project, --latest and --fails-only.
#include <string>
#include <vector>

#include "tester/report/ReportModel.h"

namespace Kestrix::Tester {
class TestRecordTarvel;
}
namespace Kestrix::Import {
class ImportFolders;
}

namespace Kestrix::Report {

// The row of a record; project and site as given (the importer's record file holds them), else the record's.
// A record whose tests cannot be read gives what its summary still holds and names the damage.
SummaryRow summaryRow(Tester::TestRecordTarvel& record, const std::string& project, const std::string& site,
                      const std::string& file = "");
// The row of an input that is not a readable result at all.
SummaryRow unreadableRow(const std::string& file, const std::string& reason);

// Project and site from the host record the import folder's index names for a result ("" when there is none).
void projectAndSite(const std::string& resultPath, std::string& project, std::string& site,
                    Import::ImportFolders& folders);

// With `latest`, keeps the latest test of each cable id in each project and site (the last file on a tie)
// and moves the others to `superseded`, each naming the file that replaced it; order is kept.
void keepLatest(std::vector<SummaryRow>& rows, std::vector<SummaryRow>& superseded);

// Failed, conflicting or damaged.
bool needsAttention(const SummaryRow& row);

// "PASS", "PASS*", "FAIL", "PASS ACC.", "NO VERDICT"; "DAMAGED" rows keep their stored word.
std::string statusText(const SummaryRow& row);

}  // namespace Kestrix::Report
