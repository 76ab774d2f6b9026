#pragma once
#include <cstdint>
#include <string>

#include "common/ModuleId.h"
#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

// The tester and module a result was measured with. Fields after moduleCalibrationTime arrived with
// class versions 2 and 3 and stay cleared when reading older data.
class EquipmentInformation : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    EquipmentInformation() = default;
    // Every field to 0 or empty, as older data leaves the fields it lacks.
    void clear();

    const std::string& getSoftwareVersion() const { return softwareVersion; }
    const std::string& getModelIdStr() const { return modelIdStr; }
    const std::string& getModelSerialNumber() const { return modelSerialNumber; }
    const std::string& getModuleSerialNumber() const { return moduleSerialNumber; }
    const char* getModuleIdStr() const { return moduleName(moduleId); }

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::string softwareVersion;
    std::string modelIdStr;
    int32_t modelHardwareRevision = 0;
    std::string modelSerialNumber;
    int32_t moduleId = 0;
    int32_t moduleHardwareRevision = 0;
    std::string moduleSerialNumber;
    int64_t moduleCalibrationTime = 0;
    int32_t liaId = 0;
    std::string liaSerialNumber;
    int64_t liaCalibrationTime = 0;
    int64_t moduleFirstUseDate = 0;
};

}  // namespace Kestrix
