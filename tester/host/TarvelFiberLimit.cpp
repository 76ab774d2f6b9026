#include "tester/host/TarvelFiberLimit.h"

#include <cmath>
#include <limits>

#include "fiber/FiberLimit.h"
#include "fiber/FiberLimitValues.h"
#include "serialization/ReadObject.h"

namespace Kestrix::Tester {

namespace {

double specValue(const FiberLimitValues* v, FiberLimitValueType type) {
    if (v == nullptr || !v->hasValue(type)) return 0.0;
    const ScaledInt s = v->getValue(type);
    return s.isFinite() ? s.toDouble() : 0.0;
}

boost::optional<MeasParam> upperSpec(const FiberLimitValues* v, FiberLimitValueType type, int unit) {
    if (v == nullptr || !v->hasValue(type)) return boost::none;
    const ScaledInt s = v->getValue(type);
    const double value = s.isFinite() ? s.toDouble() : std::numeric_limits<double>::quiet_NaN();
    return MeasParam(MeasKind::UpperLimit, value, unit, s.precision());
}

constexpr int kSplitterRatios[] = {2, 4, 8, 16, 32, 64, 128, 256};

}  // namespace

TarvelWavelengthLimit::TarvelWavelengthLimit() = default;
TarvelWavelengthLimit::TarvelWavelengthLimit(const FiberLimitValues& values)
    : _values(std::make_unique<FiberLimitValues>(values)) {}
TarvelWavelengthLimit::~TarvelWavelengthLimit() = default;
TarvelWavelengthLimit::TarvelWavelengthLimit(const TarvelWavelengthLimit& o)
    : _values(o._values ? std::make_unique<FiberLimitValues>(*o._values) : nullptr) {}
TarvelWavelengthLimit& TarvelWavelengthLimit::operator=(const TarvelWavelengthLimit& o) {
    if (this != &o) _values = o._values ? std::make_unique<FiberLimitValues>(*o._values) : nullptr;
    return *this;
}

int TarvelWavelengthLimit::Wavelength() const { return _values ? _values->wavelength : 0; }

std::vector<int> TarvelWavelengthLimit::GetFiberCategoryList() const {
    std::vector<int> out;
    if (!_values) return out;
    for (FiberCategory c : _values->supportedCategories) {
        const int v = static_cast<int>(c);
        if (v >= 1 && v <= 9) out.push_back(v);
    }
    return out;
}

int TarvelWavelengthLimit::LengthMetersSpec() const {
    const double v = specValue(_values.get(), FiberLimitValueType::maxLength);
    // Whole metres; a stored value beyond 32 bits is no length a tester can test.
    if (!(std::fabs(v) < 2147483647.0)) return 0;
    return static_cast<int>(v);
}
double TarvelWavelengthLimit::FixedLossSpec() const {
    return specValue(_values.get(), FiberLimitValueType::maxOverallLoss);
}
double TarvelWavelengthLimit::PerKmLossSpec() const {
    return specValue(_values.get(), FiberLimitValueType::maxOverallAttenCoef);
}
double TarvelWavelengthLimit::AdapterLossSpec() const {
    return specValue(_values.get(), FiberLimitValueType::maxConnectorLoss);
}
double TarvelWavelengthLimit::SpliceLossSpec() const {
    return specValue(_values.get(), FiberLimitValueType::maxSpliceLoss);
}
double TarvelWavelengthLimit::TestConnectorLossSpec() const {
    return specValue(_values.get(), FiberLimitValueType::maxTestConnectorLoss);
}
double TarvelWavelengthLimit::ReferenceConnectorLossSpec() const {
    return specValue(_values.get(), FiberLimitValueType::maxRefConnectorLoss);
}

boost::optional<MeasParam> TarvelWavelengthLimit::SpliceEventLossSpec() const {
    return upperSpec(_values.get(), FiberLimitValueType::maxSpliceLoss, 1);
}
boost::optional<MeasParam> TarvelWavelengthLimit::ConnectorEventLossSpec() const {
    return upperSpec(_values.get(), FiberLimitValueType::maxConnectorLoss, 1);
}
boost::optional<MeasParam> TarvelWavelengthLimit::EventReflectanceSpec() const {
    return upperSpec(_values.get(), FiberLimitValueType::maxReflectance, 1);
}
boost::optional<MeasParam> TarvelWavelengthLimit::SegmentAttenuationCoeffSpec() const {
    return upperSpec(_values.get(), FiberLimitValueType::maxSegmentAttenCoef, 13);
}

boost::optional<MeasParam> TarvelWavelengthLimit::SplitterEventLossSpec(int ratio) const {
    int step = 0;
    for (int r : kSplitterRatios) {
        if (r == ratio) {
            const auto type =
                static_cast<FiberLimitValueType>(static_cast<int>(FiberLimitValueType::maxSplitterLoss_1x2) + step);
            return upperSpec(_values.get(), type, 1);
        }
        ++step;
    }
    return boost::none;
}

Json::Value TarvelWavelengthLimit::toJson() const {
    const auto param = [](const boost::optional<MeasParam>& p) { return p ? p->toJson() : Json::Value(); };
    Json::Value j(Json::objectValue);
    j["Wavelength"] = Wavelength();
    Json::Value cats(Json::arrayValue);
    for (int c : GetFiberCategoryList()) cats.append(c);
    j["Categories"] = cats;
    j["LengthMetersSpec"] = LengthMetersSpec();
    j["FixedLossSpec"] = FixedLossSpec();
    j["PerKmLossSpec"] = PerKmLossSpec();
    j["AdapterLossSpec"] = AdapterLossSpec();
    j["SpliceLossSpec"] = SpliceLossSpec();
    j["TestConnectorLossSpec"] = TestConnectorLossSpec();
    j["ReferenceConnectorLossSpec"] = ReferenceConnectorLossSpec();
    j["SpliceEventLossSpec"] = param(SpliceEventLossSpec());
    j["ConnectorEventLossSpec"] = param(ConnectorEventLossSpec());
    j["EventReflectanceSpec"] = param(EventReflectanceSpec());
    j["SegmentAttenuationCoeffSpec"] = param(SegmentAttenuationCoeffSpec());
    Json::Value splitters(Json::objectValue);
    for (int r : kSplitterRatios) splitters[std::to_string(r)] = param(SplitterEventLossSpec(r));
    j["SplitterEventLossSpec"] = splitters;
    return j;
}

TarvelFiberLimit::TarvelFiberLimit() = default;
TarvelFiberLimit::~TarvelFiberLimit() = default;

std::shared_ptr<TarvelFiberLimit> TarvelFiberLimit::fromLimit(const FiberLimit& limit) {
    auto view = std::make_shared<TarvelFiberLimit>();
    view->_limit = std::make_unique<FiberLimit>(limit);
    view->build();
    return view;
}

bool TarvelFiberLimit::Deserialize(const std::vector<uint8_t>* bytes) {
    if (bytes == nullptr) return false;
    _limit.reset();
    _wavelengths.clear();
    auto limit = std::make_unique<FiberLimit>();
    if (Marshal::readObject(*bytes, *limit).status != Marshal::ok) return false;
    _limit = std::move(limit);
    build();
    return true;
}

void TarvelFiberLimit::build() {
    _wavelengths.clear();
    _wavelengths.reserve(_limit->valuesList.size());
    for (const FiberLimitValues& v : _limit->valuesList) _wavelengths.emplace_back(v);
}

bool TarvelFiberLimit::IsLossLength() const { return _limit && _limit->limitType == FiberLimitType::lossLength; }
std::string TarvelFiberLimit::GetName() const { return _limit ? _limit->name : std::string(); }
std::string TarvelFiberLimit::GetVersion() const { return _limit ? _limit->summary.getVersionString() : std::string(); }
int TarvelFiberLimit::getKind() const { return _limit ? static_cast<int>(_limit->limitType) : 0; }

boost::optional<TarvelWavelengthLimit> TarvelFiberLimit::GetWavelenghtLimit(size_t index) const {
    if (index >= _wavelengths.size()) return boost::none;
    return _wavelengths[index];
}

boost::optional<TarvelWavelengthLimit> TarvelFiberLimit::GetOtdrWavelengthLimit(int wavelength) const {
    for (const TarvelWavelengthLimit& w : _wavelengths)
        if (w.Wavelength() == wavelength) return w;
    return boost::none;
}

Json::Value TarvelFiberLimit::toJson() const {
    if (!_limit) return Json::Value();
    Json::Value j(Json::objectValue);
    j["Name"] = GetName();
    j["Kind"] = getKind();
    j["IsLossLength"] = IsLossLength();
    j["Version"] = GetVersion();
    Json::Value wls(Json::arrayValue);
    for (const TarvelWavelengthLimit& w : _wavelengths) wls.append(w.toJson());
    j["Wavelengths"] = wls;
    return j;
}

}  // namespace Kestrix::Tester
