#include "ManifestEx.h"

#include "common/ManifestFile.h"

extern "C" {

KxDatabasePackageManifest* getDbManifestCreate(void) { return new Kestrix::DatabasePackageManifest(); }

void getDbManifestDestroy(KxDatabasePackageManifest* manifest) { delete manifest; }

uint32_t getManifestFromPFile(KxDatabasePackageManifest* manifest, const char* filename) {
    return Kestrix::getManifestFromPFile(manifest, filename);
}

uint32_t getDbVersionFromManifest(const char* filename, char* dst, uint32_t dstLen, uint32_t* build) {
    return Kestrix::getDbVersionFromManifest(filename, dst, dstLen, build);
}

uint32_t getDbMinReqFirmwareVersionFromManifest(const char* filename, char* dst, uint32_t len) {
    return Kestrix::getDbMinReqFirmwareVersionFromManifest(filename, dst, len);
}

}  // extern "C"
