#include "FiberEx.h"

#include "ExportSupport.h"
#include "fiber/Fiber.h"
#include "serialization/ByteStreamReader.h"

using namespace Kestrix;

extern "C" {

KxFiber* fiberExFiber(const char* name, int32_t category, double coreSize, int32_t fiberMode,
                      const KxDatabasePackageManifestSummary* summary) {
    return new (std::nothrow) Fiber(name ? name : "", static_cast<FiberCategory>(category),
                                    ScaledIntTenths(coreSize),
                                    static_cast<FiberMode>(fiberMode),
                                    summary ? *summary : DatabasePackageManifestSummary());
}

void fiberExAddFiberPerWl(KxFiber* fiber, int32_t wavelength, double ir, int32_t modalBandwidth,
                          double backscatterCoef) {
    if (fiber == nullptr) return;
    FiberPerWl& p = fiber->perWlFor(static_cast<uint32_t>(wavelength));
    p.ir = ir;
    p.modalBandwidth = static_cast<uint32_t>(modalBandwidth);
    p.backscatterCoef = ScaledIntTenths(backscatterCoef);
}

uint32_t fiberExSerialize(const KxFiber* fiber, uint8_t* buffer, uint32_t size) {
    return fiber ? ExportSupport::serializeInto(*fiber, buffer, size) : 0;
}

KxFiber* fiberExDeserialize(const uint8_t* data, uint32_t size) {
    Marshal::ByteStreamReader reader(data, size);
    auto* fiber = new (std::nothrow) Fiber();
    if (fiber != nullptr && fiber->deserialize(reader) != Marshal::ok) {
        delete fiber;
        return nullptr;
    }
    return fiber;
}

void fiberExDump(const KxFiber* fiber) { ExportSupport::dumpToStdout(fiber); }

int32_t fiberExDumpBuffer(const KxFiber* fiber, char* buffer, uint32_t size) {
    return ExportSupport::dumpIntoBuffer(fiber, buffer, size);
}

void fiberExDeFiber(KxFiber* fiber) { delete fiber; }

const char* getDefaultFiberCableMM(void) { return "OM3 Multimode 50"; }
const char* getDefaultFiberCableSM(void) { return "OS2 Singlemode"; }
const char* getDefaultFiberLimitImageMM(void) { return "IEC 61300-3-35 ED.2 MM"; }
const char* getDefaultFiberLimitImageSM(void) { return "IEC 61300-3-35 ED.2 SM RL>=45dB"; }
const char* getDefaultFiberLimitLLMM(void) { return "TIA-568.3-D-1 Multimode (STD)"; }
const char* getDefaultFiberLimitLLSM(void) { return "TIA-568.3-D-1 Singlemode ISP (STD)"; }
const char* getDefaultFiberLimitOTDR(void) { return "General Fiber RL = 35 dB"; }
const char* getDefaultFiberLimitPON(void) { return "General PON RL = 40 dB"; }

}  // extern "C"
