#include "tester/setups/KestrixSetupsTable.h"

#include <functional>
#include <utility>

namespace Kestrix::Tester::SetupTable {
namespace {

struct EnumEntry {
    int type;
    std::vector<int> offered;
    std::vector<std::pair<int, int>> hostToStored;
    // The host value shown for a stored value that has none in the table (none: no host value).
    boost::optional<int> unknownStoredReadsAs;
    std::function<int(const InstrumentSettings&)> get;
    std::function<void(InstrumentSettings&, int)> set;
};

template <typename E>
EnumEntry enumEntry(int type, std::vector<int> offered, std::vector<std::pair<int, int>> map,
                    E InstrumentSettings::*field, boost::optional<int> unknown = boost::none) {
    return EnumEntry{type,
                     std::move(offered),
                     std::move(map),
                     unknown,
                     [field](const InstrumentSettings& s) { return static_cast<int>(s.*field); },
                     [field](InstrumentSettings& s, int v) { s.*field = static_cast<E>(v); }};
}

std::vector<std::pair<int, int>> same(int first, int last) {
    std::vector<std::pair<int, int>> m;
    for (int v = first; v <= last; ++v) m.emplace_back(v, v);
    return m;
}

const std::vector<EnumEntry>& entries() {
    using S = InstrumentSettings;
    static const std::vector<EnumEntry> table = [] {
        std::vector<EnumEntry> t;
        t.push_back(EnumEntry{kAudibleTone,
                              {0, 1},
                              {{0, 0}, {1, 1}},
                              boost::none,
                              [](const S& s) { return s.audibleToneEnabled ? 1 : 0; },
                              [](S& s, int v) { s.audibleToneEnabled = v != 0; }});
        t.push_back(enumEntry(kPowerLineFrequency, {0, 1}, {{0, 1}, {1, 0}}, &S::powerLineFrequency));
        t.push_back(enumEntry(kDateFormat, {0, 1, 2, 3, 4, 5}, same(0, 5), &S::dateFormat));
        t.push_back(enumEntry(kTimeFormat, {0, 1}, same(0, 1), &S::timeFormat));
        t.push_back(enumEntry(kNumericFormat, {0, 1}, same(0, 1), &S::numericFormat));
        t.push_back(enumEntry(kLengthUnits, {0, 1}, {{0, 1}, {1, 0}}, &S::lengthUnits));
        auto language = std::vector<std::pair<int, int>>{{0, 0}, {1, 4}, {2, 2}, {3, 3},  {4, 6}, {5, 5},
                                                         {6, 1}, {7, 7}, {8, 9}, {9, 10}, {10, 8}};
        for (int v = 11; v <= 14; ++v) language.emplace_back(v, v);
        t.push_back(enumEntry(kLanguage, {0, 1, 2, 3, 6, 5, 8, 4, 7, 10, 9}, language, &S::language));
        t.push_back(enumEntry(kPowerDownTimeout, {0, 1, 2, 3}, same(0, 3), &S::powerDownTimeout, 1));
        t.push_back(
            enumEntry(kBacklightTimeout, {0, 2, 3, 4}, {{0, 0}, {2, 1}, {3, 2}, {4, 3}}, &S::backlightTimeout, 2));
        t.push_back(enumEntry(kIpAddressSource, {1, 0}, same(0, 1), &S::ipAddressSource));
        return t;
    }();
    return table;
}

const EnumEntry* find(int type) {
    for (const auto& e : entries())
        if (e.type == type) return &e;
    return nullptr;
}

template <typename Settings>
auto textFieldOf(Settings& s, int type) -> decltype(&s.ipAddress) {
    switch (type) {
        case kIpAddress: return &s.ipAddress;
        case kIpSubnet: return &s.ipSubnet;
        case kIpGateway: return &s.ipGateway;
        case kIpDns1: return &s.ipDNS1;
        case kIpDns2: return &s.ipDNS2;
        case kIpDns3: return &s.ipDNS3;
        case kIpDns4: return &s.ipDNS4;
        default: return nullptr;
    }
}

}  // namespace

bool isEnumType(int type) { return find(type) != nullptr; }

std::vector<int> offered(int type) {
    const EnumEntry* e = find(type);
    return e ? e->offered : std::vector<int>{};
}

boost::optional<int> hostValue(const InstrumentSettings& s, int type) {
    const EnumEntry* e = find(type);
    if (!e) return boost::none;
    const int stored = e->get(s);
    for (const auto& [host, st] : e->hostToStored)
        if (st == stored) return host;
    return e->unknownStoredReadsAs;
}

bool setHostValue(InstrumentSettings& s, int type, int value) {
    const EnumEntry* e = find(type);
    if (!e) return false;
    for (const auto& [host, stored] : e->hostToStored) {
        if (host == value) {
            e->set(s, stored);
            return true;
        }
    }
    return false;
}

std::string* textField(InstrumentSettings& s, int type) { return textFieldOf(s, type); }
const std::string* textField(const InstrumentSettings& s, int type) { return textFieldOf(s, type); }

}  // namespace Kestrix::Tester::SetupTable
