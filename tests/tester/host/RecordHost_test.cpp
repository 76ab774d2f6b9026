// Host services and the JSON forms of the record carriers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

#include "tester/host/FiberHostObjects.h"
#include "tester/host/HostRecord.h"
#include "tester/host/HostServices.h"

using namespace Kestrix::Tester;

TEST(HostServices, DatesAreIsoUtcWithinFourDigitYearsAndAddMonthsClampsTheDay) {
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::Default1970()), "1970-01-01T00:00:00Z");
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::From1970(1705312800)), "2024-01-15T10:00:00Z");
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::From1970(-1)), "1969-12-31T23:59:59Z");
    // Stored times are untrusted: the extremes clamp instead of overflowing the calendar.
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::From1970(std::numeric_limits<int64_t>::max())), "9999-12-31T23:59:59Z");
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::From1970(std::numeric_limits<int64_t>::min())), "0001-01-01T00:00:00Z");
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::AddMonths(HxDataDate::From1970(253402300799), 6)),
              "9999-12-31T23:59:59Z");
    const auto at = [](int64_t s) { return HxDataDate::From1970(s); };
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::AddMonths(at(1705312800), 6)), "2024-07-15T10:00:00Z");
    // 31 August 2023 13:14:15 plus six months: the last day of February 2024.
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::AddMonths(at(1693487655), 6)), "2024-02-29T13:14:15Z");
    // Across a year end.
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::AddMonths(at(1698796800), 6)), "2024-05-01T00:00:00Z");
}

TEST(HostServices, FeetCategoriesAndOtdrIds) {
    EXPECT_DOUBLE_EQ(MeasUnitConverter::ToFeet(0.3048), 1.0);
    EXPECT_NEAR(MeasUnitConverter::ToFeet(100.0), 328.084, 1e-3);
    EXPECT_TRUE(std::isnan(MeasUnitConverter::ToFeet(std::numeric_limits<double>::quiet_NaN())));

    const std::pair<int, HostTestCategory> categories[] = {
        {24, HostTestCategory::otdr},  {33, HostTestCategory::otdr},   {42, HostTestCategory::otdr},
        {20, HostTestCategory::loss},  {21, HostTestCategory::loss},   {22, HostTestCategory::power},
        {28, HostTestCategory::image}, {15, HostTestCategory::copper}, {41, HostTestCategory::copper},
        {0, HostTestCategory::none},   {18, HostTestCategory::none}};
    for (const auto& [id, category] : categories) EXPECT_EQ(EnumMapper::TestTypeToCategory(id), category) << id;

    for (const auto& [end, id] : {std::pair{1, 24}, std::pair{2, 25}, std::pair{3, 42}, std::pair{0, 0}})
        EXPECT_EQ(EnumMapper::EndToOtdrTestType(end), id) << end;
}

// Field names, dates and lists are pinned by the whole records in record/golden; here what those leave out.
TEST(HostRecordJson, NonFiniteValuesAndAbsentTestersAreNull) {
    RecordMetaData m;
    m.LengthFeet = std::numeric_limits<double>::infinity();
    const Json::Value jm = m.toJson();
    EXPECT_TRUE(jm["LengthFeet"].isNull());

    TestMetaData t;
    t.Wavelength[1] = 1550;
    const Json::Value jt = t.toJson();
    EXPECT_TRUE(jt["Wavelength1"].isNull());
    EXPECT_EQ(jt["Wavelength2"].asInt(), 1550);
    EXPECT_FALSE(jt.isMember("Wavelength4"));
    EXPECT_TRUE(jt["Tester2"].isNull());

    SeriesMeasurement series;
    series.Y = {-3.0, -std::numeric_limits<double>::infinity()};
    const Json::Value js = series.toJson();
    EXPECT_TRUE(js["Y"][1].isNull());
}
