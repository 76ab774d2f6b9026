// The wiremap picture: pixels at the places the layout fixes (pin rows, stub ends, dashes, short squares),
// not whole-image hashes that a font update would change.

#include "tester/record/RecordTesting.h"
#include "tester/record/TarvelWiremap.h"

namespace {

constexpr int kW = 280;
constexpr int kH = 220;

struct Bmp {
    std::vector<uint8_t> bytes;
    uint32_t at(int x, int y) const {
        const size_t row = static_cast<size_t>(kH - 1 - y) * kW * 3;
        const uint8_t* p = bytes.data() + 54 + row + static_cast<size_t>(x) * 3;
        return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
};

Bmp draw(const Wiremap& w, const CopperOutletConfig& oc, bool meters = true, const std::string& unit = "m") {
    const WireMapData data(&w, &oc, 1, 1);
    return Bmp{TarvelWiremap::renderBmp(data, meters, unit)};
}

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
// T568B: pair 1 (pins 1-2) orange, pair 2 (pins 3-6) green; the odd pin's wire is the striped one.
constexpr uint32_t kOrange = 0xFF8000;
constexpr uint32_t kGreen = 0x00A050;

}  // namespace

TEST(WiremapDrawing, StraightThroughWiresStubsAndDashes) {
    const Bmp b = draw(kx::test::straightThroughWiremap(), kx::test::t568bOutlet());
    // Not pair-based: left x 25, right x 255; pin 2 orange solid from stub to stub.
    for (int x : {26, 40, 54, 140, 226, 254}) EXPECT_EQ(b.at(x, 30), kOrange) << x;
    EXPECT_EQ(b.at(20, 30), kWhite);
    EXPECT_EQ(b.at(260, 30), kWhite);
    // Pin 1 is the striped wire: orange with white dashes (2 on, 4 off) along its row.
    int white = 0, orange = 0;
    for (int x = 26; x < 55; ++x) {
        white += b.at(x, 15) == kWhite;
        orange += b.at(x, 15) == kOrange;
    }
    EXPECT_GE(white, 6);
    EXPECT_GE(orange, 12);
    // The wire is 4 pixels wide: its edge rows keep the colour between the dashes.
    EXPECT_EQ(b.at(40, 13), kOrange);
    EXPECT_EQ(b.at(40, 18), kWhite);
    // The shield is drawn (it is connected): black.
    EXPECT_EQ(b.at(40, 196), kBlack);
}

TEST(WiremapDrawing, SingleEndedMapHasNoRemoteStubs) {
    Wiremap w;
    w.status = Status::fail;
    WiremapArtifactOpen open;
    open.cableEnd = CableEnd::main;
    open.pin = Pin::pin1;
    open.lengthToOpen = ScaledInt::raw(100, ScaledInt::tenths);
    w.opens.push_back(open);
    const Bmp b = draw(w, kx::test::t568bOutlet());
    EXPECT_EQ(b.at(40, 13), kOrange);  // the striped wire's edge
    EXPECT_EQ(b.at(240, 15), kWhite);
    EXPECT_EQ(b.at(140, 15), kWhite);  // no connection
    // The open's label sits above the row, right of the stub: some dark pixels there.
    int dark = 0;
    for (int y = 5; y < 15; ++y)
        for (int x = 60; x < 100; ++x) dark += (b.at(x, y) & 0xFF) < 0x80;
    EXPECT_GT(dark, 5);
}

TEST(WiremapDrawing, ShortsAreBlackSquaresJoinedByALine) {
    Wiremap w = kx::test::straightThroughWiremap();
    w.status = Status::fail;
    WiremapArtifactShort s;
    s.cableEnd = CableEnd::main;
    s.pin1 = Pin::pin3;
    s.pin2 = Pin::pin6;
    s.lengthToShort = ScaledInt::raw(55, ScaledInt::tenths);
    w.shorts.push_back(s);
    const CopperOutletConfig oc = kx::test::t568bOutlet();
    const WireMapData data(&w, &oc, 1, 1);
    ASSERT_EQ(data.shortList().size(), 1u);
    const int x = 25 + data.shortList()[0].group * 10;
    const Bmp b = draw(w, kx::test::t568bOutlet());
    for (int dx = -3; dx <= 3; ++dx)
        for (int dy = -3; dy <= 3; ++dy) {
            EXPECT_EQ(b.at(x + dx, 60 + dy), kBlack);
            EXPECT_EQ(b.at(x + dx, 75 + dy), kBlack);
        }
    EXPECT_EQ(b.at(x, 68), kBlack);  // the joining line
}

TEST(WiremapDrawing, SplitPairWiresCross) {
    Wiremap w = kx::test::straightThroughWiremap();
    WiremapArtifactSplitPair split;
    split.pair1 = WirePair::pair1;
    split.pair2 = WirePair::pair2;
    w.splitPairs.push_back(split);
    const Bmp b = draw(w, kx::test::t568bOutlet());
    // Pins 2 (row 30) and 3 (row 60) cross in the middle third: pin 2's wire runs 2 below row 60, pin 3's
    // 2 above row 30; between them nothing.
    const int mid = 140;
    EXPECT_EQ(b.at(mid, 62), kOrange);
    EXPECT_EQ(b.at(mid, 26), kGreen);  // the edge of pin 3's striped wire
    EXPECT_EQ(b.at(mid, 45), kWhite);
    // The stubs stay on their rows.
    EXPECT_EQ(b.at(40, 60), kGreen);  // between two dashes of the striped wire
    EXPECT_EQ(b.at(240, 30), kOrange);
}

TEST(WiremapDrawing, M12DrawsOnlyTwoPairs) {
    CopperOutletConfig oc = kx::test::t568bOutlet({1, 2});
    oc.name = "M12 X-Code";
    const Bmp b = draw(kx::test::straightThroughWiremap(), oc);
    EXPECT_NE(b.at(40, 15), kWhite);
    EXPECT_NE(b.at(40, 60), kWhite);
    EXPECT_EQ(b.at(40, 105), kWhite);  // pin 4
    EXPECT_EQ(b.at(40, 151), kWhite);  // pin 7
}

TEST(WiremapDrawing, PinRowsAndDistanceLabelsInMetresOrFeet) {
    const Wiremap w;
    const CopperOutletConfig oc;
    const WireMapData data(&w, &oc, 1, 1);
    TarvelWiremap map(0, 0, kW, kH, &data);
    // Rows of the standard layout: step = (220 - 90) / 6 * 1.4; pin 3 at 30 + 30.33, pin 4 at 75.33 + 30.33.
    const std::pair<int, int> rows[] = {{1, 15}, {2, 30}, {3, 60}, {6, 75}, {4, 105}, {9, 196}};
    for (const auto& [pin, row] : rows) EXPECT_EQ(static_cast<int>(map.pinRow(pin)), row) << pin;
    EXPECT_EQ(map.distanceLabel(10.0), "10.0 m");
    map.SetMeters(false, "ft");
    EXPECT_EQ(map.distanceLabel(10.0), "33 ft");
    map.SetMeters(false, "feet!");  // five characters: the label stays
    EXPECT_EQ(map.unitLabel(), "ft");
    map.SetMeters(true, "");
    EXPECT_EQ(map.unitLabel(), "ft");
    EXPECT_EQ(map.distanceLabel(1e300), "? ft");
}

TEST(WiremapDrawing, RecordGivesBmpAndPngOfTheSamePicture) {
    TestRecordTarvel record(kx::test::cat6AResultFile());
    const auto test = record.GetWireMapTest();
    ASSERT_TRUE(test);
    const auto bmp = record.GetWireMapBitmap(*test);
    const auto png = record.GetWireMapPng(*test);
    ASSERT_TRUE(bmp);
    ASSERT_TRUE(png);
    // A 24-bit BMP of the whole canvas.
    ASSERT_EQ(bmp->size(), 54u + kW * kH * 3);
    EXPECT_EQ((*bmp)[0], 'B');
    EXPECT_EQ((*bmp)[1], 'M');
    EXPECT_EQ((*bmp)[28], 24);
    EXPECT_EQ((*bmp)[18] | ((*bmp)[19] << 8), kW);
    EXPECT_EQ((*bmp)[22] | ((*bmp)[23] << 8), kH);
    ASSERT_GT(png->size(), 8u);
    EXPECT_EQ((*png)[1], 'P');
}
