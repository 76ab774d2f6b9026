#include "fiber/FiberOtdrPlots.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "common/jsonutil.h"
#include "serialization/Assert.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IFormatter.h"

namespace Kestrix {

// ---- FiberOtdrPlot ----

float FiberOtdrPlot::getDbByIndex(unsigned i) const {
    KX_ASSERT(!dataPoints.empty());
    const size_t at = std::min<size_t>(i, dataPoints.size() - 1);
    const float db = static_cast<float>(dataPoints[at]) / static_cast<float>(dataPointsScale);
    return std::max(db, noiseFloor);
}

float FiberOtdrPlot::getMaxDb(unsigned from, unsigned to) const {
    if (dataPoints.empty() || futLeftIndex == 1) return clipLevel;
    const size_t count = dataPoints.size();
    const size_t begin = std::min<size_t>(from, count - 1);
    const size_t end = std::min<size_t>(to, count);
    if (begin >= end) return clipLevel;
    const int32_t top = *std::max_element(dataPoints.begin() + static_cast<std::ptrdiff_t>(begin),
                                          dataPoints.begin() + static_cast<std::ptrdiff_t>(end));
    return static_cast<float>(top) / static_cast<float>(dataPointsScale);
}

float FiberOtdrPlot::getLength(float index) const {
    const auto factor = static_cast<float>(0.299792458 / ir);
    return (index - zeroLengthIndex) * nsPerSample * factor;
}

bool FiberOtdrPlot::operator==(const FiberOtdrPlot& o) const {
    return wavelength == o.wavelength && zeroLengthIndex == o.zeroLengthIndex && nsPerSample == o.nsPerSample &&
           ir == o.ir && dataPointsScale == o.dataPointsScale && futLeftIndex == o.futLeftIndex &&
           futRightIndex == o.futRightIndex && rightPlotBoundaryIndex == o.rightPlotBoundaryIndex &&
           clipLevel == o.clipLevel && noiseFloor == o.noiseFloor && dataPoints == o.dataPoints;
}

void FiberOtdrPlot::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(wavelength);
    w.write(zeroLengthIndex);
    w.write(nsPerSample);
    w.write(ir);
    w.write(dataPointsScale);
    w.write(futLeftIndex);
    w.write(futRightIndex);
    w.write(rightPlotBoundaryIndex);
    w.write(clipLevel);
    w.write(noiseFloor);
    w.write(static_cast<uint32_t>(dataPoints.size()));
    if (!dataPoints.empty()) w.write(dataPoints.data(), static_cast<uint32_t>(dataPoints.size()));
}

Marshal::StreamOpStatus FiberOtdrPlot::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    *this = FiberOtdrPlot();
    r.read(wavelength);
    r.read(zeroLengthIndex);
    r.read(nsPerSample);
    r.read(ir);
    r.read(dataPointsScale);
    r.read(futLeftIndex);
    r.read(futRightIndex);
    r.read(rightPlotBoundaryIndex);
    r.read(clipLevel);
    r.read(noiseFloor);
    if (auto st = Marshal::readValues<uint32_t>(r, dataPoints)) return st;
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void FiberOtdrPlot::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%4u %7.1f %7.2f %7.2f %6.3f %8.5f %5d %6u %6u %6u %6zu", wavelength,
                  static_cast<double>(zeroLengthIndex), static_cast<double>(clipLevel), static_cast<double>(noiseFloor),
                  static_cast<double>(nsPerSample), ir, dataPointsScale, futLeftIndex, futRightIndex,
                  rightPlotBoundaryIndex, dataPoints.size());
    f.line(buf);
}

Json::Value FiberOtdrPlot::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberOtdrPlot";
    j["_classVersion"] = kVersion;
    if (flags.detail == 0) return j;
    j["wavelength"] = wavelength;
    j["zeroLengthIndex"] = JsonUtil::jsonNumber(zeroLengthIndex);
    j["clipLevel"] = JsonUtil::jsonNumber(clipLevel);
    j["noiseFloor"] = JsonUtil::jsonNumber(noiseFloor);
    j["nsPerSample"] = JsonUtil::jsonNumber(nsPerSample);
    j["ir"] = JsonUtil::jsonNumber(ir);
    j["dataPointsScale"] = dataPointsScale;
    j["futLeftIndex"] = futLeftIndex;
    j["futRightIndex"] = futRightIndex;
    j["rightPlotBoundaryIndex"] = rightPlotBoundaryIndex;
    j["dataPointsLen"] = static_cast<Json::UInt64>(dataPoints.size());
    Json::Value points(Json::arrayValue);
    if (flags.detail >= 2)
        for (int32_t p : dataPoints) points.append(p);
    j["dataPoints"] = std::move(points);
    return j;
}

// ---- FiberOtdrPlots ----

const FiberOtdrPlot* FiberOtdrPlots::getPlot(int wavelength) const {
    for (const auto& p : plots)
        if (static_cast<int>(p.wavelength) == wavelength) return &p;
    return nullptr;
}

const FiberOtdrPlot& FiberOtdrPlots::getPlotByIndex(unsigned index) const {
    KX_ASSERT(index < plots.size());
    return plots[index];
}

void FiberOtdrPlots::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberOtdrPlots);
    h.serialize(w);
    Marshal::writeList<uint16_t>(w, plots);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberOtdrPlots::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberOtdrPlots)) return st;
    plots.clear();
    if (auto st = Marshal::readList<uint16_t>(r, plots, FiberOtdrPlot::kMinWireSize)) return h.finishRead(r, st);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberOtdrPlots::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.write("class", "FiberOtdrPlots");
    f.line("  Wl ZeroIdx  ClpLvl Noisflr Ns/Sam   IdxRef Scale LftIdx RgtIdx BndIdx PltLen");
    for (const auto& p : plots) p.dump(f, flags);
}

Json::Value FiberOtdrPlots::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberOtdrPlots";
    j["_classVersion"] = Marshal::TypeIds::FiberOtdrPlots.version;
    if (flags.detail == 0) return j;
    Json::Value arr(Json::arrayValue);
    for (const auto& p : plots) arr.append(p.toJson(flags));
    j["plots"] = std::move(arr);
    return j;
}

// ---- FiberOtdrRawData ----

void FiberOtdrRawData::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberOtdrRawData);
    h.serialize(w);
    w.write(compressedLength());
    if (!bytes.empty()) w.write(bytes.data(), compressedLength());
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberOtdrRawData::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberOtdrRawData)) return st;
    bytes.clear();
    if (auto st = Marshal::readValues<uint32_t>(r, bytes)) return h.finishRead(r, st);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberOtdrRawData::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    f.write("class", "FiberOtdrRawData");
    f.write("compressedLength", compressedLength());
}

Json::Value FiberOtdrRawData::toJson(const Dump::DumpFlags&) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberOtdrRawData";
    j["_classVersion"] = Marshal::TypeIds::FiberOtdrRawData.version;
    j["compressedLength"] = compressedLength();
    return j;
}

}  // namespace Kestrix
