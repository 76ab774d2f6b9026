// Database versions and package manifests for `kestrix dump`.
#include "Command.h"
#include "DumpRegistry.h"
#include "common/DatabasePackageManifest.h"
#include "common/ManifestFile.h"

namespace {

using namespace kx::cli;

void printManifestContainer(const std::vector<uint8_t>& bytes, const DumpOptions& opts, std::ostream& out) {
    Kestrix::DatabasePackageManifest manifest;
    const uint32_t code = Kestrix::getManifestFromBuffer(manifest, bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (code != Kestrix::manifestOk)
        throw BadInput("manifest code " + std::to_string(code) + ": " + Kestrix::manifestCodeText(code));
    printModel(manifest, &manifest, opts, out);
}

const bool regManifest = registerContainerPrinter(PFile::SectionType::Manifest, printManifestContainer);
const bool regManifestAlt = registerContainerPrinter(PFile::SectionType::ManifestAlt, printManifestContainer);
const bool regVersion = registerBareObject<Kestrix::DatabaseVersion>("DatabaseVersion", Marshal::TypeIds::DatabaseVersion);
const bool regPackage = registerBareObject<Kestrix::DatabasePackageManifest>(
    "DatabasePackageManifest", Marshal::TypeIds::DatabasePackageManifest);
const bool regSummary = registerBareObject<Kestrix::DatabasePackageManifestSummary>(
    "DatabasePackageManifestSummary", Marshal::TypeIds::DatabasePackageManifestSummary);
const bool regList = registerBareObject<Kestrix::DatabaseDescriptorList>("DatabaseDescriptorList",
                                                                        Marshal::TypeIds::DatabaseDescriptorList);

}  // namespace
