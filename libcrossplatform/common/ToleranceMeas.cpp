#include "common/ToleranceMeas.h"

#include <sstream>

namespace Kestrix {

namespace {
bool absent(float t) { return t != t; }

std::string floatText(float v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

// The larger tolerance; an absent one yields the other.
float largerTolerance(float a, float b) {
    if (absent(a)) return b;
    if (absent(b)) return a;
    return a > b ? a : b;
}
}  // namespace

DisplayType ToleranceMeas::derivedDisplayType(const ScaledInt& v, float pos, float neg) {
    if (!v.isNaN()) {
        if (absent(pos) && !absent(neg)) return DisplayType::greaterThan;
        if (!absent(pos) && absent(neg)) return DisplayType::lessThan;
        return DisplayType::normal;
    }
    return neg == 0.0f ? DisplayType::dashes : DisplayType::notAvailable;
}

void ToleranceMeas::deriveDisplayType() { displayType = derivedDisplayType(value, posTolerance, negTolerance); }

std::string ToleranceMeas::fullText() const {
    return valueText() + ", +tol = " + floatText(posTolerance) + ", -tol = " + floatText(negTolerance);
}

bool ToleranceMeas::operator==(const ToleranceMeas& o) const {
    auto sameTol = [](float a, float b) { return a == b || (absent(a) && absent(b)); };
    return value.value == o.value.value && value.scaledTo == o.value.scaledTo && displayType == o.displayType &&
           sameTol(posTolerance, o.posTolerance) && sameTol(negTolerance, o.negTolerance);
}

ToleranceMeas operator+(const ToleranceMeas& a, const ToleranceMeas& b) {
    if (a.value.isNaN()) return b;
    if (b.value.isNaN()) return a;
    ToleranceMeas r(a.value + b.value, DisplayType::notAvailable, largerTolerance(a.posTolerance, b.posTolerance),
                    largerTolerance(a.negTolerance, b.negTolerance));
    r.deriveDisplayType();
    return r;
}

ToleranceMeas max(const ToleranceMeas& a, const ToleranceMeas& b) {
    if (a.value.isNaN()) return b;
    if (!b.value.isNaN() && !(a.value > b.value)) return b;
    return a;
}

void ToleranceMeas::serialize(Marshal::IObjectWriter& w) const {
    w.write(static_cast<uint8_t>(1));
    value.serialize(w);
    w.write(static_cast<int8_t>(displayType));
    w.write(posTolerance);
    w.write(negTolerance);
}

Marshal::StreamOpStatus ToleranceMeas::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > 1) return Marshal::versionTooNew;
    *this = ToleranceMeas();
    if (auto st = value.deserialize(r); st != Marshal::ok) return st;
    int8_t type = 0;
    r.read(type);
    r.read(posTolerance);
    r.read(negTolerance);
    if (r.failed()) return Marshal::readError;
    displayType = static_cast<DisplayType>(type);
    return Marshal::ok;
}

void ToleranceMeas::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    f.write("class", "ToleranceMeas");
    f.write("value", valueText());
    f.write("posTolerance", posTolerance);
    f.write("negTolerance", negTolerance);
}

Json::Value ToleranceMeas::toJson(const Dump::DumpFlags&) const {
    Json::Value j(Json::objectValue);
    j["value"] = valueText();
    j["posTolerance"] = floatText(posTolerance);
    j["negTolerance"] = floatText(negTolerance);
    return j;
}

}  // namespace Kestrix
