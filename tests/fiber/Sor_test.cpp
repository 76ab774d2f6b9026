#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "SorTestReader.h"
#include "fiber/FiberSr4731.h"
#include "fiber/OtdrBuilders.h"
#include "fiber/SorFiles.h"
#include "fiber/SorWriter.h"
#include "core/TestFiles.h"

using namespace Kestrix;
using kx::test::readSorFile;
using kx::test::SorFile;

namespace {

SorFile writeAndRead(const FiberOtdrTest& t, int wl, const std::string& cable = "OTDR-PP-A01") {
    const auto bytes = writeSor(t, wl, cable);
    EXPECT_TRUE(bytes.has_value());
    if (!bytes) return {};
    std::string why;
    const auto file = readSorFile(*bytes, &why);
    EXPECT_TRUE(file.has_value()) << why;
    return file.value_or(SorFile{});
}

// Thousandths of a measured value; the file holds 0 for a value not measured.
long milliOf(const ToleranceMeas& m) { return m.value.isFinite() ? std::lround(m.value.toDouble() * 1000.0) : 0; }

// Thousandths of a dB below the top of the trace, as the file stores them.
double depthOf(const SorFile& f, size_t j) { return f.data.points[j] * static_cast<double>(f.data.scale) / 1000.0; }

// Every point read back, measured from the highest one, matches the trace to the file's resolution: one
// step of the scale plus the thousandth lost when the view truncates.
void expectTraceRoundTrips(const FiberOtdrTest& t, int wl, const SorFile& f) {
    const FiberOtdrPlot& plot = *t.plots.getPlot(wl);
    ASSERT_EQ(f.data.points.size(), plot.dataPoints.size());
    double top = 0;  // the depth of the highest point is 0
    for (size_t j = 0; j < f.data.points.size(); ++j) top = std::max(top, -depthOf(f, j));
    double highest = -1e300;
    for (size_t j = 0; j < plot.dataPoints.size(); ++j)
        highest = std::max(highest, static_cast<double>(plot.getDbByIndex(static_cast<uint32_t>(j))) * 1000.0);
    const double tolerance = f.data.scale / 1000.0 + 1.0;
    for (size_t j = 0; j < plot.dataPoints.size(); ++j) {
        const double want = static_cast<double>(plot.getDbByIndex(static_cast<uint32_t>(j))) * 1000.0 - highest;
        ASSERT_NEAR(-depthOf(f, j), want, tolerance) << "point " << j;
    }
}

}  // namespace

TEST(Sor, EveryFieldReadsBack) {
    FiberOtdrTest t = kx::test::otdrTest(CableEnd::end1, 1000);
    t.summary.comment = "riser A";
    t.eventTable.getRowByIndex(2).userOverride = EventType::bulkhead;
    const FiberSr4731 v(t, 1550);
    const SorFile f = writeAndRead(t, 1550);

    std::vector<std::string> names;
    for (const auto& b : f.blocks) {
        names.push_back(b.name);
        EXPECT_EQ(b.revision, 200);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"GenParams", "SupParams", "FxdParams", "KeyEvents", "DataPts", "Cksum"}));
    EXPECT_EQ(f.mapRevision, 200);

    EXPECT_EQ(f.gen.language, "EN");
    EXPECT_EQ(f.gen.cableId, "OTDR-PP-A01");
    EXPECT_EQ(f.gen.fiberId, "");
    EXPECT_EQ(f.gen.fiberType, 652);
    EXPECT_EQ(f.gen.wavelength, 1550);
    EXPECT_EQ(f.gen.origin, "PP-A 01");
    EXPECT_EQ(f.gen.termination, "PP-B 01");
    EXPECT_EQ(f.gen.cableCode, t.fiber.name);
    EXPECT_EQ(f.gen.dataFlag, "BC");
    EXPECT_EQ(f.gen.userOffset, v.getUserOffset());
    // The launch connector sits 150 m out: 1500 tenths of a metre.
    EXPECT_NEAR(f.gen.userOffsetDistance, 1500, 1);
    EXPECT_EQ(f.gen.operatorName, "M. Lindqvist");
    EXPECT_EQ(f.gen.comment, "riser A");

    EXPECT_EQ(f.sup.supplier, "");
    EXPECT_EQ(f.sup.mainframeId, "Ombrel2");
    EXPECT_EQ(f.sup.mainframeSn, "KZ2-104455");
    EXPECT_EQ(f.sup.moduleId, t.equipmentInfo.getModuleIdStr());
    EXPECT_EQ(f.sup.moduleSn, "GQ-55120");
    EXPECT_EQ(f.sup.software, "4.2.1");
    EXPECT_EQ(f.sup.other, "Kestrix SR-4731 export");

    EXPECT_EQ(f.fxd.timestamp, 1764950400u);
    EXPECT_EQ(f.fxd.units, "mt");
    EXPECT_EQ(f.fxd.actualWavelength, 15517);  // 1551.7 nm
    // The first sample lies 12.5 samples of 2.5 ns before the front panel.
    EXPECT_EQ(f.fxd.acqOffset, -312);
    EXPECT_EQ(f.fxd.acqOffset, v.getAcqOffset() - v.getUserOffset());
    EXPECT_EQ(f.fxd.acqOffsetDistance, sorTimeToDistance(-312, 1.4682));
    EXPECT_EQ(f.fxd.pulseWidths, std::vector<uint16_t>{static_cast<uint16_t>(v.getPWU())});
    EXPECT_EQ(f.fxd.dataSpacing, std::vector<int32_t>{250000});
    EXPECT_EQ(f.fxd.pointsPerPulse, std::vector<int32_t>{1000});
    EXPECT_EQ(f.fxd.groupIndex, 146820);
    EXPECT_EQ(f.fxd.backscatter, std::abs(v.getBackscatterCoef()));
    EXPECT_EQ(f.fxd.averages, v.averages());
    EXPECT_EQ(f.fxd.averagingTime, 5);
    EXPECT_EQ(f.fxd.acqRange, 25000);
    EXPECT_EQ(f.fxd.acqRangeDistance, sorTimeToDistance(25000, 1.4682));
    EXPECT_EQ(f.fxd.frontPanelOffset, 0);
    EXPECT_EQ(f.fxd.noiseFloorScale, 1000);
    EXPECT_EQ(f.fxd.powerOffset, 0);
    EXPECT_EQ(f.fxd.lossThreshold, 30);
    EXPECT_EQ(f.fxd.reflThreshold, 40000);
    EXPECT_EQ(f.fxd.endThreshold, 3000);
    EXPECT_EQ(f.fxd.traceType, "ST");
    for (int32_t w : f.fxd.window) EXPECT_EQ(w, 0);

    ASSERT_EQ(f.keyEvents.events.size(), static_cast<size_t>(v.eventCount()));
    for (size_t i = 0; i < f.keyEvents.events.size(); ++i) {
        const auto& got = f.keyEvents.events[i];
        const FiberOtdrEvent& e = *v.getEvent(static_cast<int32_t>(i));
        SCOPED_TRACE(i);
        EXPECT_EQ(got.number, i + 1);
        EXPECT_EQ(got.time, static_cast<int32_t>(static_cast<double>(e.propTime) * 10.0));
        EXPECT_EQ(got.loss, milliOf(e.lossTolMeas));
        const long refl = milliOf(e.reflectanceTolMeas);
        EXPECT_EQ(got.reflectance, refl);
        EXPECT_EQ(got.leadInAttn, i == 0 ? 0 : milliOf(v.getEvent(static_cast<int32_t>(i - 1))->attnCoefTolMeas));
        ASSERT_EQ(got.code.size(), 6u);
        EXPECT_EQ(got.code[0], refl != 0 ? '1' : '0');
        EXPECT_EQ(got.code.substr(2), "9999");
        EXPECT_EQ(got.technique, "LS");
        EXPECT_EQ(got.comment, toString(t.eventTable.getRowByIndex(e.rowIndex).displayEventType()));
    }
    EXPECT_EQ(f.keyEvents.events[2].comment, "Bulkhead");
    // The tail connector (the sixth event) is the end of the fiber, not the last event.
    for (size_t i = 0; i < f.keyEvents.events.size(); ++i)
        EXPECT_EQ(f.keyEvents.events[i].code[1], i == 5 ? 'E' : 'F') << i;
    const auto* overall = t.overallResults.getOverallPerWl(1550);
    EXPECT_EQ(f.keyEvents.endToEndLoss, milliOf(overall->overallLossTolMeas));
    EXPECT_EQ(f.keyEvents.endToEndStart, v.getUserOffset());
    EXPECT_EQ(f.keyEvents.endToEndEnd, v.getEndMarker());
    EXPECT_EQ(f.keyEvents.orl, 42500);
    EXPECT_EQ(f.keyEvents.orlStart, v.getUserOffset());
    EXPECT_EQ(f.keyEvents.orlEnd, v.getEndMarker());

    EXPECT_EQ(f.data.count, 1000);
    EXPECT_EQ(f.data.count2, 1000);
    EXPECT_EQ(f.data.traces, 1);
    EXPECT_EQ(f.data.scale, 1000);
    // The noise floor counts down from the same top as the points.
    int64_t upper = v.getUpperBound();
    for (uint32_t j = 0; j < 1000; ++j) upper = std::max<int64_t>(upper, v.getPoint(j));
    EXPECT_EQ(f.fxd.noiseFloor, upper - v.getNoiseFloorLevel());
    expectTraceRoundTrips(t, 1550, f);
}

TEST(Sor, EveryWavelengthRoundTripsFromBothEnds) {
    for (CableEnd end : {CableEnd::end1, CableEnd::end2}) {
        const FiberOtdrTest t = kx::test::otdrTest(end, 3000);
        EXPECT_EQ(sorWavelengths(t), kx::test::otdrWavelengths());
        for (uint16_t wl : sorWavelengths(t)) {
            SCOPED_TRACE(wl);
            const SorFile f = writeAndRead(t, wl);
            EXPECT_EQ(f.gen.wavelength, wl);
            expectTraceRoundTrips(t, wl, f);
            // Seen from end 2 the fiber starts at the far panel.
            EXPECT_EQ(f.gen.origin, end == CableEnd::end2 ? "PP-B 01" : "PP-A 01");
            EXPECT_EQ(f.gen.termination, end == CableEnd::end2 ? "PP-A 01" : "PP-B 01");
        }
    }
}

TEST(Sor, DeepTraceTakesALargerScaleAndKeepsPointsAboveTheBound) {
    FiberOtdrTest t = kx::test::otdrTest(CableEnd::end1, 2000);
    FiberOtdrPlot& plot = t.plots.plots[0];
    // 120 dB from top to bottom: beyond 16 bits of thousandths of a dB.
    plot.noiseFloor = -200.0f;
    for (size_t i = 0; i < plot.dataPoints.size(); ++i) plot.dataPoints[i] = 5000 - static_cast<int32_t>(i) * 60;
    // With this left index the view's upper bound is the clip level, far below the first points.
    plot.futLeftIndex = 1;
    plot.clipLevel = -10.0f;
    const SorFile f = writeAndRead(t, plot.wavelength);
    EXPECT_GT(f.data.scale, 1000);
    EXPECT_EQ(f.data.points.front(), 0);  // the highest point is the top, not cut at the bound
    expectTraceRoundTrips(t, plot.wavelength, f);
}

TEST(Sor, ChecksumKnownAnswerAndCorruption) {
    const char* check = "123456789";
    EXPECT_EQ(sorChecksum(reinterpret_cast<const uint8_t*>(check), std::strlen(check)), 0x29B1);

    const auto bytes = *writeSor(kx::test::otdrTest(CableEnd::end1, 200), 1310, "C1");
    const uint16_t stored = static_cast<uint16_t>(bytes[bytes.size() - 2] | bytes[bytes.size() - 1] << 8);
    EXPECT_EQ(stored, sorChecksum(bytes.data(), bytes.size() - 2));

    std::string why;
    auto bad = bytes;
    bad[bad.size() / 2] ^= 0x01;  // one bit of a trace point
    EXPECT_FALSE(readSorFile(bad, &why));
    EXPECT_EQ(why, "checksum mismatch");

    // Every shorter file fails cleanly.
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(readSorFile({bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)})) << n;
}

TEST(Sor, MissingPartsStillMakeAWholeFile) {
    FiberOtdrTest t = kx::test::otdrTest(CableEnd::end1, 50);
    t.settings.perWl.clear();
    t.eventTable.events.clear();
    t.overallResults.setPerWls({});
    t.fiber.perWls.clear();
    t.plots.plots[0].ir = std::nan("");
    t.summary.operatorName = std::string("ab\0cd", 5);  // a zero byte would end the text early
    const SorFile f = writeAndRead(t, 1310, std::string("x\0y", 3));
    EXPECT_EQ(f.gen.cableId, "xy");
    EXPECT_EQ(f.gen.operatorName, "abcd");
    EXPECT_EQ(f.gen.userOffset, 0);
    EXPECT_EQ(f.fxd.pulseWidths, std::vector<uint16_t>{0});
    EXPECT_EQ(f.fxd.averages, 0);
    EXPECT_EQ(f.fxd.backscatter, 0);
    EXPECT_EQ(f.fxd.actualWavelength, 13100);  // the nominal wavelength without overall results
    EXPECT_EQ(f.fxd.groupIndex, 146820);       // neither trace nor fiber: a typical single-mode index
    EXPECT_TRUE(f.keyEvents.events.empty());
    EXPECT_EQ(f.keyEvents.endToEndEnd, 0);

    // A trace without samples still gives a readable file.
    t.plots.plots[1].dataPoints.clear();
    const SorFile empty = writeAndRead(t, t.plots.plots[1].wavelength);
    EXPECT_EQ(empty.data.count, 0);

    EXPECT_FALSE(writeSor(t, 1383, "C1").has_value());  // no trace at that wavelength
}

TEST(Sor, FilesAreWrittenWholeOrNotAtAll) {
    const std::filesystem::path dir = kx::test::freshFolder("sor-files");
    const auto count = [&] {
        return std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator());
    };

    const FiberOtdrTest t = kx::test::otdrTest(CableEnd::end2, 500);
    const auto ok = writeSorFiles(t, "C1", (dir / "trace").string());
    ASSERT_TRUE(ok.ok) << ok.error;
    ASSERT_EQ(ok.paths.size(), 4u);
    EXPECT_EQ(ok.paths[2], (dir / "trace-1550.sor").string());
    EXPECT_EQ(count(), 4);  // no temporary file left
    for (const auto& p : ok.paths) {
        std::vector<uint8_t> bytes(std::filesystem::file_size(p));
        FILE* fp = std::fopen(p.c_str(), "rb");
        ASSERT_NE(fp, nullptr);
        EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), fp), bytes.size());
        std::fclose(fp);
        EXPECT_TRUE(readSorFile(bytes)) << p;
    }

    const auto noDir = writeSorFiles(t, "C1", (dir / "missing" / "trace").string());
    EXPECT_FALSE(noDir.ok);
    EXPECT_NE(noDir.error.find("cannot write"), std::string::npos);

    // The third file cannot take its name (a folder holds it): the two written before are taken back.
    std::filesystem::create_directories(dir / "again-1550.sor");
    const auto blocked = writeSorFiles(t, "C1", (dir / "again").string());
    EXPECT_FALSE(blocked.ok);
    EXPECT_EQ(count(), 5);

    FiberOtdrTest noTrace = t;
    noTrace.plots.plots.clear();
    const auto none = writeSorFiles(noTrace, "C1", (dir / "none").string());
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.error, "the OTDR test holds no trace");
    EXPECT_EQ(count(), 5);
    std::filesystem::remove_all(dir);
}
