// End-face image tests of a fiber record as host objects.
#include "fiber/FiberImageTest.h"
#include "fiber/FiberResult.h"
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

// The stored size must describe the picture: positive, and when the bytes are a PNG whose header chunk
// is there, equal to the size that header gives.
bool sizeAgrees(const FiberImage& image) {
    if (image.widthPixels <= 0 || image.heightPixels <= 0) return false;
    static constexpr uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const std::vector<uint8_t>& b = image.imageBytes;
    if (b.size() < 24 || !std::equal(std::begin(kPng), std::end(kPng), b.begin())) return true;
    if (b[12] != 'I' || b[13] != 'H' || b[14] != 'D' || b[15] != 'R') return true;
    return bigEndian32(b, 16) == static_cast<uint32_t>(image.widthPixels) &&
           bigEndian32(b, 20) == static_cast<uint32_t>(image.heightPixels);
}

}  // namespace

bool TestRecordTarvel::HasImageTest(int end) {
    const Kestrix::FiberImageTest* t = imageOf(GetFiberResult(), end);
    return t != nullptr && !t->image.imageBytes.empty() && sizeAgrees(t->image);
}

boost::optional<FiberImageTest> TestRecordTarvel::GetImageTest(int end) {
    if (!HasImageTest(end)) return boost::none;
    const Kestrix::FiberImageTest& t = *imageOf(GetFiberResult(), end);
    FiberImageTest test(end);
    test.Status = EnumConverter::Status(t.summary.status);
    test.ImageData = t.image.imageBytes;
    test.Y = t.image.heightPixels;
    test.X = t.image.widthPixels;
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
