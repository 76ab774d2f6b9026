#include "CliDocs.h"

#include <gtest/gtest.h>

#include <memory>

#include "CommandTable.h"

namespace {

std::unique_ptr<CLI::App> toolApp() {
    auto app = std::make_unique<CLI::App>("Results", "kestrix");
    kx::cli::setupCommands(*app);
    return app;
}

}  // namespace

TEST(CliDocs, ManPageAndCompletionHoldEveryCommand) {
    const auto app = toolApp();
    const std::string man = kx::cli::manPage(*app, "9.8.7");
    EXPECT_EQ(man.rfind(".TH KESTRIX 1 \"\" \"kestrix 9.8.7\"", 0), 0u) << man.substr(0, 80);
    EXPECT_NE(man.find("kestrix \\- results\n"), std::string::npos);
    EXPECT_NE(man.find(".SS \"kestrix settings set\""), std::string::npos);
    EXPECT_NE(man.find("Usage: kestrix settings set [OPTIONS] FILE KEY VALUE"), std::string::npos);
    EXPECT_NE(man.find(".SS \"kestrix inspect\""), std::string::npos);

    // Completion knows nested commands and options.
    const std::string script = kx::cli::bashCompletion(*app);
    EXPECT_NE(script.find("\" project show\") path=\" project show\" ;;"), std::string::npos);
    EXPECT_NE(script.find("\" settings\") commands=\"show new set pull push\" options=\"--help -h\" ;;"),
              std::string::npos);
    EXPECT_NE(script.find("\" project show\") commands=\"\" options=\"--help -h --json --detail\" ;;"),
              std::string::npos);
    EXPECT_NE(script.find("complete -o filenames -F _kestrix kestrix"), std::string::npos);
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
