// kestrix sim: a tester simulator on 127.0.0.1, served until the process is interrupted.
#include <csignal>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

#include "Command.h"
#include "CommandTable.h"
#include "SimStock.h"
#include "TesterSim.h"

namespace {

struct SimCliOptions {
    std::string root;
    uint16_t port = 0;
    std::string password = Kestrix::Tester::kServicePassword;
    Kestrix::Sim::SysinfoOptions sysinfo;
    std::vector<std::string> modules;
    Kestrix::Sim::SimFaults faults;
    int records = 0;
    Kestrix::Sim::StockMix mix = Kestrix::Sim::StockMix::every;
};

void serve(const SimCliOptions& o) {
    std::error_code ec;
    if (Kestrix::Sim::wantsStock(o.root)) {
        Kestrix::Sim::StockOptions stock;
        stock.extraRecords = o.records;
        stock.mix = o.mix;
        try {
            Kestrix::Sim::stockTester(o.root, stock);
        } catch (const std::exception& e) {
            throw kx::cli::BadInput(std::string("cannot stock the tester: ") + e.what());
        }
        std::cout << "stocked a new tester in " << o.root << std::endl;
    } else if (o.records > 0) {
        std::cerr << "kestrix sim: " << o.root << " is not empty: served as it is, --records ignored" << std::endl;
    }
    if (!std::filesystem::is_directory(o.root, ec)) {
        throw kx::cli::BadInput("not a folder: " + o.root);
    }
    Kestrix::Sim::SimOptions options;
    options.root = o.root;
    options.port = o.port;
    options.password = o.password;
    options.sysinfo = o.sysinfo;
    if (!o.modules.empty()) {
        options.sysinfo.modules.clear();
        for (size_t i = 0; i < o.modules.size(); ++i) {
            Kestrix::Sim::SimModule m;
            m.model = o.modules[i];
            m.serialNumber = "M" + std::to_string(1000001 + i);
            options.sysinfo.modules.push_back(m);
        }
    }
    options.faults = o.faults;
    options.seedLogs = true;

    // Threads inherit the mask, so only sigwait below sees the interrupt.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    Kestrix::Sim::TesterSim sim(options);
    try {
        sim.start();
    } catch (const std::exception& e) {
        throw kx::cli::BadInput(e.what());
    }
    std::cout << "listening on " << sim.address() << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    sim.stop();
}

}  // namespace

namespace kx::cli {

void setupSimCommand(CLI::App* cmd) {
    auto o = std::make_shared<SimCliOptions>();
    cmd->add_option("--root", o->root,
                    "Folder holding the tester's file system; a missing or empty one is stocked first")
        ->required();
    cmd->add_option("--records", o->records, "Generated results added when stocking, for scale runs")
        ->check(CLI::Range(0, 100000));
    const std::map<std::string, Kestrix::Sim::StockMix> mixes{{"every", Kestrix::Sim::StockMix::every},
                                                              {"copper", Kestrix::Sim::StockMix::copper},
                                                              {"otdr", Kestrix::Sim::StockMix::otdr}};
    cmd->add_option("--records-of", o->mix,
                    "What the generated results are: every kind in turn, copper links, or OTDR results with "
                    "full-length traces")
        ->transform(CLI::CheckedTransformer(mixes))
        ->default_str("every");
    cmd->add_option("--port", o->port, "Port to listen on (0: any free port)");
    cmd->add_option("--password", o->password, "Password of the tester's service account");
    cmd->add_option("--model", o->sysinfo.model, "Model in the sysinfo reply")->capture_default_str();
    cmd->add_option("--serial", o->sysinfo.serialNumber, "Serial number in the sysinfo reply")->capture_default_str();
    cmd->add_option("--config", o->sysinfo.config, "Unit configuration in the sysinfo reply")->capture_default_str();
    cmd->add_option("--module", o->modules, "Model number of a measurement module (repeatable)");
    cmd->add_flag("--refuse-login", o->faults.refuseLogin, "Refuse every login");
    cmd->add_option("--reply-delay", o->faults.replyDelayMs, "Hold every shell reply this many ms");
    cmd->add_flag("--no-prompt", o->faults.noPrompt, "Never send the shell prompt");
    cmd->add_flag("--garbage-sysinfo", o->faults.garbageSysinfo, "Answer sysinfo with text that is not JSON");
    cmd->add_flag("--dollar-stream", o->faults.dollarStream, "Answer every command with endless \"x$\", no newline");
    cmd->add_flag("--endless-reply", o->faults.endlessReply, "Answer every command with endless lines");
    cmd->add_flag("--repeat-time-lines", o->faults.repeatTimeLines, "SCP downloads repeat their \"T\" line");
    cmd->add_option("--scp-drip", o->faults.scpDripMs, "SCP downloads send one byte every N ms");
    cmd->add_flag("--stall-shell-input", o->faults.stallShellInput, "The shell takes no input");
    cmd->add_option("--swupdate-reply", o->faults.swupdateReply, "Answer swupdate with this text (a code 0-9)");
    cmd->add_flag("--short-fbdump", o->faults.shortFbdump, "Write a screen dump one row short");
    cmd->add_option("--fail-command", o->faults.failCommand, "Answer this command with OP_FAILED");
    cmd->add_option("--drop-download", o->faults.dropDuringDownload,
                    "Drop the connection half way through the Nth file download (once)")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--drop-listing", o->faults.dropListing,
                    "Drop the connection half way through each of the next N project database downloads")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--truncate-file", o->faults.truncateFile,
                    "Send a file of this name (or tester path) cut to half its size");
    cmd->add_flag("--corrupt-master", o->faults.corruptMasterDb, "Send master.sql damaged, not a database");
    cmd->add_option("--corrupt-project", o->faults.corruptProjectDb,
                    "Send project.sql of the project in this folder damaged");
    cmd->callback([o] { serve(*o); });
}

}  // namespace kx::cli
