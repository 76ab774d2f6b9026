#pragma once
// The record source of the report: the report's summary row for the facts, its record page through the HTML
// sink's blocks, its pictures drawn as SVG when asked for, and its PDF writer.
#include "RecordSource.h"

namespace kx::serve {

class ReportRecordSource : public RecordSource {
public:
    RecordFacts facts(Kestrix::Tester::TestRecordTarvel& record, const LibraryRecord& row,
                      const std::string& file) override;
    RecordContent content(Kestrix::Tester::TestRecordTarvel& record, const LibraryRecord& row, const std::string& file,
                          const std::function<std::string(size_t)>& plotUrl) override;
    std::string pdfReport(const std::vector<std::string>& files, const std::string& out,
                          const Kestrix::Report::ReportOptions& options) override;
};

}  // namespace kx::serve
