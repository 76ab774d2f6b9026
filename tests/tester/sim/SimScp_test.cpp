// SCP over exec channels, both directions, spoken by hand against the simulator.
#include <gtest/gtest.h>

#include "tester/SimTestClient.h"

using kx::test::Client;
using kx::test::SimFixture;
namespace fs = std::filesystem;

TEST(SimScp, UploadAndDownloadRoundTripAtSeveralSizes) {
    SimFixture f("scp");
    Client c(f.sim->port());
    ASSERT_TRUE(c.loggedIn());
    for (size_t size : {size_t{0}, size_t{1}, size_t{65535}, size_t{3} << 20}) {
        const std::string data = kx::test::randomBytes(size, static_cast<unsigned>(size));
        const std::string path = "/tmp/blob" + std::to_string(size) + ".bin";
        const auto put = c.put(path, data);
        ASSERT_TRUE(put.ok) << size << ": " << put.error;
        EXPECT_EQ(kx::test::readFile(f.root / path.substr(1)), data) << size;
        const auto got = c.get(path);
        ASSERT_TRUE(got.ok) << size << ": " << got.error;
        EXPECT_EQ(got.data, data) << size;
    }
}

TEST(SimScp, UploadIntoAFolderTakesTheNameFromTheFileLine) {
    SimFixture f("scpdir");
    Client c(f.sim->port());
    ASSERT_TRUE(c.put("/tmp", "12345", "uplist0").ok);
    EXPECT_EQ(kx::test::readFile(f.root / "tmp" / "uplist0"), "12345");
    ASSERT_TRUE(c.put("/tmp/", "x", "second").ok);
    EXPECT_EQ(kx::test::readFile(f.root / "tmp" / "second"), "x");
}

TEST(SimScp, QuotedPathsWithSpacesAndQuotes) {
    SimFixture f("scpquote");
    const fs::path dir = f.root / "microsd_userdata" / "projects" / "My \"Job\" $1";
    fs::create_directories(dir);
    Client c(f.sim->port());
    const std::string remote = "/microsd_userdata/projects/My \"Job\" $1/it's a result.res";
    ASSERT_TRUE(c.put(remote, "payload").ok);
    EXPECT_EQ(kx::test::readFile(dir / "it's a result.res"), "payload");
    const auto got = c.get(remote);
    ASSERT_TRUE(got.ok) << got.error;
    EXPECT_EQ(got.data, "payload");
    const auto journal = f.sim->journal();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[0], "scp -t " + Kestrix::Sim::shellQuote(remote));
    EXPECT_EQ(journal[1], "scp -f " + Kestrix::Sim::shellQuote(remote));
}

TEST(SimScp, MissingFilesAndFoldersAreErrors) {
    SimFixture f("scperr");
    Client c(f.sim->port());
    auto got = c.get("/var/log/kestrix.err");
    EXPECT_FALSE(got.ok);
    EXPECT_EQ(got.error, "scp: /var/log/kestrix.err: No such file or directory");
    got = c.get("/tmp");
    EXPECT_FALSE(got.ok);
    EXPECT_EQ(got.error, "scp: /tmp: not a regular file");
    auto put = c.put("/no/such/dir/file", "x");
    EXPECT_FALSE(put.ok);
    EXPECT_EQ(put.error, "scp: /no/such/dir/file: No such file or directory");
    // The connection stays usable after failed transfers.
    EXPECT_TRUE(c.put("/tmp/ok", "y").ok);
}

TEST(SimScp, TransfersCannotLeaveTheRoot) {
    SimFixture f("scpescape");
    const fs::path outside = kx::test::freshFolder("scpoutside");
    kx::test::writeFile(outside / "secret", "s");
    fs::create_directory_symlink(outside, f.root / "tmp" / "out");
    Client c(f.sim->port());
    auto got = c.get("/../" + outside.filename().string() + "/secret");
    EXPECT_FALSE(got.ok);
    got = c.get("/tmp/out/secret");
    EXPECT_FALSE(got.ok);
    EXPECT_EQ(got.error, "scp: /tmp/out/secret: Permission denied");
    EXPECT_FALSE(c.put("/tmp/out/planted", "x").ok);
    EXPECT_FALSE(fs::exists(outside / "planted"));
    fs::remove_all(outside);
}

TEST(SimScp, OtherExecCommandsRunWithoutATerminal) {
    SimFixture f("exec");
    Client c(f.sim->port());
    auto r = c.exec("deferpowerdown");
    EXPECT_EQ(r.out, "OK\n");
    EXPECT_EQ(r.status, 0);
    r = c.exec("ls -lQ \"/nope\"");
    EXPECT_EQ(r.err, "ls: /nope: No such file or directory\n");
    EXPECT_EQ(r.status, 1);
    r = c.exec("scp -x");
    EXPECT_EQ(r.status, 127);
    // What OpenSSH's scp sends for a path with a space that nobody quoted.
    r = c.exec("scp -v -t /tmp/a b.bin");
    EXPECT_EQ(r.out, "\x01scp: ambiguous target\n");
    EXPECT_EQ(r.status, 1);
}
