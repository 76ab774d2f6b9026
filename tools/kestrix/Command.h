#pragma once
// What every command of the kestrix CLI shares. A command is a row of main.cpp's table and a setup function
// that adds its options and callback:
//
//   void setupInspectCommand(CLI::App* cmd) {
//       cmd->add_option(...);
//       cmd->callback([opts] { ... throw kx::cli::BadInput("reason", "what to do") when it fails ... });
//   }
//
// Exit codes, kept by every command: 0 only when the whole job was done; 1 when the work failed or did
// nothing it was asked to (bad input, a tester's refusal, a failed remote command, nothing matched a filter);
// 2 usage. Every error line starts with "kestrix:".
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <json/value.h>

#include "tester/host/Printable.h"

namespace kx::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadInput = kExitFailed;
inline constexpr int kExitUsage = 2;

// The work failed or did nothing (exit 1): unreadable or refused input, a tester that does not answer or
// refuses. what() says what went wrong; hint() what the user can do about it, when there is something.
class BadInput : public std::runtime_error {
public:
    explicit BadInput(const std::string& reason, std::string hint = "")
        : std::runtime_error(reason), _hint(std::move(hint)) {}
    const std::string& hint() const { return _hint; }

private:
    std::string _hint;
};

// A call that cannot mean anything (exit 2), found only once the command runs: options that do not go
// together, a file name of a kind the command does not write.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whole file as bytes; throws BadInput naming the file and why it cannot be read.
std::vector<uint8_t> readInputFile(const std::string& path);

// The one way the tool writes a file: under a temporary name, then renamed into place, so a failed write
// leaves an older file as it was; then "wrote PATH" on stderr unless --quiet. Throws BadInput naming the
// file.
void writeOutputFile(const std::string& path, const std::vector<uint8_t>& bytes);
void writeOutputText(const std::string& path, const std::string& text);
// "wrote PATH" on stderr unless --quiet, for a file written by the library (a report, SR-4731 traces).
void announceWritten(const std::string& path);
// Any such line ("wrote /tmp/a.result on the tester").
void announce(const std::string& line);
// --quiet: no "wrote FILE" lines. For every command that writes files.
void addQuietFlag(CLI::App* cmd);

// --json, for every command that prints data.
void addJsonFlag(CLI::App* cmd, bool& json, const std::string& what = "Print JSON instead of text");
// The one JSON printer: indented, numbers with at most 15 significant digits (2000.4 stays 2000.4), text as
// UTF-8; see the README for the keys, numbers and dates every document keeps to.
std::string jsonText(const Json::Value& value);
void printJson(const Json::Value& value);

// "2024-05-28T14:13:00Z" for seconds since 1970.
std::string isoTime(int64_t secondsSince1970);

// Text from a tester or a file, safe for a terminal: the library's one sanitiser.
using Kestrix::Tester::printable;

// Lower-case file name ending, with its dot: ".png".
std::string extensionOf(const std::string& path);

}  // namespace kx::cli
