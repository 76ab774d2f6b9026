#include "common/InstrumentSettings.h"

#include "CommonTesting.h"

namespace {
InstrumentSettings edited() {
    InstrumentSettings s;
    s.powerDownTimeout = PowerDownTimeout::min60;
    s.remoteModeEnabled = true;
    s.audibleToneEnabled = false;
    s.dateFormat = DateFormat::ddmmyyyyDot;
    s.timeFormat = TimeFormat::h24;
    s.language = Language::turkish;
    s.lengthUnits = LengthUnits::feet;
    s.numericFormat = NumericFormat::decimalComma;
    s.backlightTimeout = BacklightTimeout::disabled;
    s.powerLineFrequency = PowerLineFrequency::hz50;
    s.plotGridEnabled = false;
    s.displayBrightness = -3;
    s.ipAddressSource = IPAddressSource::staticAddress;
    s.ipAddress = "10.0.0.9";
    s.ipSubnet = "255.0.0.0";
    s.ipGateway = "10.0.0.1";
    s.ipDNS1 = "10.0.0.2";
    s.ipDNS4 = "10.0.0.5";
    s.kept = {9, "x", "yz", 3, 4};
    return s;
}

// Offset of each enumeration byte in the stream (header 12 bytes first).
constexpr size_t kPowerDown = 12, kDate = 16, kLanguage = 18, kIpSource = 26;
}  // namespace

TEST(InstrumentSettings, DefaultGoldenBytes) {
    const std::vector<uint8_t> expected = {
        0xCD, 0xAB, 1, 3, 0x51, 0, 4, 0, 50, 0, 0, 0,  // header
        1,    1,    0, 1,                              // power down, storage, remote, tone
        0,    0,    0, 0, 0,    1, 1,                  // date .. power line (60 Hz)
        1,    0xFA, 0, 0,                              // grid, brightness 250, DHCP
        0,    0,    0, 0, 0,    0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0,
        0,    0,    0, 0, 0,    0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0};  // the kept block
    EXPECT_EQ(bytesOf(InstrumentSettings{}), expected);
}

// Version 1 has no final block (the current version's round trip is in the framed objects' table).
TEST(InstrumentSettings, Version1HasNoFinalBlock) {
    // Cut the kept block (1 + 3 + 4 + 1 + 1 bytes) and mark the data version 1.
    const auto whole = bytesOf(edited());
    auto bytes = kx::test::reframe(whole, 0, 1, whole.size() - 10, 10);
    InstrumentSettings back;
    back.kept = {1, "old", "old", 1, 1};
    ASSERT_EQ(readInto(back, bytes), Marshal::ok);
    EXPECT_EQ(back.kept, InstrumentSettings::KeptBlock{});
    EXPECT_EQ(back.ipDNS4, "10.0.0.5");
    // Version 2 data with the same bytes lacks its block: a read error.
    bytes[kClassVersionOffset] = 2;
    EXPECT_EQ(readInto(back, bytes), Marshal::readError);
}

TEST(InstrumentSettings, EnumerationWithoutTextIsInvalidDataAnAddressTooLongAReadError) {
    const auto good = bytesOf(edited());
    for (auto [offset, value] :
         {std::pair<size_t, uint8_t>{kPowerDown, 5}, {kDate, 6}, {kLanguage, 16}, {kIpSource, 2}, {kPowerDown, 0xFF}}) {
        auto bytes = good;
        bytes[offset] = value;
        InstrumentSettings back;
        EXPECT_EQ(readInto(back, bytes), Marshal::invalidData) << offset;
        // Nothing unprintable was stored.
        EXPECT_NO_FATAL_FAILURE(back.toJson({2}));
    }
    // The storage location has no text to print and is only kept.
    auto bytes = good;
    bytes[13] = 7;
    InstrumentSettings back;
    EXPECT_EQ(readInto(back, bytes), Marshal::ok);
    // An address length beyond the bytes left fails without allocating.
    for (uint32_t n : {0xFFFFFFFFu, 0x10000000u}) {
        kx::test::put32(bytes, 27, n);
        EXPECT_EQ(readInto(back, bytes), Marshal::readError);
    }
}

// The storage location's texts are read; an unknown text, a value out of range or a missing key is refused.
TEST(InstrumentSettings, JsonRoundTripTextsAndRefusals) {
    const InstrumentSettings s = edited();
    const Json::Value good = s.toJson({2});
    kx::test::expectGolden(good, "InstrumentSettings.json");
    InstrumentSettings back;
    ASSERT_TRUE(back.fromJson(good));
    InstrumentSettings expected = s;
    expected.kept = {};  // not part of the JSON form
    EXPECT_TRUE(back.equals(expected));
    EXPECT_EQ(InstrumentSettings{}.toJson({0})["InstrumentSettings"].size(), 2u);

    Json::Value j = good;
    for (auto [text, value] : {std::pair<const char*, int32_t>{"Internal", 1}, {"MMC", 0}, {"SD", -1}}) {
        j["InstrumentSettings"]["resultStorageLocation"] = text;
        EXPECT_TRUE(back.fromJson(j));
        EXPECT_EQ(static_cast<int32_t>(back.resultStorageLocation), value);
    }
    j = good;
    j["InstrumentSettings"]["dateFormat"] = "yyyy.MM.dd";
    EXPECT_FALSE(back.fromJson(j));
    j = good;
    j["InstrumentSettings"]["language"] = "english";  // texts match exactly
    EXPECT_FALSE(back.fromJson(j));
    j = good;
    j["InstrumentSettings"]["displayBrightness"] = 40000;
    EXPECT_FALSE(back.fromJson(j));
    j = good;
    j["InstrumentSettings"].removeMember("ipGateway");
    EXPECT_FALSE(back.fromJson(j));
    EXPECT_FALSE(back.fromJson(Json::Value()));
    EXPECT_FALSE(back.fromJson(good["InstrumentSettings"]));
}
