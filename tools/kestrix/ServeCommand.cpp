// `kestrix serve DIR... [--port N] [--listen ADDR] [--ip ADDR] [--watch]`: a web viewer of import folders.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <thread>

#include "Command.h"
#include "CommandTable.h"
#include "HttpServer.h"
#include "ReportRecordSource.h"
#include "ServeImporter.h"
#include "TesterLink.h"
#include "Viewer.h"

namespace kx::cli {

namespace {

struct ServeOptions {
    std::vector<std::string> folders;
    std::string listen = "127.0.0.1";
    int port = 8080;
    TesterLink link;
    bool watch = false;
    bool noMark = false;
};

// SIGINT and SIGTERM stop the server; they are blocked in every thread and taken here alone.
class StopOnSignal {
public:
    explicit StopOnSignal(kx::serve::HttpServer& server) {
        sigemptyset(&_set);
        sigaddset(&_set, SIGINT);
        sigaddset(&_set, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &_set, &_old);
        _thread = std::thread([this, &server] {
            const timespec wait{0, 200 * 1000 * 1000};
            while (!_done) {
                if (sigtimedwait(&_set, nullptr, &wait) > 0) {
                    server.stop();
                    return;
                }
            }
        });
    }
    ~StopOnSignal() {
        _done = true;
        _thread.join();
        pthread_sigmask(SIG_SETMASK, &_old, nullptr);
    }

private:
    sigset_t _set{};
    sigset_t _old{};
    std::atomic<bool> _done{false};
    std::thread _thread;
};

void serve(const ServeOptions& o) {
    // A folder that is not there is bad input, not a wrong call.
    for (const std::string& f : o.folders) {
        std::error_code ec;
        if (!std::filesystem::is_directory(f, ec)) throw BadInput("not a folder: " + f);
    }
    kx::serve::ViewerOptions vo;
    vo.folders = o.folders;
    kx::serve::Viewer viewer(vo, std::make_unique<kx::serve::ReportRecordSource>());
    if (std::string e = viewer.load(); !e.empty()) throw BadInput(e);
    kx::serve::ImportController::Options io;
    io.folder = o.folders.front();
    io.periodic = !o.link.ip.empty();
    io.watch = o.watch;
    viewer.attachImporter(std::make_unique<ServeImporter>(o.link, !o.noMark), io, o.link.ip);

    kx::serve::HttpServer server([&viewer](const kx::serve::Request& r) { return viewer.handle(r); });
    // Blocked before any thread starts, so every thread inherits the mask.
    StopOnSignal stopper(server);
    if (std::string e = server.bind(o.listen, o.port); !e.empty()) throw BadInput(e);
    const std::string hostPort = (o.listen.find(':') != std::string::npos ? "[" + o.listen + "]" : o.listen) + ":" +
                                 std::to_string(server.port());
    if (kx::serve::isLoopback(o.listen)) {
        const std::string port = std::to_string(server.port());
        viewer.setAllowedHosts({hostPort, "127.0.0.1:" + port, "localhost:" + port, "[::1]:" + port});
    } else {
        std::fprintf(stderr,
                     "kestrix: warning: listening on %s, not on loopback: anyone who can reach this address can read "
                     "these results and start an import from the page\n",
                     hostPort.c_str());
    }
    viewer.start();
    std::printf("serving %zu records on http://%s/ (Ctrl-C stops)\n", viewer.library()->size(), hostPort.c_str());
    std::fflush(stdout);
    const bool served = server.run();
    viewer.stop();
    if (!served) throw BadInput("the server stopped: cannot accept connections on " + hostPort);
}

}  // namespace

void setupServeCommand(CLI::App* cmd) {
    auto o = std::make_shared<ServeOptions>();
    cmd->add_option("DIR", o->folders, "Import folders (the first takes imports from the page)")->required();
    cmd->add_option("--port", o->port, "Port to listen on (0: any free port)")
        ->check(CLI::Range(0, 65535))
        ->capture_default_str();
    cmd->add_option("--listen", o->listen, "Address to listen on; another than loopback is warned about")
        ->capture_default_str();
    cmd->add_option("--ip", o->link.ip, "Tester address, ADDR or ADDR:PORT (default: look on the USB network link)");
    cmd->add_option("--password", o->link.password, "Service password (default: the built-in one)");
    cmd->add_option("--timeout", o->link.timeoutMs, "Shell time-out in ms (default 5000)")
        ->check(CLI::NonNegativeNumber);
    cmd->add_flag("--watch", o->watch, "Import whenever a tester appears");
    cmd->add_flag("--no-mark", o->noMark, "Do not mark imported results as uploaded on the tester");
    cmd->callback([o] { serve(*o); });
}

}  // namespace kx::cli
