// The simulator's login and shell, seen through a bare libssh client.

#include <thread>

#include "tester/SimTestClient.h"
#include "tester/session/DirListing.h"

using kx::test::Client;
using kx::test::SimFixture;
using SimShell = kx::test::SimTest;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPromptQuery = "# \x1b[6n";

// Sends a command to a shell after "stty -echo" and returns the reply before the prompt.
std::string quietCommand(ssh_channel ch, const std::string& cmd) {
    Client::send(ch, cmd + "\n");
    std::string got = Client::read(ch, 5000, "# ");
    return got.size() >= 2 ? got.substr(0, got.size() - 2) : got;
}

// A shell with a terminal whose banner has been drained, after "stty -echo".
ssh_channel quietShell(Client& c) {
    ssh_channel ch = c.openShell(true);
    if (ch != nullptr) {
        Client::read(ch, 5000, kPromptQuery);
        quietCommand(ch, "stty -echo");
    }
    return ch;
}

class QuietShell : public SimShell {
protected:
    void SetUp() override { ASSERT_NE(ch, nullptr); }
    ~QuietShell() override { ssh_channel_free(ch); }
    std::string command(const std::string& cmd) { return quietCommand(ch, cmd); }
    ssh_channel ch = quietShell(c);
};

}  // namespace

TEST_F(SimShell, TerminalShellEchoesPromptsAndQueriesUntilSttyMinusEcho) {
    ssh_channel ch = c.openShell(true);
    ASSERT_NE(ch, nullptr);
    const std::string banner = Client::read(ch, 5000, kPromptQuery);
    EXPECT_EQ(banner.rfind("\r\n\r\nBusyBox v1.35.0", 0), 0u) << banner;
    EXPECT_NE(banner.find("built-in shell (ash)\r\nEnter 'help' for a list of built-in commands.\r\n\r\n# \x1b[6n"),
              std::string::npos);

    Client::send(ch, "deferpowerdown\n");
    EXPECT_EQ(Client::read(ch, 5000, kPromptQuery), "deferpowerdown\r\nOK\r\n# \x1b[6n");
    // A terminal's answer to the query is not part of the command.
    Client::send(ch, "\x1b[24;1Rdeferpowerdown\n");
    EXPECT_EQ(Client::read(ch, 5000, kPromptQuery), "deferpowerdown\r\nOK\r\n# \x1b[6n");
    Client::send(ch, "nosuchcmd arg\n");
    EXPECT_EQ(Client::read(ch, 5000, kPromptQuery), "nosuchcmd arg\r\nsh: nosuchcmd: not found\r\n# \x1b[6n");

    // The line that turns echo off is still echoed; from then on neither echo nor query.
    Client::send(ch, "stty -echo\n");
    EXPECT_EQ(Client::read(ch, 5000, "# "), "stty -echo\r\n# ");
    Client::send(ch, "deferpowerdown\n");
    EXPECT_EQ(Client::read(ch, 5000, "# "), "OK\r\n# ");
    Client::send(ch, "echo a; echo b\n");
    EXPECT_EQ(Client::read(ch, 5000, "# "), "a\r\nb\r\n# ");
    // An empty line is just another prompt.
    Client::send(ch, "\n");
    EXPECT_EQ(Client::read(ch, 5000, "# "), "# ");
    EXPECT_EQ(Client::read(ch, 100), "");
    Client::send(ch, "exit 3\n");
    Client::read(ch, 300);
    EXPECT_EQ(ssh_channel_get_exit_status(ch), 3);
    ssh_channel_free(ch);
}

TEST_F(SimShell, WithoutTerminalNoBannerNoPromptAndErrorsOnStderr) {
    ssh_channel ch = c.openShell(false);
    ASSERT_NE(ch, nullptr);
    Client::send(ch, "deferpowerdown\n");
    EXPECT_EQ(Client::read(ch, 400), "OK\n");
    Client::send(ch, "stty -echo\n");
    EXPECT_EQ(Client::read(ch, 300, {}, true), "stty: standard input: Not a tty\n");
    Client::send(ch, "frobnicate\n");
    EXPECT_EQ(Client::read(ch, 300, {}, true), "sh: frobnicate: not found\n");
    EXPECT_EQ(Client::read(ch, 50), "");
    ssh_channel_send_eof(ch);
    ssh_channel_close(ch);
    ssh_channel_free(ch);
    EXPECT_EQ(f.sim->journal(), (std::vector<std::string>{"deferpowerdown", "stty -echo", "frobnicate"}));
}

TEST_F(QuietShell, QuotedNamesReachTheFileSystemLiterallyAndAnUnclosedQuoteContinues) {
    const std::string literal = "we \"ird\" $HOME `id` \\x 'q' ;|&";
    // Inside double quotes only \ " $ and ` need a backslash.
    std::string quoted;
    for (char ch2 : literal) {
        if (ch2 == '\\' || ch2 == '"' || ch2 == '$' || ch2 == '`') quoted.push_back('\\');
        quoted.push_back(ch2);
    }
    EXPECT_EQ(command("mkdir \"/tmp/" + quoted + "\""), "");
    EXPECT_TRUE(fs::is_directory(f.root / "tmp" / literal));
    EXPECT_EQ(command("mkdir \"/tmp/" + quoted + "\""),
              "mkdir: can't create directory '/tmp/" + literal + "': File exists\r\n");
    EXPECT_EQ(command("rm \"/tmp/" + quoted + "\""), "rm: '/tmp/" + literal + "' is a directory\r\n");
    EXPECT_EQ(command("rm -r '/tmp/" + std::string("we \"ird\" $HOME `id` \\x '\\''q'\\'' ;|&") + "'"), "");
    EXPECT_FALSE(fs::exists(f.root / "tmp" / literal));

    // Unquoted, the same characters mean what they mean to a shell.
    EXPECT_EQ(command("echo $HOME \"$HOME\" '$HOME' \\$HOME"), "/root /root $HOME $HOME\r\n");
    EXPECT_EQ(command("echo `id`"), "sh: command substitution is not supported\r\n");
    EXPECT_EQ(command("ls | wc"), "sh: syntax error: unexpected \"|\"\r\n");
    // An unclosed quote continues on the next line.
    Client::send(ch, "echo \"a\n");
    EXPECT_EQ(Client::read(ch, 5000, "> "), "> ");
    EXPECT_EQ(command("b\""), "a\r\nb\r\n");
    EXPECT_EQ(f.sim->journal().back(), "echo \"a\nb\"");
}

TEST_F(QuietShell, ListingFollowsTheBusyBoxColumns) {
    const fs::path dir = f.root / "microsd_userdata" / "projects" / "Job A";
    fs::create_directories(dir / "sub");
    kx::test::writeText(dir / "empty.bin", "");
    kx::test::writeText(dir / "r1.res", std::string(12345, 'x'));
    fs::permissions(dir / "r1.res", fs::perms(0644));
    kx::test::writeText(dir / "q\"uote.res", "abc");
    kx::test::writeText(dir / "big.res", "");
    fs::resize_file(dir / "big.res", 99999999);  // sparse: the largest size the column rule keeps
    kx::test::writeText(dir / ".hidden", "h");

    const std::string reply = command("ls -lQ \"/microsd_userdata/projects/Job A\"");

    // The session's own parser reads it: names sorted, quotes escaped, sizes after column 35.
    std::string lines = reply;
    std::erase(lines, '\r');
    const auto list = Kestrix::Tester::parseDirListing(lines);
    ASSERT_TRUE(list) << reply;
    std::string entries;
    for (const auto& e : *list) entries += e.name + (e.name == "sub" ? "" : ":" + std::to_string(e.size)) + "|";
    EXPECT_EQ(entries, "big.res:99999999|empty.bin:0|q\"uote.res:3|r1.res:12345|sub|");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 6) << reply;  // with the "total" line
    EXPECT_NE(reply.find("\r\ndrwx"), std::string::npos) << reply;
    EXPECT_NE(reply.find("\r\n-rw-r--r--    1 root     root         12345 "), std::string::npos) << reply;
    EXPECT_EQ(command("ls -lQ \"/microsd_userdata/nothing\""),
              "ls: /microsd_userdata/nothing: No such file or directory\r\n");
}

TEST_F(QuietShell, PathsOutsideTheRootAreRefused) {
    const fs::path outside = kx::test::freshFolder("outside");
    kx::test::writeText(outside / "secret", "s");
    fs::create_directory_symlink(outside, f.root / "tmp" / "out");
    EXPECT_EQ(command("ls -lQ \"/../\""), "ls: /../: Permission denied\r\n");
    EXPECT_EQ(command("ls -lQ \"/tmp/out\""), "ls: /tmp/out: Permission denied\r\n");
    EXPECT_EQ(command("rm \"/tmp/out/secret\""), "rm: can't remove '/tmp/out/secret': Permission denied\r\n");
    EXPECT_EQ(command("mkdir \"/tmp/../../x\""), "mkdir: can't create directory '/tmp/../../x': Permission denied\r\n");
    EXPECT_EQ(command("echo hi > /tmp/out/new"), "sh: can't create /tmp/out/new: Permission denied\r\n");
    EXPECT_TRUE(fs::exists(outside / "secret"));
    EXPECT_FALSE(fs::exists(outside / "new"));
    fs::remove_all(outside);
}

TEST_F(QuietShell, LaterWorkAddsCommandsAndCannedReplies) {
    f.sim->addCommand("smgetlf", [](const Kestrix::Sim::CommandContext& c) {
        return Kestrix::Sim::CommandResult{"OK\n" + std::to_string(c.args.size()) + " " + c.args.back() + "\n", {}, 0};
    });
    f.sim->setReply("swupdate --terse", "1\n");
    EXPECT_EQ(command("smgetlf -x 'a b'"), "OK\r\n3 a b\r\n");
    EXPECT_EQ(command("swupdate --terse"), "1\r\n");
    // Only the exact line is canned; another spelling reaches the command (no package: code 2).
    EXPECT_EQ(command("swupdate  --terse"), "2\r\n");
    EXPECT_EQ(command("uilock 1"), "OK\r\n");
    EXPECT_TRUE(f.sim->screenLocked());
    EXPECT_EQ(command("uilock 0"), "OK\r\n");
    EXPECT_FALSE(f.sim->screenLocked());
}

TEST_F(SimShell, ConnectionsAndChannelsRunSideBySide) {
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([this, &good, i] {
            Client c(f.sim->port());
            ssh_channel shell = quietShell(c);
            if (shell == nullptr) return;
            const std::string name = "/tmp/f" + std::to_string(i);
            const auto put = c.put(name, std::string(70000 + i, 'a' + static_cast<char>(i)));
            const auto ls = quietCommand(shell, "ls -lQ \"" + name + "\"");
            const auto get = c.get(name);
            if (put.ok && get.ok && get.data.size() == static_cast<size_t>(70000 + i) &&
                ls.find(std::to_string(70000 + i)) != std::string::npos) {
                ++good;
            }
            ssh_channel_free(shell);
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(good.load(), 4);
}

TEST_F(SimShell, ServicePasswordLogsInAndTenChannelsPerConnectionLikeOpenSsh) {
    std::vector<ssh_channel> open;
    for (int i = 0; i < 10; ++i) {
        ssh_channel ch = c.openChannel();
        ASSERT_NE(ch, nullptr) << i;
        open.push_back(ch);
    }
    EXPECT_EQ(c.openChannel(), nullptr);
    ssh_channel_close(open.back());
    ssh_channel_free(open.back());
    open.pop_back();
    const auto r = c.exec("echo again");
    EXPECT_EQ(r.out, "again\n");
    EXPECT_EQ(r.status, 0);
    for (auto ch : open) {
        ssh_channel_close(ch);
        ssh_channel_free(ch);
    }
    // Only the service password of the service user logs in.
    EXPECT_TRUE(c.loggedIn());
    Client wrongPassword(f.sim->port(), "abcd12");
    EXPECT_TRUE(wrongPassword.connected());
    EXPECT_FALSE(wrongPassword.loggedIn());
    Client wrongUser(f.sim->port(), Kestrix::Tester::kServicePassword, "root");
    EXPECT_FALSE(wrongUser.loggedIn());
    // A simulator given another password takes that one only.
    SimFixture other("login2", {.password = "wxyz99"});
    EXPECT_FALSE(Client(other.sim->port()).loggedIn());
    EXPECT_TRUE(Client(other.sim->port(), "wxyz99").loggedIn());
}
