// Files and folders the tool writes: a failed write never costs an older file, and no folder is made
// through a link that leads out of the folder the user chose.
#include "CliTesting.h"

#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "tester/import/OutputFile.h"

namespace {

TEST(OutputFile, AFailedWriteLeavesTheOlderFileAsItWas) {
    const fs::path dir = kx::test::freshFolder("outfile");
    const fs::path file = dir / "settings.set";
    std::ofstream(file) << "older settings";
    // A disk that fills up after ten bytes.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 10;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(kx::cli::writeOutputFile(file.string(), std::vector<uint8_t>(100, 'x')), kx::cli::BadInput);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(kx::test::readText(file), "older settings");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temporary left
    kx::cli::writeOutputFile(file.string(), {'n', 'e', 'w'});
    EXPECT_EQ(kx::test::readText(file), "new");
    // Through a link, the file it names is written and the link stays.
    fs::create_symlink(file, dir / "link.set");
    kx::cli::writeOutputFile((dir / "link.set").string(), {'v', '2'});
    EXPECT_TRUE(fs::is_symlink(dir / "link.set"));
    EXPECT_EQ(kx::test::readText(file), "v2");
    fs::remove_all(dir);
}

TEST(OutputFile, FoldersAreMadeOnlyInside) {
    const fs::path root = fs::canonical(kx::test::freshFolder("inside"));
    const fs::path elsewhere = kx::test::freshFolder("elsewhere");
    fs::create_directories(root / "real");
    fs::create_directory_symlink(elsewhere, root / "out");
    fs::create_directory_symlink(root / "real", root / "in");
    std::ofstream(root / "file") << "x";
    EXPECT_THROW(Kestrix::Import::makeFolderInside(root, "out/site"), std::runtime_error);
    EXPECT_THROW(Kestrix::Import::makeFolderInside(root, "file/site"), std::runtime_error);
    EXPECT_THROW(Kestrix::Import::makeFolderInside(root, "../escape"), std::runtime_error);
    EXPECT_TRUE(fs::is_empty(elsewhere));
    // A link that stays inside is followed.
    EXPECT_EQ(Kestrix::Import::makeFolderInside(root, "in/site"), root / "real" / "site");
    EXPECT_TRUE(fs::is_directory(root / "real" / "site"));
    EXPECT_EQ(Kestrix::Import::makeFolderInside(root, "a/b/c"), root / "a" / "b" / "c");
    fs::remove_all(root);
    fs::remove_all(elsewhere);
}

}  // namespace
