#pragma once
// An end-face inspection: picture, end-face limit, found center and scale, picture flags and defects.
//
// Result files store an image test in two sections: its body (types 325/327, a framed
// FiberImageTestBody 0x0061/0x0502: the test without its picture) and the picture (326/328, a framed
// FiberImage 0x0061/0x0501). Readers and writers of result files use test.deserializeBody(r) /
// test.serializeBody(w) (or FiberImageTestBodyRef(test)) and test.image.deserialize(r) / serialize(w).
#include <cstdint>
#include <utility>
#include <vector>

#include "common/EquipmentInformation.h"
#include "common/Status.h"
#include "fiber/FiberImage.h"
#include "fiber/FiberLimit.h"
#include "fiber/FiberTest.h"
#include "fiber/TestBody.h"

namespace Kestrix {

// One defect: a glob or a scratch. Nested: a leading version byte.
class FiberImageFeatureObject : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 0;
    // Version, point count, type, five int32.
    static constexpr uint32_t kMinWireSize = 1 + 4 + 1 + 5 * 4;

    bool operator==(const FiberImageFeatureObject& o) const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::vector<std::pair<int32_t, int32_t>> scratchSegments;
    FiberImageFeatureType type = FiberImageFeatureType::none;
    int32_t distanceFromCenter = 0;
    int32_t centroidX = 0;
    int32_t centroidY = 0;
    int32_t width = 0;
    Status status = Status::notSet;
};

class FiberImageTest : public FiberTest {
public:
    static constexpr uint32_t kFlagDirty = 1;
    static constexpr uint32_t kFlagBlurry = 2;

    FiberImageTest() = default;
    explicit FiberImageTest(FiberTestType type) : FiberTest(type) {}

    Kind testKind() const override { return Kind::image; }
    // The limit when it has a name; an image test has no fiber.
    bool getLimit(FiberLimit& out) const override;
    bool getFiber(Fiber& out) const override;

    // The whole test (0x0061/0x0500).
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    // The test without its picture (0x0061/0x0502); the picture is left untouched.
    void serializeBody(Marshal::IObjectWriter& w) const;
    Marshal::StreamOpStatus deserializeBody(Marshal::IObjectReader& r);

    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    EquipmentInformation equipmentInfo;
    FiberImage image;
    FiberLimit limit;
    int32_t centerPositionX = 0;
    int32_t centerPositionY = 0;
    int32_t nmPerPx = 0;
    uint32_t flags = 0;
    std::vector<FiberImageFeatureObject> featureObjects;

protected:
    Json::Value json(const char* className, uint8_t classVersion, bool withImage, const Dump::DumpFlags& flags) const;
    // Everything after the picture, shared by the whole test and its body.
    void writeTail(Marshal::IObjectWriter& w) const;
    Marshal::StreamOpStatus readTail(Marshal::IObjectReader& r);
};

// The image test without its picture, stored and printed as such.
class FiberImageTestBody : public BodyOnly<FiberImageTest> {
public:
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
};

using FiberImageTestBodyRef = BodyRef<FiberImageTest>;

}  // namespace Kestrix
