#pragma once
// A bare libssh client for the simulator's tests: login, shell and exec channels, and SCP spoken by hand,
// so the simulator is checked byte by byte and independently of the project's own client.
#include <gtest/gtest.h>
#include <libssh/libssh.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "ShellWords.h"
#include "TesterSim.h"
#include "core/TestFiles.h"

namespace kx::test {

struct ExecResult {
    std::string out;
    std::string err;
    int status = -1;
};

// One step of an SCP download: a file ('C', its name and data), a folder ('D', its name) or its end ('E'), or an
// error line ('?', its text).
struct ScpStep {
    char kind = '?';
    std::string name;
    std::string data;
};

struct ScpResult {
    bool ok = false;
    std::string data;
    std::string error;  // the text of a \x01/\x02 reply, or what went wrong
};

class Client {
public:
    explicit Client(uint16_t port, const std::string& password = Kestrix::Tester::kServicePassword,
                    const std::string& user = "tvuser") {
        _s = ssh_new();
        const int no = 0;
        const long timeout = 5;
        ssh_options_set(_s, SSH_OPTIONS_HOST, "127.0.0.1");
        const unsigned int p = port;
        ssh_options_set(_s, SSH_OPTIONS_PORT, &p);
        ssh_options_set(_s, SSH_OPTIONS_USER, user.c_str());
        ssh_options_set(_s, SSH_OPTIONS_PROCESS_CONFIG, &no);
        ssh_options_set(_s, SSH_OPTIONS_KNOWNHOSTS, "/dev/null");
        ssh_options_set(_s, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, "/dev/null");
        ssh_options_set(_s, SSH_OPTIONS_TIMEOUT, &timeout);
        if (ssh_connect(_s) != SSH_OK) {
            return;
        }
        _connected = true;
        _loggedIn = ssh_userauth_password(_s, nullptr, password.c_str()) == SSH_AUTH_SUCCESS;
    }
    ~Client() {
        if (_connected) ssh_disconnect(_s);
        ssh_free(_s);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return _connected; }
    bool loggedIn() const { return _loggedIn; }
    ssh_session session() const { return _s; }

    ssh_channel openChannel() {
        ssh_channel ch = ssh_channel_new(_s);
        if (ch != nullptr && ssh_channel_open_session(ch) != SSH_OK) {
            ssh_channel_free(ch);
            return nullptr;
        }
        return ch;
    }

    ssh_channel openShell(bool pty) {
        ssh_channel ch = openChannel();
        if (ch == nullptr) return nullptr;
        if (pty && ssh_channel_request_pty_size(ch, "dumb", 80, 24) != SSH_OK) return closeAndNull(ch);
        if (ssh_channel_request_shell(ch) != SSH_OK) return closeAndNull(ch);
        return ch;
    }

    static void send(ssh_channel ch, std::string_view text) {
        ssh_channel_write(ch, text.data(), static_cast<uint32_t>(text.size()));
    }

    // What arrives on one stream within `ms`, or until the text received ends with `suffix`.
    static std::string read(ssh_channel ch, int ms, std::string_view suffix = {}, bool stderrStream = false) {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        char buf[4096];
        while (suffix.empty() || !got.ends_with(suffix)) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            const int n =
                ssh_channel_read_timeout(ch, buf, sizeof buf, stderrStream ? 1 : 0, static_cast<int>(left.count()));
            if (n < 0 || (n == 0 && ssh_channel_is_eof(ch))) break;
            got.append(buf, static_cast<size_t>(n));
        }
        return got;
    }

    ExecResult exec(const std::string& command) {
        ExecResult r;
        ssh_channel ch = openChannel();
        if (ch == nullptr || ssh_channel_request_exec(ch, command.c_str()) != SSH_OK) {
            if (ch) closeAndNull(ch);
            return r;
        }
        char buf[4096];
        for (int stream = 0; stream < 2; ++stream) {
            for (int n = 0; (n = ssh_channel_read_timeout(ch, buf, sizeof buf, stream, 5000)) > 0;)
                (stream == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
        }
        r.status = ssh_channel_get_exit_status(ch);
        closeAndNull(ch);
        return r;
    }

    // Upload by the SCP protocol over "scp -t PATH" (the path shell-quoted).
    ScpResult put(const std::string& remote, std::string_view data, const std::string& name = "upload") {
        ScpResult r;
        ssh_channel ch = openChannel();
        const std::string cmd = "scp -t " + Kestrix::Sim::shellQuote(remote);
        if (ch == nullptr || ssh_channel_request_exec(ch, cmd.c_str()) != SSH_OK) {
            r.error = "exec refused";
            if (ch) closeAndNull(ch);
            return r;
        }
        if (!ack(ch, r)) return finish(ch, r);
        send(ch, "C0644 " + std::to_string(data.size()) + " " + name + "\n");
        if (!ack(ch, r)) return finish(ch, r);
        for (size_t off = 0; off < data.size();) {
            const size_t n = std::min<size_t>(data.size() - off, 1 << 20);
            const int w = ssh_channel_write(ch, data.data() + off, static_cast<uint32_t>(n));
            if (w <= 0) {
                r.error = "write failed";
                return finish(ch, r);
            }
            off += static_cast<size_t>(w);
        }
        send(ch, std::string_view("\0", 1));
        r.ok = ack(ch, r);
        ssh_channel_send_eof(ch);
        return finish(ch, r);
    }

    // Download by the SCP protocol over "scp -f PATH".
    ScpResult get(const std::string& remote) {
        const auto steps = receive("scp -f " + Kestrix::Sim::shellQuote(remote));
        ScpResult r;
        r.ok = !steps.empty() && steps[0].kind == 'C';
        if (r.ok) r.data = steps[0].data;
        if (!r.ok) r.error = steps.empty() ? "no reply" : steps[0].name;
        return r;
    }

    // Speaks the receiving side of "scp [-r] -f ...", acknowledging each step; a file's data must be followed by
    // the sender's zero byte.
    std::vector<ScpStep> receive(const std::string& command) {
        std::vector<ScpStep> steps;
        ssh_channel ch = openChannel();
        if (ch == nullptr || ssh_channel_request_exec(ch, command.c_str()) != SSH_OK) {
            if (ch) closeAndNull(ch);
            return steps;
        }
        const std::string_view ack("\0", 1);
        send(ch, ack);
        for (int guard = 0; guard < 100; ++guard) {
            std::string line;
            char c = 0;
            while (readByte(ch, c) && c != '\n') line.push_back(c);
            if (line.empty()) break;
            ScpStep& step = steps.emplace_back(ScpStep{line[0], line.substr(1), {}});
            if (step.kind == 'E') {
                send(ch, ack);
                continue;
            }
            if (step.kind != 'C' && step.kind != 'D') {
                step.kind = '?';  // an error line needs no acknowledgement
                continue;
            }
            step.name = line.substr(line.find(' ', line.find(' ') + 1) + 1);
            if (step.kind == 'C') {
                send(ch, ack);
                const size_t size = std::stoull(line.substr(line.find(' ') + 1));
                for (char buf[65536]; step.data.size() < size + 1;) {
                    const auto want = static_cast<uint32_t>(std::min(sizeof buf, size + 1 - step.data.size()));
                    const int n = ssh_channel_read_timeout(ch, buf, want, 0, 5000);
                    if (n <= 0) break;
                    step.data.append(buf, static_cast<size_t>(n));
                }
                if (step.data.size() != size + 1 || step.data.back() != '\0') {
                    step = ScpStep{'?', "short data", {}};
                    break;
                }
                step.data.pop_back();
            }
            send(ch, ack);
        }
        closeAndNull(ch);
        return steps;
    }

private:
    static bool readByte(ssh_channel ch, char& c) { return ssh_channel_read_timeout(ch, &c, 1, 0, 5000) == 1; }

    static bool ack(ssh_channel ch, ScpResult& r) {
        char c = 0;
        if (!readByte(ch, c)) {
            r.error = "no reply";
            return false;
        }
        if (c == '\0') return true;
        std::string text;
        while (readByte(ch, c) && c != '\n') text.push_back(c);
        r.error = text;
        return false;
    }

    ScpResult& finish(ssh_channel ch, ScpResult& r) {
        closeAndNull(ch);
        return r;
    }

    static ssh_channel closeAndNull(ssh_channel ch) {
        ssh_channel_close(ch);
        ssh_channel_free(ch);
        return nullptr;
    }

    ssh_session _s = nullptr;
    bool _connected = false;
    bool _loggedIn = false;
};

// A started simulator over a fresh root folder, or over a copy of `stocked`.
struct SimFixture {
    explicit SimFixture(const std::string& tag, Kestrix::Sim::SimOptions o = {},
                        const std::filesystem::path& stocked = {}) {
        root = freshFolder(tag);
        if (!stocked.empty()) std::filesystem::copy(stocked, root, std::filesystem::copy_options::recursive);
        std::filesystem::create_directories(root / "tmp");
        std::filesystem::create_directories(root / "microsd_userdata" / "projects");
        o.root = root;
        sim = std::make_unique<Kestrix::Sim::TesterSim>(o);
        sim->start();
    }
    ~SimFixture() {
        sim->stop();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    std::filesystem::path root;
    std::unique_ptr<Kestrix::Sim::TesterSim> sim;
};

// A started simulator and one client logged in to it.
class SimTest : public ::testing::Test {
protected:
    SimFixture f{"sim"};
    Client c{f.sim->port()};
};

}  // namespace kx::test
