#include "fiber/FiberOtdrEventTypes.h"

#include <algorithm>
#include <iterator>

#include "serialization/Assert.h"

namespace Kestrix {

namespace A = OtdrAnEventType;

const char* toString(EventType t) {
    static const char* const texts[] = {
        "Launch", "Tail",     "EchoSource", "Cassette",   "Splitter", "Bend",    "Connector",
        "Splice", "Hidden",   "Reflection", "Gainer",     "Loss",     "Echo",    "HiddenEnd",
        "End",    "Bulkhead", "WeakSignal", "OutOfRange", "NoSignal", "NoFiber", "Unknown"};
    const auto i = static_cast<uint32_t>(t);
    return i < std::size(texts) ? texts[i] : "";
}

std::vector<std::string> anEventTypeTexts(uint32_t flags) {
    struct Text {
        uint32_t value;
        const char* text;
    };
    static constexpr Text bases[] = {
        {0, "loss"},          {1, "splice"},      {2, "gainer"},       {3, "splitter"},
        {4, "refl"},          {5, "connector"},   {6, "bend"},         {7, "cassette"},
        {12, "bulkhead"},     {13, "loop start"}, {16, "end no refl"}, {17, "loop end no refl"},
        {20, "end"},          {21, "loop end"},   {32, "unknown"},     {48, "weak signal"},
        {50, "out of range"}, {56, "no signal"},  {60, "no fiber"}};
    static constexpr Text bits[] = {{A::launch, "launch"},
                                    {A::tail, "tail"},
                                    {A::echoCause, "echo cause"},
                                    {A::echoMight, "echo might"},
                                    {A::echo, "echo"},
                                    {A::echoBs, "echo bs"},
                                    {A::clipped, "clipped"},
                                    {A::reflUnder, "refl under"},
                                    {A::hidden, "hidden"},
                                    {A::quesSlope, "ques slope"},
                                    {A::quesBs, "ques bs"},
                                    {A::quesLoc, "ques loc"},
                                    {A::defSlope, "def slope"}};
    std::vector<std::string> out;
    const uint32_t base = flags & A::baseMask;
    for (const auto& b : bases)
        if (b.value == base) out.emplace_back(b.text);
    for (const auto& b : bits) {
        if (flags & b.value) out.emplace_back(b.text);
        if (b.value == A::reflUnder) {
            // The loss method sits between the reflection and the hidden flags.
            if (flags & A::lossMethod2pt) out.emplace_back("loss method 2pt");
            if (flags & A::lossMethodOth) out.emplace_back("loss method oth");
            if (!(flags & (A::lossMethod2pt | A::lossMethodOth))) out.emplace_back("loss method lsa");
        }
    }
    return out;
}

EventType otdrEventType(uint32_t flags) {
    const uint32_t b = flags & A::baseMask;
    if ((flags & 3) == 3) return EventType::splitter;
    if ((flags & 6) == 6) return EventType::bend;
    if (flags & A::launch) return EventType::launch;
    if (flags & A::tail) return EventType::tail;
    if (flags & 32) {
        switch (b) {
            case A::weakSignal: return EventType::weakSignal;
            case A::outOfRange: return EventType::outOfRange;
            case A::noSignal: return EventType::noSignal;
            case A::noFiber: return EventType::noFiber;
            default: return EventType::unknown;
        }
    }
    if (flags & 16) return (flags & A::hidden) ? EventType::hiddenEnd : EventType::end;
    if (flags & 8) return EventType::bulkhead;
    if (flags & A::echoCause) return EventType::echoSource;
    if (flags & A::echo) return EventType::echo;
    if (flags & A::hidden) return EventType::hidden;
    switch (b) {
        case 0: return EventType::loss;
        case 1: return EventType::splice;
        case 2: return EventType::gainer;
        case 4: return EventType::reflection;
        case 5: return EventType::connector;
        case 7: return EventType::cassette;
        default: return EventType::unknown;
    }
}

EventType otdrEventType(const std::vector<uint32_t>& eventFlags) {
    if (eventFlags.empty()) return EventType::unknown;
    std::vector<EventType> types;
    types.reserve(eventFlags.size());
    for (uint32_t f : eventFlags) types.push_back(otdrEventType(f));
    if (std::all_of(types.begin(), types.end(), [&](EventType t) { return t == types.front(); })) return types.front();
    const bool signalProblem =
        std::any_of(eventFlags.begin(), eventFlags.end(), [](uint32_t f) { return (f & 48) == 48; });
    if (signalProblem) {
        const bool allBulkhead = std::all_of(types.begin(), types.end(), [](EventType t) {
            return t == EventType::noFiber || t == EventType::bulkhead;
        });
        return allBulkhead ? EventType::bulkhead : EventType::unknown;
    }
    static constexpr EventType priority[] = {EventType::end,      EventType::hiddenEnd,  EventType::launch,
                                             EventType::tail,     EventType::echoSource, EventType::cassette,
                                             EventType::splitter, EventType::bend,       EventType::connector,
                                             EventType::splice,   EventType::reflection, EventType::hidden,
                                             EventType::gainer,   EventType::loss,       EventType::echo,
                                             EventType::bulkhead, EventType::weakSignal, EventType::outOfRange,
                                             EventType::noSignal, EventType::noFiber,    EventType::unknown};
    for (EventType p : priority)
        if (std::find(types.begin(), types.end(), p) != types.end()) return p;
    return EventType::unknown;
}

const char* toString(HiddenGroupMarker m) {
    switch (m) {
        case HiddenGroupMarker::notSet: return "Not set";
        case HiddenGroupMarker::begin: return "Begin";
        case HiddenGroupMarker::end: return "End";
    }
    assertFail("Invalid hidden group marker", __FILE__, __LINE__);
}

boost::optional<FiberLimitMetaType> metaTypeOf(FiberLimitValueType t) {
    const auto v = static_cast<uint32_t>(t);
    using F = FiberLimitValueType;
    switch (t) {
        case F::maxLength: return FiberLimitMetaType::maxLength;
        case F::minLength: return FiberLimitMetaType::minLength;
        case F::maxOverallLoss:
        case F::maxConnectorLoss:
        case F::maxSpliceLoss: return FiberLimitMetaType::maxLoss;
        case F::minOverallLoss:
        case F::minConnectorLoss:
        case F::minSpliceLoss: return FiberLimitMetaType::minLoss;
        case F::maxReflectance:
        case F::maxEndReflectance:
        case F::maxSplitterReflectance: return FiberLimitMetaType::maxReflectance;
        case F::minOverallORL:
        case F::minReflectance:
        case F::minEndReflectance: return FiberLimitMetaType::minReflectance;
        case F::maxSegmentAttenCoef:
        case F::maxOverallAttenCoef: return FiberLimitMetaType::maxAttenCoef;
        case F::minSegmentAttenCoef: return FiberLimitMetaType::minAttenCoef;
        default: break;
    }
    if ((v >= 16 && v <= 33) || (v >= 35 && v <= 50)) return FiberLimitMetaType::maxLoss;
    return boost::none;
}

}  // namespace Kestrix
