#include "copper/CopperBuilders.h"

#include <cmath>
#include <utility>

#include "Wiring.h"
#include "copper/CopperLimit.h"
#include "copper/CopperResultWriter.h"
#include "copper/CopperUtil.h"
#include "copper/LimitBuilders.h"

using namespace Kestrix;

namespace kx::test {

CopperOutletConfig t568bOutlet(std::vector<int> pairs) {
    // The standard's colours for the pairs asked for.
    const CopperOutletConfig all = Kestrix::LinkGen::outletConfig(Kestrix::LinkGen::Wiring::t568B);
    CopperOutletConfig oc;
    oc.name = all.name;
    for (int p : pairs)
        if (const CopperOutletConfigArtifact* a = all.artifactFor(static_cast<WirePair>(p))) oc.artifacts.push_back(*a);
    return oc;
}

Wiremap straightThroughWiremap() {
    Wiremap w;
    w.status = Status::pass;
    for (int pin = 1; pin <= 9; ++pin) {
        WiremapArtifactConnected c;
        c.mainPin = static_cast<Pin>(pin);
        c.remotePin = static_cast<Pin>(pin);
        w.connections.push_back(c);
    }
    return w;
}

CopperPlotPtr samplePlot(CopperTestType type, CableEnd end, WirePair src, WirePair rcv, std::vector<int16_t> samples) {
    auto p = std::make_shared<CopperPlot>(type, end, src, rcv);
    p->data = std::move(samples);
    p->endIndex = p->data.empty() ? 0 : static_cast<uint32_t>(p->data.size() - 1);
    return p;
}

// A plot with samples dbAt(MHz) in tenths of a dB at every grid index up to maxKHz.
static CopperPlotPtr gridPlot(CopperTestType type, CableEnd end, WirePair src, WirePair rcv, int maxKHz,
                              const std::function<double(double)>& dbAt) {
    return samplePlot(type, end, src, rcv, gridCurve(maxKHz, dbAt));
}

CopperScalar scalar(CopperTestType type, WirePair pair, float value, ScaledInt::ScaledTo scale, CableEnd end,
                    WirePair pair2) {
    CopperScalar s;
    s.copperTestType = type;
    s.wirePair = pair;
    s.wirePair2 = pair2;
    s.value = value;
    s.scaledTo = scale;
    s.cableEnd = end;
    return s;
}

// The measured plots of the link: 4 insertion-loss plots (main end), 12 NEXT plots (every ordered pair
// combination), 6 FEXT plots and 4 return-loss plots per end, with 3.5 to 9 dB of margin against the limit.
static std::vector<CopperPlotPtr> cat6APlots() {
    std::vector<CopperPlotPtr> plots;
    const CableEnd ends[] = {CableEnd::main, CableEnd::remote};
    for (int k = 1; k <= 4; ++k) {
        const double share = 0.80 + 0.03 * k;
        plots.push_back(gridPlot(CopperTestType::il, CableEnd::main, static_cast<WirePair>(k), static_cast<WirePair>(k),
                                 kCat6AMaxKHz, [share](double f) { return share * cat6APlInsertionLossDb(f); }));
    }
    for (CableEnd end : ends) {
        const double endOffset = end == CableEnd::main ? 0.0 : 0.7;
        for (int a = 1; a <= 4; ++a) {
            for (int b = 1; b <= 4; ++b) {
                if (a == b) continue;
                const double margin = 5.0 + 0.5 * a + 0.25 * b + endOffset;
                plots.push_back(gridPlot(CopperTestType::next, end, static_cast<WirePair>(a), static_cast<WirePair>(b),
                                         kCat6AMaxKHz, [margin, a, b](double f) {
                                             return cat6APlNextDb(f) + margin + 1.5 * std::sin(f / (7.0 + a + b));
                                         }));
            }
        }
        // FEXT as received: equal-level crosstalk with margin over the ACR-F limit, plus the receiving pair's loss.
        for (int a = 1; a <= 4; ++a) {
            for (int b = a + 1; b <= 4; ++b) {
                const double margin = 5.0 + 0.3 * a + 0.2 * b + endOffset;
                const double share = 0.80 + 0.03 * b;
                plots.push_back(gridPlot(CopperTestType::fext, end, static_cast<WirePair>(a), static_cast<WirePair>(b),
                                         kCat6AMaxKHz, [margin, share, a, b](double f) {
                                             return cat6APlAcrFDb(f) + margin + std::sin(f / (5.0 + a + b)) +
                                                    share * cat6APlInsertionLossDb(f);
                                         }));
            }
        }
        for (int k = 1; k <= 4; ++k) {
            const double margin = 4.0 + 0.4 * k + endOffset;
            plots.push_back(gridPlot(
                CopperTestType::rl, end, static_cast<WirePair>(k), static_cast<WirePair>(k), kCat6AMaxKHz,
                [margin, k](double f) { return cat6APlReturnLossDb(f) + margin + 0.5 * std::cos(f / (3.0 + k)); }));
        }
    }
    return plots;
}

namespace {

EquipmentInformation equipment(const char* serial, int32_t moduleId) {
    EquipmentInformation e;
    e.softwareVersion = "4.2.1";
    e.modelIdStr = "Ombrel2";
    e.modelHardwareRevision = 3;
    e.modelSerialNumber = serial;
    e.moduleId = moduleId;
    e.moduleHardwareRevision = 2;
    e.moduleSerialNumber = std::string(serial) + "-M";
    e.moduleCalibrationTime = 1767225600;
    e.liaId = 1;
    e.liaSerialNumber = std::string(serial) + "-L";
    e.liaCalibrationTime = 1767225600;
    e.moduleFirstUseDate = 1735689600;
    return e;
}

CopperRawData rawData() {
    CopperRawData raw;
    auto il = std::make_shared<CopperRawDataPlot>();
    il->testType = CopperTestType::il;
    il->cableEnd = CableEnd::main;
    il->srcPair = il->rcvPair = WirePair::pair1;
    auto next = std::make_shared<CopperRawDataPlot>();
    next->testType = CopperTestType::next;
    next->cableEnd = CableEnd::main;
    next->srcPair = WirePair::pair1;
    next->rcvPair = WirePair::pair2;
    for (int i = 0; i < 64; ++i) {
        const double f = idxToKHz(i) / 1000.0;
        il->real.push_back(static_cast<float>(std::cos(f / 5.0) * std::pow(10.0, -cat6APlInsertionLossDb(f) / 20.0)));
        il->imaginary.push_back(
            static_cast<float>(std::sin(f / 5.0) * std::pow(10.0, -cat6APlInsertionLossDb(f) / 20.0)));
    }
    for (int i = 0; i < 48; ++i) next->real.push_back(static_cast<float>(-cat6APlNextDb(idxToKHz(i) / 1000.0) - 8.0));
    raw.plots = {il, next};
    return raw;
}

}  // namespace

CopperTestPtr cat6APermanentLinkTest() {
    auto test = std::make_shared<CopperTest>();
    CopperTestBody& b = test->body;
    b.copperTestType = CopperTestType::autoTest;
    b.timestamp = 1780000000;
    b.operatorName = "J. Doe";
    b.settings.nvp = ScaledInt::raw(690, ScaledInt::tenths);
    b.settings.cableTypeName = "Cat 6A U/FTP";
    b.settings.outletConfiguration = "T568B";
    b.settings.testLimitName = "TIA Cat 6A Perm. Link";
    b.settings.shieldTest = true;
    b.settings.storePlotData = CopperSettings::StorePlotData::standard;
    b.mainEquipInfo = equipment("OM2-100234", 302);
    b.remoteEquipInfo = equipment("OM2-100235", 302);
    b.cable.name = "Cat 6A U/FTP";
    b.cable.nvp = ScaledInt::raw(690, ScaledInt::tenths);
    b.cable.impedance = 100;
    b.cable.copperShield = CopperCable::Shield::UFTP;
    b.cable.catId = CopperCable::CatId::cat6A;
    b.cable.tdLossTan = 0.0021f;
    b.cable.tdP0 = 1.8f;
    b.cable.dbPkgMfstSummary.customerVersion.major = 10;
    b.cable.dbPkgMfstSummary.customerVersion.minor = 2;
    b.limit = std::make_shared<CopperLimit>(cat6APermanentLinkLimit());
    b.outletConfig = t568bOutlet();
    b.wiremap = straightThroughWiremap();

    for (int k = 1; k <= 4; ++k) {
        const auto pair = static_cast<WirePair>(k);
        const float delay = 300.0f + 2.0f * static_cast<float>(k);
        b.scalars.push_back(
            scalar(CopperTestType::resist, pair, 7.4f + 0.1f * static_cast<float>(k), ScaledInt::tenths));
        b.scalars.push_back(scalar(CopperTestType::resistParallel, pair, 3.7f, ScaledInt::tenths));
        b.scalars.push_back(scalar(CopperTestType::delay, pair, delay, ScaledInt::ones));
        b.scalars.push_back(scalar(CopperTestType::length, pair, 0.0f, ScaledInt::tenths));
        b.scalars.push_back(scalar(CopperTestType::skew, pair, 2.0f * static_cast<float>(k - 1), ScaledInt::ones));
        b.scalars.push_back(scalar(CopperTestType::unbalance, pair, 0.04f, ScaledInt::hundredths));
    }
    b.scalars.push_back(scalar(CopperTestType::p2pUnbalance, WirePair::pair1, 0.06f, ScaledInt::hundredths,
                               CableEnd::main, WirePair::pair2));
    b.scalars.push_back(scalar(CopperTestType::p2pUnbalance, WirePair::pair3, 0.05f, ScaledInt::hundredths,
                               CableEnd::main, WirePair::pair4));
    b.scalars.push_back(scalar(CopperTestType::length, WirePair::pair1, 62.5f, ScaledInt::tenths, CableEnd::remote));

    FaultInfoCableElement element;
    element.type = FaultInfoCableElement::Type::segment;
    element.id = 1;
    element.length = 625;
    b.faultInfo.cableElements.push_back(element);
    b.faultInfo.totalLength = 625;
    b.faultInfo.numConnectors = 2;
    b.mainTemp = 24.5f;
    b.remoteTemp = 23.75f;
    b.reserved = 7;

    test->plots.plots = cat6APlots();
    test->plots.nsPerSample = 1.25f;
    test->plots.zeroLengthIndex = 40;
    test->rawData = rawData();
    test->completeRead();
    test->recertify(b.settings.nvp.toFloat());
    return test;
}

CopperResult cat6AResult() {
    CopperResult result;
    result.summary.resultName = "Cat6A-PL-001";
    result.summary.resultType = ResultType::COPPER;
    result.mergeCopperTest(cat6APermanentLinkTest(), false);
    return result;
}

std::vector<uint8_t> cat6AResultFile() { return CopperResultWriter::writeResult(cat6AResult()); }

}  // namespace kx::test
