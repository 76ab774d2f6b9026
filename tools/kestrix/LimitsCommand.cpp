// `kestrix limits DB_FOLDER [--json]`: the limits of a copper limit database ("culim.mnts").
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "Command.h"
#include "CommandTable.h"
#include "copper/CopperLimit.h"
#include "tester/db/CopperLimitsTbl.h"

namespace kx::cli {

namespace {

const char* mediaName(int64_t type) {
    switch (type) {
        case 1: return "twisted pair";
        case 2: return "coax";
        case 3: return "any";
        default: return "unset";
    }
}

}  // namespace

void setupLimitsCommand(CLI::App* cmd) {
    struct Opts {
        std::string folder;
        bool json = false;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("DB_FOLDER", opts->folder, "Folder holding culim.mnts")->required();
    addJsonFlag(cmd, opts->json);
    cmd->callback([opts] {
        std::error_code ec;
        if (!std::filesystem::is_directory(opts->folder, ec))
            throw BadInput("no such folder: " + opts->folder, "give the folder that holds culim.mnts");
        Kestrix::Tester::CopperLimitsTbl table;
        const std::string path = Kestrix::Tester::CopperLimitsTbl::pathIn(opts->folder);
        if (table.Open(path) != Kestrix::Tester::SQLiteTbl::kOpened)
            throw BadInput("not a copper limit database: " + path + " (" + table.lastError() + ")",
                           "give the folder that holds culim.mnts");
        Json::Value list(Json::arrayValue);
        for (bool row = table.MoveFirst(); row; row = table.MoveNext()) {
            Json::Value e(Json::objectValue);
            try {
                e["name"] = table.name();
            } catch (const Kestrix::Tester::SQLiteTblError&) {
                e["name"] = Json::Value();
            }
            try {
                e["media"] = mediaName(table.type());
                e["mediaCode"] = static_cast<Json::Int64>(table.type());
            } catch (const Kestrix::Tester::SQLiteTblError&) {
                e["media"] = Json::Value();
                e["mediaCode"] = Json::Value();
            }
            try {
                e["maxFreqKHz"] = static_cast<Json::Int64>(table.maxFreq());
            } catch (const Kestrix::Tester::SQLiteTblError&) {
                e["maxFreqKHz"] = Json::Value();
            }
            Kestrix::CopperLimit limit;
            std::string why;
            if (table.openLimit(limit, &why)) {
                e["version"] = limit.getDbPkgMfstSummary().getVersionString();
            } else {
                e["version"] = Json::Value();
                e["error"] = why;
            }
            list.append(e);
        }
        if (opts->json) {
            printJson(list);
            return;
        }
        std::printf("%-32s %-13s %9s  %s\n", "Name", "Type", "Max MHz", "Version");
        for (const Json::Value& e : list) {
            const std::string maxFreq =
                e["maxFreqKHz"].isNull() ? "?" : std::to_string(e["maxFreqKHz"].asInt64() / 1000);
            std::printf("%-32s %-13s %9s  %s\n", printable(e["name"].isNull() ? "?" : e["name"].asString()).c_str(),
                        e["media"].isNull() ? "?" : e["media"].asString().c_str(), maxFreq.c_str(),
                        e["version"].isNull() ? ("unreadable: " + e["error"].asString()).c_str()
                                              : e["version"].asString().c_str());
        }
    });
}

}  // namespace kx::cli
