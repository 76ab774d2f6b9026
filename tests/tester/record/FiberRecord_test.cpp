// The fiber side of a record: loss/length, power-meter and end-face image tests, the fiber limit and cable
// views and the span validator.

#include <cmath>
#include <limits>

#include "tester/record/RecordTesting.h"
#include "tester/TesterFixture.h"
#include "serialization/ByteStreamBuilder.h"
#include "tester/setups/TarvelFiberCable.h"
#include "tester/host/TarvelFiberLimit.h"

namespace {

FiberResult resultWith(std::unique_ptr<FiberTest> test) {
    FiberResult r;
    r.summary = kx::test::fiberSummary();
    r.addTest(std::move(test));
    return r;
}

const MeasParam& param(const SingleMeasurement& m, MeasKind kind) {
    const MeasParam* p = m.Find(kind);
    EXPECT_NE(p, nullptr) << "kind " << static_cast<int>(kind);
    static const MeasParam none;
    return p != nullptr ? *p : none;
}

template <typename T>
std::vector<uint8_t> serialized(const T& object) {
    Marshal::ByteStreamBuilder b;
    object.serialize(b);
    return b.bytes();
}

}  // namespace

TEST(FiberRecordLoss, LengthWithoutWavelengthsIsLengthOnlyAndLossCodesAreQualified) {
    auto test = std::make_unique<FiberLossLengthTest>(kx::test::lossLengthTest());
    for (auto& e : test->testPerDirectionWlVec)
        if (e.direction == CableEnd::end2) e.wavelength = 0;
    // The 850 nm loss from end 1 lost its received power: not a number.
    test->testPerDirectionWlVec[0].power = FiberPower(std::nanf(""), ScaledInt::hundredths, 1, ScaledInt::tenths);
    test->limit.setFlag(LimitFlag::isVendorSystemLimit, true);
    test->settings.numLcConnectors = 3;
    TestRecordTarvel record = recordOf(resultWith(std::move(test)));

    const auto end2 = record.GetLossTest(2);
    ASSERT_TRUE(end2);
    // Length only (brief 19) without measurements.
    kx::test::expectGolden(end2->toJson(), "record/golden/loss-length-only.json");
    const auto end1 = record.GetLossTest(1);
    ASSERT_TRUE(end1);
    // A vendor-system limit with 3 LC connectors and no length-based detail; the 850 nm loss null, qualified NaN.
    kx::test::expectGolden(end1->toJson(), "record/golden/loss-vendor-system.json");
}

// Every image test with bytes is shown; a stored size that is missing or disagrees with the PNG header gives
// way to the header's, and the disagreement is logged.
TEST(FiberRecordImage, EveryPictureIsShownAtItsOwnSizeWithItsDefects) {
    struct Case {
        int16_t storedWidth, storedHeight;
        bool png;  // the bytes start with a PNG header saying 640 x 480
        int x, y;
        bool logged;
    };
    const Case cases[] = {
        {640, 480, true, 640, 480, false}, {480, 640, true, 640, 480, true},   {0, 480, true, 640, 480, true},
        {-1, -1, true, 640, 480, true},    {320, 240, false, 320, 240, false}, {0, 0, false, 0, 0, false},
    };
    for (const Case& c : cases) {
        auto test = std::make_unique<Kestrix::FiberImageTest>(kx::test::imageTest());
        std::vector<uint8_t>& b = test->image.imageBytes;
        const uint8_t ihdr[] = {0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 2, 0x80, 0, 0, 1, 0xE0};
        std::copy(std::begin(ihdr), std::end(ihdr), b.begin() + 8);
        if (!c.png) b[1] = 'X';
        test->image.widthPixels = c.storedWidth;
        test->image.heightPixels = c.storedHeight;
        for (int32_t width : {400, 1000}) {
            FiberImageFeatureObject f;
            f.type = FiberImageFeatureType::glob;
            f.width = width;
            test->featureObjects.push_back(f);
        }
        TestRecordTarvel record = recordOf(resultWith(std::move(test)));
        kx::test::LogCapture log;
        const auto image = record.GetImageTest(1);
        ASSERT_TRUE(image) << c.storedWidth << " x " << c.storedHeight;
        EXPECT_TRUE(record.HasImageTest(1));
        EXPECT_EQ(image->X, c.x) << c.storedWidth;
        EXPECT_EQ(image->Y, c.y) << c.storedHeight;
        EXPECT_EQ(image->ImageData.size(), 4096u);
        EXPECT_FALSE(record.HasImageTest(2));
        // Features are defects sized by their width; the stored ones come first (record/golden/power-image.json).
        ASSERT_EQ(image->Defects.size(), 4u);
        EXPECT_EQ(image->Defects[2].Size, 2);  // width 400
        EXPECT_EQ(image->Defects[3].Size, 5);  // width 1000
        EXPECT_EQ(log.has("Image test of end 1"), c.logged) << c.storedWidth << " x " << c.storedHeight;
    }

    auto empty = std::make_unique<Kestrix::FiberImageTest>(kx::test::imageTest());
    empty->image.imageBytes.clear();
    EXPECT_FALSE(recordOf(resultWith(std::move(empty))).GetImageTest(1));
}

// A power reaches the host in microwatts whatever unit the tester stored it in; infinite powers are marked. The
// dBm and microwatt values with their losses are pinned by record/golden/power-image.json.
TEST(FiberRecordPower, EveryStoredWattUnitReachesTheHostInMicrowattsAndInfinitiesAreMarked) {
    struct Case {
        uint8_t units;  // 0 and 1 milliwatts, 2 microwatts, 3 nanowatts, 4 picowatts
        ScaledInt::ScaledTo resolution;
    };
    for (const Case& c : {Case{0, ScaledInt::tenthousandths}, Case{1, ScaledInt::tenthousandths},
                          Case{2, ScaledInt::hundredths}, Case{3, ScaledInt::ones}, Case{4, ScaledInt::ones}}) {
        auto test = std::make_unique<FiberPowerMeterTest>(kx::test::powerMeterTest());
        FiberPowerMeterPerWl& e = test->testPerWlVec[0];
        e.power = FiberPower(-20.0f, ScaledInt::hundredths, c.units, c.resolution);     // 10 uW
        e.refPower = FiberPower(-10.0f, ScaledInt::hundredths, c.units, c.resolution);  // 100 uW
        e.minPower = FiberPower(-30.0f, ScaledInt::hundredths, c.units, c.resolution);  // 1 uW
        e.maxPower = FiberPower(-15.0f, ScaledInt::hundredths, c.units, c.resolution);  // 31.62 uW
        // 1550 nm with its maximum power at negative infinity; an entry without a wavelength.
        test->testPerWlVec[1].maxPower =
            FiberPower(-std::numeric_limits<float>::infinity(), ScaledInt::hundredths, 2, ScaledInt::tenths);
        FiberPowerMeterPerWl zero = test->testPerWlVec[0];
        zero.wavelength = 0;
        test->testPerWlVec.push_back(zero);
        TestRecordTarvel record = recordOf(resultWith(std::move(test)));
        EXPECT_FALSE(record.GetPowerTest(2));
        const auto power = record.GetPowerTest(1);
        ASSERT_TRUE(power);
        EXPECT_EQ(power->Id, 22);
        ASSERT_EQ(power->Measurements.size(), 4u);  // two wavelengths, dBm then watts; wavelength 0 skipped
        // The minimum loss an infinite maximum power brackets is no number.
        const FiberMeasurement& inf = power->Measurements[2];
        EXPECT_EQ(param(inf, kKindMaxPower).Qualifier, kQualifierNegInf);
        EXPECT_EQ(param(inf, kKindMinLoss).Qualifier, kQualifierNaN);
        EXPECT_FALSE(param(inf, kKindMaxLoss).Qualifier);
        const FiberMeasurement& watts = power->Measurements[1];
        const int unit = c.units;
        EXPECT_NEAR(param(watts, MeasKind::Value).Value, 10.0, 0.05) << unit;
        EXPECT_NEAR(param(watts, kKindRefPower).Value, 100.0, 0.05) << unit;
        EXPECT_NEAR(param(watts, kKindMinPower).Value, 1.0, 0.05) << unit;
        EXPECT_NEAR(param(watts, kKindMaxPower).Value, 31.62, 0.05) << unit;
        EXPECT_EQ(param(watts, MeasKind::Value).Unit, 10);
        // The dBm form does not depend on the unit.
        EXPECT_NEAR(param(power->Measurements[0], MeasKind::Value).Value, -20.0, 1e-9) << unit;
    }
}

TEST(FiberLimitView, SpecificationsAbsentEntriesAndTheCableCategoryOnlyWhenKnown) {
    FiberLimit limit = kx::test::lossLengthLimit();
    limit.valuesList[0].values[FiberLimitValueType::maxSplitterLoss_1x8] = ScaledInt(10.6f, ScaledInt::tenths);
    limit.valuesList[0].supportedCategories.insert(static_cast<FiberCategory>(12));
    const auto bytes = serialized(limit);
    TarvelFiberLimit view;
    EXPECT_FALSE(view.Deserialize(nullptr));
    ASSERT_TRUE(view.Deserialize(&bytes));
    // Name, version and per wavelength its categories (the unknown one skipped), length and loss specifications,
    // the splice loss as an upper limit of two decimals, no reflectance, and the 1x8 splitter's 10.6 dB.
    kx::test::expectGolden(view.toJson(), "record/golden/fiber-limit.json");
    EXPECT_FALSE(view.GetWavelenghtLimit(2));
    EXPECT_FALSE(view.GetOtdrWavelengthLimit(1550));
    const auto wl = view.GetOtdrWavelengthLimit(850);
    ASSERT_TRUE(wl);
    for (int ratio : {0, 3, 2 * 8, 512, -8}) EXPECT_FALSE(wl->SplitterEventLossSpec(ratio)) << ratio;

    const std::vector<uint8_t> garbage(bytes.begin(), bytes.begin() + bytes.size() / 2);
    EXPECT_FALSE(view.Deserialize(&garbage));
    EXPECT_EQ(view.GetName(), "");
    // The cable view: a category only when it is known.
    TarvelFiberCable cable;
    const auto cableBytes = serialized(kx::test::singlemodeFiber());
    ASSERT_TRUE(cable.Deserialize(&cableBytes));
    EXPECT_EQ(cable.Category, 6);
    const std::vector<uint8_t> cutCable(cableBytes.begin(), cableBytes.end() - 3);
    EXPECT_FALSE(cable.Deserialize(&cutCable));
    EXPECT_FALSE(cable.Category);
}

TEST(FiberSpanValidator, CorrectsIntoTheTraceThenAccepts) {
    const OtdrSpanValidator validator({2300.0, 2500.0});
    double start = 2400.0, stop = -5.0;
    ASSERT_TRUE(validator.AutoCorrect(start, stop));
    EXPECT_DOUBLE_EQ(start, 0.0);
    EXPECT_DOUBLE_EQ(stop, 2300.0);
    EXPECT_TRUE(validator.Evaluate(start, stop));
    EXPECT_FALSE(validator.Evaluate(100.0, 100.0));
    EXPECT_FALSE(validator.Evaluate(100.0, 2400.0));
    double nan = std::nan(""), s = 1.0;
    EXPECT_FALSE(validator.AutoCorrect(nan, s));
    double a = 1.0, b = 2.0;
    EXPECT_FALSE(OtdrSpanValidator({}).AutoCorrect(a, b));
}
