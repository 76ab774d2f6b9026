#include "SimStockResults.h"

#include <memory>
#include <stdexcept>
#include <variant>

#include "common/PFile.h"
#include "common/ResultEnvelope.h"
#include "copper/CopperBuilders.h"
#include "copper/CopperResultWriter.h"
#include "copper/CopperTest.h"
#include "copper/LimitBuilders.h"
#include "fiber/FiberBuilders.h"
#include "fiber/FiberImageTest.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberOtdrBidiAvg.h"
#include "fiber/FiberPowerMeterTest.h"
#include "fiber/FiberResultWriter.h"
#include "fiber/OtdrBuilders.h"

namespace Kestrix::Sim {
namespace {

// A field OTDR trace: a few thousand points per wavelength.
constexpr uint32_t kTraceSamples = 6000;
// The scale runs' OTDR results carry short traces so that ten thousand of them stay cheap.
constexpr uint32_t kVariantTraceSamples = 800;

DisplayMeas metres(int32_t tenths) {
    return DisplayMeas(ScaledInt::raw(tenths, ScaledInt::tenths), DisplayType::normal);
}
DisplayMeas noLength() { return DisplayMeas(ScaledInt::nan(ScaledInt::tenths), DisplayType::notAvailable); }

void countTests(ResultSummary& s, const FiberResult& r) {
    s.testFlags = 0;
    s.numPassTests = s.numPassStarTests = s.numFailTests = 0;
    bool failed = false;
    for (const auto& t : r.tests) {
        s.testFlags |= static_cast<uint32_t>(t->summary.testType);
        switch (t->summary.status) {
            case Status::pass:
            case Status::passAcceptable: ++s.numPassTests; break;
            case Status::passStar: ++s.numPassStarTests; break;
            case Status::fail:
            case Status::failStar:
                ++s.numFailTests;
                failed = true;
                break;
            default: break;
        }
    }
    if (s.status == Status::notSet) {
        s.status = failed ? Status::fail : (s.numPassTests + s.numPassStarTests > 0 ? Status::pass : Status::show);
    }
}

FiberResult fiberResult(const std::string& name, int64_t when, DisplayMeas length) {
    FiberResult r;
    r.summary = kx::test::fiberSummary(name.c_str());
    r.summary.timeStamp = when;
    r.summary.status = Status::notSet;
    r.summary.length = length;
    return r;
}

template <typename T>
T& addTest(FiberResult& r, T test, int64_t when) {
    test.summary.timestamp = when;
    return static_cast<T&>(r.addTest(std::make_unique<T>(std::move(test))));
}

FiberOtdrTest otdrAs(FiberTestType type, CableEnd end, uint32_t samples) {
    FiberOtdrTest t = kx::test::otdrTest(end, samples);
    t.summary.testType = type;
    return t;
}

std::vector<uint8_t> write(FiberResult& r) {
    countTests(r.summary, r);
    std::vector<uint8_t> bytes;
    if (FiberResultWriter::writeResult(r, bytes) != ResultWriterStatus::success) {
        throw std::runtime_error("cannot write the stocked fiber result " + r.summary.resultName);
    }
    return bytes;
}

std::vector<uint8_t> write(const CopperTestPtr& test, const std::string& name) {
    CopperResult r;
    r.summary.resultName = name;
    r.summary.resultType = ResultType::COPPER;
    r.mergeCopperTest(test, false);
    auto bytes = CopperResultWriter::writeResult(r);
    if (bytes.empty()) throw std::runtime_error("cannot write the stocked copper result " + name);
    return bytes;
}

std::vector<uint8_t> otdrFile(StockKind kind, const std::string& name, int64_t when, uint32_t samples) {
    FiberResult r = fiberResult(name, when, metres(20004));
    switch (kind) {
        case StockKind::otdrEnd1:
        case StockKind::otdrEnd2: {
            const bool two = kind == StockKind::otdrEnd2;
            addTest(r, kx::test::otdrTest(two ? CableEnd::end2 : CableEnd::end1, samples), when);
            break;
        }
        case StockKind::otdrBothEnds:
        case StockKind::otdrBidi: {
            auto& one = addTest(r, kx::test::otdrTest(CableEnd::end1, samples), when - 1800);
            auto& two = addTest(r, kx::test::otdrTest(CableEnd::end2, samples), when - 600);
            if (kind == StockKind::otdrBidi) {
                auto bidi = createBidiTest(one, two, when);
                auto* made = std::get_if<std::unique_ptr<FiberOtdrTest>>(&bidi);
                if (made == nullptr || !*made) throw std::runtime_error("the stocked OTDR tests do not combine");
                r.addTest(std::move(*made));
            }
            break;
        }
        case StockKind::faultMap:
            r.summary.length = metres(11024);
            addTest(r, otdrAs(FiberTestType::faultMap, CableEnd::end1, samples), when);
            break;
        default:
            r.summary.length = noLength();
            addTest(r, otdrAs(FiberTestType::realTimeTraceEnd1, CableEnd::end1, samples), when);
            r.summary.status = Status::show;
            break;
    }
    return write(r);
}

std::vector<uint8_t> imageFile(const std::string& name, int64_t when) {
    FiberResult r = fiberResult(name, when, noLength());
    addTest(r, kx::test::imageTest(FiberTestType::imageEnd1), when - 120);
    auto end2 = kx::test::imageTest(FiberTestType::imageEnd2);
    end2.summary.status = Status::pass;
    end2.featureObjects.resize(1);
    end2.featureObjects[0].status = Status::pass;
    addTest(r, std::move(end2), when);
    return write(r);
}

FiberLossLengthTest passingLossLength() {
    FiberLossLengthTest t = kx::test::lossLengthTest();
    t.summary.status = Status::pass;
    auto& worst = t.testPerDirectionWlVec.back();
    worst.power = FiberPower(-22.05f, ScaledInt::hundredths, FiberPower::microwatts, ScaledInt::tenths);
    for (auto& check : worst.limitResults.results) check.status = Status::pass;
    t.headroom = DisplayMeas(ScaledInt(0.62f, ScaledInt::hundredths), DisplayType::normal);
    return t;
}

std::vector<uint8_t> lossLengthFile(bool pass, const std::string& name, int64_t when) {
    FiberResult r = fiberResult(name, when, metres(1483));
    addTest(r, pass ? passingLossLength() : kx::test::lossLengthTest(), when);
    r.summary.headroom = r.tests.back()->summary.status == Status::pass
                             ? DisplayMeas(ScaledInt(0.62f, ScaledInt::hundredths), DisplayType::normal)
                             : r.summary.headroom;
    return write(r);
}

std::vector<uint8_t> powerMeterFile(const std::string& name, int64_t when) {
    FiberResult r = fiberResult(name, when, noLength());
    r.summary.headroom = noLength();
    addTest(r, kx::test::powerMeterTest(), when - 300);
    auto end2 = kx::test::powerMeterTest();
    end2.summary.testType = FiberTestType::powerMeterEnd2;
    end2.summary.cableEnd = CableEnd::end2;
    addTest(r, std::move(end2), when);
    r.summary.status = Status::show;
    return write(r);
}

CopperTestPtr copperTest(int64_t when, bool fail) {
    auto test = kx::test::cat6APermanentLinkTest();
    test->body.timestamp = when;
    if (fail) {
        // A loose punch-down: pair 3 far over its loop resistance.
        for (auto& s : test->body.scalars) {
            if (s.copperTestType == CopperTestType::resist && s.wirePair == WirePair::pair3) s.value = 31.6f;
        }
        test->recertify(test->body.settings.nvp.toFloat());
    }
    return test;
}

CopperTestPtr coaxTest(int64_t when) {
    auto test = kx::test::cat6APermanentLinkTest();
    CopperTestBody& b = test->body;
    b.timestamp = when;
    b.settings.nvp = ScaledInt::raw(850, ScaledInt::tenths);
    b.settings.cableTypeName = "RG6 Coax";
    b.settings.outletConfiguration = "Coax";
    b.settings.testLimitName = "Coax RG6 75 Ohm";
    b.settings.shieldTest = false;
    b.cable.name = "RG6 Coax";
    b.cable.nvp = b.settings.nvp;
    b.cable.impedance = 75;
    b.cable.copperShield = CopperCable::Shield::notUsed;
    b.cable.catId = CopperCable::CatId::coax;
    auto limit = std::make_shared<CopperLimit>(*b.limit);
    limit->name = "Coax RG6 75 Ohm";
    limit->mediaType = CopperLimit::MediaType::coax;
    limit->freqLimits.clear();
    limit->scalarLimits = {
        kx::test::scalarLimit(CopperScalarLimitType::length, ScaledInt::raw(1000, ScaledInt::tenths)),
        kx::test::scalarLimit(CopperScalarLimitType::resistance, ScaledInt::raw(200, ScaledInt::tenths)),
    };
    b.limit = limit;
    b.scalars = {
        kx::test::scalar(CopperTestType::resist, WirePair::pair2, 4.2f, ScaledInt::tenths),
        kx::test::scalar(CopperTestType::delay, WirePair::pair2, 162.0f, ScaledInt::ones),
        kx::test::scalar(CopperTestType::length, WirePair::pair2, 41.3f, ScaledInt::tenths),
    };
    b.faultInfo.cableElements.clear();
    b.faultInfo.totalLength = 413;
    b.faultInfo.numConnectors = 2;
    test->plots.plots.clear();
    test->rawData = {};
    test->recertify(b.settings.nvp.toFloat());
    return test;
}

}  // namespace

std::vector<uint8_t> stockResult(StockKind kind, const std::string& cableId, int64_t when) {
    switch (kind) {
        case StockKind::otdrEnd1:
        case StockKind::otdrEnd2:
        case StockKind::otdrBothEnds:
        case StockKind::otdrBidi:
        case StockKind::faultMap:
        case StockKind::realTimeTrace: return otdrFile(kind, cableId, when, kTraceSamples);
        case StockKind::endFaceImage: return imageFile(cableId, when);
        case StockKind::lossLength: return lossLengthFile(false, cableId, when);
        case StockKind::lossLengthPass: return lossLengthFile(true, cableId, when);
        case StockKind::powerMeter: return powerMeterFile(cableId, when);
        case StockKind::copperPass: return write(copperTest(when, false), cableId);
        case StockKind::copperFail: return write(copperTest(when, true), cableId);
        case StockKind::coax: return write(coaxTest(when), cableId);
    }
    throw std::logic_error("unknown stock kind");
}

StockVariants::StockVariants(StockMix mix) {
    constexpr int64_t when = 1790000000;
    if (mix == StockMix::copper) {
        _templates.push_back({ResultType::COPPER, write(copperTest(when, false), "T")});
        _templates.push_back({ResultType::COPPER, write(copperTest(when, true), "T")});
        return;
    }
    if (mix == StockMix::otdr) {
        _templates.push_back({ResultType::FIBER, otdrFile(StockKind::otdrBothEnds, "T", when, kTraceSamples)});
        return;
    }
    _templates.push_back({ResultType::FIBER, lossLengthFile(true, "T", when)});
    _templates.push_back({ResultType::COPPER, write(copperTest(when, false), "T")});
    _templates.push_back({ResultType::FIBER, otdrFile(StockKind::otdrBothEnds, "T", when, kVariantTraceSamples)});
    _templates.push_back({ResultType::FIBER, lossLengthFile(false, "T", when)});
    _templates.push_back({ResultType::COPPER, write(copperTest(when, true), "T")});
    _templates.push_back({ResultType::FIBER, powerMeterFile("T", when)});
}

ResultType StockVariants::type(size_t index) const { return _templates[index % _templates.size()].type; }

std::vector<uint8_t> StockVariants::make(size_t index, ResultSummary summary) const {
    const Template& t = _templates[index % _templates.size()];
    summary.resultType = t.type;
    PFile::MemReader reader;
    if (reader.open(t.bytes) != 0) return {};
    std::vector<std::unique_ptr<PFile::Section>> sections;
    sections.push_back(std::make_unique<PFile::Section>());
    if (reader.read(*sections.back(), false) != 0) return {};  // the template's own summary, replaced below
    if (setResultSection(*sections.back(), PFile::SectionType::ResultSummary, 1, summary) != 0) return {};
    for (;;) {
        auto s = std::make_unique<PFile::Section>();
        const int32_t rc = reader.read(*s, false);
        if (rc == -2) break;
        if (rc != 0) return {};
        sections.push_back(std::move(s));
    }
    std::vector<PFile::Section*> parts;
    for (auto& s : sections) parts.push_back(s.get());
    return PFile::buildContainer(parts);
}

}  // namespace Kestrix::Sim
