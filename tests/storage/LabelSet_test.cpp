#include "storage/LabelSet.h"

#include "storage/Cursor.h"
#include "storage/LabelSetList.h"
#include "storage/StorageTesting.h"

TEST(LabelSet, NumberOfTestsCountsKindsOfTest) {
    SequentialLabelSet s;
    s._size = 100;
    s.testTypeVec = 0x6;
    EXPECT_EQ(s.numberOfTests(), 200u);
    // With bit 28, bits 0 and 1 are part of a combined test: 0x7 | bit 28 counts bits 2 and 28.
    s.testTypeVec = 0x7 | (1u << 28);
    EXPECT_EQ(s.numberOfTests(), 200u);
    s.testTypeVec = 0x3 | (1u << 28);
    EXPECT_EQ(s.numberOfTests(), 100u);
    // No overflow for stored extremes.
    s._size = 0xFFFFFFFF;
    s.testTypeVec = 0xFFFFFFFF;
    EXPECT_EQ(s.numberOfTests(), 0xFFFFFFFFull * 30);
}

TEST(LabelSet, AutoIncrementHasSizeOneAndDefaults) {
    AutoIncrementLabelSet a;
    EXPECT_EQ(a.type, 2u);
    EXPECT_EQ(a.id, -1);
    EXPECT_EQ(a.maxLength, 0);
    EXPECT_EQ(a.size(), 1u);
    a.seed = "X-999999";
    EXPECT_EQ(a.size(), 1u);
}

TEST(LabelSet, SequentialGoldenBytesAndEquality) {
    SequentialLabelSet s;
    s.type = 1;
    s.id = 2;
    s._size = 3;
    s.mediaType = 4;
    s.testTypeVec = 5;
    s.start = "A";
    s.stop = "B";
    const std::vector<uint8_t> expected{0xCD, 0xAB, 1, 1, 0x91, 0, 6, 0, 32,  0, 0, 0,  // header
                                        1,    0,    0, 0, 2,    0, 0, 0, 3,   0, 0, 0, 4, 0, 0,   0,
                                        5,    0,    0, 0, 2,    0, 0, 0, 'A', 0, 2, 0, 0, 0, 'B', 0};
    EXPECT_EQ(bytesOf(s), expected);

    // Equal needs the same class; a clone equals its original until one changes.
    const SequentialLabelSet plain;
    const RandomLabelSet r;
    EXPECT_FALSE(plain.equals(r));
    EXPECT_FALSE(r.equals(plain));
    auto c = s.clone();
    EXPECT_TRUE(c->equals(s));
    s.stop = "Z";
    EXPECT_FALSE(c->equals(s));
}

TEST(LabelSet, JsonMissingKeyFailsAndDetailZeroHoldsOnlyTheClassName) {
    AutoIncrementLabelSet a;
    a.seed = "S";
    Json::Value j = a.toJson({1});
    j["AutoIncrementLabelSet"].removeMember("maxLength");
    AutoIncrementLabelSet back;
    EXPECT_FALSE(back.fromJson(j));
    EXPECT_FALSE(back.fromJson(Json::Value()));
    EXPECT_FALSE(back.fromJson(SequentialLabelSet().toJson({1})));

    // At detail 0 the JSON holds only the class name.
    const SequentialLabelSet seq;
    const RandomLabelSet rnd;
    const AutoIncrementLabelSet inc;
    const std::pair<const LabelSet*, const char*> sets[] = {
        {&seq, "SequentialLabelSet"}, {&rnd, "RandomLabelSet"}, {&inc, "AutoIncrementLabelSet"}};
    for (const auto& [set, name] : sets) {
        const Json::Value body = set->toJson(Dump::DumpFlags{0})[name];
        EXPECT_EQ(body.getMemberNames(), (std::vector<std::string>{"_className", "_classVersion"})) << name;
        EXPECT_GT(set->toJson(Dump::DumpFlags{1})[name].size(), 2u) << name;
    }
}

TEST(LabelSetList, DispatchesOnTypeIdAndRefusesOthers) {
    const Core p = kx::test::sampleProject();
    LabelSetList back;
    ASSERT_EQ(readInto(back, bytesOf(p.labelSets)), Marshal::ok);
    ASSERT_TRUE(back.equals(p.labelSets));
    EXPECT_NE(dynamic_cast<RandomLabelSet*>(back.items[2].get()), nullptr);

    // The first item as a cursor (code 0x0002), then as a label set of another family (domain 0x0061).
    const auto good = bytesOf(p.labelSets);
    const size_t firstTypeId = kHeaderBytes + 4 + 2 + kTypeIdOffset;
    for (const auto& [at, value] : {std::pair<size_t, uint8_t>{firstTypeId + 2, 0x02}, {firstTypeId, 0x61}}) {
        auto bytes = good;
        bytes[at] = value;
        back = p.labelSets;
        EXPECT_EQ(readInto(back, bytes), Marshal::invalidData) << at;
        EXPECT_TRUE(back.items.empty());
    }
    // Its JSON round trip is the project's (Core, BytesAndJsonRoundTrip).
    Json::Value j = p.labelSets.toJson({1});
    j["LabelSetList"]["items"].append(Json::Value("not a label set"));
    EXPECT_FALSE(back.fromJson(j));
}

TEST(LabelSetList, EmptyListReadsAndACountLargerThanTheBytesLeftFails) {
    LabelSetList l;
    l.nextUniqueID = 7;
    auto bytes = bytesOf(l);
    LabelSetList back = kx::test::sampleProject().labelSets;
    ASSERT_EQ(readInto(back, bytes), Marshal::ok);
    EXPECT_TRUE(back.items.empty());
    EXPECT_EQ(back.nextUniqueID, 7u);

    bytes[kHeaderBytes + 4] = bytes[kHeaderBytes + 5] = 0xFF;  // the count after the next unique id
    back = kx::test::sampleProject().labelSets;
    EXPECT_EQ(readInto(back, bytes), Marshal::readError);
    EXPECT_TRUE(back.items.empty());
}

TEST(CursorList, FindAndFailingReads) {
    const Core p = kx::test::sampleProject();
    const Cursor* c = p.cursors.find(11, 2, 1, 2);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->nextLabel, "F-0107");
    EXPECT_EQ(p.cursors.find(11, 2, 1, 1), nullptr);
    EXPECT_EQ(p.cursors.find(11, 1, 1, 2), nullptr);
    EXPECT_EQ(p.cursors.find(10, 2, 1, 2), nullptr);

    // Its bytes and JSON read back through the project's (Core, BytesAndJsonRoundTrip).
    CursorList back;
    auto bytes = bytesOf(p.cursors);
    // Second cursor's nextLabel count made huge: the read fails without allocating, and the list is empty.
    const size_t second = kHeaderBytes + 2 + bytesOf(*p.cursors.items[0]).size();
    put32(bytes, second + kHeaderBytes + 16, 0x7FFFFFFF);
    EXPECT_EQ(readInto(back, bytes), Marshal::readError);
    EXPECT_TRUE(back.items.empty());

    bytes = bytesOf(p.cursors);
    bytes[kHeaderBytes + 2 + 4] = 0x61;  // the first cursor's domain: the fiber family's, same code
    back = p.cursors;
    EXPECT_EQ(readInto(back, bytes), Marshal::invalidData);
    EXPECT_TRUE(back.items.empty());
    bytes = bytesOf(CursorList{});
    bytes[kHeaderBytes] = bytes[kHeaderBytes + 1] = 0xFF;  // the count
    EXPECT_EQ(readInto(back, bytes), Marshal::readError);
}
