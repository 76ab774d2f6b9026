#include <json/json.h>

#include "SimState.h"

namespace Kestrix::Sim {
namespace {

Json::Value item(const char* name, const std::string& rev, const char* buildDate) {
    Json::Value v(Json::objectValue);
    v["name"] = name;
    v["rev"] = rev;
    v["build_date"] = buildDate;
    return v;
}

Json::Value module(const SimModule& m, size_t index) {
    Json::Value v(Json::objectValue);
    v["chip_id"] = "0x" + std::to_string(4096 + index);
    v["date"] = m.dateCalibrated;
    v["devpath"] = "/dev/meas" + std::to_string(index);
    v["first_used_date"] = m.firstUsedDate;
    v["first_used_enabled"] = "1";
    v["hw_rev"] = "A";
    v["manufacturer"] = "Kestrix";
    v["mfg_number"] = "MF" + m.serialNumber;
    v["model"] = m.model;
    v["product"] = "measurement module";
    v["seqnum"] = std::to_string(index + 1);
    v["serial_number"] = m.serialNumber;
    v["type"] = "measurement";

    Json::Value hw(Json::objectValue);
    hw["date"] = m.dateCalibrated;
    hw["hw_rev"] = "A";
    hw["mfg_number"] = "HW" + m.serialNumber;
    hw["model"] = m.model;
    hw["name"] = "adapter";
    hw["serial_number"] = "H" + m.serialNumber;
    hw["series_count"] = "0";
    hw["test_count"] = "0";
    v["hardware_items"] = Json::Value(Json::arrayValue);
    v["hardware_items"].append(hw);

    Json::Value cal(Json::objectValue);
    cal["date_calibrated"] = m.dateCalibrated;
    cal["date_verified"] = m.dateVerified;
    cal["name"] = "factory calibration";
    cal["rev"] = "1";
    cal["type"] = "calibration";
    v["data"] = Json::Value(Json::arrayValue);
    v["data"].append(cal);

    v["sw"] = Json::Value(Json::arrayValue);
    v["sw"].append(item("main", m.swRev, "20250110"));
    return v;
}

}  // namespace

std::string buildSysinfo(const SysinfoOptions& o) {
    Json::Value components(Json::objectValue);
    components["hw_modules"] = Json::Value(Json::arrayValue);
    for (size_t i = 0; i < o.modules.size(); ++i) {
        components["hw_modules"].append(module(o.modules[i], i));
    }
    components["data"] = Json::Value(Json::arrayValue);
    components["data"].append(item("limit data", "2025.1", "20250105"));
    components["data"].append(item("cable data", "2025.1", "20250105"));
    components["sw"] = Json::Value(Json::arrayValue);
    components["sw"].append(item("mainframe", o.lastUpdate, "20250110"));
    components["sw"].append(item("boot", "1.0.7", "20240610"));

    Json::Value inst(Json::objectValue);
    inst["components"] = components;
    inst["config"] = o.config;
    inst["cpu_type"] = "armv7l";
    inst["cpu_uid"] = "0xC0FFEE01";
    inst["date"] = "20241201 08:00:00";
    inst["hw_rev"] = o.hwRev;
    inst["last_update"] = o.lastUpdate;
    inst["mfg_number"] = "MF" + o.serialNumber;
    inst["model"] = o.model;
    inst["position"] = "0";
    inst["region_code"] = "1";
    inst["serial_number"] = o.serialNumber;

    Json::Value doc(Json::objectValue);
    doc["instruments"] = Json::Value(Json::arrayValue);
    doc["instruments"].append(inst);
    return Json::StyledWriter().write(doc);
}

}  // namespace Kestrix::Sim
