/* Fibers and the default cable and limit names, for C callers. Objects are opaque and owned by the caller,
 * who frees them with the matching fiberExDe... function. */
#ifndef KESTRIX_FIBEREX_H
#define KESTRIX_FIBEREX_H

#include <stdint.h>

#ifdef __cplusplus
namespace Kestrix {
class Fiber;
class DatabasePackageManifestSummary;
}
typedef Kestrix::Fiber KxFiber;
typedef Kestrix::DatabasePackageManifestSummary KxDatabasePackageManifestSummary;
extern "C" {
#else
typedef struct KxFiber KxFiber;
typedef struct KxDatabasePackageManifestSummary KxDatabasePackageManifestSummary;
#endif

/* A new fiber; `summary` is copied (null: a default summary). Null when memory runs out. */
KxFiber* fiberExFiber(const char* name, int32_t category, double coreSize, int32_t fiberMode,
                      const KxDatabasePackageManifestSummary* summary);
/* Finds or appends the entry of the wavelength and sets its constants. */
void fiberExAddFiberPerWl(KxFiber* fiber, int32_t wavelength, double ir, int32_t modalBandwidth,
                          double backscatterCoef);
/* Without a buffer (or with size 0): the bytes the serialized fiber needs. With one: copies at most `size`
 * bytes of it and returns 0. */
uint32_t fiberExSerialize(const KxFiber* fiber, uint8_t* buffer, uint32_t size);
/* A new fiber read from the bytes, or null when they do not hold a complete fiber. */
KxFiber* fiberExDeserialize(const uint8_t* data, uint32_t size);
/* The fiber's JSON text (indented by 2) on standard output. */
void fiberExDump(const KxFiber* fiber);
/* -1 without a fiber. Without a buffer: the length of the JSON text. With one: copies at most `size`
 * characters (no NUL is added) and returns 0. */
int32_t fiberExDumpBuffer(const KxFiber* fiber, char* buffer, uint32_t size);
void fiberExDeFiber(KxFiber* fiber);

const char* getDefaultFiberCableMM(void);
const char* getDefaultFiberCableSM(void);
const char* getDefaultFiberLimitImageMM(void);
const char* getDefaultFiberLimitImageSM(void);
const char* getDefaultFiberLimitLLMM(void);
const char* getDefaultFiberLimitLLSM(void);
const char* getDefaultFiberLimitOTDR(void);
const char* getDefaultFiberLimitPON(void);

#ifdef __cplusplus
}
#endif

#endif
