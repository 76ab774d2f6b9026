#include "copper/CopperResultReader.h"

namespace Kestrix {

ResultReaderStatus CopperResultReader::readResult(CopperResult& result, const uint8_t* buffer, uint32_t size) {
    const auto testOf = [&result]() -> CopperTest& {
        if (!result.test) result.test = std::make_shared<CopperTest>();
        return *result.test;
    };
    const auto st = readResultSections(buffer, size, [&](const PFile::Section& section) {
        switch (section.type()) {
            case PFile::SectionType::ResultSummary:
                return readSummarySection(section, result.summary, ResultType::COPPER);
            case PFile::SectionType::CopperTestBody: return readSectionObject(section, testOf().body);
            case PFile::SectionType::CopperPlots: return readSectionObject(section, testOf().plots);
            case PFile::SectionType::CopperRawData: return readSectionObject(section, testOf().rawData);
            default: return ResultReaderStatus::badData;
        }
    });
    if (st == ResultReaderStatus::success && result.test && !result.test->completeRead())
        return ResultReaderStatus::badData;
    return st;
}

}  // namespace Kestrix
