// The viewer behind a real socket on 127.0.0.1: raw requests that try to climb out of the folders, a form
// from another site, an oversized body and another host name.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "ServeTesting.h"

#include "HttpServer.h"
#include "ReportRecordSource.h"
#include "Viewer.h"

namespace {

const std::string kSecret = "SECRET-OUTSIDE-THE-FOLDER";

// Sends `request` as it stands and reads the reply until the server closes.
std::string roundTrip(int port, const std::string& request) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return "";
    }
    size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    std::string reply;
    char buf[4096];
    for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;) reply.append(buf, static_cast<size_t>(n));
    ::close(fd);
    return reply;
}

int statusOf(const std::string& reply) {
    return reply.size() > 12 && reply.rfind("HTTP/1.1 ", 0) == 0 ? std::stoi(reply.substr(9, 3)) : -1;
}

class HttpServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path root = kx::test::freshFolder("serve-http");
        kx::test::writeImportFolder(root / "import", {{"P", "", "<b>bold</b>", Kestrix::Sim::StockKind::copperPass}});
        std::ofstream(root / "secret.txt") << kSecret;
        ViewerOptions o;
        o.folders = {(root / "import").string()};
        viewer = std::make_unique<Viewer>(o, std::make_unique<ReportRecordSource>());
        ASSERT_EQ(viewer->load(), "");
        server = std::make_unique<HttpServer>([this](const Request& r) { return viewer->handle(r); });
        ASSERT_EQ(server->bind("127.0.0.1", 0), "");
        port = server->port();
        viewer->setAllowedHosts({"127.0.0.1:" + std::to_string(port)});
        thread = std::thread([this] { server->run(); });
    }
    void TearDown() override {
        server->stop();
        thread.join();
    }
    // `extra` header lines end in CRLF.
    std::string request(const std::string& line, const std::string& host = "", const std::string& extra = "",
                        const std::string& body = "") {
        return roundTrip(port, line + "\r\nHost: " + (host.empty() ? "127.0.0.1:" + std::to_string(port) : host) +
                                   "\r\nConnection: close\r\n" + extra + "\r\n" + body);
    }

    std::unique_ptr<Viewer> viewer;
    std::unique_ptr<HttpServer> server;
    std::thread thread;
    int port = 0;
};

TEST_F(HttpServerTest, ClimbingOutFindsNothingQueriesAreTextAndActionsFromElsewhereAreRefused) {
    for (const char* target : {"/../secret.txt", "/%2e%2e/%2e%2e/secret.txt", "/record/1/..%2f..%2f..%2fsecret.txt",
                               "/static/%2e%2e/%2e%2e/secret.txt", "/record/%2e%2e/%2e%2e/secret.txt",
                               "/record/1%00/result", "/%2fetc%2fpasswd", "//secret.txt"}) {
        const std::string reply = request(std::string("GET ") + target + " HTTP/1.1");
        const int status = statusOf(reply);
        EXPECT_TRUE(status == 404 || status == 400) << target << ": " << reply.substr(0, 80);
        EXPECT_EQ(reply.find(kSecret), std::string::npos) << target;
    }
    EXPECT_EQ(statusOf(request("GET /record/1/result HTTP/1.1")), 200);
    // Queries are decoded and shown as text.
    const std::string reply = request("GET /links?q=%3Cb%3Ebold HTTP/1.1");
    EXPECT_EQ(statusOf(reply), 200);
    EXPECT_NE(reply.find("&lt;b&gt;bold&lt;/b&gt;</a>"), std::string::npos);
    EXPECT_EQ(reply.find("<b>bold"), std::string::npos);
    EXPECT_NE(reply.find("X-Content-Type-Options: nosniff"), std::string::npos);

    // Actions from elsewhere are refused.
    const std::string form = "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: ";
    EXPECT_EQ(statusOf(request("POST /import HTTP/1.1", "", "Origin: http://evil.example\r\n" + form + "11\r\n",
                               "token=guess")),
              403);
    EXPECT_EQ(statusOf(request("POST /import HTTP/1.1", "", form + "100000\r\n", std::string(100000, 'x'))), 413);
    EXPECT_EQ(statusOf(request("GET / HTTP/1.1", "attacker.example:" + std::to_string(port))), 421);
    EXPECT_EQ(statusOf(request("DELETE /record/1 HTTP/1.1")), 405);
}

TEST(HttpServer, LoopbackAddresses) {
    for (const char* yes : {"127.0.0.1", "127.1.2.3", "localhost", "::1"}) EXPECT_TRUE(isLoopback(yes)) << yes;
    for (const char* no : {"0.0.0.0", "192.168.1.2", "::", "128.0.0.1", "", "127.0.0.1.example"})
        EXPECT_FALSE(isLoopback(no)) << no;
}

}  // namespace
