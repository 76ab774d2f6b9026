// Loss/length and power-meter tests of a fiber record as host objects.
#include <algorithm>
#include <cmath>
#include <limits>

#include "fiber/FiberLimitValues.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberPowerMeterTest.h"
#include "fiber/FiberResult.h"
#include "tester/record/EnumConverter.h"
#include "tester/record/FiberRecordUtil.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

using namespace FiberRecord;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const FiberLossLengthTest* lossLengthOf(FiberResult* fiber) {
    if (fiber == nullptr) return nullptr;
    return dynamic_cast<const FiberLossLengthTest*>(fiber->getTest(FiberTestType::lossLength));
}

bool hasDirection(const FiberLossLengthTest& t, CableEnd end) {
    return std::any_of(t.testPerDirectionWlVec.begin(), t.testPerDirectionWlVec.end(),
                       [end](const FiberLossLengthTestPerDirectionWl& e) { return e.direction == end; });
}

// A loss (dB) that may sit at a reserved code: the code becomes the qualifier.
MeasParam lossParam(const ScaledInt& loss) {
    if (loss.isNegInf()) return MeasParam(MeasKind::Value, kNaN, 1, loss.precision(), kQualifierNegInf);
    if (loss.isPosInf()) return MeasParam(MeasKind::Value, kNaN, 1, loss.precision(), kQualifierPosInf);
    if (loss.isNaN()) return MeasParam(MeasKind::Value, kNaN, 1, loss.precision(), kQualifierNaN);
    return MeasParam(MeasKind::Value, loss.toDouble(), 1, loss.precision());
}

boost::optional<LossLengthBasedLimitDetail> lengthBasedDetail(const FiberLossLengthTest& test,
                                                              const FiberLossLengthTestPerDirectionWl& entry) {
    const FiberCheckLimitResult* maxLoss = entry.getMaxLossCheckLimitResult();
    if (maxLoss == nullptr) return boost::none;
    const auto values = test.limit.getFiberLimitValues(test.fiber.category, entry.wavelength);
    if (!values) return boost::none;
    const LossBudgetParts parts = values->getOltsLengthBasedLossBudgetParts(
        test.settings.numAdapters, test.settings.numSplices, maxLoss->limitValue, test.settings.referenceMethod);
    LossLengthBasedLimitDetail d;
    d.Wavelength = entry.wavelength;
    d.Splices = static_cast<int>(std::min<uint32_t>(test.settings.numSplices, INT32_MAX));
    d.Connectors = static_cast<int>(std::min<uint32_t>(parts.connectorCount, INT32_MAX));
    d.LengthKm = number(test.length) / 1000.0;
    d.LossPerConnector = limitParam(MeasKind::Value, parts.connectorLossLimit, 18);
    d.LossPerSplice = limitParam(MeasKind::Value, parts.spliceLossLimit, 19);
    d.LossPerKm = limitParam(MeasKind::Value, parts.attenuationCoefLimit, 13);
    d.AttenLoss = limitParam(MeasKind::Value, parts.fiberLoss, 1);
    d.ConnectorLoss = limitParam(MeasKind::Value, parts.connectorLoss, 1);
    d.SpliceLoss = limitParam(MeasKind::Value, parts.spliceLoss, 1);
    d.TotalLoss = limitParam(MeasKind::Value, parts.totalLossBudget, 1);
    const double testConnector = number(parts.testRefConnectorLoss);
    if (testConnector > 0.0001) d.TestConnectorLoss = limitParam(MeasKind::Value, parts.testRefConnectorLoss, 1);
    return d;
}

// A power at its display resolution, in dBm or in the host's watt unit; the reserved codes qualify it.
MeasParam powerParam(MeasKind kind, const FiberPower& p, bool watts) {
    const ScaledInt& dbm = p.dBm();
    const int unit = watts ? 10 : 2;
    const int precision = watts ? 3 : 2;
    if (dbm.isNegInf()) return MeasParam(kind, kNaN, unit, precision, kQualifierNegInf);
    if (dbm.isPosInf()) return MeasParam(kind, kNaN, unit, precision, kQualifierPosInf);
    if (!watts) return MeasParam(kind, number(dbm), unit, precision);
    // The host's watt unit is the microwatt. Stored units: milliwatts (1 or less), and each step above is a
    // thousandth of the one before, picowatts and below included.
    double value = number(p.watts());
    if (p.wattUnits <= FiberPower::milliwatts)
        value *= 1000.0;
    else
        value /= std::pow(1000.0, p.wattUnits - FiberPower::microwatts);
    return MeasParam(kind, value, unit, precision);
}

bool valid(const FiberPower& p) { return !p.dBm().isNaN(); }
bool atInfinity(const FiberPower& p) { return p.dBm().isPosInf() || p.dBm().isNegInf(); }

MeasParam lossOfPowers(MeasKind kind, const ScaledInt& loss, bool unknown) {
    if (unknown) return MeasParam(kind, kNaN, 1, 2, kQualifierNaN);
    return MeasParam(kind, number(loss), 1, 2);
}

FiberMeasurement powerMeasurement(int id, const FiberPowerMeterPerWl& e, bool watts) {
    FiberMeasurement m(id, 1);
    m.Wavelength = static_cast<int>(e.wavelength);
    if (valid(e.power)) m.Add(powerParam(MeasKind::Value, e.power, watts));
    if (valid(e.minPower)) m.Add(powerParam(kKindMinPower, e.minPower, watts));
    if (valid(e.maxPower)) m.Add(powerParam(kKindMaxPower, e.maxPower, watts));
    if (valid(e.refPower)) {
        m.Add(powerParam(kKindRefPower, e.refPower, watts));
        if (valid(e.power) && e.refPower.dBm().isFinite()) m.Add(lossOfPowers(kKindLoss, e.dB(), atInfinity(e.power)));
        if (valid(e.minPower)) m.Add(lossOfPowers(kKindMinLoss, e.mindB(), atInfinity(e.maxPower)));
        if (valid(e.maxPower)) m.Add(lossOfPowers(kKindMaxLoss, e.maxdB(), atInfinity(e.minPower)));
    }
    return m;
}

}  // namespace

bool TestRecordTarvel::HasLossTest(int end) {
    if (end != 1 && end != 2) return false;
    const FiberLossLengthTest* t = lossLengthOf(GetFiberResult());
    return t != nullptr && hasDirection(*t, static_cast<CableEnd>(end));
}

namespace {

// The measured length against the limit's maximum, when the test has a length.
boost::optional<FiberMeasurement> lengthMeasurement(const FiberLossLengthTest& t, int id) {
    if (!t.length.isFinite()) return boost::none;
    FiberMeasurement m(id, 2);
    m.Add(MeasParam(MeasKind::Value, t.length.toDouble(), 4, 1));
    if (!t.limitResults.empty()) {
        const FiberCheckLimitResult& r = t.limitResults.results.front();
        m.Add(MeasParam(MeasKind::UpperLimit, number(r.limitValue), 4, 1));
        m.Add(MeasParam(MeasKind::MarginUpper, number(r.margin.value), 4, 1));
        m.Status = EnumConverter::Status(r.status);
    }
    return m;
}

// The loss at one wavelength of one direction, with its maximum and minimum limits where set.
FiberMeasurement lossMeasurement(const FiberLossLengthTest& t, const FiberLossLengthTestPerDirectionWl& e, int id) {
    FiberMeasurement m(id, 1);
    m.Wavelength = e.wavelength;
    m.LightSource = EnumConverter::FiberLightSrc(e.lightSourceType);
    m.Add(lossParam(e.dB()));
    m.Add(MeasParam(kKindPower, number(e.power.dBm()), 2, e.power.dBm().precision()));
    m.LossReferenceDate = HxDataDate::From1970(t.lastRefTime);
    int status = kHostStatusUnknown;
    if (const FiberCheckLimitResult* r = e.getMaxLossCheckLimitResult()) {
        m.Add(limitParam(MeasKind::UpperLimit, r->limitValue, 1));
        m.Add(displayParam(MeasKind::MarginUpper, r->margin, 1));
        status = std::min(status, EnumConverter::Status(r->status));
    }
    if (const FiberCheckLimitResult* r = e.getMinLossCheckLimitResult()) {
        m.Add(limitParam(MeasKind::LowerLimit, r->limitValue, 1));
        m.Add(displayParam(MeasKind::MarginLower, r->margin, 1));
        status = std::min(status, EnumConverter::Status(r->status));
    }
    m.Status = status;
    return m;
}

// The connector counts a vendor system limit budgets by.
void setVendorSystem(LossTest& test, const FiberLossLengthSettings& settings) {
    const auto count = [](uint32_t v) { return static_cast<int>(std::min<uint32_t>(v, INT32_MAX)); };
    test.IsVendorSystem = true;
    test.NumStScConnectors = count(settings.numAdapters);
    test.NumLcConnectors = count(settings.numLcConnectors);
    test.NumLcLowLossConnectors = count(settings.numLcLowLossConnectors);
    test.NumLcUltraLowLossConnectors = count(settings.numLcUltraLowLossConnectors);
    test.NumMpoConnectors = count(settings.numMpoConnectors);
    test.NumMpoLowLossConnectors = count(settings.numMpoLowLossConnectors);
    test.NumMpoUltraLowLossConnectors = count(settings.numMpoUltraLowLossConnectors);
}

}  // namespace

boost::optional<LossTest> TestRecordTarvel::GetLossTest(int end) {
    if (!HasLossTest(end)) return boost::none;
    const FiberLossLengthTest& t = *lossLengthOf(GetFiberResult());
    const auto direction = static_cast<CableEnd>(end);
    const int id = end == 1 ? 20 : 21;
    LossTest test(id);
    test.TestConfig = EnumConverter::FiberMode(t.settings.remoteEndSetup);
    test.TestMethod = EnumConverter::FiberMethod(t.settings.referenceMethod);
    const char* connector = toString(t.settings.connectorType);
    if (connector != nullptr && *connector != 0) test.ConnectorType = connector;

    for (unsigned i = 0; i < 3; ++i) {
        const ScaledInt cord = t.getPatchCordLength(i);
        if (!cord.isFinite()) break;
        test.JumperLength.push_back(MeasParam(MeasKind::Value, cord.toDouble(), 4, 1));
    }

    // The test's status: the lowest host status of its length and losses.
    int status = kHostStatusUnknown;
    test.LengthMeasurement = lengthMeasurement(t, id);
    if (test.LengthMeasurement) status = std::min(status, test.LengthMeasurement->Status);
    if (std::isfinite(t.nsPropTime)) {
        FiberMeasurement m(id, 3);
        m.Add(MeasParam(MeasKind::Value, static_cast<double>(t.nsPropTime), 5, 0));
        test.PropDelay = m;
    }

    const bool vendorSystem = t.limit.isFlagSet(LimitFlag::isVendorSystemLimit);
    const bool lengthBased = !vendorSystem && t.limit.isFlagSet(LimitFlag::doLengthBasedLossBudget);
    for (const FiberLossLengthTestPerDirectionWl& e : t.testPerDirectionWlVec) {
        if (e.direction != direction || e.wavelength == 0) continue;
        test.Measurements.push_back(lossMeasurement(t, e, id));
        status = std::min(status, test.Measurements.back().Status);
        if (lengthBased)
            if (auto d = lengthBasedDetail(t, e)) test.LengthBasedLimitDetails.push_back(std::move(*d));
    }
    test.Status = status;
    if (vendorSystem) setVendorSystem(test, t.settings);

    if (test.Measurements.empty() && test.LengthMeasurement) {
        test.SetLengthOnly();
        test.Brief = 19;
    } else {
        test.Brief = id;
    }
    return test;
}

bool TestRecordTarvel::HasPowerTest(int end) {
    if (end != 1 && end != 2) return false;
    FiberResult* fiber = GetFiberResult();
    const FiberTestType type = end == 1 ? FiberTestType::powerMeterEnd1 : FiberTestType::powerMeterEnd2;
    return fiber != nullptr && dynamic_cast<const FiberPowerMeterTest*>(fiber->getTest(type)) != nullptr;
}

boost::optional<PowerTest> TestRecordTarvel::GetPowerTest(int end) {
    if (!HasPowerTest(end)) return boost::none;
    const FiberTestType type = end == 1 ? FiberTestType::powerMeterEnd1 : FiberTestType::powerMeterEnd2;
    const auto& t = dynamic_cast<const FiberPowerMeterTest&>(*GetFiberResult()->getTest(type));
    const int id = end == 1 ? 22 : 23;
    PowerTest test(id);
    for (const FiberPowerMeterPerWl& e : t.testPerWlVec) {
        // A wavelength no meter measures (0, not a number, beyond any band) is no entry.
        if (!(std::fabs(e.wavelength) >= 1.0f && std::fabs(e.wavelength) < 100000.0f)) continue;
        test.Measurements.push_back(powerMeasurement(id, e, false));
        test.Measurements.push_back(powerMeasurement(id, e, true));
    }
    test.Brief = id;
    return test;
}

}  // namespace Kestrix::Tester
