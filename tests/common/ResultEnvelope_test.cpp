#include "CommonTesting.h"

#include "common/EquipmentInformation.h"
#include "common/ResultEnvelope.h"

namespace {
ResultSummary sampleSummary(ResultType type) {
    ResultSummary s;
    s.resultName = "A-017";
    s.resultType = type;
    s.timeStamp = 1700000000;
    s.status = Status::passStar;
    s.length = DisplayMeas(ScaledInt::raw(2069, ScaledInt::hundredths), DisplayType::normal);
    s.testFlags = 0x1001;
    s.numPassTests = 2;
    s.numFailTests = 1;
    return s;
}

}  // namespace

TEST(ResultSummary, ShowsDetailOnlyAtLevelTwo) {
    const ResultSummary s = sampleSummary(ResultType::FIBER);
    Json::Value levels;
    for (uint32_t level : {1, 2}) levels.append(s.toJson(Dump::DumpFlags{level}));
    // Written in local time, so left out of the shared document.
    Json::Value stamp;
    ASSERT_TRUE(levels[1]["ResultSummary"].removeMember("timeStamp", &stamp));
    EXPECT_FALSE(stamp.asString().empty());
    kx::test::expectGolden(levels, "ResultSummary.json");
}

TEST(EquipmentInformation, OlderVersionsLeaveLaterFieldsCleared) {
    EquipmentInformation e;
    e.softwareVersion = "2.4.1";
    e.moduleId = 302;
    e.liaId = 9;
    e.liaSerialNumber = "L1";
    e.moduleFirstUseDate = 123;
    EXPECT_STREQ(e.getModuleIdStr(), "KZR-A");

    // A version-1 record is the version-3 one without its last five fields (8+2+2+8 + 8 bytes).
    const auto bytes = serializeToBytes(e);
    const size_t cut = (4 + 2 + 2 + 8) + 8;
    const auto v1 = kx::test::reframe(bytes, 0, 1, bytes.size() - cut, cut);
    EquipmentInformation back;
    back.liaId = 77;
    ASSERT_EQ(kx::test::readInto(back, v1), Marshal::ok);
    kx::test::expectGolden(back.toJson(Dump::DumpFlags{2}), "EquipmentInformationVersion1.json");

    kx::test::expectGolden(e.toJson(Dump::DumpFlags{1}), "EquipmentInformation.json");
    EXPECT_FALSE(e.toJson(Dump::DumpFlags{0})["EquipmentInformation"].isMember("softwareVersion"));
}

TEST(ResultEnvelope, SummaryAndTypeOfAValidContainer) {
    const auto summary = serializeToBytes(sampleSummary(ResultType::COPPER));
    const auto bytes = containerOf({{200, summary}, {300, summary}});
    ResultType type = ResultType::NOT_SET;
    EXPECT_EQ(readResultType(type, bytes.data(), static_cast<uint32_t>(bytes.size())), ResultReaderStatus::success);
    EXPECT_EQ(type, ResultType::COPPER);

    int sections = 0;
    ResultSummary s;
    const auto st =
        readResultSections(bytes.data(), static_cast<uint32_t>(bytes.size()), [&](const PFile::Section& sec) {
            ++sections;
            return readSummarySection(sec, s, ResultType::FIBER);
        });
    // The first refusal stops the loop and is passed up.
    EXPECT_EQ(st, ResultReaderStatus::wrongResultType);
    EXPECT_EQ(sections, 1);
}

TEST(ResultEnvelope, StatusMappingOfBrokenSummaries) {
    auto summary = serializeToBytes(sampleSummary(ResultType::FIBER));
    auto newer = summary;
    newer[kClassVersionOffset] = 2;
    auto magic = summary;
    magic[0] ^= 0xFF;
    ResultSummary s;
    auto read = [&](const std::vector<uint8_t>& b) {
        return readResultSummary(s, b.data(), static_cast<uint32_t>(b.size()));
    };
    EXPECT_EQ(read(containerOf({{200, summary}})), ResultReaderStatus::success);
    EXPECT_EQ(read(containerOf({{200, newer}})), ResultReaderStatus::unsupportedVersion);
    EXPECT_EQ(read(containerOf({{200, magic}})), ResultReaderStatus::badData);

    auto whole = containerOf({{200, summary}, {300, summary}});
    whole.resize(whole.size() - 5);
    const auto st = readResultSections(whole.data(), static_cast<uint32_t>(whole.size()),
                                       [](const PFile::Section&) { return ResultReaderStatus::success; });
    EXPECT_EQ(st, ResultReaderStatus::badContainer);
    // A container that opens but whose second section fails its checksum is still a broken container.
    auto flipped = containerOf({{200, summary}, {300, summary}});
    flipped.back() ^= 0x01;
    int sections = 0;
    EXPECT_EQ(readResultSections(flipped.data(), static_cast<uint32_t>(flipped.size()),
                                 [&](const PFile::Section&) {
                                     ++sections;
                                     return ResultReaderStatus::success;
                                 }),
              ResultReaderStatus::badContainer);
    EXPECT_EQ(sections, 1);
    const uint8_t junk[3] = {1, 2, 3};
    EXPECT_EQ(readResultSummary(s, junk, 3), ResultReaderStatus::badContainer);
    EXPECT_EQ(readResultSummary(s, junk, 0), ResultReaderStatus::badContainer);
}

TEST(ResultEnvelope, StatusTextsAndCustomNames) {
    EXPECT_STREQ(toString(static_cast<Status>(12)), "");
    EXPECT_STREQ(toString(Status::dontShow), "Don't show");
    for (const char* name : {"*", "*limit*", "**"}) EXPECT_TRUE(isCustomObject(name)) << name;
    for (const char* name : {"", "*limit", "limit*"}) EXPECT_FALSE(isCustomObject(name)) << name;
    EXPECT_STREQ(moduleName(10400), "Boot: Copper Cat 8");
    EXPECT_STREQ(moduleName(999), "");
}
