// Seeds of the copper limit and curve codec fuzz targets.
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "SeedRegistry.h"
#include "common/ResultEnvelope.h"
#include "copper/CopperUtil.h"
#include "copper/LimitBuilders.h"

namespace {
std::vector<uint8_t> plainBlob(const Kestrix::CopperLimit& l) {
    std::vector<uint8_t> out{0};
    const auto bytes = Kestrix::serializeToBytes(l);
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

std::vector<uint8_t> compressedBlob(const Kestrix::CopperLimit& l) {
    const auto plain = Kestrix::serializeToBytes(l);
    uLongf len = compressBound(static_cast<uLong>(plain.size()));
    std::vector<uint8_t> z(len);
    compress2(z.data(), &len, plain.data(), static_cast<uLong>(plain.size()), 6);
    z.resize(len);
    const auto n = static_cast<uint32_t>(plain.size());
    std::vector<uint8_t> out{1, static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16)};
    out.insert(out.end(), z.begin(), z.end());
    return out;
}

Kestrix::CopperLimit smallLimit() {
    Kestrix::CopperLimit l;
    l.name = "small";
    l.freqLimits.push_back(kx::test::freqLimit(Kestrix::CopperFreqLimitType::NEXT, {0, 5, 300, 299}, {{1000, 0.5f}},
                                               Kestrix::PairCombo::p12_36));
    l.scalarLimits.push_back(kx::test::scalarLimit(Kestrix::CopperScalarLimitType::length,
                                                   Kestrix::ScaledInt::raw(900, Kestrix::ScaledInt::tenths)));
    l.validLiaIds = {{1, 2}};
    l.invalidLiaIds = {3};
    return l;
}

std::vector<uint8_t> codecSeed(const std::vector<int16_t>& samples) {
    const auto n = static_cast<uint16_t>(samples.size());
    std::vector<uint8_t> out{static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)};
    const auto packed = Kestrix::packCurve(samples);
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

const kx::fuzz::SeedRegistration r1("fuzz_copper_limit_open", "cat6a-plain",
                                    [] { return plainBlob(kx::test::cat6APermanentLinkLimit()); });
const kx::fuzz::SeedRegistration r2("fuzz_copper_limit_open", "cat6a-zlib",
                                    [] { return compressedBlob(kx::test::cat6APermanentLinkLimit()); });
const kx::fuzz::SeedRegistration r3("fuzz_copper_limit_open", "small-plain", [] { return plainBlob(smallLimit()); });
const kx::fuzz::SeedRegistration r4("fuzz_copper_limit_open", "small-zlib",
                                    [] { return compressedBlob(smallLimit()); });
const kx::fuzz::SeedRegistration r5("fuzz_curve_codec", "example", [] { return codecSeed({0, 5, 300, 299}); });
const kx::fuzz::SeedRegistration r6("fuzz_curve_codec", "cat6a-next", [] {
    return codecSeed(kx::test::gridCurve(kx::test::kCat6AMaxKHz, kx::test::cat6APlNextDb));
});
}  // namespace
