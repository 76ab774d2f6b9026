#include "common/DisplayMeas.h"

namespace Kestrix {

std::string displayText(const ScaledInt& value, DisplayType type) {
    switch (type) {
        case DisplayType::notAvailable: return "N/A";
        case DisplayType::normal: return value.toString();
        case DisplayType::greaterThan: return "> " + value.toString();
        case DisplayType::lessThan: return "< " + value.toString();
        case DisplayType::dashes: return "---";
    }
    return "";
}

namespace {

// Maximum and minimum mirror each other: `outward` is the qualifier pointing past the extreme being kept
// ("> " for a maximum) and wins over `inward` when the two meet.
template <typename Pick>
void accumulate(DisplayMeas& acc, const DisplayMeas& other, Pick pick, DisplayType outward, DisplayType inward) {
    if (other.displayType == DisplayType::dashes) {
        acc.displayType = DisplayType::dashes;
        return;
    }
    if (other.displayType == DisplayType::notAvailable || acc.displayType == DisplayType::dashes) return;
    if (acc.displayType == DisplayType::notAvailable) {
        acc = other;
        return;
    }
    acc.value = pick(acc.value, other.value);
    if (acc.displayType == DisplayType::normal) {
        acc.displayType = other.displayType;
    } else if (acc.displayType == inward && other.displayType == outward) {
        acc.displayType = outward;
    }
}

}  // namespace

void DisplayMeas::accumulateMax(const DisplayMeas& other) {
    const auto larger = [](const ScaledInt& a, const ScaledInt& b) { return max(a, b); };
    accumulate(*this, other, larger, DisplayType::greaterThan, DisplayType::lessThan);
}

void DisplayMeas::accumulateMin(const DisplayMeas& other) {
    const auto smaller = [](const ScaledInt& a, const ScaledInt& b) { return min(a, b); };
    accumulate(*this, other, smaller, DisplayType::lessThan, DisplayType::greaterThan);
}

void DisplayMeas::serialize(Marshal::IObjectWriter& w) const {
    w.write(static_cast<uint8_t>(1));
    value.serialize(w);
    w.write(static_cast<int8_t>(displayType));
}

Marshal::StreamOpStatus DisplayMeas::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > 1) return Marshal::versionTooNew;
    *this = DisplayMeas();
    if (auto st = value.deserialize(r); st != Marshal::ok) return st;
    int8_t type = 0;
    r.read(type);
    if (r.failed()) return Marshal::readError;
    displayType = static_cast<DisplayType>(type);
    return Marshal::ok;
}

void DisplayMeas::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { f.write("DisplayMeas", toString()); }

}  // namespace Kestrix
