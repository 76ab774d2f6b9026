#include "common/InstrumentSettingsEnumsToString.h"

#include <iterator>

#include "serialization/Assert.h"

namespace Kestrix {

namespace {

struct Table {
    const char* const* texts;
    size_t count;
};

constexpr const char* kPowerDown[] = {"Disabled", "10 Minutes", "20 Minutes", "30 Minutes", "60 Minutes"};
constexpr const char* kDate[] = {"MM/dd/yyyy", "dd/MM/yyyy", "dd.MM.yyyy", "dd-MM-yyyy", "yyyy/MM/dd", "yyyy-MM-dd"};
constexpr const char* kTime[] = {"12 hr", "24 hr"};
constexpr const char* kLanguage[] = {
    "English", "Spanish", "German", "Italian", "French",  "Portuguese", "Japanese", "Chinese", "Traditional Chinese",
    "Korean",  "Russian", "Czech",  "Polish",  "Swedish", "Hungarian",  "Turkish"};
constexpr const char* kLength[] = {"m", "ft"};
constexpr const char* kNumeric[] = {"0.0", "0,0"};
constexpr const char* kBacklight[] = {"Disabled", "5 Minutes", "10 Minutes", "15 Minutes"};
constexpr const char* kPowerLine[] = {"50 Hz", "60 Hz"};
constexpr const char* kIpSource[] = {"DHCP", "Static"};
constexpr const char* kLocale[] = {"NOT_SET", "en-US", "en-GB", "en-EU", "it-IT", "fr-FR", "fr-CA",
                                   "es-ES",   "pt-PT", "pt-BR", "de-DE", "ja-JP", "zh-CN", "zh-TW",
                                   "ko-KR",   "ru-RU", "cs-CZ", "pl-PL", "sv-SE", "hu-HU", "tr-TR"};

template <typename E>
struct EnumInfo;

#define KX_ENUM_INFO(E, array, message)                        \
    template <>                                                \
    struct EnumInfo<E> {                                       \
        static constexpr Table table{array, std::size(array)}; \
        static constexpr const char* invalid = message;        \
    };
KX_ENUM_INFO(PowerDownTimeout, kPowerDown, "Invalid PowerDownTimeout enum")
KX_ENUM_INFO(DateFormat, kDate, "Invalid DateFormat enum")
KX_ENUM_INFO(TimeFormat, kTime, "Invalid TimeFormat enum")
KX_ENUM_INFO(Language, kLanguage, "Invalid Language enum")
KX_ENUM_INFO(LengthUnits, kLength, "Invalid LengthUnits enum")
KX_ENUM_INFO(NumericFormat, kNumeric, "Invalid NumericFormat enum")
KX_ENUM_INFO(BacklightTimeout, kBacklight, "Invalid BacklightTimeout enum")
KX_ENUM_INFO(PowerLineFrequency, kPowerLine, "Invalid PowerLineFrequency enum")
KX_ENUM_INFO(IPAddressSource, kIpSource, "Invalid IPAddressSource enum")
KX_ENUM_INFO(LocaleType, kLocale, "Invalid LocaleType enum")
#undef KX_ENUM_INFO

template <typename E>
bool inTable(E v) {
    return static_cast<size_t>(v) < EnumInfo<E>::table.count;
}

template <typename E>
const char* text(E v) {
    KX_ASSERT_MSG(inTable(v), EnumInfo<E>::invalid);
    return EnumInfo<E>::table.texts[static_cast<size_t>(v)];
}

}  // namespace

const char* toString(PowerDownTimeout v) { return text(v); }
const char* toString(DateFormat v) { return text(v); }
const char* toString(TimeFormat v) { return text(v); }
const char* toString(Language v) { return text(v); }
const char* toString(LengthUnits v) { return text(v); }
const char* toString(NumericFormat v) { return text(v); }
const char* toString(BacklightTimeout v) { return text(v); }
const char* toString(PowerLineFrequency v) { return text(v); }
const char* toString(IPAddressSource v) { return text(v); }
const char* toString(LocaleType v) { return text(v); }

const char* toString(ResultStorageLocation v) {
    switch (v) {
        case ResultStorageLocation::mmc: return "MMC";
        case ResultStorageLocation::internal: return "Internal";
        default: return "";
    }
}

bool hasText(PowerDownTimeout v) { return inTable(v); }
bool hasText(DateFormat v) { return inTable(v); }
bool hasText(TimeFormat v) { return inTable(v); }
bool hasText(Language v) { return inTable(v); }
bool hasText(LengthUnits v) { return inTable(v); }
bool hasText(NumericFormat v) { return inTable(v); }
bool hasText(BacklightTimeout v) { return inTable(v); }
bool hasText(PowerLineFrequency v) { return inTable(v); }
bool hasText(IPAddressSource v) { return inTable(v); }
bool hasText(LocaleType v) { return inTable(v); }

template <typename E>
boost::optional<E> fromString(const std::string& t) {
    const Table& table = EnumInfo<E>::table;
    for (size_t i = 0; i < table.count; ++i)
        if (t == table.texts[i]) return static_cast<E>(i);
    return boost::none;
}

template <typename E>
std::string allTexts(const char* separator) {
    const Table& table = EnumInfo<E>::table;
    std::string out;
    for (size_t i = 0; i < table.count; ++i) {
        if (i) out += separator;
        out += '"';
        out += table.texts[i];
        out += '"';
    }
    return out;
}

ResultStorageLocation resultStorageLocationFromString(const std::string& t) {
    if (t == "Internal") return ResultStorageLocation::internal;
    if (t == "MMC") return ResultStorageLocation::mmc;
    return ResultStorageLocation::unknown;
}

#define KX_ENUM_INSTANTIATE(E)                                          \
    template boost::optional<E> fromString<E>(const std::string& text); \
    template std::string allTexts<E>(const char* separator);
KX_ENUM_INSTANTIATE(PowerDownTimeout)
KX_ENUM_INSTANTIATE(DateFormat)
KX_ENUM_INSTANTIATE(TimeFormat)
KX_ENUM_INSTANTIATE(Language)
KX_ENUM_INSTANTIATE(LengthUnits)
KX_ENUM_INSTANTIATE(NumericFormat)
KX_ENUM_INSTANTIATE(BacklightTimeout)
KX_ENUM_INSTANTIATE(PowerLineFrequency)
KX_ENUM_INSTANTIATE(IPAddressSource)
KX_ENUM_INSTANTIATE(LocaleType)
#undef KX_ENUM_INSTANTIATE

}  // namespace Kestrix
