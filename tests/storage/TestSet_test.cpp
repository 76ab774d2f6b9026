#include "fiber/OtdrBuilders.h"
#include "storage/CopperTestSet.h"
#include "storage/LossLengthTestSet.h"
#include "storage/ModuleKind.h"
#include "storage/OtdrTestSet.h"
#include "storage/StorageTesting.h"
#include "storage/TestSetList.h"
#include "trace/TraceBuffer.h"

using Kestrix::TestType;

TEST(ModuleKind, Ranges) {
    struct Case {
        uint32_t id;
        ModuleKind kind;
    } cases[] = {{0, ModuleKind::none},     {99, ModuleKind::other},       {100, ModuleKind::otdr},
                 {199, ModuleKind::otdr},   {200, ModuleKind::lossLength}, {299, ModuleKind::lossLength},
                 {300, ModuleKind::copper}, {301, ModuleKind::other},      {302, ModuleKind::copper},
                 {400, ModuleKind::copper}, {10100, ModuleKind::other},    {0xFFFFFFFF, ModuleKind::other}};
    for (const auto& c : cases) EXPECT_EQ(moduleKind(c.id), c.kind) << c.id;
    EXPECT_EQ(moduleKind(10100, true), ModuleKind::otdr);
    EXPECT_EQ(moduleKind(10300, true), ModuleKind::copper);
    EXPECT_EQ(moduleKind(300, true), ModuleKind::copper);
}

// Each class's ids and the modules it takes: a taken module becomes the set's, a refused one leaves it. A
// clone equals its original until its module changes.
TEST(TestSet, EachClassTakesItsModulesSlotsCustomNamesAndClones) {
    const Core p = kx::test::sampleProject();
    std::string doc;
    for (const auto& set : p.testSets.items) {
        auto copy = set->clone();
        EXPECT_TRUE(copy->equals(*set));
        copy->modID += 1;
        EXPECT_FALSE(copy->equals(*set));
        doc += std::string(set->className()) + " type " + std::to_string(set->typeId()) + " test " +
               std::to_string(set->testType()) + " result " + Kestrix::toString(set->resultType()) + "\n";
        for (uint32_t module : {0u, 99u, 101u, 150u, 199u, 200u, 250u, 299u, 300u, 301u, 302u}) {
            set->modID = 5;
            const bool taken = set->acceptModule(module);
            doc += "  " + std::to_string(module) + (taken ? " taken" : " refused") + ", modID " +
                   std::to_string(set->modID) + "\n";
        }
    }
    kx::test::expectGolden(doc, "TestSetClasses.txt");
    EXPECT_FALSE(p.testSets.items[1]->equals(*p.testSets.items[2]));  // OTDR vs image

    CopperTestSet copper;
    copper.settings.cableTypeName = "*Mine*";
    copper.settings.testLimitName = "TIA";
    EXPECT_TRUE(copper.isCustomCable());
    EXPECT_FALSE(copper.isCustomLimit());
    LossLengthTestSet loss;
    loss.settings.limitName = "*";
    EXPECT_TRUE(loss.isCustomLimit());
    ImageTestSet image;
    image.settings.fiberName = "*custom*";
    EXPECT_FALSE(image.isCustomCable());
    image.settings.fiberLimit = "limit*";
    EXPECT_FALSE(image.isCustomLimit());
}

TEST(LossLengthNormalise, NonScopelRunsFromEnd1ScopelKeepsOnlyTheLimit) {
    LossLengthTestSet t;
    t.settings.cableEnd = Kestrix::CableEnd::end2;
    t.settings.farEndSourceType = Kestrix::FarEndSourceType::cw;
    t.settings.remoteEndSetup = Kestrix::RemoteEndSetup::farEndSource;
    t.settings.biDirectionalEnabled = true;
    t.settings.numSplices = 3;
    t.normalise();
    EXPECT_EQ(t.settings.cableEnd, Kestrix::CableEnd::end1);
    EXPECT_EQ(t.settings.farEndSourceType, Kestrix::FarEndSourceType::notSet);
    EXPECT_FALSE(t.settings.biDirectionalEnabled);
    EXPECT_EQ(t.settings.numSplices, 3u);

    t.settings.remoteEndSetup = Kestrix::RemoteEndSetup::loopback;
    t.settings.biDirectionalEnabled = true;
    t.normalise();
    EXPECT_TRUE(t.settings.biDirectionalEnabled);

    // A scope test keeps only the limit.
    t = LossLengthTestSet();
    t.settings.fiberTestType = TestType::scopel;
    t.settings.limitName = "IEC SM";
    t.settings.fiberName = "OS2";
    t.settings.numSplices = 4;
    t.normalise();
    Kestrix::FiberLossLengthSettings expected;
    expected.limitName = "IEC SM";
    expected.fiberTestType = TestType::scopel;
    expected.remoteEndSetup = Kestrix::RemoteEndSetup::scopel;
    EXPECT_TRUE(t.settings == expected);
}

namespace {
// The sample settings with every choice away from automatic and 1490 nm set up but not tested.
OtdrTestSet editedOtdr(TestType type) {
    OtdrTestSet t;
    t.settings = kx::test::otdrSettings();
    t.settings.fiberTestType = type;
    t.settings.wavelengthsToTest.erase(1490);
    t.settings.endThresholdAutoOrManual = Kestrix::AutoOrManual::manual;
    t.settings.frontPanelOffset = 12;
    t.settings.fiberLimit = "Site";
    return t;
}
}  // namespace

TEST(OtdrNormalise, AutoTestTypeResetsManualChoicesManualKeepsThem) {
    // Automatic: range, time, thresholds and offsets back to automatic, no bidirectional test, only the
    // wavelengths tested, each without its measured values or pulse width. Manual: choices and pulse width kept.
    for (const auto& [type, golden] : {std::pair{TestType::autoOtdr, "OtdrSettingsNormalisedAuto.json"},
                                       {TestType::manualOtdr, "OtdrSettingsNormalisedManual.json"}}) {
        OtdrTestSet t = editedOtdr(type);
        t.normalise();
        kx::test::expectGolden(t.settings.toJson({1}), golden);
    }
}

TEST(OtdrNormalise, VexloopFaultMapAndScopel) {
    OtdrTestSet vex = editedOtdr(TestType::manualVexloop);
    vex.settings.launchCompensationEnabled = false;
    vex.normalise();
    EXPECT_TRUE(vex.settings.launchCompensationEnabled);
    EXPECT_TRUE(vex.settings.bidi);

    OtdrTestSet fault = editedOtdr(TestType::faultMap);
    fault.normalise();
    EXPECT_FALSE(fault.settings.launchCompensationEnabled);
    EXPECT_EQ(fault.settings.fiberLimit, "General Fiber RL = 35 dB");

    ImageTestSet scope;
    static_cast<FiberOtdrSetupTestSet&>(scope).settings = editedOtdr(TestType::scopel).settings;
    scope.normalise();
    Kestrix::FiberOtdrSettings expected;
    expected.fiberLimit = "Site";
    expected.fiberTestType = TestType::scopel;
    EXPECT_TRUE(scope.settings == expected);
}

// Bytes and JSON of every kind read back through the project's (Core, BytesAndJsonRoundTrip).
TEST(TestSet, JsonTypeMismatchIsTracedNotRefused) {
    Kestrix::TraceBuffer::instance().lock();  // as a host does once its own channels exist
    CopperTestSet t;
    t.id = 3;
    Json::Value j = t.toJson({1});
    j["CopperTestSet"]["type"] = 4;
    j["CopperTestSet"].removeMember("modID");
    CopperTestSet back;
    ASSERT_TRUE(back.fromJson(j));
    EXPECT_EQ(back.id, 3);
    EXPECT_EQ(back.modID, 0xFFFFFFFFu);
    bool found = false;
    for (const auto& e : Kestrix::TraceBuffer::instance().entries()) {
        const auto* s = dynamic_cast<const Kestrix::StringEntry*>(e.get());
        if (s && s->text == "Project::CopperTestSet::fromJson() - CopperTestSet has a type ID of 4 when it should be 2")
            found = e->level == Kestrix::TraceLevel::warning;
    }
    EXPECT_TRUE(found);
    EXPECT_FALSE(back.fromJson(Json::Value()));
    EXPECT_FALSE(back.fromJson(LossLengthTestSet().toJson({1})));
}

TEST(OtdrTestSet, OldVersionsConvertLatin1Names) {
    OtdrTestSet t;
    t.settings.fiberName = "Fibre \xE9t\xE9";
    t.settings.fiberLimit = "Limite \xC0\xFF\x80";
    auto bytes = bytesOf(t);
    for (uint8_t version : {0, 1, 2, 4}) {
        bytes[kClassVersionOffset] = version;
        OtdrTestSet back;
        ASSERT_EQ(readInto(back, bytes), Marshal::ok);
        if (version < 2) {
            EXPECT_EQ(back.settings.fiberName, "Fibre \xC3\xA9t\xC3\xA9");
            EXPECT_EQ(back.settings.fiberLimit, "Limite \xC3\x80\xC3\xBF\xC2\x80");
        } else {
            EXPECT_EQ(back.settings.fiberName, t.settings.fiberName);
        }
    }
}

TEST(TestSetList, UnknownElementCodeIsInvalidData) {
    const Core p = kx::test::sampleProject();
    // The second test set's code made a label set's (0x0006).
    auto bytes = bytesOf(p.testSets);
    bytes[kHeaderBytes + 4 + 2 + bytesOf(*p.testSets.items[0]).size() + kx::test::kTypeIdOffset + 2] = 0x06;
    TestSetList back = p.testSets;
    EXPECT_EQ(readInto(back, bytes), Marshal::invalidData);
    EXPECT_TRUE(back.items.empty());
}
