// Reading update packages and the tester's update replies, without a tester.
#include <gtest/gtest.h>

#include "core/TarGz.h"
#include "tester/maintenance/UpdatePackage.h"
#include "tester/maintenance/UpdateStatus.h"

using namespace Kestrix::Tester;
using kx::test::TarEntry;

namespace {

struct Taken {
    std::vector<std::string> names;
    std::vector<std::string> data;
};

bool walk(const std::vector<uint8_t>& pkg, const std::vector<std::string>& names, Taken& taken,
          PackageLimits limits = {}, std::string* error = nullptr) {
    UpdatePackage p(pkg.data(), pkg.size(), limits);
    bool ok = p.forEachListedFile(names, [&](const std::string& n, const std::vector<uint8_t>& b) {
        taken.names.push_back(n);
        taken.data.emplace_back(b.begin(), b.end());
        return true;
    });
    if (error) *error = p.error();
    return ok;
}

}  // namespace

TEST(UpdatePackage, ManifestAndListedFilesInArchiveOrder) {
    const auto pkg = kx::test::remotePackage({"b.img", "a.img"}, {{"images/", "", '5'},
                                                                  {"images/a.img", std::string(70000, 'a')},
                                                                  {"other.txt", "not listed"},
                                                                  {"images/b.img", "bbb"}});
    UpdatePackage p(pkg.data(), pkg.size());
    auto m = p.readManifest();
    ASSERT_TRUE(m) << p.error();
    EXPECT_EQ(m->remote_update_files, (std::vector<std::string>{"b.img", "a.img"}));
    EXPECT_EQ(m->version, "3.3.0");
    Taken t;
    ASSERT_TRUE(walk(pkg, m->remote_update_files, t));
    EXPECT_EQ(t.names, (std::vector<std::string>{"a.img", "b.img"}));
    EXPECT_EQ(t.data[0], std::string(70000, 'a'));
    EXPECT_EQ(t.data[1], "bbb");
}

TEST(UpdatePackage, ManifestRules) {
    // The tester's older key; the first entry named like a manifest wins; empty ones are passed over.
    auto old = kx::test::remotePackage({"x.img"}, {}, "remote update files");
    auto m = UpdatePackage(old.data(), old.size()).readManifest();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->remote_update_files, std::vector<std::string>{"x.img"});

    auto two = kx::test::tarGz({{"empty-manifest", ""},
                                {"manifest-a", R"({"remote_update_files":["a"],"version":"1"})"},
                                {"manifest-b", R"({"remote_update_files":["b"]})"}});
    m = UpdatePackage(two.data(), two.size()).readManifest();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->remote_update_files, std::vector<std::string>{"a"});

    for (const char* bad : {"not json", "[1,2]", R"({"remote_update_files": )"}) {
        auto pkg = kx::test::tarGz({{"manifest", bad}});
        UpdatePackage p(pkg.data(), pkg.size());
        EXPECT_FALSE(p.readManifest()) << bad;
        EXPECT_EQ(p.error(), "the manifest does not parse");
    }
    auto none = kx::test::tarGz({{"readme", "x"}});
    UpdatePackage p(none.data(), none.size());
    EXPECT_FALSE(p.readManifest());
    EXPECT_EQ(p.error(), "no manifest in the package");

    // Entries of the list that are not texts are dropped.
    m = parseKesManifest(R"({"remote_update_files":["a", 3, null, "b"], "version": 7})");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->remote_update_files, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(m->version, "");
}

// Each of these packages is refused with a reason, and no entry is handed out.
TEST(UpdatePackage, HostilePackagesFailCleanly) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        PackageLimits limits;
    };
    const auto plainTar = kx::test::tarBytes({{"manifest", "{}"}, {"a.img", "x"}});
    auto full = kx::test::tarGz({{"a.img", std::string(100000, 'z')}, {"b.img", "b"}});
    std::vector<uint8_t> truncated(full.begin(), full.begin() + static_cast<long>(full.size() / 2));
    PackageLimits smallEntries;
    smallEntries.maxEntryBytes = 64 * 1024;
    PackageLimits smallTotal;
    smallTotal.maxUnpackedBytes = 256 * 1024;
    // 1 MiB of zeros in one entry, about 1 KiB compressed.
    const auto bomb = kx::test::tarGz({{"a.img", std::string(1 << 20, '\0')}});
    // Many small zero entries: each alone within limits, all together too much.
    std::vector<TarEntry> many(40, TarEntry{"pad", std::string(8000, '\0')});
    many.push_back({"a.img", "x"});
    const std::vector<Case> cases = {
        {"not gzip", plainTar, {}},
        {"garbage", std::vector<uint8_t>(600, 0x5a), {}},
        {"truncated stream", truncated, {}},
        {"gzip bomb: entry larger than the limit", bomb, smallEntries},
        {"unpacks to more than the limit", kx::test::tarGz(many), smallTotal},
    };
    for (const auto& c : cases) {
        Taken t;
        std::string error;
        EXPECT_FALSE(walk(c.bytes, {"a.img"}, t, c.limits, &error)) << c.what;
        EXPECT_TRUE(t.names.empty()) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    // A gzip bomb announces its size: 520 MiB is over the default cap, and refused before a byte is unpacked.
    Taken t;
    std::string error;
    EXPECT_FALSE(walk(kx::test::tarGz({{"a.img", "tiny", '0', int64_t(520) << 20}}), {"a.img"}, t, {}, &error));
    EXPECT_EQ(error, "entry too large: a.img");
}

TEST(UpdatePackage, ShortEntryDataIsNotHandedOut) {
    // The header promises 5000 bytes, the stream ends after 100 (no end blocks).
    auto tar = kx::test::tarBytes({{"a.img", std::string(100, 'q'), '0', 5000}}, false);
    auto pkg = kx::test::gzipBytes(tar.data(), tar.size());
    Taken t;
    EXPECT_FALSE(walk(pkg, {"a.img"}, t));
    EXPECT_TRUE(t.names.empty());
}

TEST(UpdatePackage, NamesMatchOnlyAfterRemovingTheImagesFolderAndOnlyPlainNamesAreImageNames) {
    auto pkg = kx::test::tarGz(
        {{"images/../x", "1"}, {"/etc/x", "2"}, {"images/x", "3"}, {"deep/images/x", "4"}, {"link", "", '2'}});
    Taken t;
    ASSERT_TRUE(walk(pkg, {"x", "../x"}, t));
    // "images/../x" becomes "../x", which only a hostile manifest would list; the caller refuses such lists.
    EXPECT_EQ(t.names, (std::vector<std::string>{"../x", "x"}));
    EXPECT_EQ(t.data, (std::vector<std::string>{"1", "3"}));
    for (const char* good : {"a.img", "boot-1.2.bin", "x y", ".hidden"}) EXPECT_TRUE(isSafeImageName(good)) << good;
    for (const char* bad : {"", ".", "..", "../x", "/etc/x", "a/b", "a..b", "x\n", "x\x7f", "\x1b[2J"})
        EXPECT_FALSE(isSafeImageName(bad)) << bad;
}

TEST(UpdateStatus, TesterRepliesMapToHostStatuses) {
    const std::vector<std::pair<std::string, int>> table = {
        {"0", 3},   {"1", 0},   {"2", 4},    {"3", 2},   {"4", 1},      {"5", 6},
        {"6", 12},  {"7", 9},   {"8", 10},   {"9", 11},  {" 1\r\n", 0}, {"+1", 0},
        {"10", 12}, {"-1", 12}, {"abc", 12}, {"1x", 12}, {"", 12},      {"99999999999999", 12},
    };
    for (const auto& [reply, status] : table) EXPECT_EQ(updateStatusFromReply(reply), status) << "'" << reply << "'";
    EXPECT_EQ(updateStatusName(3), "UPDATE_RUNNING");
    EXPECT_EQ(updateStatusName(7), "UPLOAD_FAILED");
    EXPECT_EQ(updateStatusName(12), "NO_PACKAGE_OR_REPLY");
    EXPECT_EQ(updateStatusName(4), "TESTER_CODE_2");
}

// What may be sent at all: a whole gzip-compressed tar holding files; for a remote unit also a manifest that
// lists plain names, at least one of them in the archive.
TEST(UpdatePackage, ProblemsBeforeAnythingIsSent) {
    const auto good = kx::test::tarGz({{"image.bin", std::string(20000, 'i')}});
    auto cut = good;
    cut.resize(cut.size() / 2);
    const std::string text = "not a package\n";
    const struct {
        const char* what;
        std::vector<uint8_t> pkg;
        bool remote;
        bool fine;
    } cases[] = {
        {"a whole package", good, false, true},
        {"a text file", std::vector<uint8_t>(text.begin(), text.end()), false, false},
        {"a cut package", cut, false, false},
        {"a bare tar", kx::test::tarBytes({{"image.bin", "x"}}), false, false},
        {"no files", kx::test::tarGz({{"images/", "", '5'}}), false, false},
        {"an entry shorter than announced", kx::test::tarGz({{"image.bin", "tiny", '0', 4096}}), false, false},
        {"remote without a manifest", good, true, false},
        {"remote, manifest lists nothing", kx::test::remotePackage({}, {{"images/a.img", "a"}}), true, false},
        {"remote, listed file missing", kx::test::remotePackage({"b.img"}, {{"images/a.img", "a"}}), true, false},
        {"remote, a listed path", kx::test::remotePackage({"../a.img"}, {{"images/../a.img", "a"}}), true, false},
        {"remote, one listed file held", kx::test::remotePackage({"a.img", "b.img"}, {{"images/a.img", "a"}}), true,
         true},
    };
    for (const auto& c : cases) {
        UpdatePackage p(c.pkg.data(), c.pkg.size());
        const std::string problem = p.problem(c.remote);
        EXPECT_EQ(problem.empty(), c.fine) << c.what << ": " << problem;
    }
}
