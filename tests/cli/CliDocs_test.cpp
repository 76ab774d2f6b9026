#include "CliDocs.h"

#include "CliTesting.h"

// Every command, its usage and options, in the man page and in the completion script.
TEST(CliDocs, ManPageAndCompletionHoldEveryCommandAndEscapeRoff) {
    CLI::App tool("Results", "kestrix");
    kx::cli::setupCommands(tool);
    kx::test::expectGolden(kx::cli::manPage(tool, "9.8.7"), "kestrix.1");
    kx::test::expectGolden(kx::cli::bashCompletion(tool), "kestrix.bash");
    // Help text is roff-escaped.
    CLI::App app{"A", "kestrix"};
    app.add_subcommand("x", "line\n.starts with a dot, has a \\ backslash");
    const std::string man = kx::cli::manPage(app, "1");
    EXPECT_NE(man.find("\n\\&.starts with a dot, has a \\e backslash\n"), std::string::npos) << man;
}

TEST(CliDocs, VersionNamesTheLibraries) {
    const std::string v = kx::cli::versionText();
    EXPECT_EQ(v.rfind(std::string("kestrix ") + KESTRIX_VERSION + "\n", 0), 0u) << v;
    for (const char* lib : {"zlib ", "JsonCpp ", "SQLite ", "libssh "})
        EXPECT_NE(v.find(lib), std::string::npos) << lib;
}
