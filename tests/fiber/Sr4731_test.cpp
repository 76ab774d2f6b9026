#include "fiber/FiberTesting.h"

#include "fiber/FiberSr4731.h"

// The values the trace file takes from this view are pinned by the file's document (Sor, EveryFieldReadsBack);
// here what that file does not show.
TEST(Sr4731, ValuesOfOneWavelengthAndZeroForMissingParts) {
    FiberOtdrTest t = kx::test::otdrTest(CableEnd::end1, 1000);
    t.fiber.perWlFor(1550).backscatterCoef = ScaledInt(-81.75f, ScaledInt::hundredths);
    const FiberSr4731 v(t, 1550);
    const FiberOtdrPlot& plot = *t.plots.getPlot(1550);
    EXPECT_EQ(v.getBackscatterCoef(), -818);  // -817.5 rounds away from zero
    EXPECT_EQ(v.getUpperBound(), static_cast<int32_t>(static_cast<double>(plot.getMaxDb(0, 999)) * 1000.0 + 0.5));
    EXPECT_EQ(v.eventCount(), 7);
    ASSERT_NE(v.getEvent(6), nullptr);
    EXPECT_EQ(v.getEvent(7), nullptr);
    EXPECT_EQ(v.getPoint(5000), static_cast<int32_t>(static_cast<double>(plot.getDbByIndex(999)) * 1000.0));

    // Missing parts give zero.
    t.settings.perWl.clear();
    t.settings.reflectanceThreshold = -20;
    const FiberSr4731 noSettings(t, 1310);
    EXPECT_EQ(noSettings.getPWU(), 0);
    EXPECT_EQ(noSettings.averages(), 0);
    EXPECT_EQ(noSettings.getLossThreshold(), 30);
    EXPECT_EQ(noSettings.getReflThreshold(), 40000);

    // No event in row 0 for the wavelength: offsets come from the trace alone.
    t.eventTable.events.erase(t.eventTable.events.begin());
    const FiberSr4731 noFirst(t, 1310);
    EXPECT_EQ(noFirst.getUserOffset(), 0);
    EXPECT_EQ(noFirst.getAcqOffset(), -static_cast<int32_t>(12.5 * 2.5 * 10.0));

    // No tail event: the wavelength's last event; no events at all: 0.
    for (auto& e : t.eventTable.events) e.anEventTypeFlags &= ~OtdrAnEventType::tail;
    const FiberSr4731 noTail(t, 1490);
    EXPECT_EQ(noTail.getEndMarker(),
              static_cast<int32_t>(static_cast<double>(t.eventTable.getEvent(1490, 6)->propTime) * 10.0));
    const FiberSr4731 unknownWl(t, 1383);
    EXPECT_EQ(unknownWl.getEndMarker(), 0);
    EXPECT_EQ(unknownWl.eventCount(), 0);
    EXPECT_EQ(unknownWl.getNumDataPoints(), 0);
    EXPECT_EQ(unknownWl.getPoint(3), 0);
    EXPECT_EQ(unknownWl.getBackscatterCoef(), 0);

    // A trace without samples (as a file may hold) answers 0 instead of asserting.
    t.plots.plots[0].dataPoints.clear();
    const FiberSr4731 empty(t, 1310);
    EXPECT_EQ(empty.getPoint(0), 0);
    EXPECT_EQ(empty.getUpperBound(), static_cast<int32_t>(0.5 * 1000.0 + 0.5));
    EXPECT_EQ(truncToInt32(1e12), 2147483647);
    EXPECT_EQ(truncToInt32(-2.9), -2);
}
