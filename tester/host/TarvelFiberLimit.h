#pragma once
// Read-only views of a fiber limit for the host: the limit as a whole and one wavelength's values.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <boost/optional.hpp>
#include <json/value.h>

#include "tester/host/Measurement.h"

namespace Kestrix {
class FiberLimit;
class FiberLimitValues;
}  // namespace Kestrix

namespace Kestrix::Tester {

// One limit-values entry: its wavelength, categories and specifications.
class TarvelWavelengthLimit {
public:
    TarvelWavelengthLimit();
    explicit TarvelWavelengthLimit(const FiberLimitValues& values);
    ~TarvelWavelengthLimit();
    TarvelWavelengthLimit(const TarvelWavelengthLimit&);
    TarvelWavelengthLimit& operator=(const TarvelWavelengthLimit&);

    // 0 without values.
    int Wavelength() const;
    // Categories 1 to 9 in order; others are skipped.
    std::vector<int> GetFiberCategoryList() const;

    // Numeric specifications: 0 when the limit has no such value.
    int LengthMetersSpec() const;
    double FixedLossSpec() const;
    double PerKmLossSpec() const;
    double AdapterLossSpec() const;
    double SpliceLossSpec() const;
    double TestConnectorLossSpec() const;
    double ReferenceConnectorLossSpec() const;

    // Upper-limit parameters, none when the limit has no such value.
    boost::optional<MeasParam> SpliceEventLossSpec() const;
    boost::optional<MeasParam> ConnectorEventLossSpec() const;
    boost::optional<MeasParam> EventReflectanceSpec() const;
    boost::optional<MeasParam> SegmentAttenuationCoeffSpec() const;
    // Ratios 2, 4, ... 256; none for any other ratio.
    boost::optional<MeasParam> SplitterEventLossSpec(int ratio) const;

    // {"Wavelength", "Categories", every limit value by name ("SplitterEventLossSpec": {"2": ...})}
    Json::Value toJson() const;

private:
    std::unique_ptr<FiberLimitValues> _values;
};

class TarvelFiberLimit {
public:
    TarvelFiberLimit();
    ~TarvelFiberLimit();
    TarvelFiberLimit(const TarvelFiberLimit&) = delete;
    TarvelFiberLimit& operator=(const TarvelFiberLimit&) = delete;

    // A copy of a limit already decoded.
    static std::shared_ptr<TarvelFiberLimit> fromLimit(const FiberLimit& limit);

    // Decodes a serialized fiber limit; false (and nothing held) when the bytes hold none.
    bool Deserialize(const std::vector<uint8_t>* bytes);
    bool IsLossLength() const;
    // "" without a limit.
    std::string GetName() const;
    // The version of the limit's database package; "" without a limit.
    std::string GetVersion() const;
    // 1 OTDR, 2 loss/length, 4 image, 8 PON OTDR; 0 without a limit.
    int getKind() const;
    size_t GetWavelengthCount() const { return _wavelengths.size(); }
    // None outside the list.
    boost::optional<TarvelWavelengthLimit> GetWavelenghtLimit(size_t index) const;
    // The first entry of that wavelength, or none.
    boost::optional<TarvelWavelengthLimit> GetOtdrWavelengthLimit(int wavelength) const;

    // {"Name", "Kind", "Version", "Wavelengths": [...]}; null without a limit.
    Json::Value toJson() const;

private:
    void build();

    std::unique_ptr<FiberLimit> _limit;
    std::vector<TarvelWavelengthLimit> _wavelengths;
};

}  // namespace Kestrix::Tester
