#pragma once
// The tester's answer to "sysinfo": a JSON document describing the instrument, its software and modules.
#include <string>
#include <vector>

#include <boost/optional.hpp>
#include <json/value.h>

namespace Kestrix::Tester {

struct SysinfoItem {
    std::string build_date, name, rev;
};

struct SysinfoHardwareItem {
    std::string date, hw_rev, mfg_number, model, name, serial_number, series_count, test_count;
};

struct SysinfoModuleData {
    std::string date_calibrated, date_verified, name, rev, type;
};

struct SysinfoModule {
    std::string chip_id, date, devpath, first_used_date, first_used_enabled, hw_rev, manufacturer, mfg_number, model,
        product, seqnum, serial_number, type;
    std::vector<SysinfoHardwareItem> hardware_items;
    std::vector<SysinfoModuleData> data;
    std::vector<SysinfoItem> sw;
};

struct SysinfoComponents {
    std::vector<SysinfoModule> hw_modules;
    std::vector<SysinfoItem> data;
    std::vector<SysinfoItem> sw;
};

struct SysinfoInstrument {
    boost::optional<SysinfoComponents> components;  // none when the document has no "components" object
    std::string config, cpu_type, cpu_uid, date, hw_rev, last_update, mfg_number, model, position, region_code,
        serial_number;
};

struct Sysinfo {
    std::vector<SysinfoInstrument> instruments;
};

// Reads the document. Members of the wrong type read as empty; only a document that is not a JSON object
// gives none. Numbers and booleans where texts are expected are read as their text.
boost::optional<Sysinfo> sysinfoFromJson(const Json::Value& root);

// The reply of "sysinfo" as sent: text before the first "{" and after the last "}" is ignored. None when it
// does not parse or names no instrument.
boost::optional<Sysinfo> parseSysinfoReply(const std::string& reply);

// "Tarvel" -> "Lumetra", "Tarvel2" -> "Lumetra2", "Ombrel" -> "KZR-A", "Ombrel2" -> "KZR-B", else "N/A".
std::string modelDisplayName(const std::string& model);

// Host model code from the first hardware module's model number: 300-499 -> 3001, 200-299 -> 3003, else 3000.
int hostModelCode(const SysinfoInstrument& instrument);

}  // namespace Kestrix::Tester
