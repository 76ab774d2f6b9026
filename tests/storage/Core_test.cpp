#include "storage/Core.h"

#include "storage/LossLengthTestSet.h"
#include "storage/StorageTesting.h"
#include "storage/OtdrTestSet.h"

// A text that could not be written back is refused from JSON; a count of 4 GiB by the reader's limit.
TEST(Core, BytesAndJsonRoundTrip) {
    const Core p = kx::test::sampleProject();
    auto bytes = bytesOf(p);
    EXPECT_EQ(bytes, kx::test::coreBytesAtVersion(p, 11));

    Json::Value j = p.toJson({2});
    kx::test::expectGolden(j, "Core.json");
    Core back;
    ASSERT_TRUE(back.fromJson(j));
    EXPECT_TRUE(back.equals(p));
    j["Core"]["end2Name"] = std::string(200, 'e');
    EXPECT_FALSE(back.fromJson(j));
    EXPECT_NE(back.unwritableReason(), "");

    // operatorName's count, after the header and name.
    put32(bytes, kHeaderBytes + 4 + p.name.size() + 1, 0xFFFFFFFF);
    EXPECT_EQ(readInto(back, bytes), Marshal::invalidData);
}

TEST(Core, VersionGatesForQuarnIdAndOrgId) {
    const Core p = kx::test::sampleProject();
    struct Case {
        uint8_t version;
        const char* quarn;
        const char* org;
    } cases[] = {{7, "", ""}, {8, "q-1234", ""}, {9, "q-1234", "org-77"}, {10, "q-1234", "org-77"}};
    for (const auto& c : cases) {
        Core back = p;
        ASSERT_EQ(readInto(back, kx::test::coreBytesAtVersion(p, c.version)), Marshal::ok) << int(c.version);
        EXPECT_EQ(back.quarnId, c.quarn);
        EXPECT_EQ(back.orgId, c.org);
        EXPECT_EQ(back.name, p.name);
        EXPECT_EQ(back.version, p.version);
    }
}

// A name of 200 bytes is refused before writing (unwritableReason, encodeProject); one stored by someone
// else is still refused by the reader.
TEST(Core, NameOf199BytesIsTheLongestWritableAndReadable) {
    Core p;
    p.name = std::string(199, 'n');
    EXPECT_EQ(p.unwritableReason(), "");
    Core back;
    EXPECT_EQ(readInto(back, bytesOf(p)), Marshal::ok);
    EXPECT_EQ(back.name, p.name);
    p.name.push_back('n');
    EXPECT_EQ(p.unwritableReason(), "the project's name is 200 bytes long; at most 199 bytes can be stored");
    EXPECT_EQ(readInto(back, bytesOf(p)), Marshal::invalidData);
}

TEST(CoreNextLabel, TheActiveSetsCursorOrTheAutoIncrementSeed) {
    Core p = kx::test::sampleProject();
    EXPECT_EQ(p.nextLabel(), "F-0107");  // OTDR test set 2, label set 11, end 2
    p.cableEnd = 1;
    EXPECT_EQ(p.nextLabel(), "F-0100");  // no cursor for end 1: the auto-increment seed
    // Both active ids and a known test set are needed.
    p.activeLabelSet = -1;
    EXPECT_EQ(p.nextLabel(), "");
    p = kx::test::sampleProject();
    p.activeTestSet = -1;
    EXPECT_EQ(p.nextLabel(), "");
    p.activeTestSet = 77;
    EXPECT_EQ(p.nextLabel(), "");

    // Loss/length cursors are always of end 1.
    p = kx::test::sampleProject();
    p.activeTestSet = 4;
    p.cursors.items[0]->testType = 13;
    p.cursors.items[0]->cableEnd = 1;
    p.cursors.items[0]->nextLabel = "L-1";
    EXPECT_EQ(p.nextLabel(), "L-1");

    // Without cursors: a seed only for auto-increment sets, not for one merely claiming their type.
    p.cursors.items.clear();
    p.activeLabelSet = 10;  // sequential
    EXPECT_EQ(p.nextLabel(), "");
    p.labelSets.items[0]->type = 2;
    EXPECT_EQ(p.nextLabel(), "");
}
