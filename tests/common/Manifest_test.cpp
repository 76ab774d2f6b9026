#include "CommonTesting.h"

#include <filesystem>

#include "common/ManifestFile.h"
#include "common/PFile.h"
#include "core/ManifestSamples.h"
#include "serialization/JsonText.h"
#include "core/TestFiles.h"

namespace {
const Bytes kVersionBytes = {0xCD, 0xAB, 0x01, 0x01, 0x51, 0x00, 0x08, 0x00, 0x08, 0x00,
                             0x00, 0x00, 0x03, 0x00, 0x01, 0x00, 0x02, 0x00, 0x07, 0x00};

TEST(DatabaseVersion, GoldenTwentyBytesJsonAndVersionStrings) {
    EXPECT_EQ(kVersionBytes, kx::test::bytesOf(Kestrix::DatabaseVersion(3, 1, 2, 7)));

    Kestrix::DatabaseVersion v;
    Bytes newer = kVersionBytes;
    newer[kClassVersionOffset] = 2;
    EXPECT_EQ(Marshal::versionTooNew, readInto(v, newer));
    Bytes other = kVersionBytes;
    other[kTypeIdOffset + 2] = 9;
    EXPECT_EQ(Marshal::invalidData, readInto(v, other));
    EXPECT_EQ(Marshal::readError, readInto(v, Bytes(kVersionBytes.begin(), kVersionBytes.begin() + 14)));

    Kestrix::CustomerDatabaseVersion c;
    c.major = 3;
    c.minor = 12;
    EXPECT_EQ("V3.12", c.getVersionString());
    c.suffix = "beta";
    EXPECT_EQ("V3.12 beta", c.getVersionString());
    EXPECT_EQ("{\"CustomDatabaseVersion\":{\"Version\":\"V3.12 beta\"}}\n", Dump::toJsonString(c, {}, true));
    EXPECT_EQ("{\"DatabaseVersion\":{\"build\":7,\"content\":1,\"object\":2,\"schema\":3}}\n",
              Dump::toJsonString(Kestrix::DatabaseVersion(3, 1, 2, 7), {}, true));
}

TEST(Manifest, LimitsVersionsAndPrefixes) {
    const auto m = kx::test::sampleManifest();
    const Bytes good = kx::test::manifestBytes(m);
    // The summary follows the manifest's header; the descriptor list closes the manifest.
    const size_t listAt = good.size() - kx::test::bytesOf(m.list).size();
    Kestrix::DatabasePackageManifest out;

    Bytes b = good;
    b[kHeaderBytes + kClassVersionOffset] = 2;
    EXPECT_EQ(Marshal::versionTooNew, readInto(out, b));
    b = good;
    b[kHeaderBytes + 2] = 2;  // header version 2
    EXPECT_EQ(Marshal::headerVersionTooNew, readInto(out, b));

    for (uint32_t count : {0u, 51u, 0xFFFFFFFFu}) {
        b = good;
        kx::test::put32(b, listAt + 12, count);
        EXPECT_EQ(Marshal::invalidData, readInto(out, b)) << count;
    }

    // The first descriptor's path length field: after its 20-byte version and 4-byte dbType.
    const size_t pathLenAt = listAt + kHeaderBytes + 4 + 20 + 4;
    const uint32_t pathField = kx::test::get32(good, pathLenAt);
    EXPECT_EQ(m.list.descriptors[0].filePath.size() + 1, pathField);
    for (uint32_t n : {0u, 1025u, 0x7FFFFFFFu}) {
        b = good;
        kx::test::put32(b, pathLenAt, n);
        EXPECT_EQ(Marshal::invalidData, readInto(out, b)) << n;
    }
    b = good;
    b[pathLenAt + 4 + pathField - 1] = 'x';  // path without its NUL
    EXPECT_EQ(Marshal::invalidData, readInto(out, b));

    // Fifty descriptors and the longest path are accepted.
    auto most = m;
    most.list.descriptors.resize(50, m.list.descriptors[0]);
    most.list.descriptors[49].filePath.assign(1023, 'p');
    ASSERT_EQ(Marshal::ok, readInto(out, kx::test::manifestBytes(most)));
    EXPECT_EQ(1023u, out.list.descriptors[49].filePath.size());

    // Every prefix of its container fails cleanly.
    b = kx::test::manifestContainer(m);
    EXPECT_EQ(0u, Kestrix::getManifestFromBuffer(out, b.data(), static_cast<uint32_t>(b.size())));
    for (size_t n = 0; n < b.size(); ++n) {
        Kestrix::DatabasePackageManifest cut;
        EXPECT_NE(0u, Kestrix::getManifestFromBuffer(cut, b.data(), static_cast<uint32_t>(n))) << n;
    }
}

class ManifestFileTest : public ::testing::Test {
protected:
    void SetUp() override { dir = kx::test::freshFolder("manifest"); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string put(const std::string& name, const Bytes& bytes) {
        const std::string path = (dir / name).string();
        EXPECT_TRUE(PFile::writeFileBytes(path, bytes));
        return path;
    }
    std::filesystem::path dir;
};

TEST_F(ManifestFileTest, CodesZeroToFour) {
    const auto m = kx::test::sampleManifest();
    Kestrix::DatabasePackageManifest out;
    EXPECT_EQ(0u, Kestrix::getManifestFromPFile(&out, put("ok101", kx::test::manifestContainer(m, 101)).c_str()));
    EXPECT_EQ(41, out.summary.build);
    EXPECT_EQ(0u,
              Kestrix::getManifestFromPFile(&out, put("ok102z", kx::test::manifestContainer(m, 102, true)).c_str()));

    EXPECT_EQ(1u, Kestrix::getManifestFromPFile(&out, put("t200", kx::test::manifestContainer(m, 200)).c_str()));
    EXPECT_EQ(1u, Kestrix::getManifestFromPFile(&out, put("empty", PFile::buildContainer({})).c_str()));

    Bytes newer = kx::test::manifestBytes(m);
    newer[kHeaderBytes + kClassVersionOffset] = 2;
    EXPECT_EQ(2u, Kestrix::getManifestFromPFile(&out, put("v2", kx::test::containerWith(101, newer)).c_str()));

    auto many = m;
    many.list.descriptors.resize(51, m.list.descriptors[0]);
    EXPECT_EQ(3u, Kestrix::getManifestFromPFile(&out, put("51", kx::test::manifestContainer(many)).c_str()));

    EXPECT_EQ(4u, Kestrix::getManifestFromPFile(&out, (dir / "missing").string().c_str()));
    EXPECT_EQ(4u, Kestrix::getManifestFromPFile(&out, put("junk", Bytes(100, 0x41)).c_str()));

    // A damaged manifest section: CRC failure is "no manifest".
    Bytes damaged = kx::test::manifestContainer(m);
    damaged.back() ^= 1;
    EXPECT_EQ(1u, Kestrix::getManifestFromPFile(&out, put("crc", damaged).c_str()));
}

TEST_F(ManifestFileTest, VersionAndFirmwareStrings) {
    const std::string path = put("m", kx::test::manifestContainer(kx::test::sampleManifest()));
    char dst[32];
    uint32_t build = 0;
    ASSERT_EQ(0u, Kestrix::getDbVersionFromManifest(path.c_str(), dst, sizeof dst, &build));
    EXPECT_STREQ("V3.12", dst);
    EXPECT_EQ(41u, build);
    char small[3] = {'x', 'x', 'x'};
    ASSERT_EQ(0u, Kestrix::getDbVersionFromManifest(path.c_str(), small, 3, &build));
    EXPECT_STREQ("V3", small);
    char one[1] = {'x'};
    ASSERT_EQ(0u, Kestrix::getDbMinReqFirmwareVersionFromManifest(path.c_str(), one, 1));
    EXPECT_EQ('\0', one[0]);
    ASSERT_EQ(0u, Kestrix::getDbMinReqFirmwareVersionFromManifest(path.c_str(), dst, sizeof dst));
    EXPECT_STREQ("2.7.0", dst);

    // Nothing is written unless the code is 0.
    char untouched[8] = "keep";
    build = 99;
    EXPECT_EQ(4u, Kestrix::getDbVersionFromManifest((dir / "none").string().c_str(), untouched, 8, &build));
    EXPECT_STREQ("keep", untouched);
    EXPECT_EQ(99u, build);
}

}  // namespace
