// The host record of a result file as JSON and as the short readable summary.

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <algorithm>

#include "CopperLink.h"
#include "fiber/FiberImageTest.h"
#include "fiber/FiberPowerMeterTest.h"
#include "tester/record/RecordTesting.h"
#include "tester/record/HostRecordJson.h"
#include "tester/record/HostRecordText.h"

namespace {

FiberResult powerAndImage() {
    FiberResult r;
    r.summary = kx::test::fiberSummary("PM-3");
    r.addTest(std::make_unique<FiberPowerMeterTest>(kx::test::powerMeterTest()));
    r.addTest(std::make_unique<Kestrix::FiberImageTest>(kx::test::imageTest()));
    return r;
}

}  // namespace

// The whole host record and its short summary for each kind of result, pinned by files in golden/
// (KESTRIX_UPDATE_GOLDEN=1 writes them anew). The loss/length record carries the importer's fields; the coax
// record's name keeps its UTF-8, and lengths keep their short decimals.
TEST(RecordJson, GoldenDocumentsAndTheirTextKeepsShortDecimalsAndUtf8) {
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"copper", kx::test::cat6AResultFile()},
        {"losslength", kx::test::lossLengthResultFile()},
        {"otdr", kx::test::fiberFile(kx::test::otdrOnly({CableEnd::end1}))},
        {"power-image", kx::test::fiberFile(powerAndImage())},
        {"coax", kx::test::copperFile(LinkGen::measureCoaxLink(41.3, 3, {}), "Gr\xc3\xbc\xc3\x9f-1")},
        {"unreadable", {1, 2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestRecordTarvel rec(c.bytes);
        RecordMetaData& m = rec.GetMetaData();
        if (std::string(c.name) == "losslength") {
            m.Project = "Campus";
            m.Site = "Building 7";
            m.CloudProjectID = "NAME:Campus";
            m.CloudResultID = "NAME:" + m.RawCableID;
            m.ModifiedDateOnCloud = m.TestDate;
        }
        kx::test::expectGolden(hostRecordJsonText(hostRecordJson(rec)),
                               "record/golden/" + std::string(c.name) + ".json");
        kx::test::expectGolden(hostRecordText(rec), "record/golden/" + std::string(c.name) + ".txt");
    }
}

// An unknown length is NaN in the summary and the metadata, and null in the record; a name from the result
// cannot drive the terminal.
TEST(RecordJson, UnknownLengthAndANameWithControls) {
    FiberResult r = kx::test::lossLengthResult();
    r.summary.length = DisplayMeas(ScaledInt::nan(), DisplayType::dashes);
    r.summary.resultName = "A\x1b]0;owned\x07\nB";
    TestRecordTarvel rec(kx::test::fiberFile(r));
    const Json::Value u = hostRecordJson(rec);
    EXPECT_TRUE(u["RecordSummary"]["LengthMeters"].isNull());
    EXPECT_TRUE(u["RecordMetaData"]["LengthMeters"].isNull());
    EXPECT_TRUE(u["RecordMetaData"]["LengthFeet"].isNull());
    const std::string text = hostRecordText(rec);
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_EQ(text.find('\x07'), std::string::npos);
    EXPECT_NE(text.find("Cable ID:  A?]0;owned??B\n"), std::string::npos) << text;
}

TEST(RecordJsonFile, CompactTextOfEachKindOfValue) {
    const auto text = [](const Json::Value& v) { return compactJsonText(v); };
    const std::vector<std::pair<Json::Value, std::string>> cases{
        {Json::Value(), "null\n"},
        {Json::Value(true), "true\n"},
        {Json::Value(Json::Int64(-9000000000)), "-9000000000\n"},
        {Json::Value(Json::UInt64(18446744073709551615u)), "18446744073709551615\n"},
        {Json::Value(148.3), "148.3\n"},
        {Json::Value(500.0), "500.0\n"},
        // A float's value as that float's shortest text; any other double to 15 digits.
        {Json::Value(-20.052499771118164), "-20.0525\n"},
        {Json::Value(2000.4000000000001), "2000.4\n"},
        {Json::Value(1e300), "1e+300\n"},
        {Json::Value(1e21), "1e+21\n"},
        {Json::Value(0.0001), "0.0001\n"},
        {Json::Value(std::numeric_limits<double>::quiet_NaN()), "null\n"},
        {Json::Value(-std::numeric_limits<double>::infinity()), "-1e+9999\n"},
        {Json::Value("A \"B\" \\ C\n\t\x01/\x7f"), "\"A \\\"B\\\" \\\\ C\\n\\t\\u0001/\x7f\"\n"},
        {Json::Value("Gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xf0\x9f\x94\x8c"),
         "\"Gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xf0\x9f\x94\x8c\"\n"},
        // Bytes that are not UTF-8 (a lone continuation, a cut sequence, an overlong form, a surrogate) each
        // become U+FFFD, so the file stays valid JSON.
        {Json::Value("a\x80"
                     "b\xc3"),
         "\"a\xef\xbf\xbd"
         "b\xef\xbf\xbd\"\n"},
        {Json::Value("\xc0\xaf\xed\xa0\x80"), "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\"\n"},
        {Json::Value(Json::arrayValue), "[]\n"},
        {Json::Value(Json::objectValue), "{}\n"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(text(value), expected) << value.toStyledString();
    // Members sorted by name, nesting kept, no white space.
    Json::Value v(Json::objectValue);
    v["b"][0] = 1;
    v["b"][1]["x"] = Json::Value();
    v["B"] = "z";
    v["a"] = 2.5;
    EXPECT_EQ(text(v), "{\"B\":\"z\",\"a\":2.5,\"b\":[1,{\"x\":null}]}\n");
}

// Reals as printf's "%.15g" gives them (with ".0" when whole): scaled tester values (tenths, hundredths, ...)
// and their neighbouring doubles, which are not, at every scale and both signs.
TEST(RecordJsonFile, RealsKeepFifteenSignificantDigits) {
    const auto reference = [](double v) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", v);
        std::string s = buf;
        if (s.find_first_of(".e") == std::string::npos) s += ".0";
        return s + "\n";
    };
    std::mt19937_64 random(24);
    std::vector<double> values{0.0, -0.0, 1e-4, 9.9999e-5, 1e11, 99999999999.9999, 1e15, 123456789012345.6};
    for (double scale : {1.0, 10.0, 100.0, 1000.0, 10000.0, 100000.0}) {
        for (int64_t n : {int64_t(1), int64_t(5), int64_t(9), int64_t(10), int64_t(1234), int64_t(99999),
                          int64_t(100001), int64_t(999999999999999)})
            values.push_back(static_cast<double>(n) / scale);
        for (int i = 0; i < 2000; ++i) values.push_back(static_cast<double>(random() % 100000000000000) / scale);
    }
    const size_t scaled = values.size();
    for (size_t i = 0; i < scaled; ++i) {
        values.push_back(std::nextafter(values[i], 1e300));
        values.push_back(std::nextafter(values[i], -1e300));
    }
    for (double v : values) {
        EXPECT_EQ(compactJsonText(Json::Value(v)), reference(v)) << v;
        EXPECT_EQ(compactJsonText(Json::Value(-v)), reference(-v)) << -v;
    }
}

// The file is one line, with plot series only when asked for. Its text is its tree's (JsonSink_test) and the
// tree is pinned by the golden records.
TEST(RecordJsonFile, OneLineWithPlotSeriesOnlyWhenAsked) {
    TestRecordTarvel rec(kx::test::cat6AResultFile());
    const std::string file = hostRecordFile(rec);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 1);
    EXPECT_EQ(file.find("\"PlotData\""), std::string::npos);
    EXPECT_NE(hostRecordFile(rec, true).find("\"PlotData\":["), std::string::npos);
}
