// Test metadata of a record: testers, calibration dates and cable fields.

#include "tester/record/RecordTesting.h"

namespace {

std::string iso(const boost::optional<HostDate>& d) { return d ? HxDataDate::ToIso8601(*d) : "none"; }

FiberOtdrTest& otdrOf(FiberResult& r, FiberTestType type) { return dynamic_cast<FiberOtdrTest&>(*r.getTest(type)); }

}  // namespace

TEST(RecordTestMeta, HostId33FallsBackToTheEnd2OtdrTest) {
    FiberResult r = kx::test::otdrOnly({CableEnd::end2});
    otdrOf(r, FiberTestType::otdrEnd2).summary.operatorName = "End-2 operator";
    TestRecordTarvel rec(kx::test::fiberFile(r));
    EXPECT_FALSE(rec.GetTestMetaData(24));
    const auto meta = rec.GetTestMetaData(33);
    ASSERT_TRUE(meta);
    // Test 33 with the end-2 operator; an OTDR-category id: the overall length and the traces' wavelengths
    // (three at most, ascending: 1310, 1490, 1550).
    kx::test::expectGolden(meta->toJson(), "record/golden/otdr-end2-meta.json");
    EXPECT_FALSE(rec.GetTestMetaData(28));
}

TEST(RecordTestMeta, FiberTesterModels) {
    // Module ids 0, 106, 200, 299 and 300: models 3499, 3000, 3003, 3003 and 3000, the main unit at end 1.
    Json::Value testers(Json::arrayValue);
    for (int32_t moduleId : {0, 106, 200, 299, 300}) {
        FiberResult r = kx::test::otdrOnly({CableEnd::end1});
        otdrOf(r, FiberTestType::otdrEnd1).equipmentInfo.moduleId = moduleId;
        const auto meta = TestRecordTarvel(kx::test::fiberFile(r)).GetTestMetaData(24);
        ASSERT_TRUE(meta && meta->Tester1) << moduleId;
        EXPECT_FALSE(meta->Tester2);  // an OTDR result has no loss/length test
        testers.append(meta->Tester1->toJson());
    }
    kx::test::expectGolden(testers, "record/golden/fiber-tester-models.json");
}

TEST(RecordTestMeta, CalibrationStartIsFirstUseButAtMostSixMonthsLater) {
    struct Case {
        int64_t firstUse;
        const char* start;
    };
    const Case cases[] = {
        {1724144400, "2024-07-15T10:00:00Z"},  // 7 months later: calibration + 6 months exactly
        {1710925200, "2024-03-20T09:00:00Z"},  // 2 months later: the first use
        {kx::test::kCalibrated, "none"},       // not later than the calibration
        {0, "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstUse);
        FiberResult r = kx::test::otdrOnly({CableEnd::end1});
        auto& e = otdrOf(r, FiberTestType::otdrEnd1).equipmentInfo;
        e.moduleCalibrationTime = kx::test::kCalibrated;
        e.moduleFirstUseDate = c.firstUse;
        TestRecordTarvel rec(kx::test::fiberFile(r));
        const auto meta = rec.GetTestMetaData(24);
        ASSERT_TRUE(meta && meta->Tester1);
        EXPECT_EQ(HxDataDate::ToIso8601(meta->Tester1->ModuleCalDate), "2024-01-15T10:00:00Z");
        EXPECT_EQ(iso(meta->Tester1->ModuleCalStartDate), c.start);
        EXPECT_FALSE(meta->Tester1->TesterCalStartDate);
    }

    // No calibration time: no start, whatever the first use.
    FiberResult r = kx::test::otdrOnly({CableEnd::end1});
    otdrOf(r, FiberTestType::otdrEnd1).equipmentInfo.moduleCalibrationTime = 0;
    TestRecordTarvel rec(kx::test::fiberFile(r));
    EXPECT_FALSE(rec.GetTestMetaData(24)->Tester1->ModuleCalStartDate);
}

TEST(RecordTestMeta, LossLengthSetWithRemoteAndLengthBudget) {
    FiberResult r = kx::test::lossLengthResult();
    auto& ll = dynamic_cast<FiberLossLengthTest&>(*r.getTest(FiberTestType::lossLength));
    ll.remoteEquipInfo.modelIdStr = "Ombrel2 remote";
    ll.remoteEquipInfo.moduleId = 0;
    TestRecordTarvel rec(kx::test::fiberFile(r));

    const auto meta = rec.GetTestMetaData(20);
    ASSERT_TRUE(meta && meta->Tester1 && meta->Tester2);
    EXPECT_EQ(meta->Tester1->ModelID, 3003);
    EXPECT_EQ(meta->Tester2->ModelID, 3004);
    // The set's limit, cable, budget, wavelengths and remote at end 2 (also of the power-meter test) are pinned by
    // record/golden/losslength.json.

    // The remote's model text without "remote": a second main unit.
    ll.remoteEquipInfo.modelIdStr = "Ombrel2";
    TestRecordTarvel twoMains(kx::test::fiberFile(r));
    EXPECT_EQ(twoMains.GetTestMetaData(20)->Tester2->ModelID, 3003);
    // No remote model text: no second tester.
    ll.remoteEquipInfo.modelIdStr.clear();
    TestRecordTarvel single(kx::test::fiberFile(r));
    EXPECT_FALSE(single.GetTestMetaData(21)->Tester2);
    // Without a length budget nor a limit version: no counts and no version.
    ll.limit.setFlag(LimitFlag::doLengthBasedLossBudget, false);
    ll.limit.summary.customerVersion.major = 0;
    ll.limit.summary.customerVersion.minor = 0;
    const auto plain = TestRecordTarvel(kx::test::fiberFile(r)).GetTestMetaData(20);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->Adapters);
    EXPECT_FALSE(plain->Splices);
    EXPECT_FALSE(plain->LimitVersion);
}

TEST(RecordTestMeta, CopperTesterModelsOfEachFamilyAndTheirCalibrationStart) {
    auto test = kx::test::cat6APermanentLinkTest();
    for (auto* e : {&test->body.mainEquipInfo, &test->body.remoteEquipInfo}) {
        e->moduleCalibrationTime = kx::test::kCalibrated;
        e->moduleFirstUseDate = 1724144400;
    }
    // The default set (model 3013 with its remote 3014, limit and cable) is pinned by record/golden/copper.json.
    // Main and remote models 3005/3006, 3009/3010, 3007/3008 and 3011/3012, each with its module's calibration
    // start; only 3011 and 3012 carry the tester's.
    Json::Value testers(Json::arrayValue);
    for (const auto& [modelIdStr, moduleId] :
         {std::pair{"Tarvel", 302}, std::pair{"Tarvel", 400}, std::pair{"KX-3000", 400}, std::pair{"Ombrel", 302}}) {
        test->body.mainEquipInfo.modelIdStr = test->body.remoteEquipInfo.modelIdStr = modelIdStr;
        test->body.mainEquipInfo.moduleId = test->body.remoteEquipInfo.moduleId = moduleId;
        const auto m = TestRecordTarvel(kx::test::copperFile(test)).GetTestMetaData(8);
        ASSERT_TRUE(m && m->Tester1 && m->Tester2) << modelIdStr;
        testers.append(m->Tester1->toJson());
        testers.append(m->Tester2->toJson());
    }
    kx::test::expectGolden(testers, "record/golden/copper-tester-models.json");

    // No remote module: single-ended.
    test->body.remoteEquipInfo.moduleId = 0;
    TestRecordTarvel single(kx::test::copperFile(test));
    EXPECT_FALSE(single.GetTestMetaData(8)->Tester2);
}
