#pragma once
// The certification report: a summary of every record (one row each, with totals) followed by one page per
// record; as an A4 PDF, or as one self-contained HTML document. Each input is read once: the rows and pages
// made from it go to whichever sink the output asks for.
#include <string>
#include <vector>

#include "tester/report/ReportModel.h"

namespace Kestrix::Report {

// The result files named: files as they are, folders searched (recursively) for "*.result", sorted by
// path. "" or why not (a missing input, no result file at all).
std::string collectInputs(const std::vector<std::string>& inputs, std::vector<std::string>& files);

// Reads every file once into rows and (with `pages`) pages. Inputs that cannot be read in full are named in
// `unreadable` ("path: why"); with options.keepGoing they become damaged rows and pages, else nothing else is
// kept. "" or why not (the logo cannot be read, no record of the project asked for).
std::string buildReport(const std::vector<std::string>& files, const ReportOptions& options, ReportDocument& document,
                        std::vector<std::string>& unreadable, bool pages = true);
// The message naming every unreadable input, one a line.
std::string unreadableMessage(const std::vector<std::string>& unreadable, bool reported);

// The summary page of a built report.
RecordPage summaryPage(const ReportDocument& document);

// Builds and writes the report through a temporary name. "" or why not; an unreadable input fails the report
// (naming every one) unless options.keepGoing, which writes it and names them in `damaged`.
std::string writeReport(const std::vector<std::string>& files, const std::string& out, const ReportOptions& options,
                        std::vector<std::string>* damaged = nullptr);

}  // namespace Kestrix::Report
