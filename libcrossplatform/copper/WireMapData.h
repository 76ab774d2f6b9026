#pragma once
// Presentation model of a wiremap for drawing and for its three-line text form: pin labels, colours, dash
// styles and short groups, from the wiremap, the test's outlet configuration and both ends' adapter codes.
#include <cstdint>
#include <string>
#include <vector>

#include "copper/CopperOutletConfig.h"
#include "copper/LiaId.h"
#include "copper/Wiremap.h"

namespace Kestrix {

class WireMapData {
public:
    // 0-3 the single pairs 1-4; 4-15 the ordered combinations (1,2) (1,3) (1,4) (2,1) ... (4,3).
    enum PairCombo : int32_t { pair1 = 0, pair2 = 1, pair3 = 2, pair4 = 3, pair12 = 4, pair43 = 15 };

    enum class OutletFamily : int32_t { standard = 0, m12 = 1, ix = 2 };

    struct ShortData {
        CableEnd end = CableEnd::notset;
        Pin pin1 = Pin::notset;
        Pin pin2 = Pin::notset;
        ScaledInt length;
        int group = 0;
    };

    // Both objects are borrowed and must outlive this one; neither may be null.
    WireMapData(const Wiremap* wiremap, const CopperOutletConfig* outletConfiguration, Meascop::LiaId mainLia,
                Meascop::LiaId remoteLia);

    // Label of a pin at one end; " " for pins outside 1 to 9.
    std::string pinLabel(Pin pin, bool mainEnd) const;
    // Colour and dash style of a pin's wire; the remote end for end 2, the main end otherwise.
    uint32_t pinColor(Pin pin, CableEnd end) const;
    bool isDashed(Pin pin, CableEnd end) const;

    bool drawShield() const;
    bool isSingleEnded() const;
    bool isPairBasedMap() const;
    OutletFamily outletFamily() const { return _family; }

    const std::vector<WiremapArtifactConnected>& connectionList() const { return _wiremap->connections; }
    const std::vector<WiremapArtifactOpen>& openList() const { return _wiremap->opens; }
    const std::vector<WiremapArtifactSplitPair>& splitPairList() const { return _wiremap->splitPairs; }
    const std::vector<ShortData>& shortList() const { return _shorts; }

    // "1,2-4,5" style label of a pair or combination, from the main end's labels; empty above 15.
    std::string pairComboLabel(PairCombo combo) const;

    // One of the three text lines (0 main end, 1 link, 2 remote end) as nine two-character cells.
    // Null for a line outside 0-2, a null buffer or a size below 20; never writes beyond `size`.
    char* textLineOut(int line, char* buffer, int size) const;

private:
    struct PinStyle {
        uint32_t color = 0;
        bool dashed = false;
    };

    int labelTable(bool mainEnd) const;
    void buildStyles();
    void buildShortGroups();
    // The pin shown in text cell 1-9.
    Pin cellPin(int cell) const;
    bool isMainPinOfConnection(Pin pin, Pin* remote) const;
    bool isOpenPin(Pin pin) const;
    bool isFirstPinOfShort(Pin pin, Pin* second) const;

    const Wiremap* _wiremap;
    const CopperOutletConfig* _outlet;
    Meascop::LiaId _mainLia;
    Meascop::LiaId _remoteLia;
    OutletFamily _family = OutletFamily::standard;
    PinStyle _styles[2][10];  // [main, remote][pin]
    std::vector<ShortData> _shorts;
};

}  // namespace Kestrix
