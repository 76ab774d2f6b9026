#pragma once
// The report as an A4 PDF: each page starts a sheet; blocks flow down it, a table that runs out of room goes
// on over the next sheet under its header again, and pictures shrink (to 60 %) before they move on.
#include <memory>
#include <string>

#include "tester/report/ReportModel.h"

namespace Kestrix::Report {

std::unique_ptr<ReportSink> pdfSink(const std::string& path, const ReportDocument& document);

}  // namespace Kestrix::Report
