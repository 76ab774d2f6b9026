#include "fiber/FiberResultReader.h"

#include <boost/container/flat_map.hpp>

#include "fiber/FiberImageTest.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberPowerMeterTest.h"
#include "fiber/FiberSections.h"
#include "serialization/ByteStreamReader.h"

namespace Kestrix {

namespace {

using FiberSections::Part;

// Reads one part of a test through the member function that owns that part.
template <typename T, typename Fn>
ResultReaderStatus readPart(const PFile::Section& section, T& test, Fn read) {
    Marshal::ByteStreamReader reader(section.data(), section.size());
    return mapReadStatus((test.*read)(reader));
}

class Dispatch {
public:
    explicit Dispatch(FiberResult& result) : _result(result) {}

    ResultReaderStatus operator()(const PFile::Section& section) {
        if (section.data() == nullptr || section.size() == 0) return ResultReaderStatus::badContainer;
        if (section.type() == PFile::SectionType::ResultSummary)
            return readSummarySection(section, _result.summary, ResultType::FIBER);
        const FiberSections::Entry* entry = FiberSections::find(section.type());
        if (!entry) return ResultReaderStatus::badData;
        switch (entry->part) {
            case Part::otdrBody:
                return readPart(section, test<FiberOtdrTest>(entry->testBit), &FiberOtdrTest::deserializeBody);
            case Part::otdrPlots:
                return readPart(section, test<FiberOtdrTest>(entry->testBit), &FiberOtdrTest::deserializePlots);
            case Part::otdrRawData:
                return readPart(section, test<FiberOtdrTest>(entry->testBit), &FiberOtdrTest::deserializeRawData);
            case Part::lossLength: return readSectionObject(section, test<FiberLossLengthTest>(entry->testBit));
            case Part::powerMeter: return readSectionObject(section, test<FiberPowerMeterTest>(entry->testBit));
            case Part::imageBody:
                return readPart(section, test<FiberImageTest>(entry->testBit), &FiberImageTest::deserializeBody);
            case Part::image: return readSectionObject(section, test<FiberImageTest>(entry->testBit).image);
        }
        return ResultReaderStatus::badData;
    }

private:
    // Sections with the same bit belong to one test object, even when a body's own summary names
    // another type than its section.
    template <typename T>
    T& test(FiberTestType bit) {
        auto it = _byBit.find(bit);
        if (it != _byBit.end())
            if (auto* typed = dynamic_cast<T*>(it->second)) return *typed;
        T& created = testFor<T>(bit);
        _byBit[bit] = &created;
        return created;
    }

    template <typename T>
    T& testFor(FiberTestType bit);

    FiberResult& _result;
    boost::container::flat_map<FiberTestType, FiberTest*> _byBit;
};

template <>
FiberOtdrTest& Dispatch::testFor<FiberOtdrTest>(FiberTestType bit) {
    return _result.otdrTest(bit);
}
template <>
FiberLossLengthTest& Dispatch::testFor<FiberLossLengthTest>(FiberTestType bit) {
    return _result.lossLengthTest(bit);
}
template <>
FiberImageTest& Dispatch::testFor<FiberImageTest>(FiberTestType bit) {
    return _result.imageTest(bit);
}
template <>
FiberPowerMeterTest& Dispatch::testFor<FiberPowerMeterTest>(FiberTestType bit) {
    return _result.powerMeterTest(bit);
}

}  // namespace

ResultReaderStatus FiberResultReader::readResult(FiberResult& result, const uint8_t* buffer, uint32_t size) {
    Dispatch dispatch(result);
    return readResultSections(buffer, size, [&](const PFile::Section& s) { return dispatch(s); });
}

}  // namespace Kestrix
