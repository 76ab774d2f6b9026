#pragma once
// A reader of SR-4731 (issue 2) trace files written from the format's public description, independent of
// the writer: it follows the block map, decodes every field of the blocks the writer emits, insists that
// each block is exactly as long as the map says, and checks the CRC.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kx::test {

struct SorMapEntry {
    std::string name;
    uint16_t revision = 0;
    int32_t size = 0;
};

struct SorGenParams {
    std::string language, cableId, fiberId;
    uint16_t fiberType = 0, wavelength = 0;
    std::string origin, termination, cableCode, dataFlag;
    int32_t userOffset = 0, userOffsetDistance = 0;
    std::string operatorName, comment;
};

struct SorSupParams {
    std::string supplier, mainframeId, mainframeSn, moduleId, moduleSn, software, other;
};

struct SorFxdParams {
    uint32_t timestamp = 0;
    std::string units;
    uint16_t actualWavelength = 0;
    int32_t acqOffset = 0, acqOffsetDistance = 0;
    std::vector<uint16_t> pulseWidths;
    std::vector<int32_t> dataSpacing, pointsPerPulse;
    int32_t groupIndex = 0;
    uint16_t backscatter = 0;
    int32_t averages = 0;
    uint16_t averagingTime = 0;
    int32_t acqRange = 0, acqRangeDistance = 0, frontPanelOffset = 0;
    uint16_t noiseFloor = 0;
    int16_t noiseFloorScale = 0;
    uint16_t powerOffset = 0, lossThreshold = 0, reflThreshold = 0, endThreshold = 0;
    std::string traceType;
    int32_t window[4] = {};
};

struct SorEvent {
    uint16_t number = 0;
    int32_t time = 0;
    int16_t leadInAttn = 0, loss = 0;
    int32_t reflectance = 0;
    std::string code, technique;
    int32_t markers[5] = {};
    std::string comment;
};

struct SorKeyEvents {
    std::vector<SorEvent> events;
    int32_t endToEndLoss = 0, endToEndStart = 0, endToEndEnd = 0;
    uint16_t orl = 0;
    int32_t orlStart = 0, orlEnd = 0;
};

struct SorDataPts {
    int32_t count = 0;
    uint16_t traces = 0;
    int32_t count2 = 0;
    uint16_t scale = 0;
    std::vector<uint16_t> points;
};

struct SorFile {
    uint16_t mapRevision = 0;
    int32_t mapSize = 0;
    std::vector<SorMapEntry> blocks;  // after the map, in file order
    SorGenParams gen;
    SorSupParams sup;
    SorFxdParams fxd;
    SorKeyEvents keyEvents;
    SorDataPts data;
    uint16_t checksum = 0;
};

// The decoded file, or nothing with the reason in `why` (a failed checksum included).
std::optional<SorFile> readSorFile(const std::vector<uint8_t>& bytes, std::string* why = nullptr);

}  // namespace kx::test
