#include "fiber/FiberTesting.h"

TEST(ImageTest, BodyAndPictureTravelApartCountsBeyondTheBytesJsonFormsVersion2AndFiberTestOperations) {
    const FiberImageTest t = kx::test::imageTest(FiberTestType::imageEnd2);
    const auto body = bytesOf(FiberImageTestBodyRef(t));
    EXPECT_EQ(body[6], 0x02);  // FiberImageTestBody 0x0502
    EXPECT_EQ(body[7], 0x05);
    const auto picture = bytesOf(t.image);

    FiberImageTest back;
    back.image = kx::test::fiberImage(3);
    Marshal::ByteStreamReader rb(body.data(), static_cast<uint32_t>(body.size()));
    ASSERT_EQ(back.deserializeBody(rb), Marshal::ok);
    EXPECT_EQ(back.image.imageBytes.size(), 3u);  // untouched by the body
    Marshal::ByteStreamReader ri(picture.data(), static_cast<uint32_t>(picture.size()));
    ASSERT_EQ(back.image.deserialize(ri), Marshal::ok);
    EXPECT_EQ(bytesOf(back), bytesOf(t));

    FiberImageTestBody onlyBody;
    ASSERT_EQ(readInto(onlyBody, body), Marshal::ok);
    EXPECT_EQ(bytesOf(onlyBody), body);
    EXPECT_FALSE(onlyBody.toJson(Dump::DumpFlags{1}).isMember("image"));
    EXPECT_TRUE(everyPrefixFails<FiberImageTestBody>(body));

    // Counts beyond the bytes are refused.
    auto evil = picture;
    evil[kHeaderBytes + 3] = 0x7F;  // byte count near 2^31
    FiberImage image;
    EXPECT_EQ(readInto(image, evil), Marshal::readError);

    FiberImageFeatureObject fo;
    fo.scratchSegments = {{1, 2}};
    auto feature = bytesOf(fo);
    kx::test::put32(feature, 1, 0x0FFFFFFF);
    EXPECT_EQ(readInto(fo, feature), Marshal::readError);
    feature = bytesOf(FiberImageFeatureObject());
    feature[0] = 1;
    EXPECT_EQ(readInto(fo, feature), Marshal::versionTooNew);

    FiberImageTest img = kx::test::imageTest();
    kx::test::expectGolden(img.toJson(Dump::DumpFlags{1}), "FiberImageTest.json");

    const auto bytes = bytesOf(img);
    // Version 2 ends after the picture: summary, equipment and image keep their framed sizes.
    const size_t afterImage =
        bytesOf(img.summary).size() + bytesOf(img.equipmentInfo).size() + bytesOf(img.image).size() + 12;
    const auto v2 = kx::test::reframe(bytes, 0, 2, afterImage, bytes.size() - afterImage);
    FiberImageTest old;
    ASSERT_EQ(readInto(old, v2), Marshal::ok);
    EXPECT_TRUE(old.featureObjects.empty());
    EXPECT_TRUE(old.limit.name.empty());
    EXPECT_EQ(old.image, img.image);
    EXPECT_EQ(old.centerPositionX, 0);

    // A format this program does not know still prints, and still round-trips.
    img.image.imageFormat = static_cast<FiberImage::Format>(1);
    EXPECT_EQ(img.toJson(Dump::DumpFlags{1})["image"]["imageFormat"].asString(), "unknown (1)");
    FiberImage picBack;
    ASSERT_EQ(readInto(picBack, bytesOf(img.image)), Marshal::ok);
    EXPECT_EQ(static_cast<int>(picBack.imageFormat), 1);

    EXPECT_EQ(img.testKind(), FiberTest::Kind::image);
    FiberLimit limit;
    Fiber fiber;
    EXPECT_TRUE(img.getLimit(limit));
    EXPECT_FALSE(img.getFiber(fiber));
    img.limit.name.clear();
    EXPECT_FALSE(img.getLimit(limit));
}
