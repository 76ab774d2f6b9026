#include "fiber/FiberTesting.h"

#include <cmath>
#include <cstring>
#include <filesystem>

#include "SorTestReader.h"
#include "common/PFile.h"
#include "fiber/SorFiles.h"
#include "fiber/SorWriter.h"
#include "core/TestFiles.h"

using kx::test::readSorFile;

namespace {

Json::Value writeAndRead(const FiberOtdrTest& t, int wl, const std::string& cable = "OTDR-PP-A01") {
    const auto bytes = writeSor(t, wl, cable);
    EXPECT_TRUE(bytes.has_value());
    if (!bytes) return {};
    std::string why;
    const auto file = readSorFile(*bytes, &why);
    EXPECT_TRUE(file.has_value()) << why;
    return file.value_or(Json::Value());
}

// Every point read back, measured from the highest one, matches the trace to the file's resolution: one
// step of the scale plus the thousandth lost when the view truncates.
void expectTraceRoundTrips(const FiberOtdrTest& t, int wl, const Json::Value& f) {
    const FiberOtdrPlot& plot = *t.plots.getPlot(wl);
    const Json::Value& points = f["DataPts"]["points"];
    ASSERT_EQ(points.size(), plot.dataPoints.size());
    // Thousandths of a dB below the top of the trace, as the file stores them.
    const double scale = f["DataPts"]["scale"].asDouble();
    const auto depth = [&](Json::ArrayIndex j) { return points[j].asDouble() * scale / 1000.0; };
    double highest = -1e300;
    for (size_t j = 0; j < plot.dataPoints.size(); ++j)
        highest = std::max(highest, static_cast<double>(plot.getDbByIndex(static_cast<uint32_t>(j))) * 1000.0);
    const double tolerance = scale / 1000.0 + 1.0;
    for (Json::ArrayIndex j = 0; j < points.size(); ++j) {
        const double want = static_cast<double>(plot.getDbByIndex(j)) * 1000.0 - highest;
        ASSERT_NEAR(-depth(j), want, tolerance) << "point " << j;
    }
}

// The file without its trace points, which expectTraceRoundTrips checks.
Json::Value withoutPoints(Json::Value f) {
    f["DataPts"].removeMember("points");
    return f;
}

}  // namespace

TEST(Sor, EveryFieldReadsBackAndADeepTraceTakesALargerScale) {
    // The launch connector 150 m out (user offset 1500 tenths of a metre); the first sample 12.5 samples of
    // 2.5 ns before the front panel (acquisition offset -312); 1551.7 nm measured; the tail connector, the
    // sixth event, is the end of the fiber ('E'); the row shown as a bulkhead says so in its comment.
    FiberOtdrTest t = kx::test::otdrTest(CableEnd::end1, 1000);
    t.summary.comment = "riser A";
    t.eventTable.getRowByIndex(2).userOverride = EventType::bulkhead;
    const Json::Value f = writeAndRead(t, 1550);
    kx::test::expectGolden(withoutPoints(f), "Sor1550.json");
    expectTraceRoundTrips(t, 1550, f);

    FiberOtdrTest deep = kx::test::otdrTest(CableEnd::end1, 2000);
    FiberOtdrPlot& plot = deep.plots.plots[0];
    // 120 dB from top to bottom: beyond 16 bits of thousandths of a dB.
    plot.noiseFloor = -200.0f;
    for (size_t i = 0; i < plot.dataPoints.size(); ++i) plot.dataPoints[i] = 5000 - static_cast<int32_t>(i) * 60;
    // With this left index the view's upper bound is the clip level, far below the first points.
    plot.futLeftIndex = 1;
    plot.clipLevel = -10.0f;
    const Json::Value deepFile = writeAndRead(deep, plot.wavelength);
    EXPECT_GT(deepFile["DataPts"]["scale"].asUInt(), 1000u);
    EXPECT_EQ(deepFile["DataPts"]["points"][0].asUInt(), 0u);  // the highest point is the top, not cut at the bound
    expectTraceRoundTrips(deep, plot.wavelength, deepFile);
}

TEST(Sor, MissingPartsStillMakeAWholeFileAndTheChecksumSeesCorruption) {
    FiberOtdrTest t = kx::test::otdrTest(CableEnd::end1, 50);
    t.settings.perWl.clear();
    t.eventTable.events.clear();
    t.overallResults.setPerWls({});
    t.fiber.perWls.clear();
    t.plots.plots[0].ir = std::nan("");
    t.summary.operatorName = std::string("ab\0cd", 5);  // a zero byte would end the text early
    // Texts lose the zero bytes ("xy", "abcd"); no offset, pulse width, averages, backscatter or events; the
    // nominal wavelength without overall results (13100); neither trace nor fiber: a typical single-mode
    // group index (146820).
    const Json::Value f = writeAndRead(t, 1310, std::string("x\0y", 3));
    kx::test::expectGolden(withoutPoints(f), "SorMissingParts.json");

    // A trace without samples still gives a readable file.
    t.plots.plots[1].dataPoints.clear();
    EXPECT_EQ(writeAndRead(t, t.plots.plots[1].wavelength)["DataPts"]["count"].asInt(), 0);

    EXPECT_FALSE(writeSor(t, 1383, "C1").has_value());  // no trace at that wavelength

    const char* check = "123456789";
    EXPECT_EQ(sorChecksum(reinterpret_cast<const uint8_t*>(check), std::strlen(check)), 0x29B1);

    const auto bytes = *writeSor(kx::test::otdrTest(CableEnd::end1, 200), 1310, "C1");
    // The test reader checks the stored checksum on every file; here that it sees a corrupted one.

    std::string why;
    auto bad = bytes;
    bad[bad.size() / 2] ^= 0x01;  // one bit of a trace point
    EXPECT_FALSE(readSorFile(bad, &why));
    EXPECT_EQ(why, "checksum mismatch");
}

TEST(Sor, FilesAreWrittenWholeOrNotAtAll) {
    const std::filesystem::path dir = kx::test::freshFolder("sor-files");
    const auto count = [&] {
        return std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator());
    };

    // One file per wavelength, each with its own trace; seen from end 2 the fiber starts at the far panel.
    const FiberOtdrTest t = kx::test::otdrTest(CableEnd::end2, 500);
    EXPECT_EQ(sorWavelengths(t), kx::test::otdrWavelengths());
    const auto ok = writeSorFiles(t, "C1", (dir / "trace").string());
    ASSERT_TRUE(ok.ok) << ok.error;
    ASSERT_EQ(ok.paths.size(), 4u);
    EXPECT_EQ(ok.paths[2], (dir / "trace-1550.sor").string());
    EXPECT_EQ(count(), 4);  // no temporary file left
    for (size_t i = 0; i < ok.paths.size(); ++i) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(PFile::readFileBytes(ok.paths[i], bytes)) << ok.paths[i];
        const auto f = readSorFile(bytes);
        ASSERT_TRUE(f) << ok.paths[i];
        EXPECT_EQ((*f)["GenParams"]["wavelength"].asUInt(), kx::test::otdrWavelengths()[i]);
        EXPECT_EQ((*f)["GenParams"]["origin"].asString(), "PP-B 01");
        EXPECT_EQ((*f)["GenParams"]["termination"].asString(), "PP-A 01");
        expectTraceRoundTrips(t, kx::test::otdrWavelengths()[i], *f);
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
