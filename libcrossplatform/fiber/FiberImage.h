#pragma once
#include <cstdint>
#include <vector>

#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

// An encoded end-face picture of the inspection camera (type 0x0061/0x0501; result sections 326 and 328).
class FiberImage : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    enum class Format : uint8_t { png = 0 };

    bool operator==(const FiberImage& o) const;

    void serialize(Marshal::IObjectWriter& w) const override;
    // A byte count larger than what remains fails with readError before anything is allocated.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // An unknown format prints as "unknown (<n>)".
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::vector<uint8_t> imageBytes;
    int16_t heightPixels = 0;
    int16_t widthPixels = 0;
    Format imageFormat = Format::png;
    float pixelPerUm = 0;
};

// "png"; empty for formats this program does not know.
const char* toString(FiberImage::Format f);

}  // namespace Kestrix
