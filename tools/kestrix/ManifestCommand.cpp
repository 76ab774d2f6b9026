// kestrix manifest FILE [--json]: a database package's version and firmware requirement.
#include <iostream>
#include <memory>

#include "Command.h"
#include "CommandTable.h"
#include "InspectCommand.h"
#include "common/ManifestFile.h"

namespace kx::cli {

void printManifest(const std::string& path, bool json, std::ostream& out) {
    // A missing file is named as such, not as a manifest code.
    (void)readInputFile(path);
    char version[256];
    char firmware[256];
    uint32_t build = 0;
    // The functions behind the exported ones, as a host would call them.
    uint32_t code = Kestrix::getDbVersionFromManifest(path.c_str(), version, sizeof version, &build);
    if (code == 0) code = Kestrix::getDbMinReqFirmwareVersionFromManifest(path.c_str(), firmware, sizeof firmware);
    if (json) {
        Json::Value v(Json::objectValue);
        v["result"] = Kestrix::manifestCodeText(code);
        v["resultCode"] = code;
        if (code == 0) {
            v["version"] = version;
            v["build"] = build;
            v["minReqFirmwareVersion"] = firmware;
        }
        out << jsonText(v);
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
    addJsonFlag(cmd, opts->json);
    cmd->callback([opts] { printManifest(opts->file, opts->json, std::cout); });
}

}  // namespace kx::cli
