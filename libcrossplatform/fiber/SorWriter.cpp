#include "fiber/SorWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <unordered_set>

#include "fiber/FiberSr4731.h"
#include "fiber/SorFormat.h"

namespace Kestrix {

namespace {

constexpr double kLightMetresPerNs = 0.299792458;
// Used when neither the trace nor the fiber holds a usable group index.
constexpr double kDefaultGroupIndex = 1.4682;

template <typename T>
T clampTo(int64_t v) {
    if (v < std::numeric_limits<T>::min()) return std::numeric_limits<T>::min();
    if (v > std::numeric_limits<T>::max()) return std::numeric_limits<T>::max();
    return static_cast<T>(v);
}

int64_t roundToInt64(double v) {
    if (!std::isfinite(v)) return 0;
    if (v >= 9.0e18) return std::numeric_limits<int64_t>::max();
    if (v <= -9.0e18) return std::numeric_limits<int64_t>::min();
    return std::llround(v);
}

// Thousandths of the measured value; a missing or infinite value is 0.
int64_t milli(const ToleranceMeas& m) { return m.value.isFinite() ? roundToInt64(m.value.toDouble() * 1000.0) : 0; }

class BlockOut {
public:
    explicit BlockOut(const char* name) { text(name); }
    void u16(uint16_t v) { put(v, 2); }
    void i16(int16_t v) { put(static_cast<uint16_t>(v), 2); }
    void u32(uint32_t v) { put(v, 4); }
    void i32(int32_t v) { put(static_cast<uint32_t>(v), 4); }
    // Zero-terminated; a stored zero byte would end the text early, so it is dropped.
    void text(const std::string& s) {
        for (char c : s)
            if (c != '\0') _bytes.push_back(static_cast<uint8_t>(c));
        _bytes.push_back(0);
    }
    // A fixed-width code without terminator, cut or padded with spaces to `width`.
    void code(const std::string& s, size_t width) {
        for (size_t i = 0; i < width; ++i) _bytes.push_back(static_cast<uint8_t>(i < s.size() ? s[i] : ' '));
    }
    void reserve(size_t n) { _bytes.reserve(_bytes.size() + n); }
    std::vector<uint8_t>& bytes() { return _bytes; }

private:
    void put(uint32_t v, int n) {
        for (int i = 0; i < n; ++i) _bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    std::vector<uint8_t> _bytes;
};

double groupIndex(const FiberOtdrTest& test, int wavelength) {
    const auto usable = [](double ir) { return std::isfinite(ir) && ir >= 1.0 && ir <= 3.0; };
    if (const FiberOtdrPlot* plot = test.plots.getPlot(wavelength); plot && usable(plot->ir)) return plot->ir;
    if (const FiberPerWl* f = test.fiber.getFiberPerWl(wavelength); f && usable(f->ir)) return f->ir;
    return kDefaultGroupIndex;
}

// The scale factor that keeps values up to `maxValue` (thousandths of a dB) within 16 bits.
uint16_t scaleFor(int64_t maxValue, int64_t cap) {
    if (maxValue <= 0xFFFF) return Sor::kUnitScale;
    return static_cast<uint16_t>(std::min<int64_t>((maxValue * Sor::kUnitScale + 0xFFFE) / 0xFFFF, cap));
}

uint16_t scaled(int64_t v, uint16_t scale) {
    return clampTo<uint16_t>((std::max<int64_t>(v, 0) * Sor::kUnitScale + scale / 2) / scale);
}

struct Context {
    const FiberOtdrTest& test;
    int wavelength;
    const FiberSr4731& view;
    double ir;
};

std::vector<uint8_t> genParams(const Context& c, const std::string& cableId) {
    const FiberTestSummary& s = c.test.summary;
    const bool fromEnd2 = s.cableEnd == CableEnd::end2;
    BlockOut b(Sor::kGenParams);
    b.code("EN", 2);
    b.text(cableId);
    b.text("");  // fiber id: the result names the cable only
    const FiberMode mode = c.test.fiber.fiberMode;
    b.u16(mode == FiberMode::singlemode ? 652 : mode == FiberMode::multimode ? 651 : 0);
    b.u16(clampTo<uint16_t>(c.wavelength));
    b.text(fromEnd2 ? s.end2Name : s.end1Name);
    b.text(fromEnd2 ? s.end1Name : s.end2Name);
    b.text(c.test.fiber.name);
    b.code("BC", 2);  // as built
    b.i32(c.view.getUserOffset());
    b.i32(sorTimeToDistance(c.view.getUserOffset(), c.ir));
    b.text(s.operatorName);
    b.text(s.comment);
    return std::move(b.bytes());
}

std::vector<uint8_t> supParams(const Context& c) {
    const EquipmentInformation& e = c.test.equipmentInfo;
    BlockOut b(Sor::kSupParams);
    b.text("");  // supplier: the result does not name one
    b.text(e.modelIdStr);
    b.text(e.modelSerialNumber);
    b.text(e.getModuleIdStr());
    b.text(e.moduleSerialNumber);
    b.text(e.softwareVersion);
    b.text("Kestrix SR-4731 export");
    return std::move(b.bytes());
}

std::vector<uint8_t> fxdParams(const Context& c, int64_t upper) {
    const FiberSr4731& v = c.view;
    const FiberOtdrSettingsPerWl* settings = c.test.settings.getSettingsPerWl(c.wavelength);
    const FiberOtdrOverallResultsPerWl* overall = v.overallResultsPerWl();
    BlockOut b(Sor::kFxdParams);
    b.u32(clampTo<uint32_t>(c.test.summary.timestamp));
    b.code(Sor::kUnitsMetres, 2);
    const double actual = overall ? static_cast<double>(overall->actualWavelength) : 0.0;
    b.u16(clampTo<uint16_t>(std::isfinite(actual) && actual > 0 ? roundToInt64(actual * 10.0)
                                                                : static_cast<int64_t>(c.wavelength) * 10));
    // The view's acquisition offset counts from the user offset; the file's from the front panel.
    const int32_t acqOffset = clampTo<int32_t>(static_cast<int64_t>(v.getAcqOffset()) - v.getUserOffset());
    b.i32(acqOffset);
    b.i32(sorTimeToDistance(acqOffset, c.ir));
    b.u16(1);  // one pulse width
    b.u16(clampTo<uint16_t>(v.getPWU()));
    b.i32(v.getDataSpacing());
    b.i32(v.getNumDataPoints());
    b.i32(clampTo<int32_t>(roundToInt64(c.ir * 100000.0)));
    b.u16(clampTo<uint16_t>(std::abs(static_cast<int64_t>(v.getBackscatterCoef()))));
    b.i32(v.averages());
    const double seconds =
        settings && settings->actualOtdrAveragingTime.isFinite() ? settings->actualOtdrAveragingTime.toDouble() : 0.0;
    b.u16(clampTo<uint16_t>(roundToInt64(seconds)));
    b.i32(v.getAcqRange());
    b.i32(sorTimeToDistance(v.getAcqRange(), c.ir));
    b.i32(0);  // front panel offset: the trace starts its times at the front panel
    // The noise floor counts down from the top of the trace, like the data points.
    const int64_t noise = upper - v.getNoiseFloorLevel();
    const uint16_t noiseScale = scaleFor(noise, std::numeric_limits<int16_t>::max());
    b.u16(scaled(noise, noiseScale));
    b.i16(static_cast<int16_t>(noiseScale));
    b.u16(0);  // power offset of the first point
    b.u16(clampTo<uint16_t>(v.getLossThreshold()));
    b.u16(clampTo<uint16_t>(v.getReflThreshold()));
    b.u16(clampTo<uint16_t>(v.getEndThreshold()));
    b.code("ST", 2);                       // standard trace
    for (int i = 0; i < 4; ++i) b.i32(0);  // window coordinates
    return std::move(b.bytes());
}

std::string eventCode(const FiberOtdrEvent& e, bool isEnd) {
    std::string code(1, '0');
    if (isAnEventType(e.anEventTypeFlags, OtdrAnEventType::clipped))
        code[0] = '2';
    else if (milli(e.reflectanceTolMeas) != 0)
        code[0] = '1';
    code += isEnd ? 'E' : 'F';
    return code + "9999";
}

const char* lossTechnique(uint32_t flags) {
    if (isAnEventType(flags, OtdrAnEventType::lossMethod2pt)) return "2P";
    if (isAnEventType(flags, OtdrAnEventType::lossMethodOth)) return "OT";
    return "LS";
}

std::vector<uint8_t> keyEvents(const Context& c) {
    const FiberOtdrEventTable& table = c.test.eventTable;
    std::vector<const FiberOtdrEvent*> events;
    for (const auto& e : table.events)
        if (static_cast<int>(e.wavelength) == c.wavelength) events.push_back(&e);
    const FiberOtdrEvent* end = table.getEventWithAnEventTypeFlags(c.wavelength, OtdrAnEventType::tail, 0, false);
    if (!end && !events.empty()) end = events.back();

    BlockOut b(Sor::kKeyEvents);
    const auto count = static_cast<uint16_t>(std::min<size_t>(events.size(), 0xFFFF));
    b.u16(count);
    for (uint16_t i = 0; i < count; ++i) {
        const FiberOtdrEvent& e = *events[i];
        b.u16(static_cast<uint16_t>(i + 1));
        b.i32(truncToInt32(static_cast<double>(e.propTime) * 10.0));
        // The coefficient stored with an event is of the section after it; the file wants the one before.
        b.i16(i == 0 ? 0 : clampTo<int16_t>(milli(events[i - 1]->attnCoefTolMeas)));
        b.i16(clampTo<int16_t>(milli(e.lossTolMeas)));
        b.i32(clampTo<int32_t>(milli(e.reflectanceTolMeas)));
        b.code(eventCode(e, &e == end), 6);
        b.code(lossTechnique(e.anEventTypeFlags), 2);
        for (int m = 0; m < 5; ++m) b.i32(0);  // marker locations
        b.text(e.rowIndex < table.rowCount() ? toString(table.getRowByIndex(e.rowIndex).displayEventType()) : "");
    }
    const FiberOtdrOverallResultsPerWl* overall = c.view.overallResultsPerWl();
    b.i32(overall ? clampTo<int32_t>(milli(overall->overallLossTolMeas)) : 0);
    b.i32(c.view.getUserOffset());
    b.i32(c.view.getEndMarker());
    b.u16(overall ? clampTo<uint16_t>(milli(overall->overallOrlTolMeas)) : 0);
    b.i32(c.view.getUserOffset());
    b.i32(c.view.getEndMarker());
    return std::move(b.bytes());
}

std::vector<uint8_t> cksumHeader() { return std::move(BlockOut(Sor::kCksum).bytes()); }

}  // namespace

uint16_t sorChecksum(const uint8_t* data, size_t size) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<uint16_t>(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit) crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

int32_t sorTimeToDistance(int64_t time100ps, double ir) {
    if (!(ir > 0)) return 0;
    return clampTo<int32_t>(roundToInt64(static_cast<double>(time100ps) * kLightMetresPerNs / ir));
}

std::vector<uint16_t> sorWavelengths(const FiberOtdrTest& test) {
    std::vector<uint16_t> out;
    std::unordered_set<uint16_t> seen;
    for (const auto& plot : test.plots.plots)
        if (seen.insert(plot.wavelength).second) out.push_back(plot.wavelength);
    return out;
}

std::optional<std::vector<uint8_t>> writeSor(const FiberOtdrTest& test, int wavelength, const std::string& cableId) {
    const FiberOtdrPlot* plot = test.plots.getPlot(wavelength);
    if (!plot) return std::nullopt;
    const size_t n = plot->dataPoints.size();
    // The DataPts block's size must fit its signed 32-bit field.
    if (n > (static_cast<size_t>(std::numeric_limits<int32_t>::max()) - 64) / 2) return std::nullopt;

    const FiberSr4731 view(test, wavelength);
    const Context c{test, wavelength, view, groupIndex(test, wavelength)};

    // Points count down from the top of the trace; the top is raised to the highest point so that none
    // is cut off.
    std::vector<int32_t> points(n);
    int64_t upper = view.getUpperBound();
    for (size_t j = 0; j < n; ++j) {
        points[j] = view.getPoint(static_cast<uint32_t>(j));
        upper = std::max<int64_t>(upper, points[j]);
    }
    int64_t deepest = 0;
    for (int32_t p : points) deepest = std::max(deepest, upper - p);
    const uint16_t scale = scaleFor(deepest, 0xFFFF);

    BlockOut data(Sor::kDataPts);
    data.reserve(16 + 2 * n);
    data.i32(static_cast<int32_t>(n));
    data.u16(1);  // one trace
    data.i32(static_cast<int32_t>(n));
    data.u16(scale);
    for (int32_t p : points) data.u16(scaled(upper - p, scale));

    struct Block {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Block> blocks;
    blocks.push_back({Sor::kGenParams, genParams(c, cableId)});
    blocks.push_back({Sor::kSupParams, supParams(c)});
    blocks.push_back({Sor::kFxdParams, fxdParams(c, upper)});
    blocks.push_back({Sor::kKeyEvents, keyEvents(c)});
    blocks.push_back({Sor::kDataPts, std::move(data.bytes())});

    BlockOut map(Sor::kMap);
    size_t mapSize = std::strlen(Sor::kMap) + 1 + 2 + 4 + 2;
    for (const auto& blk : blocks) mapSize += std::strlen(blk.name) + 1 + 2 + 4;
    mapSize += std::strlen(Sor::kCksum) + 1 + 2 + 4;
    const size_t cksumSize = std::strlen(Sor::kCksum) + 1 + 2;
    map.u16(Sor::kRevision);
    map.i32(static_cast<int32_t>(mapSize));
    map.u16(static_cast<uint16_t>(blocks.size() + 2));  // the map and the checksum count too
    for (const auto& blk : blocks) {
        map.text(blk.name);
        map.u16(Sor::kRevision);
        map.i32(static_cast<int32_t>(blk.bytes.size()));
    }
    map.text(Sor::kCksum);
    map.u16(Sor::kRevision);
    map.i32(static_cast<int32_t>(cksumSize));

    std::vector<uint8_t> out = std::move(map.bytes());
    for (const auto& blk : blocks) out.insert(out.end(), blk.bytes.begin(), blk.bytes.end());
    const std::vector<uint8_t> tail = cksumHeader();
    out.insert(out.end(), tail.begin(), tail.end());
    const uint16_t crc = sorChecksum(out.data(), out.size());
    out.push_back(static_cast<uint8_t>(crc));
    out.push_back(static_cast<uint8_t>(crc >> 8));
    return out;
}

}  // namespace Kestrix
