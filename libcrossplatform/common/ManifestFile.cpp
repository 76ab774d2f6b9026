#include "common/ManifestFile.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/PFile.h"
#include "serialization/ReadObject.h"

namespace Kestrix {

namespace {
bool isManifestSection(const PFile::Section& s) {
    return s.type() == PFile::SectionType::Manifest || s.type() == PFile::SectionType::ManifestAlt;
}

uint32_t readManifestSection(const PFile::Section& s, DatabasePackageManifest& manifest) {
    if (!isManifestSection(s)) return manifestMissing;
    // An empty payload (e.g. a compressed empty one) reads as any other bad data.
    switch (Marshal::readObject({s.data(), s.size()}, manifest).status) {
        case Marshal::ok: return manifestOk;
        case Marshal::versionTooNew:
        case Marshal::headerVersionTooNew: return manifestVersionTooNew;
        default: return manifestBadData;
    }
}

void copyOut(const std::string& text, char* dst, uint32_t dstLen) {
    const size_t n = std::min<size_t>(text.size(), dstLen - 1);
    std::memcpy(dst, text.data(), n);
    dst[n] = '\0';
}
}  // namespace

const char* manifestCodeText(uint32_t code) {
    switch (code) {
        case manifestOk: return "manifest read";
        case manifestMissing: return "no manifest section in the container";
        case manifestVersionTooNew: return "manifest version newer than supported";
        case manifestBadData: return "manifest data is corrupt";
        case manifestNoContainer: return "file cannot be opened as a container";
        case manifestBadArgument: return "invalid argument";
        default: return "unknown manifest code";
    }
}

uint32_t getManifestFromPFile(DatabasePackageManifest* pM, const char* filename) {
    if (pM == nullptr || filename == nullptr) return manifestBadArgument;
    PFile::FileReader reader;
    if (reader.open(filename) != 0) return manifestNoContainer;
    PFile::Section section;
    if (reader.read(section, true) != 0) return manifestMissing;
    const uint32_t code = readManifestSection(section, *pM);
    reader.close();
    return code;
}

uint32_t getManifestFromBuffer(DatabasePackageManifest& manifest, const uint8_t* buffer, uint32_t size) {
    if (buffer == nullptr) return manifestNoContainer;
    PFile::MemReader reader;
    if (reader.open({buffer, size}) != 0) return manifestNoContainer;
    PFile::Section section;
    if (reader.read(section, true) != 0) return manifestMissing;
    return readManifestSection(section, manifest);
}

uint32_t getDbVersionFromManifest(const char* filename, char* dst, uint32_t dstLen, uint32_t* build) {
    if (build == nullptr || dst == nullptr || dstLen == 0) return manifestBadArgument;
    DatabasePackageManifest manifest;
    const uint32_t code = getManifestFromPFile(&manifest, filename);
    if (code != manifestOk) return code;
    copyOut(manifest.summary.getVersionString(), dst, dstLen);
    *build = manifest.summary.build;
    return manifestOk;
}

uint32_t getDbMinReqFirmwareVersionFromManifest(const char* filename, char* dst, uint32_t len) {
    if (dst == nullptr || len == 0) return manifestBadArgument;
    DatabasePackageManifest manifest;
    const uint32_t code = getManifestFromPFile(&manifest, filename);
    if (code != manifestOk) return code;
    copyOut(manifest.summary.minReqFirmwareVersion, dst, len);
    return manifestOk;
}

}  // namespace Kestrix
