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

void DisplayMeas::accumulateMax(const DisplayMeas& other) {
    if (other.displayType == DisplayType::dashes) {
        displayType = DisplayType::dashes;
        return;
    }
    if (other.displayType == DisplayType::notAvailable || displayType == DisplayType::dashes) return;
    switch (displayType) {
        case DisplayType::notAvailable: *this = other; break;
        case DisplayType::normal:
            value = max(value, other.value);
            displayType = other.displayType;
            break;
        case DisplayType::greaterThan: value = max(value, other.value); break;
        case DisplayType::lessThan:
            value = max(value, other.value);
            if (other.displayType == DisplayType::greaterThan) displayType = DisplayType::greaterThan;
            break;
        default: break;
    }
}

void DisplayMeas::accumulateMin(const DisplayMeas& other) {
    if (other.displayType == DisplayType::dashes) {
        displayType = DisplayType::dashes;
        return;
    }
    if (other.displayType == DisplayType::notAvailable || displayType == DisplayType::dashes) return;
    switch (displayType) {
        case DisplayType::notAvailable: *this = other; break;
        case DisplayType::normal:
            value = min(value, other.value);
            displayType = other.displayType;
            break;
        case DisplayType::greaterThan:
            value = min(value, other.value);
            if (other.displayType == DisplayType::lessThan) displayType = DisplayType::lessThan;
            break;
        case DisplayType::lessThan: value = min(value, other.value); break;
        default: break;
    }
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
