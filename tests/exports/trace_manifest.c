/* Drives the exported trace and manifest functions through the shared library, from plain C. */
#include <stdio.h>
#include <string.h>

#include "ManifestEx.h"
#include "TraceBufferEx.h"
#include "c/check.h"

/* A container with a manifest section (type 101): version V4.2 rc1, build 7, firmware 1.0. */
static const unsigned char kManifestContainer[] = {
    0x46, 0x50, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x14, 0x1e, 0xc2, 0x2c, 0x07, 0x04,
    0xfa, 0x9f, 0x8e, 0x00, 0x00, 0x00, 0x46, 0x50, 0x65, 0x00, 0x01, 0x00, 0x00, 0x00, 0x62, 0x00, 0x00, 0x00,
    0x34, 0x9b, 0x04, 0x87, 0xf4, 0xd1, 0x67, 0x87, 0xcd, 0xab, 0x01, 0x01, 0x51, 0x00, 0x09, 0x00, 0x56, 0x00,
    0x00, 0x00, 0xcd, 0xab, 0x01, 0x01, 0x51, 0x00, 0x07, 0x00, 0x14, 0x00, 0x00, 0x00, 0x04, 0x00, 0x02, 0x00,
    0x03, 0x00, 0x72, 0x63, 0x31, 0x00, 0x00, 0x07, 0x00, 0x01, 0x00, 0x03, 0x00, 0x31, 0x2e, 0x30, 0xcd, 0xab,
    0x01, 0x01, 0x51, 0x00, 0x0a, 0x00, 0x2a, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xcd, 0xab, 0x01, 0x01,
    0x51, 0x00, 0x08, 0x00, 0x08, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x02, 0x00,
    0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x61, 0x2e, 0x64, 0x62, 0x00, 0x03, 0x00, 0x31, 0x2e, 0x30};

static int writeFile(const char* path, const unsigned char* bytes, size_t n) {
    FILE* f = fopen(path, "wb");
    if (f == NULL) return 0;
    size_t wrote = fwrite(bytes, 1, n, f);
    return fclose(f) == 0 && wrote == n;
}

static void testTrace(void) {
    CHECK(!traceBufferExGetChannelTableLock());
    CHECK(traceBufferExCreateChan("io", true, false, true) == 0);
    CHECK(traceBufferExCreateChan("net", false, true, false) == 1);
    traceBufferExSetLoggerFacility(4);
    traceBufferExSetLoggerFacility(99); /* refused, facility 4 stays */
    traceBufferExLockChannelTable();
    CHECK(traceBufferExGetChannelTableLock());
    traceBufferExSetMaxLength(10);
    traceBufferExFlush();
}

static void testManifest(void) {
    const char* path = "trace_manifest_c.pfile";
    char text[32];
    uint32_t build = 0;
    CHECK(writeFile(path, kManifestContainer, sizeof kManifestContainer));

    KxDatabasePackageManifest* m = getDbManifestCreate();
    CHECK(m != NULL);
    CHECK(getManifestFromPFile(m, path) == 0);
    CHECK(getManifestFromPFile(m, "no-such-file.pfile") == 4);
    getDbManifestDestroy(m);

    CHECK(getDbVersionFromManifest(path, text, sizeof text, &build) == 0);
    CHECK(strcmp(text, "V4.2 rc1") == 0);
    CHECK(build == 7);
    CHECK(getDbVersionFromManifest(path, text, 3, &build) == 0);
    CHECK(strcmp(text, "V4") == 0);
    CHECK(getDbMinReqFirmwareVersionFromManifest(path, text, sizeof text) == 0);
    CHECK(strcmp(text, "1.0") == 0);

    /* Cut inside the manifest section: the container opens, the section does not. */
    CHECK(writeFile(path, kManifestContainer, 100));
    strcpy(text, "keep");
    CHECK(getDbMinReqFirmwareVersionFromManifest(path, text, sizeof text) == 1);
    CHECK(strcmp(text, "keep") == 0);
    remove(path);
}

int main(void) {
    testTrace();
    testManifest();
    return checksDone("trace_manifest");
}
