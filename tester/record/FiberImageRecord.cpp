// End-face image tests of a fiber record as host objects.
#include <algorithm>
#include <cstdint>
#include <string>

#include "fiber/FiberImageTest.h"
#include "fiber/FiberResult.h"
#include "tester/host/Log.h"
#include "tester/record/EnumConverter.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

const Kestrix::FiberImageTest* imageOf(FiberResult* fiber, int end) {
    if (fiber == nullptr || (end != 1 && end != 2)) return nullptr;
    const FiberTestType type = end == 1 ? FiberTestType::imageEnd1 : FiberTestType::imageEnd2;
    return dynamic_cast<const Kestrix::FiberImageTest*>(fiber->getTest(type));
}

uint32_t bigEndian32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | uint32_t{b[at + 3]};
}

struct PixelSize {
    int width = 0;
    int height = 0;
};

// The size a PNG's header chunk gives, when the bytes are a PNG, the chunk is there and the size is not 0.
boost::optional<PixelSize> pngSize(const std::vector<uint8_t>& b) {
    static constexpr uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (b.size() < 24 || !std::equal(std::begin(kPng), std::end(kPng), b.begin())) return boost::none;
    if (b[12] != 'I' || b[13] != 'H' || b[14] != 'D' || b[15] != 'R') return boost::none;
    const auto side = [](uint32_t v) { return static_cast<int>(std::min<uint32_t>(v, INT32_MAX)); };
    const PixelSize size{side(bigEndian32(b, 16)), side(bigEndian32(b, 20))};
    if (size.width == 0 || size.height == 0) return boost::none;
    return size;
}

}  // namespace

// Every image test with a picture is shown, whatever its stored size says: the picture is the evidence.
bool TestRecordTarvel::HasImageTest(int end) {
    const Kestrix::FiberImageTest* t = imageOf(GetFiberResult(), end);
    return t != nullptr && !t->image.imageBytes.empty();
}

boost::optional<FiberImageTest> TestRecordTarvel::GetImageTest(int end) {
    if (!HasImageTest(end)) return boost::none;
    const Kestrix::FiberImageTest& t = *imageOf(GetFiberResult(), end);
    FiberImageTest test(end);
    test.Status = EnumConverter::Status(t.summary.status);
    test.ImageData = t.image.imageBytes;
    test.Y = t.image.heightPixels;
    test.X = t.image.widthPixels;
    // A stored size that is missing or disagrees with the picture would draw it wrongly: the picture's own wins.
    if (const auto png = pngSize(t.image.imageBytes); png && (png->width != test.X || png->height != test.Y)) {
        Log::ErrMsg("Image test of end " + std::to_string(end) + ": stored size " + std::to_string(test.X) + " x " +
                    std::to_string(test.Y) + " differs from the picture's " + std::to_string(png->width) + " x " +
                    std::to_string(png->height) + "; the picture's is used");
        test.X = png->width;
        test.Y = png->height;
    }
    test.LimitName = t.limit.name;
    test.Type = t.image.imageFormat == FiberImage::Format::png ? 1 : 0;
    test.Show400Scale = false;
    if ((t.flags & Kestrix::FiberImageTest::kFlagDirty) != 0) {
        test.Warning = 1;
    } else if ((t.flags & Kestrix::FiberImageTest::kFlagBlurry) != 0) {
        test.Warning = 2;
    }
    test.CenterX = t.centerPositionX;
    test.CenterY = t.centerPositionY;
    if (!t.limit.name.empty()) {
        const auto zone = [&t](FiberImageZone z) -> boost::optional<int> {
            if (auto d = t.limit.getImageZoneDist(z)) return static_cast<int>(*d);
            return boost::none;
        };
        test.Core = zone(FiberImageZone::core);
        test.Cladding = zone(FiberImageZone::cladding);
        test.Adhesive = zone(FiberImageZone::adhesive);
        test.Contact = zone(FiberImageZone::contact);
    }
    test.PixelsPerMicron = t.nmPerPx != 0 ? 1000.0 / t.nmPerPx : static_cast<double>(t.image.pixelPerUm);
    test.Defects.reserve(t.featureObjects.size());
    for (const FiberImageFeatureObject& f : t.featureObjects) {
        FiberImageDefect d;
        d.Type = static_cast<int>(f.type);
        d.PassState = f.status == Kestrix::Status::pass ? 0 : 1;
        d.Size = f.width > 400 ? f.width / 100 / 2 : 2;
        if (f.type == FiberImageFeatureType::glob) {
            d.Points.emplace_back(f.centroidX, f.centroidY);
        } else if (f.type == FiberImageFeatureType::scratch) {
            d.Points.reserve(f.scratchSegments.size() + 1);
            d.Points.emplace_back(-1, -1);
            d.Points.insert(d.Points.end(), f.scratchSegments.begin(), f.scratchSegments.end());
        }
        test.Defects.push_back(std::move(d));
    }
    test.Brief = end == 1 ? 28 : 29;
    return test;
}

}  // namespace Kestrix::Tester
