#include "tester/session/Sysinfo.h"

#include <charconv>
#include <string_view>

#include "tester/host/JsonRead.h"

namespace Kestrix::Tester {
namespace {

std::string text(const Json::Value& obj, const char* name) {
    const Json::Value& v = obj[name];
    if (v.isString()) return v.asString();
    if (v.isBool() || v.isNumeric()) return v.asString();
    return {};
}

template <class T, class Fn>
std::vector<T> list(const Json::Value& obj, const char* name, Fn read) {
    std::vector<T> out;
    const Json::Value& v = obj[name];
    if (!v.isArray()) return out;
    for (const auto& e : v)
        if (e.isObject()) out.push_back(read(e));
    return out;
}

SysinfoItem readItem(const Json::Value& o) { return {text(o, "build_date"), text(o, "name"), text(o, "rev")}; }

SysinfoHardwareItem readHardwareItem(const Json::Value& o) {
    return {text(o, "date"), text(o, "hw_rev"),        text(o, "mfg_number"),   text(o, "model"),
            text(o, "name"), text(o, "serial_number"), text(o, "series_count"), text(o, "test_count")};
}

SysinfoModuleData readModuleData(const Json::Value& o) {
    return {text(o, "date_calibrated"), text(o, "date_verified"), text(o, "name"), text(o, "rev"), text(o, "type")};
}

SysinfoModule readModule(const Json::Value& o) {
    SysinfoModule m;
    m.chip_id = text(o, "chip_id");
    m.date = text(o, "date");
    m.devpath = text(o, "devpath");
    m.first_used_date = text(o, "first_used_date");
    m.first_used_enabled = text(o, "first_used_enabled");
    m.hw_rev = text(o, "hw_rev");
    m.manufacturer = text(o, "manufacturer");
    m.mfg_number = text(o, "mfg_number");
    m.model = text(o, "model");
    m.product = text(o, "product");
    m.seqnum = text(o, "seqnum");
    m.serial_number = text(o, "serial_number");
    m.type = text(o, "type");
    m.hardware_items = list<SysinfoHardwareItem>(o, "hardware_items", readHardwareItem);
    m.data = list<SysinfoModuleData>(o, "data", readModuleData);
    m.sw = list<SysinfoItem>(o, "sw", readItem);
    return m;
}

SysinfoInstrument readInstrument(const Json::Value& o) {
    SysinfoInstrument i;
    const Json::Value& c = o["components"];
    if (c.isObject()) {
        SysinfoComponents comp;
        comp.hw_modules = list<SysinfoModule>(c, "hw_modules", readModule);
        comp.data = list<SysinfoItem>(c, "data", readItem);
        comp.sw = list<SysinfoItem>(c, "sw", readItem);
        i.components = std::move(comp);
    }
    i.config = text(o, "config");
    i.cpu_type = text(o, "cpu_type");
    i.cpu_uid = text(o, "cpu_uid");
    i.date = text(o, "date");
    i.hw_rev = text(o, "hw_rev");
    i.last_update = text(o, "last_update");
    i.mfg_number = text(o, "mfg_number");
    i.model = text(o, "model");
    i.position = text(o, "position");
    i.region_code = text(o, "region_code");
    i.serial_number = text(o, "serial_number");
    return i;
}

}  // namespace

boost::optional<Sysinfo> sysinfoFromJson(const Json::Value& root) {
    if (!root.isObject()) return boost::none;
    Sysinfo s;
    s.instruments = list<SysinfoInstrument>(root, "instruments", readInstrument);
    return s;
}

boost::optional<Sysinfo> parseSysinfoReply(const std::string& reply) {
    size_t first = reply.find('{');
    size_t last = reply.rfind('}');
    if (first == std::string::npos || last == std::string::npos || last < first) return boost::none;
    const auto root = parseUntrustedJson(std::string_view(reply).substr(first, last - first + 1));
    if (!root) return boost::none;
    auto s = sysinfoFromJson(*root);
    if (!s || s->instruments.empty()) return boost::none;
    return s;
}

std::string modelDisplayName(const std::string& model) {
    if (model == "Tarvel") return "Lumetra";
    if (model == "Tarvel2") return "Lumetra2";
    if (model == "Ombrel") return "KZR-A";
    if (model == "Ombrel2") return "KZR-B";
    return "N/A";
}

int hostModelCode(const SysinfoInstrument& instrument) {
    if (!instrument.components || instrument.components->hw_modules.empty()) return 3000;
    const std::string& t = instrument.components->hw_modules.front().model;
    size_t b = t.find_first_not_of(" \t");
    size_t e = t.find_last_not_of(" \t");
    if (b == std::string::npos) return 3000;
    long n = 0;
    auto [p, ec] = std::from_chars(t.data() + b, t.data() + e + 1, n);
    if (ec != std::errc() || p != t.data() + e + 1) return 3000;
    if (n >= 300 && n <= 499) return 3001;
    if (n >= 200 && n <= 299) return 3003;
    return 3000;
}

}  // namespace Kestrix::Tester
