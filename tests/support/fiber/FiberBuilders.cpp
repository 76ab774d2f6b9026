#include "fiber/FiberBuilders.h"

#include <memory>

#include "fiber/FiberResultWriter.h"

using namespace Kestrix;

namespace kx::test {

static DatabasePackageManifestSummary factorySummary() {
    DatabasePackageManifestSummary s;
    s.customerVersion.major = 3;
    s.customerVersion.minor = 12;
    s.releaseType = 1;
    s.build = 417;
    s.type = 2;
    s.minReqFirmwareVersion = "2.4.0";
    return s;
}

Fiber multimodeFiber() {
    Fiber f("OM3 Multimode 50", FiberCategory::OM3, ScaledInt(50.0f, ScaledInt::tenths), FiberMode::multimode,
            factorySummary());
    FiberPerWl& a = f.perWlFor(850);
    a.ir = 1.4962;
    a.modalBandwidth = 2000;
    a.backscatterCoef = ScaledInt(-68.0f, ScaledInt::tenths);
    FiberPerWl& b = f.perWlFor(1300);
    b.ir = 1.4915;
    b.modalBandwidth = 500;
    b.backscatterCoef = ScaledInt(-76.0f, ScaledInt::tenths);
    return f;
}

Fiber singlemodeFiber() {
    Fiber f("OS2 Singlemode", FiberCategory::OS2, ScaledInt(9.0f, ScaledInt::tenths), FiberMode::singlemode,
            factorySummary());
    f.perWlFor(1310).ir = 1.4677;
    f.perWlFor(1310).backscatterCoef = ScaledInt(-79.4f, ScaledInt::tenths);
    f.perWlFor(1550).ir = 1.4682;
    f.perWlFor(1550).backscatterCoef = ScaledInt(-81.7f, ScaledInt::tenths);
    return f;
}

FiberLimit lossLengthLimit() {
    FiberLimit l(FiberLimitType::lossLength, "TIA-568.3-D-1 Multimode (STD)", false, false, true, false, false, true,
                 false, false, false, factorySummary());
    for (uint16_t wl : {850, 1300}) {
        FiberLimitValues v(wl);
        v.supportedCategories = {FiberCategory::OM3, FiberCategory::OM4};
        v.values[FiberLimitValueType::maxLength] = ScaledInt(2000.0f, ScaledInt::tenths);
        v.values[FiberLimitValueType::maxConnectorLoss] = ScaledInt(0.75f, ScaledInt::hundredths);
        v.values[FiberLimitValueType::maxSpliceLoss] = ScaledInt(0.3f, ScaledInt::hundredths);
        v.values[FiberLimitValueType::maxOverallAttenCoef] = ScaledInt(wl == 850 ? 3.5f : 1.5f, ScaledInt::hundredths);
        l.valuesList.push_back(v);
    }
    l.supportedPorts = {FiberPort::MM};
    return l;
}

FiberLimit imageLimit() {
    FiberLimit l(FiberLimitType::image, "IEC 61300-3-35 ED.2 MM", false, false, false, false, false, false, false, true,
                 false, factorySummary());
    FiberImageLimitValues rule;
    rule.zone = FiberImageZone::core;
    rule.type = FiberImageFeatureType::scratch;
    rule.maxFeatureSize = -1;
    rule.allowedFeatures = 0;
    l.addImageLimitValue(rule);
    rule.zone = FiberImageZone::cladding;
    rule.type = FiberImageFeatureType::glob;
    rule.maxFeatureSize = 5;
    rule.allowedFeatures = 99;
    rule.comparison = 1;
    l.addImageLimitValue(rule);
    l.imageZoneDist[FiberImageZone::core] = 25;
    l.imageZoneDist[FiberImageZone::cladding] = 115;
    l.imageZoneDist[FiberImageZone::adhesive] = 135;
    l.imageZoneDist[FiberImageZone::contact] = 250;
    l.supportedPorts = {FiberPort::MM, FiberPort::SM};
    return l;
}

FiberLossLengthSettings lossLengthSettings() {
    FiberLossLengthSettings s;
    s.fiberName = "OM3 Multimode 50";
    s.limitName = "TIA-568.3-D-1 Multimode (STD)";
    s.remoteEndSetup = RemoteEndSetup::vexlinkDual;
    s.referenceMethod = FiberLLRefMethod::oneJumper;
    s.connectorType = FiberConnectorType::LC;
    s.biDirectionalEnabled = true;
    s.numAdapters = 2;
    s.numSplices = 1;
    s.numLcConnectors = 2;
    return s;
}

FiberCheckLimitResult checkResult(FiberLimitValueType type, float limit, float margin, Status status) {
    return FiberCheckLimitResult(type, ScaledInt(limit, ScaledInt::hundredths),
                                 DisplayMeas(ScaledInt(margin, ScaledInt::hundredths), DisplayType::normal), status);
}

namespace {

EquipmentInformation mainUnit() {
    EquipmentInformation e;
    e.softwareVersion = "4.2.1";
    e.modelIdStr = "Ombrel2";
    e.modelSerialNumber = "OM2-10443";
    e.moduleId = 201;
    e.moduleSerialNumber = "LMP-7781";
    e.moduleCalibrationTime = 1690000000;
    return e;
}

FiberLossLengthTestPerDirectionWl entry(CableEnd dir, uint16_t wl, float ref, float power, Status status) {
    FiberLossLengthTestPerDirectionWl e;
    e.direction = dir;
    e.wavelength = wl;
    e.lightSourceType = wl == 850 ? LightSourceType::vcsel : LightSourceType::led;
    e.refPower = FiberPower(ref, ScaledInt::hundredths, FiberPower::microwatts, ScaledInt::tenths);
    e.power = FiberPower(power, ScaledInt::hundredths, FiberPower::microwatts, ScaledInt::tenths);
    const float loss = ref - power;
    e.limitResults.results.push_back(checkResult(FiberLimitValueType::maxOverallLoss, 2.6f, 2.6f - loss, status));
    e._minRange = -60.0f;
    e._maxRange = 5.0f;
    return e;
}

}  // namespace

FiberLossLengthTest lossLengthTest() {
    FiberLossLengthTest t;
    t.summary.status = Status::fail;
    t.summary.timestamp = 1700000000;
    t.summary.cableEnd = CableEnd::end1;
    t.summary.operatorName = "J. Ortega";
    t.summary.end1Name = "MDF-A";
    t.summary.end2Name = "IDF-3";
    t.equipmentInfo = mainUnit();
    t.remoteEquipInfo = mainUnit();
    t.remoteEquipInfo.modelSerialNumber = "OM2-10444";
    t.settings = lossLengthSettings();
    t.fiber = multimodeFiber();
    t.limit = lossLengthLimit();
    t.patchCordLength = {ScaledInt(2.0f, ScaledInt::tenths), ScaledInt(1.5f, ScaledInt::tenths)};
    t.testPerDirectionWlVec = {
        entry(CableEnd::end1, 850, -20.15f, -21.40f, Status::pass),
        entry(CableEnd::end1, 1300, -21.02f, -21.95f, Status::pass),
        entry(CableEnd::end2, 850, -20.30f, -21.71f, Status::pass),
        entry(CableEnd::end2, 1300, -21.10f, -23.95f, Status::fail),
    };
    t.lastRefTime = 1699990000;
    t.celsius = Celsius(23.5f);
    t.length = ScaledInt(148.3f, ScaledInt::tenths);
    t.nsPropTime = 739.8f;
    t.overallLossMeas = DisplayMeas(ScaledInt(2.85f, ScaledInt::hundredths), DisplayType::normal);
    t.headroom = DisplayMeas(ScaledInt(-0.25f, ScaledInt::hundredths), DisplayType::normal);
    t.limitResults.results.push_back(checkResult(FiberLimitValueType::maxLength, 2000.0f, 1851.7f, Status::pass));
    return t;
}

FiberPowerMeterTest powerMeterTest() {
    FiberPowerMeterTest t(FiberTestType::powerMeterEnd1);
    t.summary.status = Status::show;
    t.summary.timestamp = 1700000300;
    t.summary.cableEnd = CableEnd::end1;
    t.equipmentInfo = mainUnit();
    t.gain = 3;
    t.celsius = Celsius(24.0f);
    for (float wl : {1310.0f, 1550.0f}) {
        FiberPowerMeterPerWl p;
        p.wavelength = wl;
        p.refPower = FiberPower(-5.0f, ScaledInt::hundredths, FiberPower::microwatts, ScaledInt::tenths);
        p.power = FiberPower(-7.25f, ScaledInt::hundredths, FiberPower::microwatts, ScaledInt::tenths);
        p.minPower = FiberPower(-7.40f, ScaledInt::hundredths, FiberPower::microwatts, ScaledInt::tenths);
        p.maxPower = FiberPower(-7.10f, ScaledInt::hundredths, FiberPower::microwatts, ScaledInt::tenths);
        p._minRange = -70.0f;
        p._maxRange = 10.0f;
        t.testPerWlVec.push_back(p);
    }
    return t;
}

ResultSummary fiberSummary(const char* name) {
    ResultSummary s;
    s.resultName = name;
    s.resultType = ResultType::FIBER;
    s.timeStamp = 1700000000;
    s.status = Status::fail;
    s.length = DisplayMeas(ScaledInt(148.3f, ScaledInt::tenths), DisplayType::normal);
    s.headroom = DisplayMeas(ScaledInt(-0.25f, ScaledInt::hundredths), DisplayType::normal);
    s.testFlags = 0x1100;
    s.numPassTests = 1;
    s.numFailTests = 1;
    return s;
}

FiberResult lossLengthResult() {
    FiberResult r;
    r.summary = fiberSummary();
    r.addTest(std::make_unique<FiberLossLengthTest>(lossLengthTest()));
    r.addTest(std::make_unique<FiberPowerMeterTest>(powerMeterTest()));
    return r;
}

std::vector<uint8_t> lossLengthResultFile(const char* cableId) {
    FiberResult r = lossLengthResult();
    r.summary = fiberSummary(cableId);
    std::vector<uint8_t> bytes;
    FiberResultWriter::writeResult(r, bytes);
    return bytes;
}

}  // namespace kx::test
