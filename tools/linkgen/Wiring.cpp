// Colour codes of ANSI/TIA-568 (T568A and T568B) for 8-position modular jacks: T568B puts the orange pair
// on pins 1-2, green on 3-6, blue on 4-5 and brown on 7-8; T568A swaps the orange and green pairs. The
// white, striped wire of each pair is on the odd pin (1, 3, 5, 7).
#include "Wiring.h"

namespace Kestrix::LinkGen {

namespace {

// Pins of pair 1 to 4 as the tester numbers its pairs (1-2, 3-6, 4-5, 7-8).
constexpr int kPins[5][2] = {{0, 0}, {1, 2}, {3, 6}, {4, 5}, {7, 8}};

uint32_t pairColour(Wiring w, int pair) {
    switch (pair) {
        case 1: return w == Wiring::t568B ? kOrange : kGreen;
        case 2: return w == Wiring::t568B ? kGreen : kOrange;
        case 3: return kBlue;
        default: return kBrown;
    }
}

ScaledInt metres(double m) { return ScaledInt(static_cast<float>(m), ScaledInt::tenths); }

WiremapArtifactConnected connect(int main, int remote) {
    WiremapArtifactConnected c;
    c.mainPin = static_cast<Pin>(main);
    c.remotePin = static_cast<Pin>(remote);
    return c;
}

// Where each main pin arrives at the remote end; 0 for a pin that arrives nowhere.
void remap(WiremapFault fault, int (&to)[10]) {
    switch (fault) {
        case WiremapFault::reversedPair:
            to[1] = 2;
            to[2] = 1;
            break;
        case WiremapFault::crossedPairs:  // one end wired T568A, the other T568B
            to[1] = 3;
            to[2] = 6;
            to[3] = 1;
            to[6] = 2;
            break;
        case WiremapFault::miswire:  // two wires of different pairs swapped at one end
            to[3] = 4;
            to[4] = 3;
            break;
        default: break;
    }
}

}  // namespace

const char* wiringName(Wiring w) { return w == Wiring::t568A ? "T568A" : "T568B"; }

PinWire pinWire(Wiring w, int pin) {
    for (int pair = 1; pair <= 4; ++pair)
        for (int k = 0; k < 2; ++k)
            if (kPins[pair][k] == pin) return {pairColour(w, pair), pin % 2 == 1};
    return {};
}

CopperOutletConfig outletConfig(Wiring w) {
    CopperOutletConfig oc;
    oc.name = wiringName(w);
    for (int pair = 1; pair <= 4; ++pair) {
        CopperOutletConfigArtifact a;
        a.srcWirePair = static_cast<WirePair>(pair);
        a.rcvWirePair = a.srcWirePair;
        const PinWire first = pinWire(w, kPins[pair][0]);
        const PinWire second = pinWire(w, kPins[pair][1]);
        a.wire1Color = first.rgb;
        a.wire1IsDashed = first.striped;
        a.wire2Color = second.rgb;
        a.wire2IsDashed = second.striped;
        oc.artifacts.push_back(a);
    }
    return oc;
}

CopperOutletConfig coaxOutlet() {
    CopperOutletConfig oc;
    oc.name = "Coax";
    CopperOutletConfigArtifact a;
    a.srcWirePair = kCoaxPair;
    a.rcvWirePair = kCoaxPair;
    a.wire1Color = 0xB87333;  // copper centre conductor
    a.wire2Color = 0x808080;  // braid
    oc.artifacts.push_back(a);
    return oc;
}

const char* toString(WiremapFault f) {
    switch (f) {
        case WiremapFault::none: return "none";
        case WiremapFault::open: return "open";
        case WiremapFault::shortCircuit: return "short";
        case WiremapFault::reversedPair: return "reversed pair";
        case WiremapFault::crossedPairs: return "crossed pairs";
        case WiremapFault::splitPair: return "split pair";
        case WiremapFault::miswire: return "miswire";
        case WiremapFault::shieldOpen: return "shield open";
    }
    return "";
}

Wiremap wiremap(const WiremapDesign& design) {
    Wiremap w;
    w.status = design.fault == WiremapFault::none ? Status::pass : Status::fail;
    int to[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    remap(design.fault, to);
    const int lastPin = design.shielded ? 9 : 8;
    for (int pin = 1; pin <= lastPin; ++pin) {
        const bool opened = (design.fault == WiremapFault::open && pin == design.pin) ||
                            (design.fault == WiremapFault::shieldOpen && pin == 9);
        const bool shorted = design.fault == WiremapFault::shortCircuit && (pin == design.pin || pin == design.pin2);
        if (opened) {
            WiremapArtifactOpen o;
            o.cableEnd = CableEnd::main;
            o.pin = static_cast<Pin>(pin);
            o.lengthToOpen = metres(design.faultAtM);
            w.opens.push_back(o);
        } else if (!shorted) {
            w.connections.push_back(connect(pin, to[pin]));
        }
    }
    if (design.fault == WiremapFault::shortCircuit) {
        WiremapArtifactShort s;
        s.cableEnd = CableEnd::main;
        s.pin1 = static_cast<Pin>(design.pin);
        s.pin2 = static_cast<Pin>(design.pin2);
        s.lengthToShort = metres(design.faultAtM);
        w.shorts.push_back(s);
    }
    if (design.fault == WiremapFault::splitPair) {
        // Pins 2 and 3 swapped at both ends: continuity is right, the pairs are not.
        WiremapArtifactSplitPair s;
        s.pair1 = WirePair::pair1;
        s.pair2 = WirePair::pair2;
        s.lengthFromMain = metres(design.splitFromMainM);
        s.lengthFromRemote = metres(design.splitFromRemoteM);
        w.splitPairs.push_back(s);
    }
    return w;
}

}  // namespace Kestrix::LinkGen
