// SCP over exec channels, both directions, spoken by hand against the simulator.

#include "tester/SimTestClient.h"

using SimScp = kx::test::SimTest;
namespace fs = std::filesystem;

TEST_F(SimScp, MissingFilesFoldersAndPathsOutsideTheRootAreErrorsAndOtherExecCommandsRunWithoutATerminal) {
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
    // An upload into a folder takes the name from the file line.
    ASSERT_TRUE(c.put("/tmp", "12345", "uplist0").ok);
    EXPECT_EQ(kx::test::readText(f.root / "tmp" / "uplist0"), "12345");
    ASSERT_TRUE(c.put("/tmp/", "x", "second").ok);
    EXPECT_EQ(kx::test::readText(f.root / "tmp" / "second"), "x");

    // Transfers cannot leave the root.
    const fs::path outside = kx::test::freshFolder("scpoutside");
    kx::test::writeText(outside / "secret", "s");
    fs::create_directory_symlink(outside, f.root / "tmp" / "out");
    got = c.get("/../" + outside.filename().string() + "/secret");
    EXPECT_FALSE(got.ok);
    got = c.get("/tmp/out/secret");
    EXPECT_FALSE(got.ok);
    EXPECT_EQ(got.error, "scp: /tmp/out/secret: Permission denied");
    EXPECT_FALSE(c.put("/tmp/out/planted", "x").ok);
    EXPECT_FALSE(fs::exists(outside / "planted"));
    fs::remove_all(outside);
    // Other exec commands run without a terminal.
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
