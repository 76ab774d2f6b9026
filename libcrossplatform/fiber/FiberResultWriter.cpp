#include "fiber/FiberResultWriter.h"

#include <cstring>
#include <memory>

#include "fiber/FiberImageTest.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberPowerMeterTest.h"
#include "fiber/FiberSections.h"
#include "serialization/TypeIds.h"

namespace Kestrix {

namespace {

using FiberSections::Part;

// Serializes one part of a test through the member function that writes it.
template <typename T>
class PartWriter : public Marshal::ISerializable {
public:
    using Fn = void (T::*)(Marshal::IObjectWriter&) const;
    PartWriter(const T& test, Fn fn) : _test(test), _fn(fn) {}
    void serialize(Marshal::IObjectWriter& w) const override { (_test.*_fn)(w); }
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader&) override { return Marshal::invalidData; }

private:
    const T& _test;
    Fn _fn;
};

class SectionList {
public:
    bool add(FiberTestType bit, Part part, uint8_t version, const Marshal::ISerializable& object) {
        const uint16_t type = FiberSections::sectionFor(bit, part);
        if (type == 0) return false;
        return add(type, version, object);
    }
    bool add(uint16_t type, uint16_t version, const Marshal::ISerializable& object) {
        _sections.push_back(std::make_unique<PFile::Section>());
        return setResultSection(*_sections.back(), type, version, object) == 0;
    }
    std::vector<PFile::Section*> pointers() const {
        std::vector<PFile::Section*> out;
        for (const auto& s : _sections) out.push_back(s.get());
        return out;
    }

private:
    std::vector<std::unique_ptr<PFile::Section>> _sections;
};

bool addOtdr(SectionList& list, const FiberOtdrTest& t) {
    const FiberTestType bit = t.summary.testType;
    if (!list.add(bit, Part::otdrBody, Marshal::TypeIds::FiberOtdrTestBody.version,
                  PartWriter<FiberOtdrTest>(t, &FiberOtdrTest::serializeBody)))
        return false;
    if (t.plots.plotCount() > 0 && !list.add(bit, Part::otdrPlots, Marshal::TypeIds::FiberOtdrPlots.version,
                                             PartWriter<FiberOtdrTest>(t, &FiberOtdrTest::serializePlots)))
        return false;
    if (t.rawData.compressedLength() > 0 &&
        !list.add(bit, Part::otdrRawData, Marshal::TypeIds::FiberOtdrRawData.version,
                  PartWriter<FiberOtdrTest>(t, &FiberOtdrTest::serializeRawData)))
        return false;
    return true;
}

bool addTest(SectionList& list, const FiberTest& test) {
    switch (test.testKind()) {
        case FiberTest::Kind::otdr: return addOtdr(list, static_cast<const FiberOtdrTest&>(test));
        case FiberTest::Kind::lossLength:
            return list.add(FiberTestType::lossLength, Part::lossLength, Marshal::TypeIds::FiberLossLengthTest.version,
                            test);
        case FiberTest::Kind::powerMeter:
            return list.add(test.summary.testType, Part::powerMeter, Marshal::TypeIds::FiberPowerMeterTest.version,
                            test);
        case FiberTest::Kind::image: {
            const auto& t = static_cast<const FiberImageTest&>(test);
            return list.add(t.summary.testType, Part::imageBody, Marshal::TypeIds::FiberImageTestBody.version,
                            PartWriter<FiberImageTest>(t, &FiberImageTest::serializeBody)) &&
                   list.add(t.summary.testType, Part::image, Marshal::TypeIds::FiberImage.version, t.image);
        }
    }
    return false;
}

}  // namespace

ResultWriterStatus FiberResultWriter::writeResult(const FiberResult& result, std::vector<uint8_t>& out) {
    out.clear();
    SectionList list;
    if (!list.add(PFile::SectionType::ResultSummary, Marshal::TypeIds::ResultSummary.version, result.summary))
        return ResultWriterStatus::failed;
    for (const auto& t : result.tests)
        if (!addTest(list, *t)) return ResultWriterStatus::failed;
    out = PFile::buildContainer(list.pointers());
    return out.empty() ? ResultWriterStatus::failed : ResultWriterStatus::success;
}

ResultWriterStatus FiberResultWriter::writeResultBuffer(uint8_t* buffer, uint32_t capacity, uint32_t& written,
                                                        const FiberResult& result) {
    written = 0;
    std::vector<uint8_t> bytes;
    if (writeResult(result, bytes) != ResultWriterStatus::success) return ResultWriterStatus::failed;
    if (buffer == nullptr || bytes.size() > capacity) return ResultWriterStatus::failed;
    std::memcpy(buffer, bytes.data(), bytes.size());
    written = static_cast<uint32_t>(bytes.size());
    return ResultWriterStatus::success;
}

}  // namespace Kestrix
