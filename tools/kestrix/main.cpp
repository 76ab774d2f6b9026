#include <iostream>

#include "CliDocs.h"
#include "Command.h"

int main(int argc, char** argv) {
    CLI::App app{"kestrix: results, setups and maintenance for the tester family", "kestrix"};
    app.set_version_flag("--version", kx::cli::versionText());
    app.require_subcommand(1);
    kx::cli::setupCommands(app);
    // Used by the build to write the man page and the completion script; not shown in the help.
    app.add_flag_callback("--man-page", [&app] {
           std::cout << kx::cli::manPage(app, KESTRIX_VERSION);
           throw CLI::Success();
       })->group("");
    app.add_flag_callback("--bash-completion", [&app] {
           std::cout << kx::cli::bashCompletion(app);
           throw CLI::Success();
       })->group("");
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kx::cli::kExitUsage;
    } catch (const kx::cli::BadInput& e) {
        std::cerr << "kestrix: " << e.what() << '\n';
        return kx::cli::kExitBadInput;
    } catch (const std::exception& e) {
        std::cerr << "kestrix: " << e.what() << '\n';
        return kx::cli::kExitBadInput;
    }
    return kx::cli::kExitOk;
}
