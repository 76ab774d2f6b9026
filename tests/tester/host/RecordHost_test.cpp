// Host services and the JSON forms of the record carriers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tester/host/FiberHostObjects.h"
#include "tester/host/HostRecord.h"
#include "tester/host/HostServices.h"

using namespace Kestrix::Tester;

TEST(HostServices, DatesAreIsoUtcAndStayWithinFourDigitYears) {
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::Default1970()), "1970-01-01T00:00:00Z");
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::From1970(1705312800)), "2024-01-15T10:00:00Z");
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::From1970(-1)), "1969-12-31T23:59:59Z");
    // Stored times are untrusted: the extremes clamp instead of overflowing the calendar.
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::From1970(std::numeric_limits<int64_t>::max())), "9999-12-31T23:59:59Z");
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::From1970(std::numeric_limits<int64_t>::min())), "0001-01-01T00:00:00Z");
    EXPECT_EQ(HxDataDate::ToIso8601(HxDataDate::AddMonths(HxDataDate::From1970(253402300799), 6)),
              "9999-12-31T23:59:59Z");
}

TEST(HostServices, AddMonthsKeepsTheTimeAndClampsTheDay) {
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

    EXPECT_EQ(EnumMapper::TestTypeToCategory(24), HostTestCategory::otdr);
    EXPECT_EQ(EnumMapper::TestTypeToCategory(33), HostTestCategory::otdr);
    EXPECT_EQ(EnumMapper::TestTypeToCategory(42), HostTestCategory::otdr);
    EXPECT_EQ(EnumMapper::TestTypeToCategory(20), HostTestCategory::loss);
    EXPECT_EQ(EnumMapper::TestTypeToCategory(21), HostTestCategory::loss);
    EXPECT_EQ(EnumMapper::TestTypeToCategory(22), HostTestCategory::power);
    EXPECT_EQ(EnumMapper::TestTypeToCategory(28), HostTestCategory::image);
    EXPECT_EQ(EnumMapper::TestTypeToCategory(15), HostTestCategory::copper);
    EXPECT_EQ(EnumMapper::TestTypeToCategory(41), HostTestCategory::copper);
    EXPECT_EQ(EnumMapper::TestTypeToCategory(0), HostTestCategory::none);
    EXPECT_EQ(EnumMapper::TestTypeToCategory(18), HostTestCategory::none);

    EXPECT_EQ(EnumMapper::EndToOtdrTestType(1), 24);
    EXPECT_EQ(EnumMapper::EndToOtdrTestType(2), 25);
    EXPECT_EQ(EnumMapper::EndToOtdrTestType(3), 42);
    EXPECT_EQ(EnumMapper::EndToOtdrTestType(0), 0);
}

TEST(HostRecordJson, CarriersUseFieldNamesIsoDatesAndNullForUnknown) {
    RecordSummary s;
    s.Platform = 11;
    s.CableID = "A-01";
    s.TestDate = HxDataDate::From1970(1705312800);
    s.LengthMeters = std::numeric_limits<double>::quiet_NaN();
    const Json::Value js = s.toJson();
    EXPECT_EQ(js["CableID"].asString(), "A-01");
    EXPECT_EQ(js["TestDate"].asString(), "2024-01-15T10:00:00Z");
    EXPECT_TRUE(js["LengthMeters"].isNull());
    EXPECT_EQ(js.size(), 6u);

    RecordMetaData m;
    m.LengthMeters = 12.5;
    m.LengthFeet = std::numeric_limits<double>::infinity();
    const Json::Value jm = m.toJson();
    EXPECT_DOUBLE_EQ(jm["LengthMeters"].asDouble(), 12.5);
    EXPECT_TRUE(jm["LengthFeet"].isNull());
    EXPECT_TRUE(jm["OtdrSpan"].isNull());
    EXPECT_TRUE(jm["ModifiedDateOnCloud"].isNull());

    TestMetaData t;
    t.Wavelength[1] = 1550;
    t.Tester1 = Tester{};
    t.Tester1->ModuleCalStartDate = HxDataDate::From1970(0);
    const Json::Value jt = t.toJson();
    EXPECT_TRUE(jt["Wavelength1"].isNull());
    EXPECT_EQ(jt["Wavelength2"].asInt(), 1550);
    EXPECT_TRUE(jt["Wavelength3"].isNull());
    EXPECT_FALSE(jt.isMember("Wavelength4"));
    EXPECT_TRUE(jt["Tester2"].isNull());
    EXPECT_EQ(jt["Tester1"]["ModuleCalStartDate"].asString(), "1970-01-01T00:00:00Z");
    EXPECT_TRUE(jt["Tester1"]["TesterCalStartDate"].isNull());
}

TEST(HostRecordJson, FiberCarriersWriteListsPairsAndEventPlaces) {
    EventMapTable table;
    table.AddHiddenGroup(2, 5);
    MergedEvent merged;
    merged.Location = 12.5;
    merged.LocPosTolerance = 0.5;
    merged.LocNegTolerance = std::numeric_limits<double>::quiet_NaN();
    OtdrEvent event;
    event.Location = 12.25;
    event.LocPosTolerance = 0.75;
    event.LocNegTolerance = 1.0;
    merged.Events.push_back(event);
    table.Events.push_back(merged);
    const Json::Value jt = table.toJson();
    ASSERT_EQ(jt["HiddenGroups"].size(), 1u);
    EXPECT_EQ(jt["HiddenGroups"][0][0].asInt(), 2);
    EXPECT_EQ(jt["HiddenGroups"][0][1].asInt(), 5);
    const Json::Value& jm = jt["Events"][0];
    EXPECT_DOUBLE_EQ(jm["Location"].asDouble(), 12.5);
    EXPECT_DOUBLE_EQ(jm["LocPosTolerance"].asDouble(), 0.5);
    EXPECT_TRUE(jm["LocNegTolerance"].isNull());
    EXPECT_DOUBLE_EQ(jm["Events"][0]["Location"].asDouble(), 12.25);
    EXPECT_DOUBLE_EQ(jm["Events"][0]["LocPosTolerance"].asDouble(), 0.75);
    EXPECT_DOUBLE_EQ(jm["Events"][0]["LocNegTolerance"].asDouble(), 1.0);

    SeriesMeasurement series;
    series.X = {0.0, 1.5};
    series.Y = {-3.0, std::numeric_limits<double>::infinity()};
    const Json::Value js = series.toJson();
    EXPECT_DOUBLE_EQ(js["X"][1].asDouble(), 1.5);
    EXPECT_DOUBLE_EQ(js["Y"][0].asDouble(), -3.0);
    EXPECT_TRUE(js["Y"][1].isNull());

    OtdrSettings settings;
    settings.SplitterRatioList = {8, 32};
    EXPECT_EQ(settings.toJson()["SplitterRatioList"][1].asInt(), 32);

    FiberImageTest image;
    FiberImageDefect defect;
    defect.Points = {{3, 4}, {-1, 7}};
    image.Defects.push_back(defect);
    const Json::Value points = image.toJson()["Defects"][0]["Points"];
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[1][0].asInt(), -1);
    EXPECT_EQ(points[1][1].asInt(), 7);
}
