#pragma once
#include "copper/CopperSettings.h"
#include "storage/TestSet.h"

namespace Project {

class CopperTestSet final : public TestSet {
public:
    // Kestrix::TestType "Twisted Pair".
    static constexpr uint32_t kTestType = 14;

    int32_t typeId() const override { return kCopper; }
    bool isCustomCable() const override;
    bool isCustomLimit() const override;
    Kestrix::ResultType resultType() const override { return Kestrix::ResultType::COPPER; }
    uint32_t testType() const override { return kTestType; }
    void normalise() override {}
    bool acceptModule(uint32_t moduleId) override;
    std::unique_ptr<TestSet> clone() const override { return std::make_unique<CopperTestSet>(*this); }

    const char* className() const override { return "CopperTestSet"; }
    const Marshal::TypeInfo& typeInfo() const override { return Marshal::TypeIds::ProjectCopperTestSet; }
    Kestrix::Settings& setup() override { return settings; }
    const Kestrix::Settings& setup() const override { return settings; }

    Kestrix::CopperSettings settings;
};

}  // namespace Project
