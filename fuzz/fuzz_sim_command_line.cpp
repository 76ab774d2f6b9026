// The simulator's command-line splitter and path normalizer on arbitrary input: no crash, and every word
// it yields survives quoting and splitting again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ShellWords.h"
#include "SimVfs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto parsed = Kestrix::Sim::parseCommandLine(text, [](std::string_view n) { return std::string(n); });
    if (parsed.state == Kestrix::Sim::ParsedLine::State::complete) {
        for (const auto& cmd : parsed.commands) {
            for (const auto& w : cmd.words) {
                const auto again = Kestrix::Sim::parseCommandLine("x " + Kestrix::Sim::shellQuote(w));
                if (again.commands.size() != 1 || again.commands[0].words.size() != 2 ||
                    again.commands[0].words[1] != w) {
                    std::abort();
                }
            }
        }
    }
    if (const auto norm = Kestrix::Sim::SimVfs::normalize(text)) {
        if (norm->empty() || (*norm)[0] != '/' || norm->find("/../") != std::string::npos ||
            (norm->size() >= 3 && norm->compare(norm->size() - 3, 3, "/..") == 0)) {
            std::abort();
        }
    }
    return 0;
}
