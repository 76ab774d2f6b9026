// kestrix manifest FILE [--json]: a database package's version and firmware requirement.
#include <iostream>
#include <memory>

#include "Command.h"
#include "CommandTable.h"
#include "InspectCommand.h"
#include "common/ManifestFile.h"
#include "serialization/JsonText.h"

namespace kx::cli {

void printManifest(const std::string& path, bool json, std::ostream& out) {
    char version[256];
    char firmware[256];
    uint32_t build = 0;
    // The functions behind the exported ones, as a host would call them.
    uint32_t code = Kestrix::getDbVersionFromManifest(path.c_str(), version, sizeof version, &build);
    if (code == 0) code = Kestrix::getDbMinReqFirmwareVersionFromManifest(path.c_str(), firmware, sizeof firmware);
    if (json) {
        Json::Value v(Json::objectValue);
        v["code"] = code;
        v["meaning"] = Kestrix::manifestCodeText(code);
        if (code == 0) {
            v["version"] = version;
            v["build"] = build;
            v["minReqFirmwareVersion"] = firmware;
        }
        out << Dump::toJsonString(v, false);
    } else if (code == 0) {
        out << "version " << version << "\nbuild " << build << "\nminReqFirmwareVersion " << firmware << '\n';
    }
    if (code != 0) throw BadInput("manifest code " + std::to_string(code) + ": " + Kestrix::manifestCodeText(code));
}

void setupManifestCommand(CLI::App* cmd) {
    struct Opts {
        std::string file;
        bool json = false;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Database package manifest (container file)")->required();
    cmd->add_flag("--json", opts->json, "Machine-readable output");
    cmd->callback([opts] { printManifest(opts->file, opts->json, std::cout); });
}

}  // namespace kx::cli
