// Pictures of records: checked by what they draw where (pixels at known places), by the files they make,
// and by not failing on records without plots or with odd data.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include "ReportTesting.h"

#include "tester/report/Chart.h"
#include "tester/report/PlotDrawing.h"

namespace {

// A decoded PNG to look at pixels.
class Pixels {
public:
    explicit Pixels(const std::vector<uint8_t>& png) {
        const fs::path file = kx::test::freshFolder("report-pixels") / "p.png";
        kx::test::writeBytes(file, png);
        _s = cairo_image_surface_create_from_png(file.c_str());
    }
    ~Pixels() { cairo_surface_destroy(_s); }
    bool ok() const { return cairo_surface_status(_s) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(_s); }
    // 0xRRGGBB
    uint32_t at(int x, int y) const {
        const auto* row =
            cairo_image_surface_get_data(_s) + static_cast<size_t>(y) * cairo_image_surface_get_stride(_s);
        uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        return v & 0xFFFFFF;
    }
    // Whether any pixel in the box is mostly of that colour channel.
    bool anyNear(int x0, int y0, int x1, int y1, uint32_t rgb, int tolerance = 40) const {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint32_t p = at(x, y);
                if (std::abs(int(p >> 16) - int(rgb >> 16)) < tolerance &&
                    std::abs(int((p >> 8) & 255) - int((rgb >> 8) & 255)) < tolerance &&
                    std::abs(int(p & 255) - int(rgb & 255)) < tolerance)
                    return true;
            }
        return false;
    }

private:
    cairo_surface_t* _s;
};

uint32_t rgbOf(Rgb c) {
    return (uint32_t(std::lround(c.r * 255)) << 16) | (uint32_t(std::lround(c.g * 255)) << 8) |
           uint32_t(std::lround(c.b * 255));
}

const Picture* named(const std::vector<Picture>& pictures, const std::string& name) {
    for (const auto& p : pictures)
        if (p.name == name) return &p;
    return nullptr;
}

TEST(ChartTicks, RoundStepsCoverTheRange) {
    EXPECT_EQ(niceTicks(0, 100, 5), (std::vector<double>{0, 20, 40, 60, 80, 100}));
    const auto t = niceTicks(-43.7, 2.1, 6);
    ASSERT_FALSE(t.empty());
    EXPECT_GE(t.front(), -43.7);
    EXPECT_LE(t.back(), 2.1);
    EXPECT_EQ(tickLabel(2.5, 0.5), "2.5");
    EXPECT_EQ(tickLabel(1000, 500), "1000");
    EXPECT_EQ(tickLabel(0.25, 0.25), "0.25");
    // Degenerate ranges give no ticks rather than a loop without end.
    EXPECT_TRUE(niceTicks(1, 1, 5).empty());
    EXPECT_TRUE(niceTicks(0, NAN, 5).empty());
    EXPECT_TRUE(niceTicks(0, INFINITY, 5).empty());
}

TEST(CleanText, ControlCharactersAndBrokenUtf8AreReplaced) {
    EXPECT_EQ(cleanText("A\x01"
                        "B\nC"),
              "A B C");
    EXPECT_EQ(cleanText("caf\xc3\xa9"), "caf\xc3\xa9");
    EXPECT_EQ(cleanText("x\xc3"), "x?");
    EXPECT_EQ(cleanText("\xc0\xaf"), "??");       // overlong '/'
    EXPECT_EQ(cleanText("\xed\xa0\x80"), "???");  // a surrogate
    EXPECT_EQ(cleanText(std::string(500, 'a'), 10).size(), 10u);
}

TEST(OtdrPicture, TracesEventsShadedFibresAndStatus) {
    Kestrix::Tester::TestRecordTarvel record(kx::test::otdrResultFile(4000));
    const auto pictures = recordPictures(record, {});
    ASSERT_EQ(pictures.size(), 2u);  // end 1 and end 2
    EXPECT_EQ(pictures[0].name, "otdr");
    EXPECT_EQ(pictures[0].title, "OTDR (end 1)");
    Pixels px(pngBytes(pictures[0]));
    ASSERT_TRUE(px.ok());
    EXPECT_EQ(px.width(), 860);
    // The verdict badge in the top right corner.
    const int status = record.GetOtdrTest(1)->Status;
    EXPECT_TRUE(px.anyNear(px.width() - 30, 6, px.width() - 12, 22, rgbOf(statusColour(status))));
    // The launch fibre is shaded at the left of the plot area, and traces are drawn in the first series colour.
    EXPECT_TRUE(px.anyNear(50, 200, 70, 260, 0xD9E5F7, 30));
    EXPECT_TRUE(px.anyNear(40, 40, 740, 400, rgbOf(colors::series(3)), 30));
    // The legend beside the plot names every wavelength in its colour.
    for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(px.anyNear(740, 30, 860, 140, rgbOf(colors::series(i)), 30)) << i;
    // A numbered marker row at the top of the plot area (dark discs).
    EXPECT_TRUE(px.anyNear(40, 50, 760, 80, 0x1A1A1A, 10));
}

TEST(OtdrPicture, LongEventTablesAreCutWithACount) {
    Kestrix::FiberResult r;
    r.summary = kx::test::fiberSummary("many events");
    r.addTest(std::make_unique<Kestrix::FiberOtdrTest>(kx::test::otdrTestWithRows(Kestrix::CableEnd::end1, 120, 200)));
    Kestrix::Tester::TestRecordTarvel record(kx::test::fiberFile(r));
    const auto pictures = recordPictures(record, {});
    ASSERT_EQ(pictures.size(), 1u);
    // Height stays bounded: 40 rows and a line saying how many more.
    EXPECT_LT(pictures[0].height, 1100);
    EXPECT_FALSE(pngBytes(pictures[0]).empty());
}

TEST(CopperPicture, CurvesPerPairLimitWorstMarginTableNamesViewsAndFiles) {
    Kestrix::Tester::TestRecordTarvel record(kx::test::cat6AResultFile());
    const auto pictures = recordPictures(record, {});
    ASSERT_NE(named(pictures, "wiremap"), nullptr);
    const Picture* il = named(pictures, "il");
    ASSERT_NE(il, nullptr);
    EXPECT_EQ(il->title, "Insertion loss");
    auto ft = record.GetFrequencyTest(7);
    ASSERT_TRUE(ft);
    WorstMargin wm;
    ASSERT_TRUE(worstMarginOf(*ft, 1, wm));
    EXPECT_TRUE(std::isfinite(wm.margin));
    EXPECT_GT(wm.frequencyMHz, 0);

    Pixels px(pngBytes(*il));
    ASSERT_TRUE(px.ok());
    EXPECT_TRUE(px.anyNear(px.width() - 40, 6, px.width() - 12, 22, rgbOf(statusColour(ft->Status))));
    // The limit curve's red and one pair colour inside the plot area.
    EXPECT_TRUE(px.anyNear(60, 40, 650, 400, rgbOf(colors::kLimit), 20));
    EXPECT_TRUE(px.anyNear(60, 40, 650, 400, rgbOf(colors::series(0)), 20));

    // Its table: x, four pairs and the limit, in columns of one length.
    ASSERT_TRUE(il->table);
    const PlotTable t = il->table();
    ASSERT_EQ(t.headers.size(), t.columns.size());
    EXPECT_EQ(t.headers.front(), "Frequency (MHz)");
    EXPECT_EQ(t.headers.back(), "Limit (dB)");
    EXPECT_EQ(t.columns.size(), 1u + 4u + 1u);
    for (const auto& c : t.columns) EXPECT_EQ(c.size(), t.columns.front().size());
    // Every picture is one that can be asked for by name.
    for (const auto& p : pictures) {
        const auto& names = pictureNames();
        EXPECT_NE(std::find(names.begin(), names.end(), p.name), names.end()) << p.name;
        EXPECT_FALSE(pngBytes(p).empty()) << p.name;
    }

    // The main and remote views of a plot share their axes; titles name the record.
    PlotOptions o;
    o.caption = recordCaption(record);
    const auto views = copperViews(record, o);
    const CopperView* main = nullptr;
    const CopperView* remote = nullptr;
    for (const auto& v : views) {
        if (v.name == "next" && v.end == 1) main = &v;
        if (v.name == "next" && v.end == 2) remote = &v;
    }
    ASSERT_TRUE(main && remote);
    EXPECT_EQ(main->yLo, remote->yLo);
    EXPECT_EQ(main->yHi, remote->yHi);
    EXPECT_EQ(main->xHi, remote->xHi);
    EXPECT_NE(main->title.find("Cat6A-PL-001"), std::string::npos);
    // Twelve pair combinations, twelve colours.
    std::vector<uint32_t> colours;
    for (const auto& c : main->curves) colours.push_back(rgbOf(pairColour(c.pair)));
    std::sort(colours.begin(), colours.end());
    EXPECT_EQ(std::unique(colours.begin(), colours.end()) - colours.begin(), 12);

    // Written by the extension of the name, through a temporary name.
    const fs::path dir = kx::test::freshFolder("report-write");
    for (const char* name : {"a.png", "a.svg", "a.pdf", "A.PNG"}) {
        EXPECT_EQ(writePictures((dir / name).string(), pictures), "") << name;
        EXPECT_GT(fs::file_size(dir / name), 1000u) << name;
    }
    EXPECT_EQ(kx::test::readText(dir / "a.png").substr(1, 3), "PNG");
    EXPECT_EQ(kx::test::readText(dir / "a.pdf").substr(0, 5), "%PDF-");

    EXPECT_NE(writePictures((dir / "a.bmp").string(), pictures), "");
    EXPECT_NE(writePictures((dir / "missing" / "a.png").string(), pictures), "");
    EXPECT_NE(writePictures((dir / "b.png").string(), {}), "");
    // Nothing but the finished files is left in the folder.
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
        ++files;
    }
    EXPECT_EQ(files, 4u);
}

TEST(CopperPicture, TimeDomainAgainstDistance) {
    auto test = kx::test::cat6APermanentLinkTest();
    for (int pair = 1; pair <= 4; ++pair) {
        std::vector<int16_t> samples;
        for (int i = 0; i < 300; ++i)
            samples.push_back(static_cast<int16_t>(i == 40 * pair ? 120 : (i % 37 == 0 ? -30 : 5 * pair)));
        const auto p = static_cast<Kestrix::WirePair>(pair);
        test->plots.plots.push_back(
            kx::test::samplePlot(Kestrix::CopperTestType::tdr, Kestrix::CableEnd::main, p, p, samples));
        test->plots.plots.push_back(kx::test::samplePlot(Kestrix::CopperTestType::tdx, Kestrix::CableEnd::main, p,
                                                         static_cast<Kestrix::WirePair>(pair % 4 + 1), samples));
    }
    Kestrix::Tester::TestRecordTarvel record(kx::test::copperFile(test));
    const auto pictures = recordPictures(record, {});
    const Picture* tdr = named(pictures, "tdr");
    ASSERT_NE(tdr, nullptr);
    Pixels px(pngBytes(*tdr));
    ASSERT_TRUE(px.ok());
    // Each pair's curve in its colour; no limit and no verdict badge on a time-domain plot.
    for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(px.anyNear(60, 40, 700, 400, rgbOf(colors::series(i)), 20)) << i;
    EXPECT_FALSE(px.anyNear(0, 0, 800, 440, rgbOf(colors::kLimit), 10));
}

TEST(RecordsWithoutPlots, GiveNoPictures) {
    // A loss/length result has its loss against the budget, and nothing else to plot.
    Kestrix::Tester::TestRecordTarvel loss(kx::test::lossLengthResultFile());
    const auto pictures = recordPictures(loss, {});
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].name, "loss");
    Kestrix::Tester::TestRecordTarvel garbage(std::vector<uint8_t>(100, 0xAB));
    EXPECT_TRUE(recordPictures(garbage, {}).empty());
    Kestrix::Tester::TestRecordTarvel empty;
    EXPECT_TRUE(recordPictures(empty, {}).empty());
}

TEST(ReduceCurve, KeepsEachColumnsLowestAndHighestPoint) {
    std::vector<double> y(10000, 1.0);
    y[4321] = 50.0;  // a reflective spike
    y[7000] = -20.0;
    y[9000] = std::nan("");
    const Curve c = reduceCurve({}, y, 0, 10000, 100);
    EXPECT_LE(c.y.size(), 2 * 100u + 2);
    EXPECT_NE(std::find(c.y.begin(), c.y.end(), 50.0), c.y.end());
    EXPECT_NE(std::find(c.y.begin(), c.y.end(), -20.0), c.y.end());
    EXPECT_TRUE(std::any_of(c.y.begin(), c.y.end(), [](double v) { return std::isnan(v); }));
    EXPECT_TRUE(std::is_sorted(c.x.begin(), c.x.end()));
}

TEST(SvgPictures, TextStaysTextAndFeetAndEndFilterApply) {
    Kestrix::Tester::TestRecordTarvel record(kx::test::otdrResultFile(6000));
    const auto pictures = recordPictures(record, {});
    ASSERT_FALSE(pictures.empty());
    const std::string svg = svgElement(pictures[0], "t-");
    EXPECT_EQ(svg.rfind("<svg", 0), 0u);
    EXPECT_NE(svg.find(">1310 nm</text>"), std::string::npos);
    EXPECT_EQ(svg.find("<symbol"), std::string::npos);
    // Four traces of 6000 points are drawn at the plot's pixel columns.
    EXPECT_LT(svg.size(), 60000u);

    PlotOptions o;
    o.end = 2;
    o.feet = true;
    const auto end2 = recordPictures(record, o);
    ASSERT_EQ(end2.size(), 1u);
    EXPECT_EQ(end2[0].title, "OTDR (end 2)");
    const std::string file = svgText(end2[0]);
    EXPECT_EQ(file.rfind("<?xml", 0), 0u);
    EXPECT_NE(file.find("</svg>"), std::string::npos);
}

TEST(ImagePicture, BadPictureBytesAndWildDefectsStillDraw) {
    auto t = std::make_shared<Kestrix::Tester::FiberImageTest>(1);
    t->ImageData = {0x89, 'P',  'N',  'G',  0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0x7F,
                    0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 8,    2, 0, 0, 0,  0,   0,   0,   0};  // 2^31 x 2^31
    t->X = t->Y = 100;
    t->Core = 50;
    t->PixelsPerMicron = 1e300;
    Kestrix::Tester::FiberImageDefect d;
    d.Type = 2;
    d.Points = {{-1, -1}, {INT32_MIN, INT32_MAX}, {5, 5}};
    t->Defects.push_back(d);
    d.Type = 1;
    d.Size = INT32_MAX;
    d.Points = {{INT32_MAX, 0}};
    t->Defects.push_back(d);
    const Picture p = imagePicture(t, "End-face image", false);
    Pixels px(pngBytes(p));
    ASSERT_TRUE(px.ok());
    EXPECT_EQ(px.width(), 640);
}

}  // namespace
