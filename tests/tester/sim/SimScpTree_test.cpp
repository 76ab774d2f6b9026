// "scp -r -f DIR": a folder arrives as D/C/E lines, depth first, names in byte order, each acknowledged.

#include "tester/SimTestClient.h"

using kx::test::Client;
using SimScpTree = kx::test::SimTest;

namespace {

// Speaks the receiving side of a recursive copy; returns one line per step ("D name", "C name data", "E").
std::vector<std::string> receiveTree(Client& c, const std::string& command) {
    std::vector<std::string> steps;
    ssh_channel ch = c.openChannel();
    if (ch == nullptr || ssh_channel_request_exec(ch, command.c_str()) != SSH_OK) return steps;
    const std::string_view ack("\0", 1);
    Client::send(ch, ack);
    for (int guard = 0; guard < 100; ++guard) {
        std::string line;
        char buf[1];
        while (ssh_channel_read_timeout(ch, buf, 1, 0, 5000) == 1 && buf[0] != '\n') line.push_back(buf[0]);
        if (line.empty()) break;
        if (line[0] == 'D') {
            steps.push_back("D " + line.substr(line.find(' ', 7) + 1));
        } else if (line[0] == 'E') {
            steps.push_back("E");
        } else if (line[0] == 'C') {
            const size_t sp1 = line.find(' ');
            const size_t sp2 = line.find(' ', sp1 + 1);
            const size_t size = std::stoull(line.substr(sp1 + 1, sp2 - sp1 - 1));
            Client::send(ch, ack);
            std::string data;
            while (data.size() < size + 1) {
                char chunk[4096];
                const int n = ssh_channel_read_timeout(
                    ch, chunk, static_cast<uint32_t>(std::min(sizeof chunk, size + 1 - data.size())), 0, 5000);
                if (n <= 0) break;
                data.append(chunk, static_cast<size_t>(n));
            }
            steps.push_back("C " + line.substr(sp2 + 1) + " " + data.substr(0, size));
        } else {
            steps.push_back("? " + line.substr(1));
            continue;  // an error line needs no acknowledgement
        }
        Client::send(ch, ack);
    }
    ssh_channel_close(ch);
    ssh_channel_free(ch);
    return steps;
}

TEST_F(SimScpTree, SendsAFolderDepthFirst) {
    std::filesystem::create_directories(f.root / "tmp/tree/a dir");
    kx::test::writeText(f.root / "tmp/tree/b.res", "bbb");
    kx::test::writeText(f.root / "tmp/tree/a dir/x.res", "xx");
    kx::test::writeText(f.root / "tmp/tree/a dir/empty", "");
    EXPECT_EQ(receiveTree(c, "scp -r -f /tmp/tree"),
              (std::vector<std::string>{"D tree", "D a dir", "C empty ", "C x.res xx", "E", "C b.res bbb", "E"}));
    EXPECT_EQ(receiveTree(c, "scp -r -f /tmp/tree/b.res"), (std::vector<std::string>{"C b.res bbb"}));
    // Several sources in one transfer: a path that cannot be sent is reported, the next one still comes.
    EXPECT_EQ(receiveTree(c, "scp -f /tmp/tree/b.res /tmp/none '/tmp/tree/a dir/x.res' /tmp/tree"),
              (std::vector<std::string>{"C b.res bbb", "? scp: /tmp/none: No such file or directory", "C x.res xx",
                                        "? scp: /tmp/tree: not a regular file"}));
    const auto missing = receiveTree(c, "scp -r -f /tmp/none");
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_NE(missing[0].find("No such file"), std::string::npos);
}

}  // namespace
