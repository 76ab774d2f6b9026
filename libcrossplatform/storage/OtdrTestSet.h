#pragma once
// OTDR and fiber image test sets: both are set up with the OTDR settings.
#include "fiber/FiberOtdrSettings.h"
#include "storage/TestSet.h"

namespace Project {

class FiberOtdrSetupTestSet : public TestSet {
public:
    Kestrix::ResultType resultType() const override { return Kestrix::ResultType::FIBER; }
    uint32_t testType() const override { return static_cast<uint32_t>(settings.fiberTestType); }
    bool isCustomLimit() const override;
    // Clears what the instrument fills in and what the test type does not use.
    void normalise() override;

    Kestrix::Settings& setup() override { return settings; }
    const Kestrix::Settings& setup() const override { return settings; }

    Kestrix::FiberOtdrSettings settings;
};

class OtdrTestSet final : public FiberOtdrSetupTestSet {
public:
    int32_t typeId() const override { return kOtdr; }
    bool isCustomCable() const override;
    bool acceptModule(uint32_t moduleId) override;
    std::unique_ptr<TestSet> clone() const override { return std::make_unique<OtdrTestSet>(*this); }
    const char* className() const override { return "OtdrTestSet"; }
    const Marshal::TypeInfo& typeInfo() const override { return Marshal::TypeIds::ProjectOtdrTestSet; }

protected:
    // Class versions 0 and 1 held the fiber and limit names in ISO 8859-1.
    void afterRead(uint8_t classVersion) override;
};

class ImageTestSet final : public FiberOtdrSetupTestSet {
public:
    int32_t typeId() const override { return kImage; }
    bool isCustomCable() const override { return false; }
    // Image test sets are not bound to a module.
    bool acceptModule(uint32_t moduleId) override;
    std::unique_ptr<TestSet> clone() const override { return std::make_unique<ImageTestSet>(*this); }
    const char* className() const override { return "ImageTestSet"; }
    const Marshal::TypeInfo& typeInfo() const override { return Marshal::TypeIds::ProjectImageTestSet; }
};

// The OTDR test types whose range, averaging and thresholds the user chooses.
bool isManualOtdrTestType(Kestrix::TestType t);

}  // namespace Project
