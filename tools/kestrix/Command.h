#pragma once
// What every command of the kestrix CLI shares. A command is a row of main.cpp's table and a setup function
// that adds its options and callback:
//
//   void setupInspectCommand(CLI::App* cmd) {
//       cmd->add_option(...);
//       cmd->callback([opts] { ... throw kx::cli::BadInput("reason") on bad input ... });
//   }
//
// Exit codes: 0 success, 1 bad input (the reason goes to stderr), 2 usage error.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "tester/host/Printable.h"

namespace kx::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitBadInput = 1;
inline constexpr int kExitUsage = 2;

// Bad input: unreadable or corrupt files, refused values, a tester that does not answer.
class BadInput : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whole file as bytes; throws BadInput naming the file when it cannot be read.
std::vector<uint8_t> readInputFile(const std::string& path);
// Under a temporary name, then renamed into place: a failed write leaves an older file as it was. Throws
// BadInput naming the file.
void writeOutputFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Text from a tester or a file, safe for a terminal: the library's one sanitiser.
using Kestrix::Tester::printable;

}  // namespace kx::cli
