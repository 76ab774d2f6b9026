/* Drives the exported fiber and fiber limit functions through the shared library, from plain C. */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "FiberEx.h"
#include "FiberLimitEx.h"
#include "c/check.h"

static int contains(const char* text, size_t n, const char* what) {
    size_t m = strlen(what);
    for (size_t i = 0; i + m <= n; ++i)
        if (memcmp(text + i, what, m) == 0) return 1;
    return 0;
}

static void testFiber(void) {
    KxFiber* fiber = fiberExFiber("OS2 Singlemode", 6, 9.0, 1, NULL);
    CHECK(fiber != NULL);
    fiberExAddFiberPerWl(fiber, 1310, 1.4677, 0, -79.4);
    fiberExAddFiberPerWl(fiber, 1550, 1.4600, 0, -81.0);
    fiberExAddFiberPerWl(fiber, 1550, 1.4682, 7, -81.7);

    uint32_t need = fiberExSerialize(fiber, NULL, 0);
    CHECK(need > 12);
    uint8_t* bytes = malloc(need);
    CHECK(fiberExSerialize(fiber, bytes, need) == 0);
    CHECK(bytes[0] == 0xCD && bytes[1] == 0xAB && bytes[6] == 0x01 && bytes[7] == 0x07);

    KxFiber* back = fiberExDeserialize(bytes, need);
    CHECK(back != NULL);
    int32_t len = fiberExDumpBuffer(back, NULL, 0);
    CHECK(len > 0);
    char* text = malloc((size_t)len);
    CHECK(fiberExDumpBuffer(back, text, (uint32_t)len) == 0);
    CHECK(contains(text, (size_t)len, "\"name\" : \"OS2 Singlemode\""));
    CHECK(contains(text, (size_t)len, "\"category\" : \"OS2\""));
    CHECK(contains(text, (size_t)len, "\"fiberMode\" : \"singlemode\""));
    CHECK(contains(text, (size_t)len, "\"backscatterCoef\" : \"-81.7\""));
    CHECK(contains(text, (size_t)len, "\"modalBandwidth\" : 7"));
    CHECK(!contains(text, (size_t)len, "-81.0"));
    free(text);

    /* A read that fails part-way gives no fiber. */
    CHECK(fiberExDeserialize(bytes, need - 1) == NULL);
    bytes[3] = 9;
    CHECK(fiberExDeserialize(bytes, need) == NULL);
    CHECK(fiberExDumpBuffer(NULL, NULL, 0) == -1);

    fiberExDump(NULL);
    fiberExDeFiber(back);
    fiberExDeFiber(fiber);
    fiberExDeFiber(NULL);
    free(bytes);
}

static void testDefaults(void) {
    CHECK(strcmp(getDefaultFiberCableMM(), "OM3 Multimode 50") == 0);
    CHECK(strcmp(getDefaultFiberCableSM(), "OS2 Singlemode") == 0);
    CHECK(strcmp(getDefaultFiberLimitImageMM(), "IEC 61300-3-35 ED.2 MM") == 0);
    CHECK(strcmp(getDefaultFiberLimitImageSM(), "IEC 61300-3-35 ED.2 SM RL>=45dB") == 0);
    CHECK(strcmp(getDefaultFiberLimitLLMM(), "TIA-568.3-D-1 Multimode (STD)") == 0);
    CHECK(strcmp(getDefaultFiberLimitLLSM(), "TIA-568.3-D-1 Singlemode ISP (STD)") == 0);
    CHECK(strcmp(getDefaultFiberLimitOTDR(), "General Fiber RL = 35 dB") == 0);
    CHECK(strcmp(getDefaultFiberLimitPON(), "General PON RL = 40 dB") == 0);
}

static void testLimit(void) {
    KxFiberLimit* limit =
        fiberLimitExFiberLimit(2, "*Site limit*", true, true, false, false, false, false, false, false, false, NULL);
    CHECK(limit != NULL);
    KxFiberLimitValues* values = fiberLimitExFiberLimitValues(1310);
    fiberLimitExAddCategory(values, 6);
    fiberLimitExFiberLimitValuesSetValue(values, 0, 5000.04); /* one decimal: 5000.0 */
    fiberLimitExFiberLimitValuesSetValue(values, 2, 3.456);   /* two decimals: 3.46 */
    fiberLimitExFiberLimitValuesSetValue(values, 7, 0.3);
    fiberLimitExFiberLimitValuesSetValue(values, 7, NAN); /* removes it */
    fiberLimitExAddFiberLimitValues(limit, values);
    fiberLimitExFiberLimitValuesSetValue(values, 2, 4.0);
    fiberLimitExAddFiberLimitValues(limit, values); /* same wavelength and categories: replaced */
    fiberLimitExAddSupportedPort(limit, 0);
    fiberLimitExAddFiberImageLimitValue(limit, 1, 1, 5, 99, 1);
    fiberLimitExAddFiberImageLimitValue(limit, 1, 1, 5, 3, 0);
    fiberLimitExSetImageZoneDist(limit, 25, 115, 135, 250);

    int32_t len = fiberLimitExDumpBuffer(limit, NULL, 0);
    CHECK(len > 0);
    char* text = malloc((size_t)len);
    CHECK(fiberLimitExDumpBuffer(limit, text, (uint32_t)len) == 0);
    CHECK(contains(text, (size_t)len, "\"limitType\" : \"Loss Length\""));
    CHECK(contains(text, (size_t)len, "\"maxLength\" : \"5000.0\""));
    CHECK(contains(text, (size_t)len, "\"maxOverallLoss\" : \"4.00\""));
    CHECK(!contains(text, (size_t)len, "maxSpliceLoss"));
    CHECK(!contains(text, (size_t)len, "3.46"));
    CHECK(contains(text, (size_t)len, "\"allowedFeatures\" : 3"));
    CHECK(!contains(text, (size_t)len, "\"allowedFeatures\" : 99"));
    CHECK(contains(text, (size_t)len, "\"mustUseLaunchComp\""));
    CHECK(contains(text, (size_t)len, "\"mustUseTailComp\"")); /* second flag argument: bit 2 */
    CHECK(!contains(text, (size_t)len, "doLengthBasedLossBudget"));
    free(text);

    uint32_t need = fiberLimitExSerialize(limit, NULL, 0);
    uint8_t* bytes = malloc(need);
    CHECK(fiberLimitExSerialize(limit, bytes, need) == 0);
    CHECK(bytes[3] == 4 && bytes[7] == 0x06);
    free(bytes);

    CHECK(fiberLimitExNumLimitValueDecimalPlaces(0) == 1);
    CHECK(fiberLimitExNumLimitValueDecimalPlaces(25) == 4);
    CHECK(fiberLimitExNumLimitValueDecimalPlaces(9) == 2);
    CHECK(fiberLimitExDefaultLimitValue(9) == -35.0f);
    CHECK(fiberLimitExMinValidLimitValue(36) == 5.39999f);
    CHECK(fiberLimitExMaxValidLimitValue(4) == 99.99001f);
    CHECK(fiberLimitExIsLimitValueValid(36, 7.4f));
    CHECK(!fiberLimitExIsLimitValueValid(36, 5.0f));
    CHECK(!fiberLimitExIsLimitValueValid(9, 1.0f));
    CHECK(fiberLimitExIsLimitValueValid(0, 300000.0f));
    CHECK(!fiberLimitExIsLimitValueValid(4, -1.0f));

    fiberLimitExDeFiberLimitValues(values);
    fiberLimitExDeFiberLimit(limit);
    fiberLimitExDeFiberLimit(NULL);
    fiberLimitExDeFiberLimitValues(NULL);
}

int main(void) {
    testFiber();
    testDefaults();
    testLimit();
    return checksDone("fiber_ex");
}
