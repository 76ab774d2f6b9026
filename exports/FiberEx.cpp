#include "FiberEx.h"

#include "ExportSupport.h"
#include "fiber/Fiber.h"
#include "serialization/ByteStreamReader.h"

using namespace Kestrix;
using ExportSupport::fits;
using ExportSupport::guarded;

extern "C" {

KxFiber* fiberExFiber(const char* name, int32_t category, double coreSize, int32_t fiberMode,
                      const KxDatabasePackageManifestSummary* summary) {
    if (!fits<uint8_t>(category) || !fits<uint8_t>(fiberMode) || !ExportSupport::storableText(name)) return nullptr;
    return guarded<KxFiber*>(nullptr, [&] {
        return new (std::nothrow)
            Fiber(name ? name : "", static_cast<FiberCategory>(category), ScaledIntTenths(coreSize),
                  static_cast<FiberMode>(fiberMode), summary ? *summary : DatabasePackageManifestSummary());
    });
}

void fiberExAddFiberPerWl(KxFiber* fiber, int32_t wavelength, double ir, int32_t modalBandwidth,
                          double backscatterCoef) {
    if (fiber == nullptr || !fits<uint16_t>(wavelength) || !fits<uint16_t>(modalBandwidth)) return;
    const auto wl = static_cast<uint16_t>(wavelength);
    // A wavelength the stored count could no longer hold is refused, not dropped on writing.
    if (fiber->getFiberPerWl(wl) == nullptr && fiber->perWls.size() >= std::numeric_limits<uint16_t>::max()) return;
    guarded([&] {
        FiberPerWl& p = fiber->perWlFor(wl);
        p.ir = ir;
        p.modalBandwidth = static_cast<uint16_t>(modalBandwidth);
        p.backscatterCoef = ScaledIntTenths(backscatterCoef);
    });
}

uint32_t fiberExSerialize(const KxFiber* fiber, uint8_t* buffer, uint32_t size) {
    if (fiber == nullptr) return 0;
    return guarded<uint32_t>(0, [&] { return ExportSupport::serializeInto(*fiber, buffer, size); });
}

KxFiber* fiberExDeserialize(const uint8_t* data, uint32_t size) {
    if (data == nullptr) return nullptr;
    return guarded<KxFiber*>(nullptr, [&]() -> KxFiber* {
        Marshal::ByteStreamReader reader(data, size);
        auto* fiber = new (std::nothrow) Fiber();
        if (fiber != nullptr && fiber->deserialize(reader) != Marshal::ok) {
            delete fiber;
            return nullptr;
        }
        return fiber;
    });
}

void fiberExDump(const KxFiber* fiber) {
    guarded([&] { ExportSupport::dumpToStdout(fiber); });
}

int32_t fiberExDumpBuffer(const KxFiber* fiber, char* buffer, uint32_t size) {
    return guarded<int32_t>(-1, [&] { return ExportSupport::dumpIntoBuffer(fiber, buffer, size); });
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
