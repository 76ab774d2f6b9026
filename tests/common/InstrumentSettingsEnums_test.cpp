#include "CommonTesting.h"

#include "common/InstrumentSettingsEnumsToString.h"

namespace {
// One line per value that has a text; each text reads back as its value.
template <typename E>
void appendTexts(std::string& out, const char* name) {
    for (unsigned v = 0; v <= 0xFF; ++v) {
        const auto e = static_cast<E>(v);
        if (!hasText(e)) continue;
        out += std::string(name) + " " + std::to_string(v) + " " + toString(e) + "\n";
        const auto back = fromString<E>(toString(e));
        EXPECT_TRUE(back && *back == e) << name << " " << v;
    }
}
}  // namespace

// The texts are the stored form of the settings, so every one is pinned.
TEST(InstrumentSettingsEnums, EveryTextRoundTripsAndIsPinned) {
    std::string texts;
    appendTexts<PowerDownTimeout>(texts, "PowerDownTimeout");
    appendTexts<DateFormat>(texts, "DateFormat");
    appendTexts<TimeFormat>(texts, "TimeFormat");
    appendTexts<Language>(texts, "Language");
    appendTexts<LengthUnits>(texts, "LengthUnits");
    appendTexts<NumericFormat>(texts, "NumericFormat");
    appendTexts<BacklightTimeout>(texts, "BacklightTimeout");
    appendTexts<PowerLineFrequency>(texts, "PowerLineFrequency");
    appendTexts<IPAddressSource>(texts, "IPAddressSource");
    appendTexts<LocaleType>(texts, "LocaleType");
    kx::test::expectGolden(texts, "InstrumentSettingsTexts.txt");
}

TEST(InstrumentSettingsEnums, ParsingIsExact) {
    EXPECT_FALSE(fromString<Language>("english"));
    EXPECT_FALSE(fromString<TimeFormat>("12 hr "));
    EXPECT_FALSE(fromString<PowerDownTimeout>(""));
    EXPECT_EQ(resultStorageLocationFromString("mmc"), ResultStorageLocation::unknown);
    EXPECT_EQ(allTexts<TimeFormat>(), "\"12 hr\", \"24 hr\"");
}

TEST(InstrumentSettingsEnumsDeathTest, ValueWithoutTextStops) {
    EXPECT_DEATH(toString(static_cast<Language>(16)), "Invalid Language enum");
    EXPECT_DEATH(toString(static_cast<IPAddressSource>(2)), "Invalid IPAddressSource enum");
    EXPECT_DEATH(toString(static_cast<LocaleType>(21)), "Invalid LocaleType enum");
}
