/* Calls every exported function with null pointers, zero and negative sizes and in the wrong order: each one
 * must answer with its documented failure and the process must carry on to the end. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "FiberEx.h"
#include "FiberLimitEx.h"
#include "ManifestEx.h"
#include "TraceBufferEx.h"
#include "c/check.h"

static void testFiberNulls(void) {
    static const uint8_t someBytes[16] = {0xCD, 0xAB, 1, 3, 0x61, 0, 0x01, 0x07};
    uint8_t buffer[8] = {0};
    char text[8] = {0};

    CHECK(fiberExDeserialize(NULL, 0) == NULL);
    CHECK(fiberExDeserialize(NULL, 16) == NULL);
    CHECK(fiberExDeserialize(someBytes, 0) == NULL);
    CHECK(fiberExDeserialize(someBytes, sizeof someBytes) == NULL); /* a header without its fiber */
    CHECK(fiberExSerialize(NULL, NULL, 0) == 0);
    CHECK(fiberExSerialize(NULL, buffer, sizeof buffer) == 0);
    CHECK(fiberExDumpBuffer(NULL, NULL, 0) == -1);
    CHECK(fiberExDumpBuffer(NULL, text, sizeof text) == -1);
    fiberExAddFiberPerWl(NULL, 1310, 1.4677, 0, -79.4);
    fiberExDump(NULL);
    fiberExDeFiber(NULL);

    /* A null name is empty; a null summary is the default one. */
    KxFiber* fiber = fiberExFiber(NULL, 0, 0.0, 0, NULL);
    CHECK(fiber != NULL);
    CHECK(fiberExDumpBuffer(fiber, NULL, 0) > 0);
    CHECK(fiberExDumpBuffer(fiber, text, 0) > 0); /* size 0 is the size call, nothing is copied */
    CHECK(text[0] == 0);
    fiberExDeFiber(fiber);

    CHECK(getDefaultFiberCableMM() != NULL);
    CHECK(getDefaultFiberCableSM() != NULL);
    CHECK(getDefaultFiberLimitImageMM() != NULL);
    CHECK(getDefaultFiberLimitImageSM() != NULL);
    CHECK(getDefaultFiberLimitLLMM() != NULL);
    CHECK(getDefaultFiberLimitLLSM() != NULL);
    CHECK(getDefaultFiberLimitOTDR() != NULL);
    CHECK(getDefaultFiberLimitPON() != NULL);
}

/* The size call comes first; a shorter buffer gets a cut copy that does not read back, and the result is
 * still 0. */
static void testShortSerializeBuffer(void) {
    KxFiber* fiber = fiberExFiber("OM4 Multimode", 4, 50.0, 2, NULL);
    fiberExAddFiberPerWl(fiber, 850, 1.482, 4700, -68.0);
    const uint32_t need = fiberExSerialize(fiber, NULL, 0);
    CHECK(need > 12);
    uint8_t one = 0xEE;
    CHECK(fiberExSerialize(fiber, &one, 0) == need); /* size 0 is the size call */
    CHECK(one == 0xEE);
    uint8_t* bytes = malloc(need + 4);
    memset(bytes, 0xEE, need + 4);
    CHECK(fiberExSerialize(fiber, bytes, need - 3) == 0);
    CHECK(bytes[need - 3] == 0xEE && bytes[need - 1] == 0xEE);
    CHECK(fiberExDeserialize(bytes, need - 3) == NULL);
    CHECK(fiberExSerialize(fiber, bytes, need + 4) == 0); /* a longer buffer gets the object only */
    CHECK(bytes[need] == 0xEE);
    KxFiber* back = fiberExDeserialize(bytes, need);
    CHECK(back != NULL);
    fiberExDeFiber(back);
    free(bytes);
    fiberExDeFiber(fiber);
}

static void testLimitNulls(void) {
    char text[8] = {0};
    CHECK(fiberLimitExSerialize(NULL, NULL, 0) == 0);
    CHECK(fiberLimitExDumpBuffer(NULL, NULL, 0) == -1);
    CHECK(fiberLimitExDumpBuffer(NULL, text, sizeof text) == -1);
    fiberLimitExAddCategory(NULL, 3);
    fiberLimitExFiberLimitValuesSetValue(NULL, 2, 1.5);
    fiberLimitExAddFiberLimitValues(NULL, NULL);
    fiberLimitExAddSupportedPort(NULL, 0);
    fiberLimitExAddFiberImageLimitValue(NULL, 1, 1, 5, 3, 0);
    fiberLimitExSetImageZoneDist(NULL, 1, 2, 3, 4);
    fiberLimitExDump(NULL);
    fiberLimitExDeFiberLimit(NULL);
    fiberLimitExDeFiberLimitValues(NULL);

    KxFiberLimit* limit =
        fiberLimitExFiberLimit(1, NULL, false, false, false, false, false, false, false, false, false, NULL);
    CHECK(limit != NULL);
    fiberLimitExAddFiberLimitValues(limit, NULL);
    CHECK(fiberLimitExSerialize(limit, NULL, 0) > 12);
    fiberLimitExDeFiberLimit(limit);

    /* Out-of-range types answer like any type without a rule. */
    CHECK(fiberLimitExDefaultLimitValue(-1) == 0.0f);
    CHECK(fiberLimitExMinValidLimitValue(100000) == 0.0f);
    CHECK(fiberLimitExMaxValidLimitValue(-100000) == 0.0f);
    CHECK(fiberLimitExNumLimitValueDecimalPlaces(-5) == 2);
    CHECK(fiberLimitExIsLimitValueValid(1000, 0.0f));
}

static void testManifestNulls(void) {
    char text[8] = "keep";
    uint32_t build = 99;
    KxDatabasePackageManifest* m = getDbManifestCreate();
    CHECK(m != NULL);
    CHECK(getManifestFromPFile(NULL, "x.pfile") == 5);
    CHECK(getManifestFromPFile(m, NULL) == 5);
    CHECK(getManifestFromPFile(NULL, NULL) == 5);
    CHECK(getDbVersionFromManifest(NULL, text, sizeof text, &build) == 5);
    CHECK(getDbVersionFromManifest("x.pfile", NULL, sizeof text, &build) == 5);
    CHECK(getDbVersionFromManifest("x.pfile", text, 0, &build) == 5);
    CHECK(getDbVersionFromManifest("x.pfile", text, sizeof text, NULL) == 5);
    CHECK(getDbMinReqFirmwareVersionFromManifest(NULL, text, sizeof text) == 5);
    CHECK(getDbMinReqFirmwareVersionFromManifest("x.pfile", NULL, sizeof text) == 5);
    CHECK(getDbMinReqFirmwareVersionFromManifest("x.pfile", text, 0) == 5);
    CHECK(strcmp(text, "keep") == 0 && build == 99);
    /* With every argument present, a missing file is still "not a container". */
    CHECK(getDbVersionFromManifest("no-such-file.pfile", text, sizeof text, &build) == 4);
    getDbManifestDestroy(m);
    getDbManifestDestroy(NULL);
}

static void testTraceMisuse(void) {
    CHECK(traceBufferExCreateChan(NULL, true, true, true) == -1);
    traceBufferExFlush(); /* before the table is locked: nothing to do */
    traceBufferExSetMaxLength(-1);
    traceBufferExSetMaxLength(0);
    traceBufferExSetLoggerFacility(-7);
    CHECK(traceBufferExCreateChan("c", false, false, false) >= 0);
    traceBufferExLockChannelTable();
    traceBufferExLockChannelTable();
    CHECK(traceBufferExGetChannelTableLock());
    CHECK(traceBufferExCreateChan("late", true, false, false) == -1);
    traceBufferExFlush();
}

int main(void) {
    testTraceMisuse(); /* first, before anything in the library can lock the channel table */
    testFiberNulls();
    testShortSerializeBuffer();
    testLimitNulls();
    testManifestNulls();
    return checksDone("null_args");
}
