// The simulator's mapping of tester paths into its root folder.

#include "SimVfs.h"
#include "tester/SimTestClient.h"

using Kestrix::Sim::SimVfs;
namespace fs = std::filesystem;

TEST(SimVfs, NormalizesAndMapsIntoTheRootStoppingAtLinksLeavingIt) {
    const fs::path root = kx::test::freshFolder("vfs");
    const fs::path outside = kx::test::freshFolder("vfsout");
    fs::create_directories(root / "var" / "log");
    fs::create_directory_symlink(root / "var" / "log", root / "logs");
    fs::create_directory_symlink(outside, root / "out");
    fs::create_symlink(outside / "missing", root / "dangling");
    fs::create_symlink("../../..", root / "var" / "up");
    // A sibling whose name starts with the root's name is still outside it.
    const fs::path sibling = root.string() + "-evil";
    fs::remove_all(sibling);
    fs::create_directories(sibling);
    fs::create_directory_symlink(sibling, root / "next");
    fs::create_symlink(sibling / "secret", root / "file");
    const SimVfs vfs(root);
    const fs::path canon = fs::canonical(root);

    EXPECT_EQ(vfs.map("/var/log/messages"), canon / "var" / "log" / "messages");
    EXPECT_EQ(vfs.map("/"), canon);
    EXPECT_EQ(vfs.map("/new/dir/file"), canon / "new" / "dir" / "file");
    EXPECT_EQ(vfs.map("/logs/kestrix.log"), canon / "var" / "log" / "kestrix.log");
    EXPECT_EQ(vfs.map("/logs"), canon / "logs");  // a link as last component stays the link
    EXPECT_FALSE(vfs.map("/../x"));
    EXPECT_FALSE(vfs.map("/out"));
    EXPECT_FALSE(vfs.map("/out/file"));
    EXPECT_FALSE(vfs.map("/dangling"));
    EXPECT_FALSE(vfs.map("/var/up/etc"));
    EXPECT_FALSE(vfs.map(std::string("/tmp/a\0b", 8)));
    EXPECT_FALSE(vfs.map("/next"));
    EXPECT_FALSE(vfs.map("/next/secret"));
    EXPECT_FALSE(vfs.map("/file"));
    for (const fs::path& p : {root, outside, sibling}) fs::remove_all(p);
    // Normalizing keeps inside and refuses climbing out.
    EXPECT_EQ(SimVfs::normalize("/tmp//a/./b/"), "/tmp/a/b");
    EXPECT_EQ(SimVfs::normalize("/tmp/a/../b"), "/tmp/b");
    EXPECT_EQ(SimVfs::normalize("rel/x"), "/rel/x");
    EXPECT_EQ(SimVfs::normalize(""), "/");
    EXPECT_EQ(SimVfs::normalize("/tmp/.."), "/");
    EXPECT_FALSE(SimVfs::normalize("/.."));
    EXPECT_FALSE(SimVfs::normalize("/tmp/../../etc"));
    EXPECT_FALSE(SimVfs::normalize(".."));
}

TEST(SimVfs, RootMustBeAFolder) { EXPECT_THROW(SimVfs("/definitely/not/here"), std::runtime_error); }
