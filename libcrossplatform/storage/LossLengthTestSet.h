#pragma once
#include "fiber/FiberLossLengthSettings.h"
#include "storage/TestSet.h"

namespace Project {

class LossLengthTestSet final : public TestSet {
public:
    int32_t typeId() const override { return kLossLength; }
    bool isCustomCable() const override;
    bool isCustomLimit() const override;
    Kestrix::ResultType resultType() const override { return Kestrix::ResultType::FIBER; }
    uint32_t testType() const override { return static_cast<uint32_t>(settings.fiberTestType); }
    // Loss/length tests run from end 1 with a plain far end; a Scopel (inspection) setup keeps only its limit.
    void normalise() override;
    bool acceptModule(uint32_t moduleId) override;
    std::unique_ptr<TestSet> clone() const override { return std::make_unique<LossLengthTestSet>(*this); }

    const char* className() const override { return "LossLengthTestSet"; }
    const Marshal::TypeInfo& typeInfo() const override { return Marshal::TypeIds::ProjectLossLengthTestSet; }
    Kestrix::Settings& setup() override { return settings; }
    const Kestrix::Settings& setup() const override { return settings; }

    Kestrix::FiberLossLengthSettings settings;
};

}  // namespace Project
