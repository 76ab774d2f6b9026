// `kestrix settings show|new|set|pull|push`: the instrument settings file exchanged with the tester.
#include "SettingsCommand.h"

#include <charconv>
#include <functional>
#include <iostream>
#include <map>

#include "Command.h"
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "SetupsCommands.h"
#include "common/InstrumentSettingsFile.h"

namespace kx::cli {

namespace {

using Kestrix::InstrumentSettings;
using Setter = std::function<bool(InstrumentSettings&, const std::string&)>;

struct Key {
    Setter set;
    std::string accepted;  // for messages
};

template <typename E>
Key enumKey(E InstrumentSettings::*field) {
    return {[field](InstrumentSettings& s, const std::string& v) {
                auto e = Kestrix::fromString<E>(v);
                if (!e) return false;
                s.*field = *e;
                return true;
            },
            "one of " + Kestrix::allTexts<E>()};
}

Key boolKey(bool InstrumentSettings::*field) {
    return {[field](InstrumentSettings& s, const std::string& v) {
                if (v != "true" && v != "false") return false;
                s.*field = v == "true";
                return true;
            },
            "true or false"};
}

Key textKey(std::string InstrumentSettings::*field) {
    return {[field](InstrumentSettings& s, const std::string& v) {
                s.*field = v;
                return true;
            },
            "any text"};
}

Key brightnessKey() {
    return {[](InstrumentSettings& s, const std::string& v) {
                int16_t n = 0;
                const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
                if (ec != std::errc() || end != v.data() + v.size()) return false;
                s.displayBrightness = n;
                return true;
            },
            "a whole number from -32768 to 32767"};
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
        {"ipAddress", textKey(&S::ipAddress)},
        {"ipSubnet", textKey(&S::ipSubnet)},
        {"ipGateway", textKey(&S::ipGateway)},
        {"ipDNS1", textKey(&S::ipDNS1)},
        {"ipDNS2", textKey(&S::ipDNS2)},
        {"ipDNS3", textKey(&S::ipDNS3)},
        {"ipDNS4", textKey(&S::ipDNS4)},
    };
    return k;
}

std::string knownKeys() {
    std::string out;
    for (const auto& [name, key] : keys()) {
        if (!out.empty()) out += ", ";
        out += name;
    }
    return out;
}

InstrumentSettings readSettingsFile(const std::string& path) {
    InstrumentSettings s;
    std::string error;
    if (!Kestrix::InstrumentSettingsFile::read(readInputFile(path), s, &error)) throw BadInput(path + ": " + error);
    return s;
}

void writeSettingsFile(const std::string& path, const InstrumentSettings& s) {
    const auto bytes = Kestrix::InstrumentSettingsFile::write(s);
    if (bytes.empty()) throw BadInput("cannot build the settings file");
    writeOutputFile(path, bytes);
}

}  // namespace

void setInstrumentSetting(InstrumentSettings& settings, const std::string& key, const std::string& value) {
    const auto it = keys().find(key);
    if (it == keys().end()) throw BadInput("unknown settings key \"" + key + "\" (known keys: " + knownKeys() + ")");
    if (!it->second.set(settings, value))
        throw BadInput("invalid value \"" + value + "\" for " + key + " (expected " + it->second.accepted + ")");
}

void setupSettingsCommand(CLI::App* group) {
    struct Opts {
        std::string file;
        std::string key;
        std::string value;
        bool json = false;
    };
    auto opts = std::make_shared<Opts>();
    group->require_subcommand(1);

    auto* show = group->add_subcommand("show", "Print an instrument settings file");
    show->add_option("FILE", opts->file, "Instrument settings file")->required()->check(CLI::ExistingFile);
    show->add_flag("--json", opts->json, "Print the JSON form (the default is the text dump)");
    show->callback([opts] {
        const InstrumentSettings s = readSettingsFile(opts->file);
        DumpOptions o;
        o.json = opts->json;
        o.flags.detail = 2;
        printModel(s, &s, o, std::cout);
    });

    auto* create = group->add_subcommand("new", "Write new instrument settings as the host's editor makes them");
    create->add_option("OUT", opts->file, "File to write")->required();
    create->callback([opts] { writeSettingsFile(opts->file, Kestrix::InstrumentSettingsFile::editorDefaults()); });

    auto* set = group->add_subcommand("set", "Change one setting of an instrument settings file in place");
    set->add_option("FILE", opts->file, "Instrument settings file")->required()->check(CLI::ExistingFile);
    set->add_option("KEY", opts->key, "Setting, by its JSON key (e.g. language)")->required();
    set->add_option("VALUE", opts->value, "New value, e.g. \"German\", true, 200")->required();
    set->callback([opts] {
        InstrumentSettings s = readSettingsFile(opts->file);
        setInstrumentSetting(s, opts->key, opts->value);
        writeSettingsFile(opts->file, s);
    });

    addSettingsTransferCommands(group);
}

}  // namespace kx::cli
