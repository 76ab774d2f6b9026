#include "copper/CopperTesting.h"

#include <algorithm>
#include <random>

#include "copper/CopperUtil.h"

namespace {
std::vector<uint8_t> curveStream(uint32_t count, uint32_t packedLen, const std::vector<uint8_t>& packed) {
    Marshal::ByteStreamBuilder b;
    b.write(count);
    b.write(packedLen);
    if (!packed.empty()) b.write(packed.data(), static_cast<uint32_t>(packed.size()));
    return b.bytes();
}

Marshal::StreamOpStatus readCurve(const std::vector<uint8_t>& bytes, std::vector<int16_t>& out) {
    Marshal::ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return readPackedCurve(r, out);
}
}  // namespace

TEST(CurveCodec, EscapesUnpacksOnlyItsBytesRoundTripsAndItsStreamRefusesCountsTheBytesCannotHold) {
    // -128 would collide with the escape byte, so only -127..127 fit in one byte.
    EXPECT_EQ(packCurve({-127}), (std::vector<uint8_t>{0x81}));
    EXPECT_EQ(packCurve({-128}), (std::vector<uint8_t>{0x80, 0x80, 0xFF}));
    EXPECT_EQ(packCurve({127}), (std::vector<uint8_t>{0x7F}));
    EXPECT_EQ(packCurve({128}), (std::vector<uint8_t>{0x80, 0x80, 0x00}));
    EXPECT_EQ(packCurve({32767, -32768}), (std::vector<uint8_t>{0x80, 0xFF, 0x7F, 0x80, 0x00, 0x80}));

    // The unpacker stops at the end of its bytes and ignores trailing ones.
    const std::vector<uint8_t> packed = {0x00, 0x05, 0x80, 0x2C, 0x01, 0xFF};
    for (size_t n = 0; n < packed.size(); ++n) {
        std::vector<uint8_t> cut(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(n));
        std::vector<int16_t> out(4, 7);
        uint32_t used = 99;
        EXPECT_FALSE(unpackCurve(cut.data(), static_cast<uint32_t>(cut.size()), out.data(), 4, &used)) << n;
        EXPECT_LE(used, n);
    }
    // An escape as the very last byte has no value bytes behind it.
    std::vector<int16_t> one(1);
    const uint8_t lone = 0x80;
    EXPECT_FALSE(unpackCurve(&lone, 1, one.data(), 1));

    // Bytes after the samples asked for are left unread.
    const uint8_t three[] = {0x01, 0x01, 0x01};
    std::vector<int16_t> two(2);
    uint32_t used = 0;
    EXPECT_TRUE(unpackCurve(three, 3, two.data(), 2, &used));
    EXPECT_EQ(used, 2u);
    EXPECT_EQ(two, (std::vector<int16_t>{1, 2}));

    std::mt19937 rng(4711);
    for (int round = 0; round < 300; ++round) {
        // Mix small steps (one byte each) with jumps anywhere in the 16-bit range (escapes).
        std::uniform_int_distribution<int> len(0, 400);
        std::uniform_int_distribution<int> step(-140, 140);
        std::uniform_int_distribution<int> any(-32768, 32767);
        std::vector<int16_t> samples(static_cast<size_t>(len(rng)));
        int32_t v = 0;
        for (auto& s : samples) {
            v = (rng() % 8 == 0) ? any(rng) : std::clamp(v + step(rng), -32768, 32767);
            s = static_cast<int16_t>(v);
        }
        const std::vector<uint8_t> randomBytes = packCurve(samples);
        ASSERT_LE(randomBytes.size(), samples.size() * 3);
        std::vector<int16_t> back(samples.size());
        ASSERT_TRUE(unpackCurve(randomBytes.data(), static_cast<uint32_t>(randomBytes.size()), back.data(),
                                static_cast<uint32_t>(back.size())));
        ASSERT_EQ(back, samples);
    }

    const std::vector<int16_t> samples = {10, 20, -500, 1000, 999};
    Marshal::ByteStreamBuilder b;
    writePackedCurve(b, samples);
    writePackedCurve(b, {});
    const auto bytes = b.bytes();
    Marshal::ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::vector<int16_t> a;
    std::vector<int16_t> e = {1};
    EXPECT_EQ(readPackedCurve(r, a), Marshal::ok);
    EXPECT_EQ(readPackedCurve(r, e), Marshal::ok);
    EXPECT_EQ(a, samples);
    EXPECT_TRUE(e.empty());
    EXPECT_EQ(r.remaining(), 0u);

    // More samples than packed bytes: the unpacker would run out.
    EXPECT_EQ(readCurve(curveStream(3, 2, {1, 1}), e), Marshal::readError);
    // A packed length beyond the stream.
    EXPECT_EQ(readCurve(curveStream(2, 100, {1, 1}), e), Marshal::readError);
    // Huge counts are refused before anything is allocated.
    EXPECT_EQ(readCurve(curveStream(0xFFFFFFFFu, 0xFFFFFFFFu, {1, 1}), e), Marshal::readError);
    EXPECT_EQ(readCurve(curveStream(0x40000000u, 4, {1, 1, 1, 1}), e), Marshal::readError);
    // Enough bytes but an escape without its value.
    EXPECT_EQ(readCurve(curveStream(2, 2, {1, 0x80}), e), Marshal::readError);
    EXPECT_TRUE(e.empty());
}

TEST(FrequencyGrid, MapsTheBandEdgesAndRoundsOffGridFrequenciesDown) {
    const int edges[][2] = {{999, 0},      {1000, 0},     {1124, 0},       {1125, 1},      {31250, 242},
                            {100000, 517}, {250000, 817}, {1200000, 1767}, {2500000, 2417}};
    for (const auto& [kHz, idx] : edges) EXPECT_EQ(kHzToIdx(kHz), idx) << kHz;
    for (const auto& [idx, kHz] : {std::pair{-1, 1000}, {241, 31125}, {242, 31250}, {1766, 1199000}, {1767, 1200000}})
        EXPECT_EQ(idxToKHz(idx), kHz) << idx;
    // Indexes round-trip; off-grid frequencies round down.
    for (int i = 0; i <= 2417; ++i) ASSERT_EQ(kHzToIdx(idxToKHz(i)), i) << i;
    for (int f = 1000; f <= 2500000; f += 77) {
        const int g = idxToKHz(kHzToIdx(f));
        ASSERT_LE(g, f);
        ASSERT_GT(idxToKHz(kHzToIdx(f) + 1), f);
    }
    // Extreme indexes neither overflow nor wrap.
    EXPECT_GT(idxToKHz(INT32_MAX), 0);
}

TEST(DatabaseVersionText, ComparesNumbersNotCharacters) {
    for (const char* text : {"V10.2", "V7.1", "V7.10", "V12.0 beta"}) EXPECT_FALSE(dbVersionBelow(text, 7, 1)) << text;
    for (const char* text : {"V7.0", "V6.99 beta", "", "garbage"}) EXPECT_TRUE(dbVersionBelow(text, 7, 1)) << text;
    DbVersionNumber v;
    ASSERT_TRUE(parseDbVersion("V10.2", v));
    EXPECT_EQ(v.major, 10);
    EXPECT_EQ(v.minor, 2);
    EXPECT_FALSE(parseDbVersion("V10", v));
}
