#pragma once
// Runs a program of this build (the kestrix tool) as a user would: its exit code and what it printed.
#include <string>
#include <vector>

namespace kx::test {

struct ToolRun {
    int code = -1;  // exit code; -1 when it did not exit normally
    std::string out, err;
    // The first line of stderr, without its line feed.
    std::string firstErrorLine() const;
};

// Runs `exe` with `args` and no input, its output collected in files below `scratch` (a folder that exists).
ToolRun runTool(const std::string& exe, const std::vector<std::string>& args, const std::string& scratch);

}  // namespace kx::test
