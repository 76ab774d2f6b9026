#include "CommonTesting.h"

#include <cmath>
#include <limits>

#include "common/ScaledInt.h"

namespace {
ScaledInt si(int32_t v, ScaledInt::ScaledTo s) { return ScaledInt::raw(v, s); }
const ScaledInt kNaN = ScaledInt::nan();
const ScaledInt kPos = ScaledInt::posInf();
const ScaledInt kNeg = ScaledInt::negInf();

void expectSame(const ScaledInt& a, int32_t value, ScaledInt::ScaledTo scale) {
    EXPECT_EQ(a.value, value);
    EXPECT_EQ(a.scaledTo, scale);
}
}  // namespace

TEST(ScaledInt, ConstructionRoundsHalfAwayFromZeroAndMapsSpecials) {
    expectSame(ScaledInt(1.25f, ScaledInt::tenths), 13, ScaledInt::tenths);
    expectSame(ScaledInt(-1.25f, ScaledInt::tenths), -13, ScaledInt::tenths);
    expectSame(ScaledInt(125.0f, ScaledInt::tens), 13, ScaledInt::tens);
    EXPECT_TRUE(ScaledInt(std::nanf(""), ScaledInt::ones).isNaN());
    EXPECT_TRUE(ScaledInt(std::numeric_limits<float>::infinity(), ScaledInt::ones).isPosInf());
    EXPECT_TRUE(ScaledInt(-std::numeric_limits<float>::infinity(), ScaledInt::ones).isNegInf());
    // Beyond int32 after scaling: the matching infinity, never an undefined conversion.
    EXPECT_TRUE(ScaledInt(3e9f, ScaledInt::ones).isPosInf());
    EXPECT_TRUE(ScaledInt(-1e6f, ScaledInt::tenthousandths).isNegInf());
    EXPECT_TRUE(ScaledInt().isNaN());
    expectSame(Kestrix::ScaledIntTenths(2.26), 23, ScaledInt::tenths);
}

TEST(ScaledInt, ComparesAcrossResolutions) {
    EXPECT_TRUE(si(10, ScaledInt::ones) == si(100, ScaledInt::tenths));
    EXPECT_TRUE(si(10, ScaledInt::ones) == si(1, ScaledInt::tens));
    EXPECT_TRUE(si(5, ScaledInt::tenths) < si(51, ScaledInt::hundredths));
    EXPECT_TRUE(kNeg < si(-2000000000, ScaledInt::ones));
    EXPECT_TRUE(kNeg < kPos);
    EXPECT_TRUE(kPos > si(2000000000, ScaledInt::ones));
    EXPECT_TRUE(kPos == kPos && kPos <= kPos && kPos >= kPos);
    EXPECT_FALSE(kPos < kPos || kPos > kPos);
    // 0x80000000 is an ordinary finite value.
    EXPECT_TRUE(si(INT32_MIN, ScaledInt::ones).isFinite());
    for (const auto& other : {kNaN, si(1, ScaledInt::ones), kPos}) {
        EXPECT_FALSE(kNaN == other || kNaN < other || kNaN <= other || kNaN > other || kNaN >= other);
        EXPECT_FALSE(other == kNaN || other < kNaN || other <= kNaN || other > kNaN || other >= kNaN);
    }
}

TEST(ScaledInt, ArithmeticAlignsWrapsLikeTheTesterAndCarriesSpecialValues) {
    expectSame(si(5, ScaledInt::tenths) + si(3, ScaledInt::hundredths), 53, ScaledInt::hundredths);
    expectSame(si(5, ScaledInt::tenths) - si(3, ScaledInt::hundredths), 47, ScaledInt::hundredths);
    expectSame(si(1, ScaledInt::tens) + si(1, ScaledInt::tenthousandths), 100001, ScaledInt::tenthousandths);
    // 32-bit wrap-around, without signed overflow.
    expectSame(si(2147483000, ScaledInt::ones) + si(1000, ScaledInt::ones), -2147483296, ScaledInt::ones);
    expectSame(si(300000, ScaledInt::tens) + si(0, ScaledInt::tenthousandths),
               static_cast<int32_t>(30000000000ll % 4294967296ll - 4294967296ll), ScaledInt::tenthousandths);

    // Special values in sums and differences.
    const ScaledInt a = si(7, ScaledInt::ones);
    expectSame(a + kNaN, 7, ScaledInt::ones);
    EXPECT_TRUE((kNaN + a).isNaN());
    EXPECT_TRUE((a - kNaN).isNaN());
    EXPECT_TRUE((kPos - kPos).isNaN());
    EXPECT_EQ((kPos - kPos).scaledTo, ScaledInt::ones);
    EXPECT_TRUE((kPos + kNeg).isNaN());
    EXPECT_TRUE((kPos - si(5, ScaledInt::ones)).isPosInf());
    EXPECT_TRUE((si(5, ScaledInt::ones) - kPos).isNegInf());
    EXPECT_TRUE((si(5, ScaledInt::ones) - kNeg).isPosInf());
    EXPECT_TRUE((kNeg + a).isNegInf());
}

TEST(ScaledInt, AverageMaxMinAbs) {
    const auto one = si(1, ScaledInt::ones), two = si(2, ScaledInt::ones);
    expectSame(Kestrix::average(one, two), 2, ScaledInt::ones);
    expectSame(Kestrix::average(si(-1, ScaledInt::ones), si(-2, ScaledInt::ones)), -2, ScaledInt::ones);
    expectSame(Kestrix::average(one, si(-2, ScaledInt::ones)), -1, ScaledInt::ones);
    EXPECT_TRUE(Kestrix::average(kPos, kNeg).isNaN());
    expectSame(Kestrix::max(kNaN, si(3, ScaledInt::ones)), 3, ScaledInt::ones);
    const auto threeA = si(3, ScaledInt::ones), threeB = si(30, ScaledInt::tenths);
    expectSame(Kestrix::min(threeA, threeB), 30, ScaledInt::tenths);
    expectSame(Kestrix::max(threeA, threeB), 3, ScaledInt::ones);
    expectSame(Kestrix::max(threeA, kNaN), 3, ScaledInt::ones);
    EXPECT_TRUE(kNeg.abs().isPosInf());
    EXPECT_TRUE(kNaN.abs().isNaN());
    expectSame(si(-12, ScaledInt::tenths).abs(), 12, ScaledInt::tenths);
}

TEST(ScaledInt, TextFormsAndParsing) {
    EXPECT_EQ(si(1234, ScaledInt::hundredths).toString(), "12.34");
    EXPECT_EQ(si(12, ScaledInt::tens).toString(), "120");
    EXPECT_EQ(ScaledInt::nan(ScaledInt::thousandths).toString(), "NaN");
    EXPECT_EQ(kPos.toString(), "+inf");
    EXPECT_EQ(kNeg.toString(), "-inf");
    EXPECT_STREQ(Kestrix::toString(ScaledInt::tenthousandths), "tenthousandths");
    EXPECT_STREQ(Kestrix::toString(static_cast<ScaledInt::ScaledTo>(9)), "");

    ScaledInt p;
    ASSERT_TRUE(p.parse("12.340"));
    expectSame(p, 12340, ScaledInt::thousandths);
    ASSERT_TRUE(p.parse("7"));
    expectSame(p, 7, ScaledInt::ones);
    ASSERT_TRUE(p.parse("-inf"));
    EXPECT_TRUE(p.isNegInf());
    EXPECT_EQ(p.scaledTo, ScaledInt::ones);
    p = si(5, ScaledInt::tenths);
    EXPECT_FALSE(p.parse("abc"));
    expectSame(p, 5, ScaledInt::tenths);
    // No resolution holds five decimals: refused, value unchanged.
    EXPECT_FALSE(p.parse("1.23456"));
    expectSame(p, 5, ScaledInt::tenths);
}

TEST(ScaledInt, WireFormAndRefusals) {
    const auto bytes = kx::test::bytesOf(si(1234, ScaledInt::hundredths));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x01, 0xD2, 0x04, 0x00, 0x00, 0x02}));

    ScaledInt back;
    EXPECT_EQ(kx::test::readInto(back, bytes), Marshal::ok);
    expectSame(back, 1234, ScaledInt::hundredths);

    auto v2 = bytes;
    v2[0] = 2;
    EXPECT_EQ(kx::test::readInto(back, v2), Marshal::versionTooNew);
    // A resolution the program cannot print or align is refused at once.
    for (uint8_t bad : {0x05, 0xFE, 0x80}) {
        auto b2 = bytes;
        b2[5] = bad;
        EXPECT_EQ(kx::test::readInto(back, b2), Marshal::invalidData);
    }
    auto tens = bytes;
    tens[5] = 0xFF;
    EXPECT_EQ(kx::test::readInto(back, tens), Marshal::ok);
    EXPECT_EQ(back.scaledTo, ScaledInt::tens);
    for (size_t n = 1; n < bytes.size(); ++n)
        EXPECT_EQ(kx::test::readInto(back, std::vector<uint8_t>(bytes.begin(), bytes.begin() + n)), Marshal::readError);
}
