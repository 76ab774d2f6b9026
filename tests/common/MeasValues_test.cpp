#include "CommonTesting.h"

#include <cmath>

#include "common/Celsius.h"
#include "common/DisplayMeas.h"
#include "common/ToleranceMeas.h"

namespace {
const float kAbsent = std::nanf("");
ScaledInt ones(int32_t v) { return ScaledInt::raw(v, ScaledInt::ones); }
}  // namespace

TEST(DisplayMeas, TextFormsAccumulateMaxAndMin) {
    EXPECT_EQ(DisplayMeas().toString(), "N/A");
    EXPECT_EQ(DisplayMeas(ones(5), DisplayType::greaterThan).toString(), "> 5");
    EXPECT_EQ(DisplayMeas(ones(5), DisplayType::lessThan).toString(), "< 5");
    EXPECT_EQ(DisplayMeas(ones(5), DisplayType::dashes).toString(), "---");
    EXPECT_EQ(DisplayMeas(ones(5), static_cast<DisplayType>(9)).toString(), "");

    DisplayMeas r;
    r.accumulateMax(DisplayMeas(ones(3), DisplayType::normal));
    r.accumulateMax(DisplayMeas(ones(5), DisplayType::greaterThan));
    r.accumulateMax(DisplayMeas(ones(4), DisplayType::normal));
    EXPECT_EQ(r.displayType, DisplayType::greaterThan);
    EXPECT_EQ(r.value.value, 5);
    r.accumulateMax(DisplayMeas());  // not available: no change
    EXPECT_EQ(r.displayType, DisplayType::greaterThan);
    r.accumulateMax(DisplayMeas(ones(1), DisplayType::dashes));
    r.accumulateMax(DisplayMeas(ones(9), DisplayType::normal));
    EXPECT_EQ(r.displayType, DisplayType::dashes);
    EXPECT_EQ(r.value.value, 5);

    DisplayMeas m;
    m.accumulateMin(DisplayMeas(ones(3), DisplayType::normal));
    m.accumulateMin(DisplayMeas(ones(5), DisplayType::greaterThan));
    EXPECT_EQ(m.displayType, DisplayType::greaterThan);
    EXPECT_EQ(m.value.value, 3);
    m.accumulateMin(DisplayMeas(ones(1), DisplayType::lessThan));
    EXPECT_EQ(m.displayType, DisplayType::lessThan);
    EXPECT_EQ(m.value.value, 1);

    // A bound on one side and a bound on the other: the larger value decides the qualifier, whichever came first.
    DisplayMeas below(ones(3), DisplayType::lessThan);
    below.accumulateMax(DisplayMeas(ones(2), DisplayType::greaterThan));
    EXPECT_EQ(below.toString(), "> 3");

    DisplayMeas above(ones(5), DisplayType::greaterThan);
    above.accumulateMin(DisplayMeas(ones(7), DisplayType::lessThan));
    EXPECT_EQ(above.toString(), "< 5");
}

TEST(DisplayMeas, WireFormRoundTripsAndRefusesNewerVersions) {
    const DisplayMeas d(ScaledInt::raw(-42, ScaledInt::tenths), DisplayType::lessThan);
    const auto bytes = bytesOf(d);
    ASSERT_EQ(bytes.size(), 8u);
    DisplayMeas back;
    EXPECT_EQ(readInto(back, bytes), Marshal::ok);
    EXPECT_EQ(back.toString(), "< -4.2");
    auto v2 = bytes;
    v2[0] = 2;
    EXPECT_EQ(readInto(back, v2), Marshal::versionTooNew);
    for (size_t n = 1; n < bytes.size(); ++n)
        EXPECT_EQ(readInto(back, std::vector<uint8_t>(bytes.begin(), bytes.begin() + n)), Marshal::readError);
}

TEST(ToleranceMeas, DisplayTypeFollowsTolerancesSumMaxAndEquality) {
    ToleranceMeas t(ones(5), DisplayType::notAvailable, kAbsent, 0.3f);
    t.deriveDisplayType();
    EXPECT_EQ(t.displayType, DisplayType::greaterThan);
    EXPECT_EQ(t.valueText(), "> 5");
    EXPECT_EQ(ToleranceMeas::derivedDisplayType(ones(5), 0.1f, kAbsent), DisplayType::lessThan);
    EXPECT_EQ(ToleranceMeas::derivedDisplayType(ones(5), kAbsent, kAbsent), DisplayType::normal);
    EXPECT_EQ(ToleranceMeas::derivedDisplayType(ScaledInt(), kAbsent, 0.0f), DisplayType::dashes);
    EXPECT_EQ(ToleranceMeas::derivedDisplayType(ScaledInt(), kAbsent, kAbsent), DisplayType::notAvailable);

    const ToleranceMeas a(ones(2), DisplayType::normal, 0.2f, 0.1f);
    const ToleranceMeas b(ones(3), DisplayType::normal, 0.1f, kAbsent);
    const ToleranceMeas s = a + b;
    EXPECT_EQ(s.value.value, 5);
    EXPECT_FLOAT_EQ(s.posTolerance, 0.2f);
    EXPECT_FLOAT_EQ(s.negTolerance, 0.1f);
    EXPECT_EQ(s.displayType, DisplayType::normal);
    EXPECT_EQ((ToleranceMeas() + b), b);
    EXPECT_EQ(max(a, b), b);
    EXPECT_EQ(max(b, a), b);
    EXPECT_EQ(max(ToleranceMeas(), a), a);
    // Raw equality: the same number at another resolution is a different measurement.
    EXPECT_NE(ToleranceMeas(ones(10), DisplayType::normal, kAbsent, kAbsent),
              ToleranceMeas(ScaledInt::raw(100, ScaledInt::tenths), DisplayType::normal, kAbsent, kAbsent));
}

TEST(ToleranceMeas, WireJsonAndText) {
    const ToleranceMeas t(ScaledInt::raw(125, ScaledInt::hundredths), DisplayType::normal, 0.5f, kAbsent);
    const auto bytes = bytesOf(t);
    ASSERT_EQ(bytes.size(), 16u);
    ToleranceMeas back;
    EXPECT_EQ(readInto(back, bytes), Marshal::ok);
    EXPECT_EQ(back, t);
    auto v2 = bytes;
    v2[0] = 2;
    EXPECT_EQ(readInto(back, v2), Marshal::versionTooNew);
    EXPECT_EQ(t.fullText(), "1.25, +tol = 0.5, -tol = nan");
    const Json::Value j = t.toJson(Dump::DumpFlags{});
    EXPECT_EQ(j["value"].asString(), "1.25");
    EXPECT_EQ(j["posTolerance"].asString(), "0.5");
}

TEST(Celsius, StoredAsHundredthsWithClampAndNoValue) {
    EXPECT_EQ(bytesOf(Celsius(21.37f)), (std::vector<uint8_t>{0x59, 0x08}));
    EXPECT_EQ(bytesOf(Celsius(400.0f)), (std::vector<uint8_t>{0xFF, 0x7F}));
    EXPECT_EQ(bytesOf(Celsius(-400.0f)), (std::vector<uint8_t>{0x01, 0x80}));
    EXPECT_EQ(bytesOf(Celsius(-0.004f)), (std::vector<uint8_t>{0x00, 0x00}));
    EXPECT_EQ(bytesOf(Celsius()), (std::vector<uint8_t>{0x00, 0x80}));
    Celsius c(1.0f);
    EXPECT_EQ(readInto(c, std::vector<uint8_t>{0x00, 0x80}), Marshal::ok);
    EXPECT_TRUE(std::isnan(c.degrees));
    EXPECT_EQ(readInto(c, std::vector<uint8_t>{0x59, 0x08}), Marshal::ok);
    EXPECT_EQ(c.toString(), "21.37");
    EXPECT_EQ(readInto(c, std::vector<uint8_t>{0x59}), Marshal::readError);
    EXPECT_TRUE(std::isnan(c.degrees));
}
