// Model values of fiber tests as host parameters and measurements.
#include <algorithm>
#include <limits>

#include "tester/record/EnumConverter.h"
#include "tester/record/FiberRecordUtil.h"

namespace Kestrix::Tester::FiberRecord {

double number(const ScaledInt& v) { return v.isFinite() ? v.toDouble() : std::numeric_limits<double>::quiet_NaN(); }

int displayQualifier(DisplayType t) {
    switch (t) {
        case DisplayType::notAvailable: return 2;
        case DisplayType::normal: return 1;
        case DisplayType::greaterThan: return 7;
        case DisplayType::lessThan: return 6;
        case DisplayType::dashes: return 5;
    }
    return 0;
}

MeasParam displayParam(MeasKind kind, const DisplayMeas& m, int unit) {
    return MeasParam(kind, number(m.value), unit, m.value.precision(), displayQualifier(m.displayType));
}

MeasParam displayParam(MeasKind kind, const ToleranceMeas& m, int unit) {
    return displayParam(kind, m.valueToDisplayMeas(), unit);
}

MeasParam limitParam(MeasKind kind, const ScaledInt& limit, int unit) {
    return MeasParam(kind, number(limit), unit, limit.precision());
}

FiberMeasurement checkedMeasurement(int testId, int measurementType, const MeasParam& value,
                                    const FiberCheckLimitResult* upper, const FiberCheckLimitResult* lower, int unit) {
    FiberMeasurement m(testId, measurementType);
    m.Add(value);
    int worst = 0;
    if (upper != nullptr) {
        m.Add(limitParam(MeasKind::UpperLimit, upper->limitValue, unit));
        m.Add(displayParam(MeasKind::MarginUpper, upper->margin, unit));
        worst = std::max(worst, static_cast<int>(upper->status));
    }
    if (lower != nullptr) {
        m.Add(limitParam(MeasKind::LowerLimit, lower->limitValue, unit));
        m.Add(displayParam(MeasKind::MarginLower, lower->margin, unit));
        worst = std::max(worst, static_cast<int>(lower->status));
    }
    m.Status = EnumConverter::Status(static_cast<Kestrix::Status>(worst));
    return m;
}

int hostEventType(int nativeType) {
    static constexpr int kHost[] = {2, 3, 8, 0, 17, 16, 18, 19, 9, 5, 6, 4, 7, 11, 10, 1, 12, 13, 14, 15};
    if (nativeType < 0 || nativeType >= static_cast<int>(std::size(kHost))) return 0;
    return kHost[nativeType];
}

int hostSplitterRatio(int nativeRatio) {
    static constexpr int kHost[] = {2, 4, 8, 16, 32, 64, 128, 256, 1002, 1004, 1008, 1016, 1032, 1064, 1128, 1256};
    if (nativeRatio < 0 || nativeRatio >= static_cast<int>(std::size(kHost))) return 0;
    return kHost[nativeRatio];
}

}  // namespace Kestrix::Tester::FiberRecord
