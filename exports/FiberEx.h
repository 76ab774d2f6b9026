/* Fibers and the default cable and limit names, for C callers. Objects are opaque and owned by the caller,
 * who frees them with the matching fiberExDe... function. No function here ends the process or throws: null
 * pointers, zero sizes and values the stored form cannot hold get the failure result each one documents. */
#ifndef KESTRIX_FIBEREX_H
#define KESTRIX_FIBEREX_H

#include <stdint.h>

#ifdef __cplusplus
namespace Kestrix {
class Fiber;
class DatabasePackageManifestSummary;
}  // namespace Kestrix
typedef Kestrix::Fiber KxFiber;
typedef Kestrix::DatabasePackageManifestSummary KxDatabasePackageManifestSummary;
extern "C" {
#else
typedef struct KxFiber KxFiber;
typedef struct KxDatabasePackageManifestSummary KxDatabasePackageManifestSummary;
#endif

/* A new fiber; `summary` is copied (null: a default summary), a null name is empty. Null when memory runs
 * out, when category or fiberMode is outside 0..255, or when the name is longer than 65535 bytes. */
KxFiber* fiberExFiber(const char* name, int32_t category, double coreSize, int32_t fiberMode,
                      const KxDatabasePackageManifestSummary* summary);
/* Finds or appends the entry of the wavelength and sets its constants. Ignored without a fiber, when the
 * wavelength or modalBandwidth is outside 0..65535, or when a new entry would be the 65536th. */
void fiberExAddFiberPerWl(KxFiber* fiber, int32_t wavelength, double ir, int32_t modalBandwidth,
                          double backscatterCoef);
/* Call it first without a buffer (or with size 0): it returns the bytes the serialized fiber needs (0
 * without a fiber). Then call it with a buffer of that size: it copies the bytes and returns 0. A shorter
 * buffer receives only the first `size` bytes, which are not a readable fiber, and the result is still 0:
 * always size the buffer with the first call. */
uint32_t fiberExSerialize(const KxFiber* fiber, uint8_t* buffer, uint32_t size);
/* A new fiber read from the bytes, or null when data is null, size is 0 or the bytes do not hold a
 * complete fiber. */
KxFiber* fiberExDeserialize(const uint8_t* data, uint32_t size);
/* The fiber's JSON text (indented by 2) on standard output; nothing without a fiber. */
void fiberExDump(const KxFiber* fiber);
/* -1 without a fiber. Without a buffer (or with size 0): the length of the JSON text. With one: copies at
 * most `size` characters (no NUL is added) and returns 0; size the buffer with the first call. */
int32_t fiberExDumpBuffer(const KxFiber* fiber, char* buffer, uint32_t size);
/* Frees a fiber; null is ignored. */
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
