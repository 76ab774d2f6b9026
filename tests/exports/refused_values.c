/* Values the stored form cannot hold are refused by the exported setters, never wrapped into another valid
 * value: checked on the JSON text and on a serialize/deserialize round trip. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "FiberEx.h"
#include "FiberLimitEx.h"
#include "c/check.h"

static size_t count(const char* text, const char* what) {
    size_t n = 0;
    for (const char* p = strstr(text, what); p != NULL; p = strstr(p + 1, what)) ++n;
    return n;
}

/* The JSON text of a fiber or limit as a NUL-terminated string (free it). */
static char* fiberJson(const KxFiber* fiber) {
    int32_t len = fiberExDumpBuffer(fiber, NULL, 0);
    char* text = calloc((size_t)len + 1, 1);
    fiberExDumpBuffer(fiber, text, (uint32_t)len);
    return text;
}

static char* limitJson(const KxFiberLimit* limit) {
    int32_t len = fiberLimitExDumpBuffer(limit, NULL, 0);
    char* text = calloc((size_t)len + 1, 1);
    fiberLimitExDumpBuffer(limit, text, (uint32_t)len);
    return text;
}

static KxFiber* roundTrip(const KxFiber* fiber) {
    uint32_t need = fiberExSerialize(fiber, NULL, 0);
    uint8_t* bytes = malloc(need);
    fiberExSerialize(fiber, bytes, need);
    KxFiber* back = fiberExDeserialize(bytes, need);
    free(bytes);
    return back;
}

static void testFiber(void) {
    CHECK(fiberExFiber("x", 256, 9.0, 1, NULL) == NULL);
    CHECK(fiberExFiber("x", -1, 9.0, 1, NULL) == NULL);
    CHECK(fiberExFiber("x", 6, 9.0, 257, NULL) == NULL);

    KxFiber* fiber = fiberExFiber("OM3 Multimode 50", 3, 50.0, 2, NULL);
    fiberExAddFiberPerWl(fiber, 850, 1.4820, 2000, -68.0);
    fiberExAddFiberPerWl(fiber, 850 + 65536, 1.5, 9, -1.0); /* would have become a second 850 nm entry */
    fiberExAddFiberPerWl(fiber, -1, 1.5, 9, -1.0);
    fiberExAddFiberPerWl(fiber, 1300, 1.4770, 70000, -76.0); /* bandwidth beyond 16 bits */
    fiberExAddFiberPerWl(fiber, 1300, 1.4770, 500, -76.0);
    KxFiber* back = roundTrip(fiber);
    CHECK(back != NULL);
    char* text = fiberJson(back);
    CHECK(count(text, "\"wavelength\" : 850") == 1);
    CHECK(count(text, "\"wavelength\" : 1300") == 1);
    CHECK(count(text, "\"wavelength\"") == 2);
    CHECK(count(text, "\"modalBandwidth\" : 2000") == 1);
    CHECK(count(text, "\"modalBandwidth\" : 500") == 1);
    CHECK(count(text, "\"modalBandwidth\" : 9") == 0);
    free(text);
    fiberExDeFiber(back);
    fiberExDeFiber(fiber);
}

static void testLimit(void) {
    CHECK(fiberLimitExFiberLimit(256, "x", false, false, false, false, false, false, false, false, false, NULL) ==
          NULL);
    CHECK(fiberLimitExFiberLimitValues(65536) == NULL);
    CHECK(fiberLimitExFiberLimitValues(-1) == NULL);

    KxFiberLimit* limit =
        fiberLimitExFiberLimit(4, "Image", false, false, false, false, false, false, false, false, false, NULL);
    KxFiberLimitValues* values = fiberLimitExFiberLimitValues(1310);
    fiberLimitExAddCategory(values, 6);
    fiberLimitExAddCategory(values, 256 + 3); /* would have become OM3 */
    fiberLimitExFiberLimitValuesSetValue(values, 0, 5000.0);
    fiberLimitExFiberLimitValuesSetValue(values, 256, 1.25); /* would have overwritten maxLength as 1.2 */
    fiberLimitExAddFiberLimitValues(limit, values);
    fiberLimitExAddSupportedPort(limit, 256 + 1); /* would have become MM */
    fiberLimitExAddSupportedPort(limit, 0);
    fiberLimitExAddFiberImageLimitValue(limit, 2, 1, 3, 5, 0);
    fiberLimitExAddFiberImageLimitValue(limit, 2, 1, 3, 9, 256); /* 256 would have been stored as 0, "<=" */
    fiberLimitExAddFiberImageLimitValue(limit, 2, 256 + 1, 3, 9, 1);
    fiberLimitExAddFiberImageLimitValue(limit, 256 + 2, 1, 3, 9, 1);

    char* text = limitJson(limit);
    CHECK(count(text, "\"maxLength\" : \"5000.0\"") == 1);
    CHECK(count(text, "\"OS2\"") == 1);
    CHECK(count(text, "\"OM3\"") == 0);
    CHECK(count(text, "\"SM\"") == 1);
    CHECK(count(text, "\"MM\"") == 0);
    CHECK(count(text, "\"allowedFeatures\" : 5") == 1);
    CHECK(count(text, "\"allowedFeatures\" : 9") == 0);
    CHECK(count(text, "\"FiberImageLimitValues\"") == 1);
    free(text);

    fiberLimitExDeFiberLimitValues(values);
    fiberLimitExDeFiberLimit(limit);
}

/* A set holds at most 255 categories and 255 values: the 256th is refused, so what was set is what is read. */
static void testCounts(void) {
    KxFiberLimitValues* values = fiberLimitExFiberLimitValues(1550);
    for (int32_t c = 0; c < 256; ++c) fiberLimitExAddCategory(values, c);
    for (int32_t t = 0; t < 256; ++t) fiberLimitExFiberLimitValuesSetValue(values, t, 1.0);
    KxFiberLimit* limit =
        fiberLimitExFiberLimit(2, "*all*", false, false, false, false, false, false, false, false, false, NULL);
    fiberLimitExAddFiberLimitValues(limit, values);
    for (int32_t p = 0; p < 256; ++p) fiberLimitExAddSupportedPort(limit, p);
    for (int32_t s = 0; s < 300; ++s) fiberLimitExAddFiberImageLimitValue(limit, 1, 0, s, 1, 0);
    char* text = limitJson(limit);
    CHECK(count(text, "\"FiberImageLimitValues\"") == 255);
    free(text);
    /* Header 12, limit type 1, name 2 + 5, set count 1, set version 1, wavelength 2: the category count. */
    uint32_t need = fiberLimitExSerialize(limit, NULL, 0);
    uint8_t* bytes = malloc(need);
    CHECK(fiberLimitExSerialize(limit, bytes, need) == 0);
    CHECK(bytes[20] == 1);
    CHECK(bytes[24] == 255);
    CHECK(bytes[24 + 1 + 255] == 255);
    free(bytes);
    fiberLimitExDeFiberLimitValues(values);
    fiberLimitExDeFiberLimit(limit);
}

int main(void) {
    testFiber();
    testLimit();
    testCounts();
    return checksDone("refused_values");
}
