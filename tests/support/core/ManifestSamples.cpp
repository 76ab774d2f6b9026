#include "core/ManifestSamples.h"

#include "core/Containers.h"
#include "core/TestBytes.h"

namespace kx::test {

Kestrix::DatabasePackageManifest sampleManifest() {
    Kestrix::DatabasePackageManifest m;
    m.summary.customerVersion.major = 3;
    m.summary.customerVersion.minor = 12;
    m.summary.releaseType = 1;
    m.summary.build = 41;
    m.summary.type = 2;
    m.summary.minReqFirmwareVersion = "2.7.0";
    Kestrix::DatabaseDescriptor a;
    a.version = {3, 1, 2, 7};
    a.dbType = 1;
    a.filePath = "/opt/db/culim.mnts";
    a.minReqFirmwareVersion = "2.7.0";
    Kestrix::DatabaseDescriptor b;
    b.version = {1, 4, 0, 19};
    b.dbType = 5;
    b.filePath = "/opt/db/cables.db";
    b.minReqFirmwareVersion = "2.6.1";
    m.list.descriptors = {a, b};
    return m;
}

std::vector<uint8_t> manifestBytes(const Kestrix::DatabasePackageManifest& manifest) { return bytesOf(manifest); }

std::vector<uint8_t> containerWith(uint16_t sectionType, const std::vector<uint8_t>& payload, bool compressed) {
    return containerOf({{sectionType, payload}}, compressed);
}

}  // namespace kx::test
