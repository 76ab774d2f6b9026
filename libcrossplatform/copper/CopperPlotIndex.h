#pragma once
// Plots of a test looked up by their keys in log time, for the work that meets every plot with every limit
// curve (evaluation, rule masks).
#include <cstdint>
#include <map>
#include <tuple>

#include "copper/CopperPlots.h"

namespace Kestrix {

class CopperPlotIndex {
public:
    explicit CopperPlotIndex(const CopperPlots& plots);

    // The first plot with these keys, as CopperPlots::findPlot() finds it, or null.
    const CopperPlot* find(CopperTestType t, CableEnd e, WirePair src, WirePair rcv) const;
    bool hasType(CopperTestType t) const;

private:
    using Key = std::tuple<int32_t, int32_t, int32_t, int32_t>;
    std::map<Key, const CopperPlot*> _first;
    std::map<int32_t, size_t> _countByType;
};

}  // namespace Kestrix
