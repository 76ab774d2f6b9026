#include "common/EquipmentInformation.h"

#include "serialization/Header.h"
#include "serialization/JsonText.h"

namespace Kestrix {

void EquipmentInformation::clear() { *this = EquipmentInformation(); }

void EquipmentInformation::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::EquipmentInformation);
    h.serialize(w);
    w.write(softwareVersion);
    w.write(modelIdStr);
    w.write(modelHardwareRevision);
    w.write(modelSerialNumber);
    w.write(moduleId);
    w.write(moduleHardwareRevision);
    w.write(moduleSerialNumber);
    w.write(moduleCalibrationTime);
    w.write(liaId);
    w.write(liaSerialNumber);
    w.write(liaCalibrationTime);
    w.write(moduleFirstUseDate);
    h.finishWrite(w);
}

Marshal::StreamOpStatus EquipmentInformation::deserialize(Marshal::IObjectReader& r) {
    clear();
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::EquipmentInformation)) return st;
    r.read(softwareVersion);
    r.read(modelIdStr);
    r.read(modelHardwareRevision);
    r.read(modelSerialNumber);
    r.read(moduleId);
    r.read(moduleHardwareRevision);
    r.read(moduleSerialNumber);
    r.read(moduleCalibrationTime);
    if (h.classVersion >= 2) {
        r.read(liaId);
        r.read(liaSerialNumber);
        r.read(liaCalibrationTime);
    }
    if (h.classVersion >= 3) r.read(moduleFirstUseDate);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void EquipmentInformation::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value EquipmentInformation::toJson(const Dump::DumpFlags& flags) const {
    Json::Value body(Json::objectValue);
    body["_className"] = "EquipmentInformation";
    body["_classVersion"] = Marshal::TypeIds::EquipmentInformation.version;
    if (flags.detail >= 1) {
        body["softwareVersion"] = softwareVersion;
        body["modelIdStr"] = modelIdStr;
        body["modelHardwareRevision"] = modelHardwareRevision;
        body["modelSerialNumber"] = modelSerialNumber;
        body["moduleId"] = moduleId;
        body["moduleHardwareRevision"] = moduleHardwareRevision;
        body["moduleSerialNumber"] = moduleSerialNumber;
        body["moduleCalibrationTime"] = Json::Int64(moduleCalibrationTime);
        body["liaId"] = liaId;
        body["liaSerialNumber"] = liaSerialNumber;
        body["liaCalibrationTime"] = Json::Int64(liaCalibrationTime);
        body["moduleFirstUseDate"] = Json::Int64(moduleFirstUseDate);
    }
    Json::Value j(Json::objectValue);
    j["EquipmentInformation"] = body;
    return j;
}

}  // namespace Kestrix
