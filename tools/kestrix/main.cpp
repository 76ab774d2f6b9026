#include <iostream>

#include "Command.h"

int main(int argc, char** argv) {
    CLI::App app{"kestrix: results, setups and maintenance for the tester family"};
    app.set_version_flag("--version", std::string("kestrix ") + KESTRIX_VERSION);
    app.require_subcommand(1);
    kx::cli::setupCommands(app);
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
