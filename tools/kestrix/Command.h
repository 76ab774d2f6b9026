#pragma once
// Commands of the kestrix CLI register themselves from their own source file:
//
//   static kx::cli::CommandRegistration reg([](CLI::App& app) {
//       auto* cmd = app.add_subcommand("inspect", "List a container's sections");
//       ...
//       cmd->callback([opts] { ... throw kx::cli::BadInput("reason") on bad input ... });
//   });
//
// Exit codes: 0 success, 1 bad input (the reason goes to stderr), 2 usage error.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace kx::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitBadInput = 1;
inline constexpr int kExitUsage = 2;

// Bad input: unreadable or corrupt files, refused values, a tester that does not answer.
class BadInput : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using CommandSetup = std::function<void(CLI::App& app)>;

struct CommandRegistration {
    explicit CommandRegistration(CommandSetup setup);
};

// Runs every registered setup on `app` (in registration order).
void setupCommands(CLI::App& app);

// Whole file as bytes; throws BadInput naming the file when it cannot be read.
std::vector<uint8_t> readInputFile(const std::string& path);
void writeOutputFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace kx::cli
