// Database versions and package manifests for `kestrix dump`.
#include "Command.h"
#include "CommandTable.h"
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

}  // namespace

namespace kx::cli {

void registerManifestDumpers() {
    registerContainerPrinter(PFile::SectionType::Manifest, printManifestContainer);
    registerContainerPrinter(PFile::SectionType::ManifestAlt, printManifestContainer);
    registerBareObject<Kestrix::DatabaseVersion>("DatabaseVersion", Marshal::TypeIds::DatabaseVersion);
    registerBareObject<Kestrix::DatabasePackageManifest>("DatabasePackageManifest",
                                                         Marshal::TypeIds::DatabasePackageManifest);
    registerBareObject<Kestrix::DatabasePackageManifestSummary>("DatabasePackageManifestSummary",
                                                                Marshal::TypeIds::DatabasePackageManifestSummary);
    registerBareObject<Kestrix::DatabaseDescriptorList>("DatabaseDescriptorList",
                                                        Marshal::TypeIds::DatabaseDescriptorList);
}

}  // namespace kx::cli
