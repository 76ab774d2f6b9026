#include "tester/maintenance/SoftwareReport.h"

#include <charconv>

#include "common/ModuleId.h"

namespace Kestrix::Tester {
namespace {

constexpr size_t kLabelWidth = 25;
constexpr int kFirstUseGraceMonths = 6;

void line(std::string& out, const std::string& label, const std::string& value) {
    out += label;
    if (label.size() < kLabelWidth) out.append(kLabelWidth - label.size(), ' ');
    out += value;
    out += "\r\n";
}

void emptyLine(std::string& out) { out += "\r\n"; }

// The module's calibration text: verified, else calibrated.
const std::string& calibrationText(const SysinfoModuleData& d) {
    return d.date_verified.empty() ? d.date_calibrated : d.date_verified;
}

// A module model number as the tester writes it; none when it is not a whole number.
boost::optional<int> modelNumber(const std::string& text) {
    int v = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || p != text.data() + text.size()) return boost::none;
    return v;
}

std::string softwareLabel(const std::string& name) {
    if (name == "mainframe") return "Software:";
    if (name == "boot") return "Boot:";
    return name;
}

std::string dataLabel(const std::string& name) {
    if (name == "limit data") return "Limits:";
    if (name == "cable data") return "Cables:";
    return name;
}

// One calibration entry of a module; none when a value it needs is unusable (the entry is then left out).
boost::optional<std::string> calibrationEntry(const SysinfoModule& m, const std::string& date, bool longForm) {
    std::string out;
    emptyLine(out);
    if (longForm) {
        auto model = modelNumber(m.model);
        if (!model) return boost::none;
        line(out, "Module:", moduleName(*model));
        line(out, "Module S/N:", m.serial_number);
        for (const auto& sw : m.sw)
            if (sw.name == "main") line(out, "Software:", sw.rev);
    } else {
        line(out, "S/N:", m.serial_number);
    }
    line(out, "Calibration Date:", date.substr(0, 4) + "-" + date.substr(4, 2) + "-" + date.substr(6, 2));
    return out;
}

}  // namespace

boost::optional<std::string> softwareReport(const Sysinfo& info) {
    if (info.instruments.empty() || !info.instruments.front().components) return boost::none;
    const SysinfoInstrument& inst = info.instruments.front();
    const SysinfoComponents& comp = *inst.components;
    const bool longForm = inst.model != "Ombrel" && inst.model != "Ombrel2";
    std::string out;
    line(out, "Model:", modelDisplayName(inst.model));
    if (longForm) {
        line(out, "S/N:", inst.serial_number);
        line(out, "Config:", inst.config);
        line(out, "Hardware:", inst.hw_rev);
    }
    emptyLine(out);
    for (const auto& sw : comp.sw) line(out, softwareLabel(sw.name), sw.rev);
    for (const auto& d : comp.data) line(out, dataLabel(d.name), d.rev);
    for (const auto& m : comp.hw_modules) {
        if (m.type != "measurement") continue;
        for (const auto& d : m.data) {
            if (d.type != "calibration" || calibrationText(d).size() <= 8) continue;
            if (auto entry = calibrationEntry(m, calibrationText(d), longForm)) out += *entry;
        }
    }
    return out;
}

ModuleCalibration moduleCalibration(const Sysinfo& info) {
    ModuleCalibration result;
    if (info.instruments.empty() || !info.instruments.front().components) return result;
    for (const auto& m : info.instruments.front().components->hw_modules) {
        if (m.type != "measurement") continue;
        for (const auto& d : m.data) {
            if (d.type != "calibration" || calibrationText(d).size() <= 8) continue;
            const CalDate calibrated = parseSysinfoDate(calibrationText(d));
            result.date = calibrated;
            // A calibration text that is no date gives no date; a first use cannot move it.
            if (calibrated != kMinDate && m.first_used_date.size() > 8) {
                const CalDate firstUse = parseSysinfoDate(m.first_used_date);
                if (firstUse > calibrated)
                    result.date = std::min(firstUse, addMonths(calibrated, kFirstUseGraceMonths));
            }
            if (auto model = modelNumber(m.model)) result.moduleName = moduleName(*model);
            result.serial = m.serial_number;
            return result;
        }
    }
    return result;
}

}  // namespace Kestrix::Tester
