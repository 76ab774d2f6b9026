// `kestrix dump FILE`: any model object as JSON or as its text dump.
#include <iostream>

#include "Command.h"
#include "CommandTable.h"
#include "DumpRegistry.h"

namespace kx::cli {

void setupDumpCommand(CLI::App* cmd) {
    struct Opts {
        std::string file;
        bool json = false;
        uint32_t detail = 1;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Result file, container, or file holding one serialized object")->required();
    addJsonFlag(cmd, opts->json, "Print the JSON form instead of the text dump");
    auto* detail = cmd->add_option("--detail", opts->detail, "Detail level 0, 1 or 2 (text 1, JSON 2 by default)")
                       ->check(CLI::Range(0, 2));
    cmd->callback([opts, detail] {
        const auto bytes = kx::cli::readInputFile(opts->file);
        kx::cli::DumpOptions o;
        o.json = opts->json;
        // Asking for JSON is asking for the whole object; --detail still lowers it.
        o.flags.detail = opts->json && detail->count() == 0 ? 2 : opts->detail;
        kx::cli::dumpAny(bytes, o, std::cout);
    });
}

}  // namespace kx::cli
