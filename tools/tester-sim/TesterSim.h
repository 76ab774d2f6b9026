#pragma once
// A stand-in for a tester on 127.0.0.1: an SSH server whose shell answers like the tester's BusyBox ash
// behind OpenSSH, with SCP over exec channels and a file system kept in a folder on disk.
//
//   Kestrix::Sim::SimOptions o;
//   o.root = "/tmp/tester-root";                 // the tester's "/" lives here
//   Kestrix::Sim::TesterSim sim(o);
//   sim.start();                                  // port 0 picks a free port: sim.port()
//   sim.setReply("smgetlf", "OK\n");              // canned reply to an exact command line
//   sim.addCommand("fbdump", [](const Kestrix::Sim::CommandContext& c) { ...; return CommandResult{}; });
//   ... talk to 127.0.0.1:sim.port() as "tvuser" ...
//   sim.journal();                                // command lines received, in order
//   sim.stop();
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tester/host/ServicePassword.h"

namespace Kestrix::Sim {

class SimVfs;
class TesterSim;

// One measurement module in the generated sysinfo document.
struct SimModule {
    std::string model = "310";
    std::string serialNumber = "M0000001";
    std::string dateCalibrated = "20250115 09:30:00";
    std::string dateVerified;
    std::string firstUsedDate = "20250301 10:00:00";
    std::string swRev = "1.4.2";
};

// Values of the generated sysinfo reply (used when the root holds no "sysinfo.json").
struct SysinfoOptions {
    std::string model = "Tarvel";
    std::string serialNumber = "KX1000001";
    std::string config = "main";
    std::string lastUpdate = "3.2.1";
    std::string hwRev = "B";
    std::vector<SimModule> modules{SimModule{}};
};

// Fault switches. The drops fire once and then disarm, so a client can reconnect afterwards.
struct SimFaults {
    bool refuseLogin = false;
    int64_t dropAfterScpBytes = -1;  // drop the connection once this many SCP payload bytes have passed
    int dropAfterCommands = -1;      // answer this many commands, drop the connection on the next one
    int replyDelayMs = 0;            // hold every shell reply (and its prompt) this long
    bool noPrompt = false;           // never send a prompt
    bool garbageSysinfo = false;     // "sysinfo" answers with text that is not JSON
    // Hostile testers. A stream runs until its switch is turned off (then the prompt follows) or the
    // channel closes; input that arrives meanwhile waits, as typed-ahead input does.
    bool dollarStream = false;     // a command's reply is an endless run of "x$", no newline, no prompt
    bool endlessReply = false;     // a command's reply is endless lines at full speed, no prompt
    bool repeatTimeLines = false;  // SCP downloads send "T" lines again after every acknowledgement
    int scpDripMs = 0;             // SCP downloads send their data one byte at a time, this many ms apart
    bool stallShellInput = false;  // the shell takes no input, so the client's writes stall
    std::string noReplyTo;         // the connection goes down when a command of this name arrives (once)
    std::string failCommand;       // commands of this name answer "OP_FAILED" and change nothing
    std::string swupdateReply;     // "swupdate" answers this instead of its own verdict (a code, or any text)
    bool shortFbdump = false;      // "fbdump" writes one row of pixels too few
    // Download faults ("scp -f"), counted from the last setFaults. They change what is sent, never the
    // files on disk, so the stocked tester stays intact.
    int dropDuringDownload = -1;   // drop the connection half way through this download (1 = the next), once
    std::string truncateFile;      // a file of this name (or tester path) arrives cut to half its size
    bool corruptMasterDb = false;  // the projects' master.sql arrives as something that is not a database
    std::string corruptProjectDb;  // so does project.sql of the project in this folder
    int dropListing = 0;           // the connection drops half way through each of the next N downloads of a
                                   // project's project.sql: the link going while an import lists results
};

struct SimOptions {
    std::filesystem::path root;  // must exist
    uint16_t port = 0;           // 0: a free port
    std::string user = "tvuser";
    std::string password = Kestrix::Tester::kServicePassword;
    std::string motd;      // printed before the shell's banner on a terminal
    int maxSessions = 10;  // concurrent channels per connection, as OpenSSH's MaxSessions
    SysinfoOptions sysinfo;
    SimFaults faults;
    bool seedLogs = false;  // write a tester's log files under /var/log where they are missing
};

// What a command gets: its words after quote removal (args[0] is the name) and the tester's file system.
struct CommandContext {
    std::vector<std::string> args;
    std::string line;  // the whole command line as received
    const SimVfs& vfs;
    TesterSim& sim;
};

// Output uses "\n" line ends; the shell turns them into CRLF on a terminal.
struct CommandResult {
    std::string out;
    std::string err;
    int status = 0;
};

using CommandHandler = std::function<CommandResult(const CommandContext&)>;

class TesterSim {
public:
    explicit TesterSim(SimOptions options);
    ~TesterSim();
    TesterSim(const TesterSim&) = delete;
    TesterSim& operator=(const TesterSim&) = delete;

    // Binds 127.0.0.1 and starts serving; throws std::runtime_error when that fails.
    void start();
    // Closes every connection and joins every thread. Safe to call twice.
    void stop();
    uint16_t port() const;
    std::string address() const;  // "127.0.0.1:PORT"

    // Later work plugs in commands by name (replacing a built-in one of that name) ...
    void addCommand(const std::string& name, CommandHandler handler);
    // ... or a fixed reply to one exact command line; it wins over any command.
    void setReply(const std::string& exactLine, const std::string& text);
    void clearReply(const std::string& exactLine);

    void setFaults(const SimFaults& faults);
    SimFaults faults() const;

    // Shell command lines and exec command lines ("scp -t /tmp/x") in the order received.
    std::vector<std::string> journal() const;
    // The transfer log: the tester path of every file an SCP download began to send, in order.
    std::vector<std::string> downloads() const;
    // Clears the journal and the transfer log.
    void clearJournal();

    int openConnections() const;
    bool screenLocked() const;  // last "uilock" state
    void setScreenLocked(bool locked);
    const SimVfs& vfs() const;
    const SimOptions& options() const;

private:
    struct Impl;
    std::unique_ptr<Impl> _impl;
};

}  // namespace Kestrix::Sim
