#include "EndFace.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "FiberLimits.h"
#include "Png.h"
#include "Random.h"

namespace Kestrix::LinkGen {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kNmPerPx = 625;  // 1.6 pixels per micrometre
constexpr double kPxPerUm = 1000.0 / kNmPerPx;
// Feature sizes and distances are stored in hundredths of a pixel.
constexpr double kStoredPerPx = 100.0;

struct Blob {
    double x, y, radiusPx;
};
struct Scratch {
    double x0, y0, x1, y1;
};

double umOf(int32_t hundredthsPx) { return hundredthsPx / kStoredPerPx / kPxPerUm; }

FiberImageZone zoneAt(const FiberLimit& limit, double radiusUm, bool& inside) {
    inside = true;
    for (FiberImageZone z :
         {FiberImageZone::core, FiberImageZone::cladding, FiberImageZone::adhesive, FiberImageZone::contact}) {
        const auto d = limit.getImageZoneDist(z);
        if (d && radiusUm < *d / 2.0) return z;
    }
    inside = false;
    return FiberImageZone::contact;
}

// Judges every feature: the first rule of its zone and type (by rising size bound) that takes its size
// counts it, and a feature past that rule's allowance fails.
void judge(FiberImageTest& t) {
    std::map<const FiberImageLimitValues*, int> counted;
    for (auto& f : t.featureObjects) {
        f.status = Status::pass;
        bool inside = false;
        const FiberImageZone zone = zoneAt(t.limit, umOf(f.distanceFromCenter), inside);
        if (!inside) continue;
        const double size = umOf(f.width);
        for (const auto& r : t.limit.imageLimitValues) {
            if (r.zone != zone || r.type != f.type) continue;
            const bool takes =
                r.maxFeatureSize < 0 || (r.comparison == 0 ? size <= r.maxFeatureSize : size < r.maxFeatureSize);
            if (!takes) continue;
            if (++counted[&r] > r.allowedFeatures) f.status = Status::fail;
            break;
        }
    }
}

FiberImageFeatureObject glob(double cx, double cy, const Blob& b) {
    FiberImageFeatureObject f;
    f.type = FiberImageFeatureType::glob;
    f.centroidX = static_cast<int32_t>(std::lround(b.x));
    f.centroidY = static_cast<int32_t>(std::lround(b.y));
    f.distanceFromCenter = static_cast<int32_t>(std::lround(std::hypot(b.x - cx, b.y - cy) * kStoredPerPx));
    f.width = static_cast<int32_t>(std::lround(2.0 * b.radiusPx * kStoredPerPx));
    return f;
}

FiberImageFeatureObject scratch(double cx, double cy, const Scratch& s) {
    FiberImageFeatureObject f;
    f.type = FiberImageFeatureType::scratch;
    const double mx = (s.x0 + s.x1) / 2.0, my = (s.y0 + s.y1) / 2.0;
    f.centroidX = static_cast<int32_t>(std::lround(mx));
    f.centroidY = static_cast<int32_t>(std::lround(my));
    f.distanceFromCenter = static_cast<int32_t>(std::lround(std::hypot(mx - cx, my - cy) * kStoredPerPx));
    f.width = static_cast<int32_t>(std::lround(1.5 * kStoredPerPx));
    for (int k = 0; k <= 4; ++k) {
        const double u = k / 4.0;
        f.scratchSegments.emplace_back(static_cast<int32_t>(std::lround(s.x0 + u * (s.x1 - s.x0))),
                                       static_cast<int32_t>(std::lround(s.y0 + u * (s.y1 - s.y0))));
    }
    return f;
}

double segmentDistance(double px, double py, const Scratch& s) {
    const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    const double u = std::clamp(((px - s.x0) * dx + (py - s.y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - (s.x0 + u * dx), py - (s.y0 + u * dy));
}

// The camera's view: the zirconia ferrule, the glass of the cladding with the adhesive ring around it, the
// core a shade brighter; particles dark, scratches bright.
std::vector<uint8_t> render(double cx, double cy, double coreUm, const std::vector<Blob>& blobs,
                            const std::vector<Scratch>& scratches, Random& rng) {
    std::vector<uint8_t> px(static_cast<size_t>(kWidth) * kHeight);
    const double cladR = 62.5 * kPxPerUm, coreR = coreUm / 2.0 * kPxPerUm, glueR = cladR + 3.0 * kPxPerUm;
    const double grainPhase = rng.uniform(0.0, 6.28);
    std::vector<double> grainX(kWidth), grainY(kHeight);
    for (int x = 0; x < kWidth; ++x) grainX[static_cast<size_t>(x)] = std::sin(0.21 * x + grainPhase);
    for (int y = 0; y < kHeight; ++y) grainY[static_cast<size_t>(y)] = std::sin(0.17 * y);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double r = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
            double v;
            if (r < coreR) {
                v = 150.0;
            } else if (r < cladR) {
                v = 118.0;
            } else if (r < glueR) {
                v = 62.0;
            } else {
                // Ferrule: light, with a soft grain and light falling off towards the edge of the field.
                v = 188.0 - 0.045 * (r - glueR) + 4.0 * grainX[static_cast<size_t>(x)] * grainY[static_cast<size_t>(y)];
            }
            for (const Blob& b : blobs) {
                const double reach = b.radiusPx + 1.0;
                if (std::fabs(x - b.x) > reach || std::fabs(y - b.y) > reach) continue;
                const double d = std::sqrt((x - b.x) * (x - b.x) + (y - b.y) * (y - b.y));
                if (d < reach) v = std::min(v, 35.0 + 30.0 * std::max(0.0, d - b.radiusPx + 1.0));
            }
            for (const Scratch& s : scratches)
                if (segmentDistance(x, y, s) < 0.9) v = std::max(v, 225.0);
            // Quantised in steps of two: a smooth picture compresses well.
            px[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)] =
                static_cast<uint8_t>(std::clamp(static_cast<int>(v) & ~1, 0, 255));
        }
    }
    return px;
}

Blob blobAt(double cx, double cy, double radiusUm, double sizeUm, Random& rng) {
    const double a = rng.uniform(0.0, 6.283185307179586);
    return {cx + radiusUm * kPxPerUm * std::cos(a), cy + radiusUm * kPxPerUm * std::sin(a), sizeUm / 2.0 * kPxPerUm};
}

}  // namespace

FiberImageTest inspectEndFace(const EndFaceDesign& design, FiberTestType type, const TestRun& run) {
    Random rng(design.seed);
    FiberImageTest t(type);
    t.summary.timestamp = run.when;
    t.summary.cableEnd = type == FiberTestType::imageEnd2 ? CableEnd::end2 : CableEnd::end1;
    t.summary.operatorName = run.operatorName;
    t.summary.end1Name = run.end1Name;
    t.summary.end2Name = run.end2Name;
    if (run.main) t.equipmentInfo = equipment(*run.main);
    t.limit = imageLimit(design.mode);
    const double cx = kWidth / 2.0 + rng.uniform(-6.0, 6.0), cy = kHeight / 2.0 + rng.uniform(-6.0, 6.0);
    t.centerPositionX = static_cast<int32_t>(std::lround(cx));
    t.centerPositionY = static_cast<int32_t>(std::lround(cy));
    t.nmPerPx = kNmPerPx;

    std::vector<Blob> blobs;
    std::vector<Scratch> scratches;
    // Dust on the ferrule is always there; it only matters near the fiber.
    for (int i = rng.between(1, 4); i > 0; --i)
        blobs.push_back(blobAt(cx, cy, rng.uniform(70.0, 120.0), rng.uniform(2.0, 7.0), rng));
    if (rng.chance(0.5)) blobs.push_back(blobAt(cx, cy, rng.uniform(20.0, 55.0), rng.uniform(0.8, 1.8), rng));
    if (design.dirty) {
        blobs.push_back(blobAt(cx, cy, rng.uniform(0.0, 4.0), rng.uniform(3.0, 6.0), rng));
        for (int i = rng.between(2, 4); i > 0; --i)
            blobs.push_back(blobAt(cx, cy, rng.uniform(15.0, 55.0), rng.uniform(5.5, 12.0), rng));
        t.flags |= FiberImageTest::kFlagDirty;
    }
    if (design.scratched) {
        const double a = rng.uniform(0.0, 3.14159), off = rng.uniform(20.0, 45.0) * kPxPerUm;
        const double mx = cx + off * std::cos(a + 1.5708), my = cy + off * std::sin(a + 1.5708);
        const double half = rng.uniform(15.0, 30.0) * kPxPerUm;
        scratches.push_back(
            {mx - half * std::cos(a), my - half * std::sin(a), mx + half * std::cos(a), my + half * std::sin(a)});
    }
    for (const auto& b : blobs) t.featureObjects.push_back(glob(cx, cy, b));
    for (const auto& s : scratches) t.featureObjects.push_back(scratch(cx, cy, s));
    judge(t);
    t.summary.status = Status::pass;
    for (const auto& f : t.featureObjects)
        if (f.status == Status::fail) t.summary.status = Status::fail;

    const double coreUm = design.mode == FiberMode::multimode ? 50.0 : 9.0;
    t.image.imageBytes = encodeGrayPng(render(cx, cy, coreUm, blobs, scratches, rng), kWidth, kHeight);
    t.image.widthPixels = kWidth;
    t.image.heightPixels = kHeight;
    t.image.imageFormat = FiberImage::Format::png;
    t.image.pixelPerUm = static_cast<float>(kPxPerUm);
    return t;
}

}  // namespace Kestrix::LinkGen
