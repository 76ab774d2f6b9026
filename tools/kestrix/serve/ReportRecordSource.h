#pragma once
// The record source built from what tester/report and tester/record offer today: the report's summary row and
// key figures, its pictures as SVG, and its PDF writer.
#include "RecordSource.h"

namespace kx::serve {

class ReportRecordSource : public RecordSource {
public:
    RecordFacts facts(Kestrix::Tester::TestRecordTarvel& record) override;
    RecordContent content(Kestrix::Tester::TestRecordTarvel& record, const LibraryRecord& row) override;
    std::string pdfReport(const std::vector<std::string>& files, const std::string& out,
                          const std::string& title) override;
};

}  // namespace kx::serve
