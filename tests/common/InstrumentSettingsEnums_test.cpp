#include <gtest/gtest.h>

#include "common/InstrumentSettingsEnumsToString.h"

using namespace Kestrix;

namespace {
template <typename E>
void expectTable(std::initializer_list<const char*> texts) {
    uint8_t v = 0;
    for (const char* t : texts) {
        const auto e = static_cast<E>(v);
        EXPECT_TRUE(hasText(e));
        EXPECT_STREQ(toString(e), t);
        auto back = fromString<E>(t);
        ASSERT_TRUE(back) << t;
        EXPECT_EQ(*back, e);
        ++v;
    }
    EXPECT_FALSE(hasText(static_cast<E>(v)));
    EXPECT_FALSE(hasText(static_cast<E>(0xFF)));
}
}  // namespace

TEST(InstrumentSettingsEnums, TextsBothWays) {
    expectTable<PowerDownTimeout>({"Disabled", "10 Minutes", "20 Minutes", "30 Minutes", "60 Minutes"});
    expectTable<DateFormat>({"MM/dd/yyyy", "dd/MM/yyyy", "dd.MM.yyyy", "dd-MM-yyyy", "yyyy/MM/dd", "yyyy-MM-dd"});
    expectTable<TimeFormat>({"12 hr", "24 hr"});
    expectTable<Language>({"English", "Spanish", "German", "Italian", "French", "Portuguese", "Japanese", "Chinese",
                           "Traditional Chinese", "Korean", "Russian", "Czech", "Polish", "Swedish", "Hungarian",
                           "Turkish"});
    expectTable<LengthUnits>({"m", "ft"});
    expectTable<NumericFormat>({"0.0", "0,0"});
    expectTable<BacklightTimeout>({"Disabled", "5 Minutes", "10 Minutes", "15 Minutes"});
    expectTable<PowerLineFrequency>({"50 Hz", "60 Hz"});
    expectTable<IPAddressSource>({"DHCP", "Static"});
    expectTable<LocaleType>({"NOT_SET", "en-US", "en-GB", "en-EU", "it-IT", "fr-FR", "fr-CA",
                             "es-ES",   "pt-PT", "pt-BR", "de-DE", "ja-JP", "zh-CN", "zh-TW",
                             "ko-KR",   "ru-RU", "cs-CZ", "pl-PL", "sv-SE", "hu-HU", "tr-TR"});
}

TEST(InstrumentSettingsEnums, ParsingIsExact) {
    EXPECT_FALSE(fromString<Language>("english"));
    EXPECT_FALSE(fromString<TimeFormat>("12 hr "));
    EXPECT_FALSE(fromString<PowerDownTimeout>(""));
    EXPECT_EQ(resultStorageLocationFromString("Internal"), ResultStorageLocation::internal);
    EXPECT_EQ(resultStorageLocationFromString("MMC"), ResultStorageLocation::mmc);
    EXPECT_EQ(resultStorageLocationFromString("mmc"), ResultStorageLocation::unknown);
    EXPECT_EQ(allTexts<TimeFormat>(), "\"12 hr\", \"24 hr\"");
}

TEST(InstrumentSettingsEnumsDeathTest, ValueWithoutTextStops) {
    EXPECT_DEATH(toString(static_cast<Language>(16)), "Invalid Language enum");
    EXPECT_DEATH(toString(static_cast<IPAddressSource>(2)), "Invalid IPAddressSource enum");
    EXPECT_DEATH(toString(static_cast<LocaleType>(21)), "Invalid LocaleType enum");
}
