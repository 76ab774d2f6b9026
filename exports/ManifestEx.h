/* Database package manifests, for C callers. Results: 0 read, 1 no manifest section, 2 version newer than
 * supported, 3 corrupt manifest, 4 not a container, 5 invalid argument (a null pointer, or a dstLen or len
 * of 0). Nothing is written to dst unless the result is 0. */
#ifndef KESTRIX_MANIFESTEX_H
#define KESTRIX_MANIFESTEX_H

#include <stdint.h>

#ifdef __cplusplus
namespace Kestrix {
class DatabasePackageManifest;
}
typedef Kestrix::DatabasePackageManifest KxDatabasePackageManifest;
extern "C" {
#else
/* Opaque to C: made and freed by getDbManifestCreate / getDbManifestDestroy. */
typedef struct KxDatabasePackageManifest KxDatabasePackageManifest;
#endif

/* Null when memory runs out. */
KxDatabasePackageManifest* getDbManifestCreate(void);
void getDbManifestDestroy(KxDatabasePackageManifest* manifest);

uint32_t getManifestFromPFile(KxDatabasePackageManifest* manifest, const char* filename);
/* Copies the version string ("V3.12", at most dstLen - 1 characters, NUL-terminated) and the build number. */
uint32_t getDbVersionFromManifest(const char* filename, char* dst, uint32_t dstLen, uint32_t* build);
/* Copies the minimum firmware version the package requires. */
uint32_t getDbMinReqFirmwareVersionFromManifest(const char* filename, char* dst, uint32_t len);

#ifdef __cplusplus
}
#endif

#endif
