#pragma once
// An OTDR measurement from one end of a fiber, and its body (the test without traces and raw data).
//
// Result files store an OTDR test in up to three sections (body, plots, raw data; types 300/301/302 for
// "OTDR End 1" and the others of the envelope table). Readers and writers of result files use:
//   test.deserializeBody(r)     / test.serializeBody(w)      a framed FiberOtdrTestBody (0x0061/0x0209)
//   test.deserializePlots(r)    / test.serializePlots(w)     a framed FiberOtdrPlots (0x0061/0x0206)
//   test.deserializeRawData(r)  / test.serializeRawData(w)   a framed FiberOtdrRawData (0x0061/0x0207)
// or, where an ISerializable is wanted (setResultSection, readSectionObject): FiberOtdrTestBodyRef(test),
// test.plots and test.rawData. Each reader leaves the other parts of the test untouched.
#include <cstdint>

#include "common/EquipmentInformation.h"
#include "fiber/Fiber.h"
#include "fiber/FiberLimit.h"
#include "fiber/FiberOtdrEventTable.h"
#include "fiber/FiberOtdrOverallResults.h"
#include "fiber/FiberOtdrPlots.h"
#include "fiber/FiberOtdrSettings.h"
#include "fiber/FiberTest.h"
#include "fiber/TestBody.h"

namespace Kestrix {

class FiberOtdrTest : public FiberTest {
public:
    FiberOtdrTest() = default;
    explicit FiberOtdrTest(FiberTestType type) : FiberTest(type) {}

    Kind testKind() const override { return Kind::otdr; }
    // Copies the limit / fiber when it has a name.
    bool getLimit(FiberLimit& out) const override;
    bool getFiber(Fiber& out) const override;

    // The whole test (0x0061/0x0208): the nine members, each framed.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;

    // Result-file sections; see the comment at the top of this file.
    void serializeBody(Marshal::IObjectWriter& w) const;
    Marshal::StreamOpStatus deserializeBody(Marshal::IObjectReader& r);
    void serializePlots(Marshal::IObjectWriter& w) const { plots.serialize(w); }
    Marshal::StreamOpStatus deserializePlots(Marshal::IObjectReader& r) { return plots.deserialize(r); }
    void serializeRawData(Marshal::IObjectWriter& w) const { rawData.serialize(w); }
    Marshal::StreamOpStatus deserializeRawData(Marshal::IObjectReader& r) { return rawData.deserialize(r); }

    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    EquipmentInformation equipmentInfo;
    Fiber fiber;
    FiberLimit limit;
    FiberOtdrSettings settings;
    FiberOtdrEventTable eventTable;
    FiberOtdrOverallResults overallResults;
    FiberOtdrPlots plots;
    FiberOtdrRawData rawData;

protected:
    void dumpBody(Dump::IFormatter& f, const Dump::DumpFlags& flags) const;
    Json::Value bodyJson(const char* className, uint8_t classVersion, const Dump::DumpFlags& flags) const;
};

// The OTDR test without traces and raw data: stored, dumped and printed as the body alone.
class FiberOtdrTestBody : public BodyOnly<FiberOtdrTest> {
public:
    FiberOtdrTestBody() = default;

    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
};

using FiberOtdrTestBodyRef = BodyRef<FiberOtdrTest>;

}  // namespace Kestrix
