#pragma once
// Event kinds of the OTDR analysis: the row type, the analysis flags of an event and how one follows from
// the other. Values are stored: frozen.
#include <cstdint>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "fiber/FiberLimitTypes.h"

namespace Kestrix {

// Type of an event-table row (1 byte stored).
enum class EventType : int32_t {
    launch = 0,
    tail = 1,
    echoSource = 2,
    cassette = 3,
    splitter = 4,
    bend = 5,
    connector = 6,
    splice = 7,
    hidden = 8,
    reflection = 9,
    gainer = 10,
    loss = 11,
    echo = 12,
    hiddenEnd = 13,
    end = 14,
    bulkhead = 15,
    weakSignal = 16,
    outOfRange = 17,
    noSignal = 18,
    noFiber = 19,
    unknown = 20,
};

// "Launch" ...; empty for other values.
const char* toString(EventType t);

// Analysis flags of an event: bits 0-5 a base code, higher bits flags.
namespace OtdrAnEventType {
inline constexpr uint32_t baseMask = 63;
// Base codes.
inline constexpr uint32_t loss = 0;
inline constexpr uint32_t splice = 1;
inline constexpr uint32_t gainer = 2;
inline constexpr uint32_t splitter = 3;
inline constexpr uint32_t refl = 4;
inline constexpr uint32_t connector = 5;
inline constexpr uint32_t bend = 6;
inline constexpr uint32_t cassette = 7;
inline constexpr uint32_t bulkhead = 12;
inline constexpr uint32_t loopStart = 13;
inline constexpr uint32_t endNoRefl = 16;
inline constexpr uint32_t loopEndNoRefl = 17;
inline constexpr uint32_t end = 20;
inline constexpr uint32_t loopEnd = 21;
inline constexpr uint32_t unknown = 32;
inline constexpr uint32_t weakSignal = 48;
inline constexpr uint32_t outOfRange = 50;
inline constexpr uint32_t noSignal = 56;
inline constexpr uint32_t noFiber = 60;
// Flags.
inline constexpr uint32_t launch = 64;
inline constexpr uint32_t tail = 128;
inline constexpr uint32_t echoCause = 256;
inline constexpr uint32_t echoMight = 512;
inline constexpr uint32_t echo = 1024;
inline constexpr uint32_t echoBs = 2048;
inline constexpr uint32_t clipped = 4096;
inline constexpr uint32_t reflUnder = 8192;
inline constexpr uint32_t lossMethod2pt = 16384;
inline constexpr uint32_t lossMethodOth = 32768;
inline constexpr uint32_t hidden = 0x10000;
inline constexpr uint32_t quesSlope = 0x20000;
inline constexpr uint32_t quesBs = 0x40000;
inline constexpr uint32_t quesLoc = 0x80000;
inline constexpr uint32_t defSlope = 0x100000;
}  // namespace OtdrAnEventType

// True when every bit of t is set in flags.
inline bool isAnEventType(uint32_t flags, uint32_t t) { return (flags & t) == t; }

// Texts of the base code and of each set flag ("connector", "launch", "loss method lsa", ...).
std::vector<std::string> anEventTypeTexts(uint32_t flags);

// The row type the analysis flags of one event stand for.
EventType otdrEventType(uint32_t flags);
// The type of a row from the flags of all its events (they may disagree); "Unknown" for none.
EventType otdrEventType(const std::vector<uint32_t>& eventFlags);

// Hidden group marker of a row (1 byte stored): a group runs from a "Begin" row to the next "End" row.
enum class HiddenGroupMarker : uint8_t { notSet = 0, begin = 1, end = 2 };
inline constexpr uint8_t kLastHiddenGroupMarker = 2;
// "Not set", "Begin", "End"; a programming error for any other value.
const char* toString(HiddenGroupMarker m);

// Family of limit values a check result belongs to.
enum class FiberLimitMetaType : int32_t {
    maxLength = 0,
    minLength = 1,
    maxLoss = 2,
    minLoss = 3,
    maxReflectance = 4,
    minReflectance = 5,
    maxAttenCoef = 6,
    minAttenCoef = 7,
};
// The family of a limit value type; none for types outside every family.
boost::optional<FiberLimitMetaType> metaTypeOf(FiberLimitValueType t);

}  // namespace Kestrix
