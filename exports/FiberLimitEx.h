/* Fiber limits, for C callers. Objects are opaque and owned by the caller. No function here ends the process
 * or throws. A limit stores its types, categories, ports, zones and rule fields in one byte and wavelengths in
 * two, and holds at most 255 value sets, categories per set, values per set, ports and image rules: a setter
 * given an argument outside its stored range, or an entry beyond those counts, changes nothing (a constructor
 * returns null). Null pointers are ignored the same way. */
#ifndef KESTRIX_FIBERLIMITEX_H
#define KESTRIX_FIBERLIMITEX_H

#include <stdbool.h>
#include <stdint.h>

#include "FiberEx.h"

#ifdef __cplusplus
namespace Kestrix {
class FiberLimit;
class FiberLimitValues;
}  // namespace Kestrix
typedef Kestrix::FiberLimit KxFiberLimit;
typedef Kestrix::FiberLimitValues KxFiberLimitValues;
extern "C" {
#else
typedef struct KxFiberLimit KxFiberLimit;
typedef struct KxFiberLimitValues KxFiberLimitValues;
#endif

/* The flags in order: mustUseLaunchComp, mustUseTailComp, doLengthBasedLossBudget, dontUseNumConsAndSplices,
 * ignoreEventLimitChecking, mustTestAllWavelengths, no2JumperMethod, isVendorSystemLimit,
 * splittersArePassFail. `summary` is copied (null: a default one). Null when limitType is outside 0..255,
 * the name is longer than 65535 bytes or memory runs out. */
KxFiberLimit* fiberLimitExFiberLimit(int32_t limitType, const char* name, bool mustUseLaunchComp, bool mustUseTailComp,
                                     bool doLengthBasedLossBudget, bool dontUseNumConsAndSplices,
                                     bool ignoreEventLimitChecking, bool mustTestAllWavelengths, bool no2JumperMethod,
                                     bool isVendorSystemLimit, bool splittersArePassFail,
                                     const KxDatabasePackageManifestSummary* summary);
/* Null when the wavelength is outside 0..65535. */
KxFiberLimitValues* fiberLimitExFiberLimitValues(int32_t wavelength);
void fiberLimitExAddCategory(KxFiberLimitValues* values, int32_t category);
/* Stored at the type's resolution; a value that converts to "not set" (NaN) removes the type. */
void fiberLimitExFiberLimitValuesSetValue(KxFiberLimitValues* values, int32_t type, double value);
/* Replaces the entry with the same wavelength and categories, else appends a copy. */
void fiberLimitExAddFiberLimitValues(KxFiberLimit* limit, const KxFiberLimitValues* values);
void fiberLimitExAddSupportedPort(KxFiberLimit* limit, int32_t port);
void fiberLimitExAddFiberImageLimitValue(KxFiberLimit* limit, int32_t featureType, int32_t zone, int32_t maxFeatureSize,
                                         int32_t allowedFeatures, int32_t comparison);
/* Distances of the core, cladding, adhesive and contact zones. */
void fiberLimitExSetImageZoneDist(KxFiberLimit* limit, int32_t core, int32_t cladding, int32_t adhesive,
                                  int32_t contact);
/* As fiberExSerialize: the size call comes first, and a shorter buffer gets a cut copy and 0. */
uint32_t fiberLimitExSerialize(const KxFiberLimit* limit, uint8_t* buffer, uint32_t size);
/* As fiberExDump and fiberExDumpBuffer. */
void fiberLimitExDump(const KxFiberLimit* limit);
int32_t fiberLimitExDumpBuffer(const KxFiberLimit* limit, char* buffer, uint32_t size);
void fiberLimitExDeFiberLimit(KxFiberLimit* limit);
void fiberLimitExDeFiberLimitValues(KxFiberLimitValues* values);

/* Value rules of the limit editor, by limit value type. */
float fiberLimitExDefaultLimitValue(int32_t type);
float fiberLimitExMinValidLimitValue(int32_t type);
float fiberLimitExMaxValidLimitValue(int32_t type);
int32_t fiberLimitExNumLimitValueDecimalPlaces(int32_t type);
bool fiberLimitExIsLimitValueValid(int32_t type, float value);

#ifdef __cplusplus
}
#endif

#endif
