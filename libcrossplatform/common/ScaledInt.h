#pragma once
#include <cstdint>
#include <string>

#include "serialization/IDumpSerializable.h"

namespace Kestrix {

// A decimal fixed-point value: `value` units of 10^-scaledTo, with reserved codes for NaN and the infinities.
// Arithmetic is 32-bit wrap-around, as the tester computes it.
class ScaledInt : public Marshal::IDumpSerializable {
public:
    enum ScaledTo : int32_t { tens = -1, ones = 0, tenths = 1, hundredths = 2, thousandths = 3, tenthousandths = 4 };

    static constexpr int32_t kNaN = static_cast<int32_t>(0x80000001u);
    static constexpr int32_t kPosInf = 0x7FFFFFFF;
    static constexpr int32_t kNegInf = static_cast<int32_t>(0x80000002u);
    static constexpr uint8_t kVersion = 1;
    static constexpr uint32_t kWireSize = 6;

    ScaledInt() = default;
    ScaledInt(float v, ScaledTo s);
    static ScaledInt raw(int32_t value, ScaledTo s) {
        ScaledInt r;
        r.value = value;
        r.scaledTo = s;
        return r;
    }
    static ScaledInt nan(ScaledTo s = ones) { return raw(kNaN, s); }
    static ScaledInt posInf(ScaledTo s = ones) { return raw(kPosInf, s); }
    static ScaledInt negInf(ScaledTo s = ones) { return raw(kNegInf, s); }

    bool isNaN() const { return value == kNaN; }
    bool isPosInf() const { return value == kPosInf; }
    bool isNegInf() const { return value == kNegInf; }
    bool isFinite() const { return !isNaN() && !isPosInf() && !isNegInf(); }

    double toDouble() const;
    float toFloat() const;
    float scalingValue() const;
    int precision() const;
    std::string toString() const;
    bool parse(const std::string& text);
    ScaledInt abs() const;

    bool operator==(const ScaledInt& o) const;
    bool operator<(const ScaledInt& o) const;
    bool operator<=(const ScaledInt& o) const;
    bool operator>(const ScaledInt& o) const;
    bool operator>=(const ScaledInt& o) const;
    ScaledInt operator+(const ScaledInt& o) const;
    ScaledInt operator-(const ScaledInt& o) const;

    // Wire form: uint8 version 1, int32 value, int8 scaledTo. A stored scaledTo outside -1..4 is refused.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;

    // True for the six resolutions above.
    static bool validScale(int32_t s) { return s >= tens && s <= tenthousandths; }

    int32_t value = kNaN;
    ScaledTo scaledTo = ones;
};

ScaledInt ScaledIntTenths(double v);
ScaledInt average(const ScaledInt& a, const ScaledInt& b);
ScaledInt max(const ScaledInt& a, const ScaledInt& b);
ScaledInt min(const ScaledInt& a, const ScaledInt& b);
// "tens" .. "tenthousandths"; empty for any other value.
const char* toString(ScaledInt::ScaledTo s);

}  // namespace Kestrix
