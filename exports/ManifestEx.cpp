#include "ManifestEx.h"

#include <new>

#include "common/ManifestFile.h"

extern "C" {

KxDatabasePackageManifest* getDbManifestCreate(void) { return new (std::nothrow) Kestrix::DatabasePackageManifest(); }

void getDbManifestDestroy(KxDatabasePackageManifest* manifest) { delete manifest; }

uint32_t getManifestFromPFile(KxDatabasePackageManifest* manifest, const char* filename) {
    try {
        return Kestrix::getManifestFromPFile(manifest, filename);
    } catch (...) {
        return Kestrix::manifestBadData;
    }
}

uint32_t getDbVersionFromManifest(const char* filename, char* dst, uint32_t dstLen, uint32_t* build) {
    try {
        return Kestrix::getDbVersionFromManifest(filename, dst, dstLen, build);
    } catch (...) {
        return Kestrix::manifestBadData;
    }
}

uint32_t getDbMinReqFirmwareVersionFromManifest(const char* filename, char* dst, uint32_t len) {
    try {
        return Kestrix::getDbMinReqFirmwareVersionFromManifest(filename, dst, len);
    } catch (...) {
        return Kestrix::manifestBadData;
    }
}

}  // extern "C"
