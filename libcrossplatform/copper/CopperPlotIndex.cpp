#include "copper/CopperPlotIndex.h"

namespace Kestrix {

CopperPlotIndex::CopperPlotIndex(const CopperPlots& plots) {
    for (const auto& p : plots.plots) {
        if (!p) continue;
        _first.emplace(Key(static_cast<int32_t>(p->testType), static_cast<int32_t>(p->cableEnd),
                           static_cast<int32_t>(p->srcPair), static_cast<int32_t>(p->rcvPair)),
                       p.get());
        ++_countByType[static_cast<int32_t>(p->testType)];
    }
}

const CopperPlot* CopperPlotIndex::find(CopperTestType t, CableEnd e, WirePair src, WirePair rcv) const {
    const auto it = _first.find(
        Key(static_cast<int32_t>(t), static_cast<int32_t>(e), static_cast<int32_t>(src), static_cast<int32_t>(rcv)));
    return it == _first.end() ? nullptr : it->second;
}

bool CopperPlotIndex::hasType(CopperTestType t) const { return _countByType.count(static_cast<int32_t>(t)) != 0; }

}  // namespace Kestrix
