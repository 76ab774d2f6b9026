#pragma once
// Reading a database package's manifest from its container file.
#include <cstdint>

#include "common/DatabasePackageManifest.h"

namespace Kestrix {

// Results of the manifest functions. Returned to external callers: frozen.
enum ManifestCode : uint32_t {
    manifestOk = 0,
    manifestMissing = 1,        // no manifest section (101 or 102) after the file header, or unreadable
    manifestVersionTooNew = 2,  // a class or header version newer than supported
    manifestBadData = 3,        // any other deserialization failure
    manifestNoContainer = 4,    // the file could not be opened as a container
    manifestBadArgument = 5,    // a null pointer or a zero-length destination was passed
};

const char* manifestCodeText(uint32_t code);

// Reads the first data section of the container `filename` into `pM`.
uint32_t getManifestFromPFile(DatabasePackageManifest* pM, const char* filename);
// Same, from a container in memory (the CLI and the fuzz target).
uint32_t getManifestFromBuffer(DatabasePackageManifest& manifest, const uint8_t* buffer, uint32_t size);

// On success copies the summary's version string (at most dstLen - 1 characters, NUL-terminated) and build.
// Every function here refuses null pointers and a zero dstLen with manifestBadArgument.
uint32_t getDbVersionFromManifest(const char* filename, char* dst, uint32_t dstLen, uint32_t* build);
// On success copies the summary's minimum firmware version the same way.
uint32_t getDbMinReqFirmwareVersionFromManifest(const char* filename, char* dst, uint32_t len);

}  // namespace Kestrix
