// kestrix settings show|new|set|pull|push: the instrument settings file exchanged with the tester.
#include "SettingsCommand.h"

#include <charconv>
#include <functional>
#include <iostream>
#include <map>

#include "Command.h"
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "TesterLink.h"
#include "common/InstrumentSettingsFile.h"
#include "tester/setups/KestrixSetups.h"

namespace kx::cli {

namespace {

using Kestrix::InstrumentSettings;
using namespace Kestrix::Tester;

// The display's brightness is a level of one byte; the tester stores it in 16 bits.
constexpr int kBrightnessMin = 0;
constexpr int kBrightnessMax = 255;

// True when `v` is a whole number from min to max.
bool wholeNumberIn(const std::string& v, int min, int max, int& out) {
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
    return ec == std::errc() && end == v.data() + v.size() && !v.empty() && out >= min && out <= max;
}

// Four decimal numbers 0 to 255 joined by dots, without signs, spaces or leading zeros.
bool parseAddress(const std::string& v, uint32_t& out) {
    out = 0;
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        const size_t dot = part < 3 ? v.find('.', at) : v.size();
        if (dot == std::string::npos) return false;
        const std::string n = v.substr(at, dot - at);
        int value = 0;
        if (n.empty() || n.size() > 3 || (n.size() > 1 && n[0] == '0') ||
            n.find_first_not_of("0123456789") != std::string::npos || !wholeNumberIn(n, 0, 255, value))
            return false;
        out = out << 8 | static_cast<uint32_t>(value);
        at = dot + 1;
    }
    return true;
}

// "" when fine, else why not. An empty address means none (the tester uses DHCP or has no such server).
std::string addressProblem(const std::string& v, bool mask) {
    if (v.empty()) return "";
    uint32_t a = 0;
    if (!parseAddress(v, a)) return "\"" + printable(v) + "\" is not an address of four numbers 0 to 255 (a.b.c.d)";
    // A mask is ones, then zeros.
    if (mask && (~a & (~a + 1)) != 0) return "\"" + v + "\" is not a subnet mask (such as 255.255.255.0)";
    return "";
}

using Setter = std::function<bool(InstrumentSettings&, const std::string&)>;
using Checker = std::function<std::string(const InstrumentSettings&)>;

struct Key {
    Setter set;
    std::string accepted;  // for messages
    Checker check;         // of a whole file, or empty when every stored value is fine
};

template <typename E>
Key enumKey(E InstrumentSettings::*field) {
    return {[field](InstrumentSettings& s, const std::string& v) {
                auto e = Kestrix::fromString<E>(v);
                if (!e) return false;
                s.*field = *e;
                return true;
            },
            "one of " + Kestrix::allTexts<E>(), nullptr};
}

Key boolKey(bool InstrumentSettings::*field) {
    return {[field](InstrumentSettings& s, const std::string& v) {
                if (v != "true" && v != "false") return false;
                s.*field = v == "true";
                return true;
            },
            "true or false", nullptr};
}

Key addressKey(std::string InstrumentSettings::*field, bool mask) {
    return {[field, mask](InstrumentSettings& s, const std::string& v) {
                if (!addressProblem(v, mask).empty()) return false;
                s.*field = v;
                return true;
            },
            mask ? "a subnet mask such as 255.255.255.0, or \"\" for none"
                 : "an address of four numbers 0 to 255 (a.b.c.d), or \"\" for none",
            [field, mask](const InstrumentSettings& s) { return addressProblem(s.*field, mask); }};
}

Key brightnessKey() {
    const std::string range =
        "a whole number from " + std::to_string(kBrightnessMin) + " to " + std::to_string(kBrightnessMax);
    return {[](InstrumentSettings& s, const std::string& v) {
                int n = 0;
                if (!wholeNumberIn(v, kBrightnessMin, kBrightnessMax, n)) return false;
                s.displayBrightness = static_cast<int16_t>(n);
                return true;
            },
            range,
            [range](const InstrumentSettings& s) {
                const int b = s.displayBrightness;
                return b >= kBrightnessMin && b <= kBrightnessMax ? std::string()
                                                                  : std::to_string(b) + " is not " + range;
            }};
}

const std::map<std::string, Key>& keys() {
    using S = InstrumentSettings;
    static const std::map<std::string, Key> k = {
        {"powerDownTimeout", enumKey(&S::powerDownTimeout)},
        {"remoteModeEnabled", boolKey(&S::remoteModeEnabled)},
        {"audibleToneEnabled", boolKey(&S::audibleToneEnabled)},
        {"dateFormat", enumKey(&S::dateFormat)},
        {"timeFormat", enumKey(&S::timeFormat)},
        {"language", enumKey(&S::language)},
        {"lengthUnits", enumKey(&S::lengthUnits)},
        {"numericFormat", enumKey(&S::numericFormat)},
        {"backlightTimeout", enumKey(&S::backlightTimeout)},
        {"powerLineFrequency", enumKey(&S::powerLineFrequency)},
        {"plotGridEnabled", boolKey(&S::plotGridEnabled)},
        {"displayBrightness", brightnessKey()},
        {"ipAddressSource", enumKey(&S::ipAddressSource)},
        {"ipAddress", addressKey(&S::ipAddress, false)},
        {"ipSubnet", addressKey(&S::ipSubnet, true)},
        {"ipGateway", addressKey(&S::ipGateway, false)},
        {"ipDNS1", addressKey(&S::ipDNS1, false)},
        {"ipDNS2", addressKey(&S::ipDNS2, false)},
        {"ipDNS3", addressKey(&S::ipDNS3, false)},
        {"ipDNS4", addressKey(&S::ipDNS4, false)},
    };
    return k;
}

std::string knownKeys() {
    std::string out;
    for (const auto& [name, key] : keys()) out += (out.empty() ? "" : ", ") + name;
    return out;
}

InstrumentSettings readSettingsFile(const std::string& path) {
    InstrumentSettings s;
    std::string error;
    if (!Kestrix::InstrumentSettingsFile::read(readInputFile(path), s, &error))
        throw BadInput(path + ": not an instrument settings file: " + error);
    return s;
}

void writeSettingsFile(const std::string& path, const InstrumentSettings& s) {
    const auto bytes = Kestrix::InstrumentSettingsFile::write(s);
    if (bytes.empty()) throw BadInput("cannot build the settings file");
    writeOutputFile(path, bytes);
}

// The text form: one "key  value" line per setting, values as the model's JSON form gives them.
void printSettingsText(const InstrumentSettings& s) {
    const Json::Value j = s.toJson(Dump::DumpFlags{2});
    const Json::Value& body =
        j.size() == 1 && j[j.getMemberNames().front()].isObject() ? j[j.getMemberNames().front()] : j;
    std::vector<std::string> names;
    for (const auto& name : body.getMemberNames())
        if (name[0] != '_') names.push_back(name);
    size_t width = 0;
    for (const auto& name : names) width = std::max(width, name.size());
    for (const auto& name : names) {
        const Json::Value& v = body[name];
        std::string text = v.isString()     ? v.asString()
                           : v.isBool()     ? (v.asBool() ? "true" : "false")
                           : v.isIntegral() ? std::to_string(v.asInt64())
                                            : v.toStyledString();
        while (!text.empty() && text.back() == '\n') text.pop_back();
        const std::string shown = printable(text);
        std::cout << name << std::string(width + 2 - name.size(), ' ') << (shown.empty() ? "(none)" : shown) << '\n';
    }
}

void settingsPull(const TesterLink& link, const std::string& out) {
    QuietLog log;
    auto com = connectTester(link, log);
    const auto bytes = com->RetrieveSettings();
    if (!bytes) throw BadInput("the tester sent no settings" + log.reason());
    KestrixSetups check;
    if (!check.OpenData(*bytes))
        throw BadInput("the tester's settings are not a readable settings file; nothing written");
    writeOutputFile(out, *bytes);
}

void settingsPush(const TesterLink& link, const std::string& file) {
    const auto bytes = readInputFile(file);
    const InstrumentSettings s = readSettingsFile(file);
    const auto problems = settingsProblems(s);
    if (!problems.empty()) {
        std::string all;
        for (const auto& p : problems) all += (all.empty() ? "" : "; ") + p;
        throw BadInput(file + " holds values the tester does not take: " + all,
                       "correct them with kestrix settings set; nothing was sent");
    }
    KestrixSetups check;
    if (!check.OpenData(bytes)) throw BadInput(file + ": not an instrument settings file");
    QuietLog log;
    auto com = connectTester(link, log);
    ProgressBar bar(file);
    com->setSetupsProgress(bar.callback());
    if (!com->UpdateSettings(bytes)) throw BadInput("the tester did not take the settings" + log.reason());
    announce("the tester took the settings of " + file);
}

}  // namespace

void setInstrumentSetting(InstrumentSettings& settings, const std::string& key, const std::string& value) {
    const auto it = keys().find(key);
    if (it == keys().end())
        throw BadInput("unknown settings key \"" + printable(key) + "\"", "the keys are: " + knownKeys());
    if (!it->second.set(settings, value))
        throw BadInput("refused value \"" + printable(value) + "\" for " + key, "give " + it->second.accepted);
}

std::vector<std::string> settingsProblems(const InstrumentSettings& settings) {
    std::vector<std::string> out;
    for (const auto& [name, key] : keys()) {
        if (!key.check) continue;
        const std::string why = key.check(settings);
        if (!why.empty()) out.push_back(name + ": " + why);
    }
    return out;
}

void setupSettingsCommand(CLI::App* group) {
    group->require_subcommand(1);
    {
        struct Opts {
            std::string file;
            bool json = false;
        };
        auto o = std::make_shared<Opts>();
        auto* show = group->add_subcommand("show", "Print an instrument settings file");
        show->add_option("FILE", o->file, "Instrument settings file")->required();
        addJsonFlag(show, o->json, "Print the settings' JSON form (as the file holds it)");
        show->callback([o] {
            const InstrumentSettings s = readSettingsFile(o->file);
            if (!o->json) return printSettingsText(s);
            DumpOptions d;
            d.json = true;
            d.flags.detail = 2;
            printModel(s, &s, d, std::cout);
        });
    }
    {
        auto file = std::make_shared<std::string>();
        auto* create = group->add_subcommand("new", "Write new instrument settings as the host's editor makes them");
        create->add_option("OUT", *file, "File to write")->required();
        addQuietFlag(create);
        create->callback([file] { writeSettingsFile(*file, Kestrix::InstrumentSettingsFile::editorDefaults()); });
    }
    {
        struct Opts {
            std::string file, key, value;
        };
        auto o = std::make_shared<Opts>();
        auto* set = group->add_subcommand("set", "Change one setting of an instrument settings file in place");
        set->add_option("FILE", o->file, "Instrument settings file")->required();
        set->add_option("KEY", o->key, "Setting, by its JSON key (e.g. language)")->required();
        set->add_option("VALUE", o->value, "New value, e.g. \"German\", true, 200, 192.168.1.20")->required();
        addQuietFlag(set);
        set->callback([o] {
            InstrumentSettings s = readSettingsFile(o->file);
            setInstrumentSetting(s, o->key, o->value);
            writeSettingsFile(o->file, s);
        });
    }
    {
        auto link = std::make_shared<TesterLink>();
        auto out = std::make_shared<std::string>();
        auto* pull = group->add_subcommand("pull", "Fetch the tester's instrument settings into a file");
        addLinkOptions(pull, *link);
        pull->add_option("-o,--output", *out, "Settings file to write")->required();
        addQuietFlag(pull);
        pull->callback([link, out] { settingsPull(*link, *out); });
    }
    {
        auto link = std::make_shared<TesterLink>();
        auto file = std::make_shared<std::string>();
        auto* push = group->add_subcommand("push", "Send an instrument settings file to the tester and apply it");
        push->add_option("FILE", *file, "Instrument settings file")->required();
        addLinkOptions(push, *link);
        addQuietFlag(push);
        push->callback([link, file] { settingsPush(*link, *file); });
    }
}

}  // namespace kx::cli
