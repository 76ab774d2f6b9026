#include "CliDocs.h"

#include <gtest/gtest.h>

#include <memory>

#include "CommandTable.h"
#include "core/Golden.h"

namespace {

std::unique_ptr<CLI::App> toolApp() {
    auto app = std::make_unique<CLI::App>("Results", "kestrix");
    kx::cli::setupCommands(*app);
    return app;
}

}  // namespace

// Every command, its usage and options, in the man page and in the completion script.
TEST(CliDocs, ManPageAndCompletionHoldEveryCommand) {
    const auto app = toolApp();
    kx::test::expectGolden(kx::cli::manPage(*app, "9.8.7"), "kestrix.1");
    kx::test::expectGolden(kx::cli::bashCompletion(*app), "kestrix.bash");
}

TEST(CliDocs, ManPageEscapesRoffControls) {
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
