#pragma once
// Enumerations of the instrument settings and their texts. Values are stored in files and sent to testers:
// frozen. toString() of a value without a text is a programming error (readers refuse such values).
#include <cstdint>
#include <string>

#include <boost/optional.hpp>

namespace Kestrix {

enum class PowerDownTimeout : uint8_t { disabled = 0, min10 = 1, min20 = 2, min30 = 3, min60 = 4 };
enum class ResultStorageLocation : int32_t { unknown = -1, mmc = 0, internal = 1 };
enum class DateFormat : uint8_t {
    mmddyyyy = 0,
    ddmmyyyySlash = 1,
    ddmmyyyyDot = 2,
    ddmmyyyyDash = 3,
    yyyymmddSlash = 4,
    yyyymmddDash = 5
};
enum class TimeFormat : uint8_t { h12 = 0, h24 = 1 };
enum class Language : uint8_t {
    english = 0,
    spanish = 1,
    german = 2,
    italian = 3,
    french = 4,
    portuguese = 5,
    japanese = 6,
    chinese = 7,
    traditionalChinese = 8,
    korean = 9,
    russian = 10,
    czech = 11,
    polish = 12,
    swedish = 13,
    hungarian = 14,
    turkish = 15,
};
enum class LengthUnits : uint8_t { metres = 0, feet = 1 };
enum class NumericFormat : uint8_t { decimalPoint = 0, decimalComma = 1 };
enum class BacklightTimeout : uint8_t { disabled = 0, min5 = 1, min10 = 2, min15 = 3 };
enum class PowerLineFrequency : uint8_t { hz50 = 0, hz60 = 1 };
enum class IPAddressSource : uint8_t { dhcp = 0, staticAddress = 1 };
enum class LocaleType : uint8_t {
    notSet = 0,
    enUS,
    enGB,
    enEU,
    itIT,
    frFR,
    frCA,
    esES,
    ptPT,
    ptBR,
    deDE,
    jaJP,
    zhCN,
    zhTW,
    koKR,
    ruRU,
    csCZ,
    plPL,
    svSE,
    huHU,
    trTR,
};

const char* toString(PowerDownTimeout v);
const char* toString(DateFormat v);
const char* toString(TimeFormat v);
const char* toString(Language v);
const char* toString(LengthUnits v);
const char* toString(NumericFormat v);
const char* toString(BacklightTimeout v);
const char* toString(PowerLineFrequency v);
const char* toString(IPAddressSource v);
const char* toString(LocaleType v);
// "MMC", "Internal"; empty for other values (never stopped: the value is only stored).
const char* toString(ResultStorageLocation v);

// True when the value has a text.
bool hasText(PowerDownTimeout v);
bool hasText(DateFormat v);
bool hasText(TimeFormat v);
bool hasText(Language v);
bool hasText(LengthUnits v);
bool hasText(NumericFormat v);
bool hasText(BacklightTimeout v);
bool hasText(PowerLineFrequency v);
bool hasText(IPAddressSource v);
bool hasText(LocaleType v);

// Exact (case-sensitive) text to value; none when no text matches.
template <typename E>
boost::optional<E> fromString(const std::string& text);

// "Internal" 1, "MMC" 0, anything else -1.
ResultStorageLocation resultStorageLocationFromString(const std::string& text);

// Every text of an enumeration in value order (for messages listing the choices).
template <typename E>
std::string allTexts(const char* separator = ", ");

}  // namespace Kestrix
