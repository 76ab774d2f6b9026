#include "copper/WireMapData.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "serialization/Assert.h"

namespace Kestrix {

namespace {
const char* const kLabels[3][9] = {
    {"1", "2", "3", "4", "5", "6", "7", "8", "S"},
    {"1", "3", "2", "4", "5", "6", "7", "8", "S"},
    {"1", "2", "6", "7", "4", "5", "9", "10", "S"},
};

constexpr int kCells = 9;
constexpr int kCellWidth = 2;
constexpr int kMinLineBuffer = 20;

bool validPin(Pin p) { return p >= Pin::pin1 && p <= Pin::shield; }

// Pins of pair 1-4 for an adapter kind (0 standard, 212/213 the M12 adapters, 224 the IX adapter).
bool pairPins(int pair, int kind, bool swap, Pin& a, Pin& b) {
    static const int kStd[4][2] = {{1, 2}, {3, 6}, {4, 5}, {7, 8}};
    static const int kM12[4][2] = {{1, 2}, {3, 4}, {7, 8}, {5, 6}};
    static const int kIx[4][2] = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
    if (pair < 1 || pair > 4) return false;
    const int(*table)[2] = kStd;
    if (kind == Meascop::kLiaM12XCode || kind == Meascop::kLiaM12D)
        table = kM12;
    else if (kind == Meascop::kLiaIx)
        table = kIx;
    a = static_cast<Pin>(table[pair - 1][swap ? 1 : 0]);
    b = static_cast<Pin>(table[pair - 1][swap ? 0 : 1]);
    return true;
}

WireMapData::OutletFamily familyOf(const std::string& name) {
    if (name == "M12 X-Code" || name == "M12-D Two-Pair" || name == "M12-D Two-Pair Crossed")
        return WireMapData::OutletFamily::m12;
    if (name == "IX Chan") return WireMapData::OutletFamily::ix;
    return WireMapData::OutletFamily::standard;
}

int endIndex(CableEnd end) { return end == CableEnd::remote ? 1 : 0; }
}  // namespace

WireMapData::WireMapData(const Wiremap* wiremap, const CopperOutletConfig* outletConfiguration, Meascop::LiaId mainLia,
                         Meascop::LiaId remoteLia)
    : _wiremap(wiremap), _outlet(outletConfiguration), _mainLia(mainLia), _remoteLia(remoteLia) {
    KX_ASSERT(_wiremap != nullptr);
    KX_ASSERT(outletConfiguration != nullptr);
    _family = familyOf(_outlet->name);
    buildStyles();
    buildShortGroups();
}

int WireMapData::labelTable(bool mainEnd) const {
    const Meascop::LiaId a = mainEnd ? _mainLia : _remoteLia;
    const bool bothM12 = (_mainLia == Meascop::kLiaM12XCode &&
                          (_remoteLia == Meascop::kLiaM12XCode || _remoteLia == Meascop::kLiaM12D)) ||
                         (_mainLia == Meascop::kLiaM12D && _remoteLia == Meascop::kLiaM12XCode);
    if (a == Meascop::kLiaIx) return 2;
    if (a == Meascop::kLiaM12XCode && !bothM12) return 1;
    return 0;
}

std::string WireMapData::pinLabel(Pin pin, bool mainEnd) const {
    if (!validPin(pin)) return " ";
    return kLabels[labelTable(mainEnd)][static_cast<int>(pin) - 1];
}

void WireMapData::buildStyles() {
    int kind = 0;
    if (_family == OutletFamily::m12)
        kind = Meascop::kLiaM12XCode;
    else if (_mainLia == Meascop::kLiaIx || _remoteLia == Meascop::kLiaIx)
        kind = Meascop::kLiaIx;
    for (int p = 1; p <= 4; ++p) {
        const CopperOutletConfigArtifact* art = _outlet->artifactFor(static_cast<WirePair>(p));
        if (art == nullptr) continue;
        const int q = static_cast<int>(art->rcvWirePair);
        Pin a;
        Pin b;
        if (pairPins(p, kind, _outlet->pinSwap, a, b)) {
            _styles[0][static_cast<int>(a)] = {art->wire1Color, art->wire1IsDashed};
            _styles[0][static_cast<int>(b)] = {art->wire2Color, art->wire2IsDashed};
        }
        if (pairPins(q, kind, _outlet->pinSwap, a, b)) {
            _styles[1][static_cast<int>(a)] = {art->wire1Color, art->wire1IsDashed};
            _styles[1][static_cast<int>(b)] = {art->wire2Color, art->wire2IsDashed};
        }
    }
}

uint32_t WireMapData::pinColor(Pin pin, CableEnd end) const {
    return validPin(pin) ? _styles[endIndex(end)][static_cast<int>(pin)].color : 0;
}

bool WireMapData::isDashed(Pin pin, CableEnd end) const {
    return validPin(pin) && _styles[endIndex(end)][static_cast<int>(pin)].dashed;
}

void WireMapData::buildShortGroups() {
    // Group numbers per end and pin. A short on a pin outside 1-9 or at an end other than 1 or 2 cannot be
    // drawn and is left out. Every new group takes a pin without one, so an end has at most nine groups and
    // merges are rare: relabelling the shorts found so far keeps the whole linear.
    int groups[2][10] = {};
    for (const WiremapArtifactShort& s : _wiremap->shorts) {
        if (!validPin(s.pin1) || !validPin(s.pin2)) continue;
        if (s.cableEnd != CableEnd::end1 && s.cableEnd != CableEnd::end2) continue;
        int* slots = groups[endIndex(s.cableEnd)];
        int& g1 = slots[static_cast<int>(s.pin1)];
        int& g2 = slots[static_cast<int>(s.pin2)];
        int group;
        if (g1 == 0 && g2 == 0) {
            group = *std::max_element(slots, slots + 10) + 1;
        } else if (g1 == 0 || g2 == 0) {
            group = g1 != 0 ? g1 : g2;
        } else {
            group = std::min(g1, g2);
            const int higher = std::max(g1, g2);
            if (higher != group) {
                for (int i = 0; i < 10; ++i)
                    if (slots[i] == higher) slots[i] = group;
                for (ShortData& prev : _shorts)
                    if (prev.end == s.cableEnd && prev.group == higher) prev.group = group;
            }
        }
        g1 = group;
        g2 = group;
        _shorts.push_back(ShortData{s.cableEnd, s.pin1, s.pin2, s.lengthToShort, group});
    }
}

bool WireMapData::drawShield() const { return _wiremap->isPinUsed(Pin::shield); }

bool WireMapData::isSingleEnded() const { return _wiremap->connections.empty() && _wiremap->splitPairs.empty(); }

bool WireMapData::isPairBasedMap() const { return _wiremap->isDisplayByPairs; }

std::string WireMapData::pairComboLabel(PairCombo combo) const {
    static const int kCombos[12][2] = {{1, 2}, {1, 3}, {1, 4}, {2, 1}, {2, 3}, {2, 4},
                                       {3, 1}, {3, 2}, {3, 4}, {4, 1}, {4, 2}, {4, 3}};
    const int kind = _mainLia == Meascop::kLiaM12XCode || _mainLia == Meascop::kLiaM12D || _mainLia == Meascop::kLiaIx
                         ? _mainLia
                         : 0;
    auto pairLabel = [&](int pair) {
        Pin a;
        Pin b;
        if (!pairPins(pair, kind, false, a, b)) return std::string();
        return pinLabel(a, true) + "," + pinLabel(b, true);
    };
    const int c = static_cast<int>(combo);
    if (c >= 0 && c <= 3) return pairLabel(c + 1);
    if (c >= 4 && c <= 15) return pairLabel(kCombos[c - 4][0]) + "-" + pairLabel(kCombos[c - 4][1]);
    return std::string();
}

Pin WireMapData::cellPin(int cell) const {
    if (cell >= kCells) return Pin::shield;
    int target = cell;
    if (_mainLia == Meascop::kLiaIx) {
        if (cell >= 3 && cell <= 6)
            target = cell + 1;
        else if (cell >= 7)
            target = cell + 2;
    }
    for (int p = 1; p <= 9; ++p) {
        const Pin pin = static_cast<Pin>(p);
        if (std::atoi(pinLabel(pin, true).c_str()) == target) return pin;
    }
    return Pin::shield;
}

bool WireMapData::isMainPinOfConnection(Pin pin, Pin* remote) const {
    for (const WiremapArtifactConnected& c : _wiremap->connections) {
        if (c.mainPin == pin) {
            if (remote) *remote = c.remotePin;
            return true;
        }
    }
    return false;
}

bool WireMapData::isOpenPin(Pin pin) const {
    for (const WiremapArtifactOpen& o : _wiremap->opens)
        if (o.pin == pin) return true;
    return false;
}

bool WireMapData::isFirstPinOfShort(Pin pin, Pin* second) const {
    for (const WiremapArtifactShort& s : _wiremap->shorts) {
        if (s.pin1 == pin) {
            if (second) *second = s.pin2;
            return true;
        }
    }
    return false;
}

char* WireMapData::textLineOut(int line, char* buffer, int size) const {
    if (_wiremap == nullptr || line < 0 || line > 2 || buffer == nullptr || size < kMinLineBuffer) return nullptr;
    buffer[0] = '\0';
    for (int cell = 1; cell <= kCells; ++cell) {
        const int offset = (cell - 1) * kCellWidth;
        char* out = buffer + offset;
        const size_t room = static_cast<size_t>(size - offset);
        const Pin pin = cellPin(cell);
        Pin other = Pin::notset;
        switch (line) {
            case 0: {
                const bool used = pin == Pin::shield ? _wiremap->isPinUsed(Pin::shield)
                                                     : isMainPinOfConnection(pin, nullptr) || isOpenPin(pin);
                if (!used)
                    std::snprintf(out, room, "  ");
                else if (pin == Pin::shield)
                    std::snprintf(out, room, "S ");
                else
                    std::snprintf(out, room, "%s ", pinLabel(pin, true).c_str());
                break;
            }
            case 1:
                if (isFirstPinOfShort(pin, nullptr))
                    std::snprintf(out, room, "s ");
                else if (isMainPinOfConnection(pin, nullptr))
                    std::snprintf(out, room, "| ");
                else if (isOpenPin(pin))
                    std::snprintf(out, room, "o ");
                else
                    std::snprintf(out, room, "  ");
                break;
            default:
                if (isFirstPinOfShort(pin, &other) || isMainPinOfConnection(pin, &other))
                    std::snprintf(out, room, "%s ", pinLabel(other, true).c_str());
                else
                    std::snprintf(out, room, "  ");
                break;
        }
    }
    return buffer;
}

}  // namespace Kestrix
