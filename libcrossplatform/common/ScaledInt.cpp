#include "common/ScaledInt.h"

#include <iomanip>
#include <limits>
#include <sstream>

#include "serialization/Assert.h"

namespace Kestrix {

namespace {

// 10^s as the tester computes it: single precision.
float powerOfTen(int32_t s) {
    static const float powers[] = {0.1f, 1.0f, 10.0f, 100.0f, 1000.0f, 10000.0f};
    KX_ASSERT_MSG(ScaledInt::validScale(s), "Invalid ScaledInt::scaledTo");
    return powers[s + 1];
}

// Integer factor for aligning two resolutions that differ by `diff`.
uint32_t alignFactor(int32_t diff) {
    static const uint32_t factors[] = {1, 10, 100, 1000, 10000, 100000};
    KX_ASSERT_MSG(diff >= 0 && diff <= 5, "Unexpected ScaledInt exponent");
    return factors[diff];
}

// 32-bit wrap-around, done in unsigned arithmetic so it never overflows a signed type.
int32_t wrapMul(int32_t v, uint32_t f) { return static_cast<int32_t>(static_cast<uint32_t>(v) * f); }
int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t wrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// Both values at the finer resolution of the two.
struct Aligned {
    int32_t a;
    int32_t b;
    ScaledInt::ScaledTo scale;
};

Aligned align(const ScaledInt& x, const ScaledInt& y) {
    if (x.scaledTo < y.scaledTo) return {wrapMul(x.value, alignFactor(y.scaledTo - x.scaledTo)), y.value, y.scaledTo};
    return {x.value, wrapMul(y.value, alignFactor(x.scaledTo - y.scaledTo)), x.scaledTo};
}

// round(v * 10^s) with half away from zero; values beyond int32 become the matching infinity.
int32_t scaleAndRound(float v, ScaledInt::ScaledTo s) {
    float t = v * powerOfTen(s);
    t = v >= 0 ? t + 0.5f : t - 0.5f;
    if (t >= 2147483648.0f) return ScaledInt::kPosInf;
    if (t <= -2147483648.0f) return ScaledInt::kNegInf;
    return static_cast<int32_t>(t);
}

// -1 below, 0 equal, 1 above; both must be non-NaN.
int compareNonNaN(const ScaledInt& x, const ScaledInt& y) {
    auto rank = [](const ScaledInt& v) { return v.isNegInf() ? -1 : v.isPosInf() ? 1 : 0; };
    const int rx = rank(x), ry = rank(y);
    if (rx != 0 || ry != 0) return rx < ry ? -1 : rx > ry ? 1 : 0;
    const Aligned al = align(x, y);
    return al.a < al.b ? -1 : al.a > al.b ? 1 : 0;
}

}  // namespace

ScaledInt::ScaledInt(float v, ScaledTo s) : scaledTo(s) {
    if (v != v)
        value = kNaN;
    else if (v == std::numeric_limits<float>::infinity())
        value = kPosInf;
    else if (v == -std::numeric_limits<float>::infinity())
        value = kNegInf;
    else
        value = scaleAndRound(v, s);
}

ScaledInt ScaledIntTenths(double v) { return ScaledInt(static_cast<float>(v), ScaledInt::tenths); }

double ScaledInt::toDouble() const {
    if (isNaN()) return std::numeric_limits<double>::quiet_NaN();
    if (isPosInf()) return std::numeric_limits<double>::infinity();
    if (isNegInf()) return -std::numeric_limits<double>::infinity();
    return static_cast<double>(value) / static_cast<double>(scalingValue());
}

float ScaledInt::toFloat() const {
    if (isNaN()) return std::numeric_limits<float>::quiet_NaN();
    if (isPosInf()) return std::numeric_limits<float>::infinity();
    if (isNegInf()) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value) / scalingValue();
}

float ScaledInt::scalingValue() const { return powerOfTen(scaledTo); }

int ScaledInt::precision() const {
    KX_ASSERT_MSG(validScale(scaledTo), "Invalid ScaledInt::scaledTo");
    return scaledTo <= ones ? 0 : static_cast<int>(scaledTo);
}

std::string ScaledInt::toString() const {
    if (isNaN()) return "NaN";
    if (isPosInf()) return "+inf";
    if (isNegInf()) return "-inf";
    std::ostringstream out;
    out << std::fixed << std::setprecision(precision()) << toFloat();
    return out.str();
}

bool ScaledInt::parse(const std::string& text) {
    if (text == "NaN") {
        value = kNaN;
        return true;
    }
    if (text == "+inf") {
        value = kPosInf;
        return true;
    }
    if (text == "-inf") {
        value = kNegInf;
        return true;
    }
    std::istringstream in(text);
    float f = 0;
    if (!(in >> f)) return false;
    int32_t decimals = 0;
    if (auto dot = text.find('.'); dot != std::string::npos) {
        const size_t after = text.size() - dot - 1;
        // More than four decimals has no resolution to live in.
        if (after > 4) return false;
        decimals = static_cast<int32_t>(after);
    }
    scaledTo = static_cast<ScaledTo>(decimals);
    value = scaleAndRound(f, scaledTo);
    return true;
}

ScaledInt ScaledInt::abs() const {
    if (isNegInf()) return posInf(scaledTo);
    if (isFinite() && value < 0) return raw(wrapSub(0, value), scaledTo);
    return *this;
}

bool ScaledInt::operator==(const ScaledInt& o) const { return !isNaN() && !o.isNaN() && compareNonNaN(*this, o) == 0; }
bool ScaledInt::operator<(const ScaledInt& o) const { return !isNaN() && !o.isNaN() && compareNonNaN(*this, o) < 0; }
bool ScaledInt::operator<=(const ScaledInt& o) const { return !isNaN() && !o.isNaN() && compareNonNaN(*this, o) <= 0; }
bool ScaledInt::operator>(const ScaledInt& o) const { return !isNaN() && !o.isNaN() && compareNonNaN(*this, o) > 0; }
bool ScaledInt::operator>=(const ScaledInt& o) const { return !isNaN() && !o.isNaN() && compareNonNaN(*this, o) >= 0; }

ScaledInt ScaledInt::operator+(const ScaledInt& o) const {
    if (isNaN() || o.isNaN()) return *this;
    if (isFinite() && o.isFinite()) {
        const Aligned al = align(*this, o);
        return raw(wrapAdd(al.a, al.b), al.scale);
    }
    if ((isPosInf() && o.isNegInf()) || (isNegInf() && o.isPosInf())) return nan(ones);
    return (isPosInf() || o.isPosInf()) ? posInf(ones) : negInf(ones);
}

ScaledInt ScaledInt::operator-(const ScaledInt& o) const {
    if (isNaN()) return *this;
    if (o.isNaN()) return o;
    if (isFinite() && o.isFinite()) {
        const Aligned al = align(*this, o);
        return raw(wrapSub(al.a, al.b), al.scale);
    }
    if ((isPosInf() && o.isPosInf()) || (isNegInf() && o.isNegInf())) return nan(ones);
    if (!isFinite()) return *this;
    return o.isPosInf() ? negInf(ones) : posInf(ones);
}

ScaledInt average(const ScaledInt& a, const ScaledInt& b) {
    if (!a.isFinite() || !b.isFinite()) return a + b;
    const ScaledInt s = a + b;
    const int32_t half = s.value > 0 ? (s.value >> 1) + (s.value & 1) : (s.value >> 1);
    return ScaledInt::raw(half, s.scaledTo);
}

ScaledInt max(const ScaledInt& a, const ScaledInt& b) {
    if (a.isNaN()) return b;
    if (!b.isNaN() && a < b) return b;
    return a;
}

ScaledInt min(const ScaledInt& a, const ScaledInt& b) {
    if (a.isNaN()) return b;
    if (!b.isNaN() && !(a < b)) return b;
    return a;
}

const char* toString(ScaledInt::ScaledTo s) {
    switch (s) {
        case ScaledInt::tens: return "tens";
        case ScaledInt::ones: return "ones";
        case ScaledInt::tenths: return "tenths";
        case ScaledInt::hundredths: return "hundredths";
        case ScaledInt::thousandths: return "thousandths";
        case ScaledInt::tenthousandths: return "tenthousandths";
    }
    return "";
}

void ScaledInt::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(value);
    w.write(static_cast<int8_t>(scaledTo));
}

Marshal::StreamOpStatus ScaledInt::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    value = kNaN;
    scaledTo = ones;
    int8_t scale = 0;
    r.read(value);
    r.read(scale);
    if (r.failed()) return Marshal::readError;
    // A resolution outside -1..4 would stop the process when printed or combined: refuse it here.
    if (!validScale(scale)) {
        value = kNaN;
        return Marshal::invalidData;
    }
    scaledTo = static_cast<ScaledTo>(scale);
    return Marshal::ok;
}

void ScaledInt::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { f.write("ScaledInt", toString()); }

}  // namespace Kestrix
