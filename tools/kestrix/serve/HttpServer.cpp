#include "HttpServer.h"

#include <arpa/inet.h>

#include <httplib.h>

namespace kx::serve {

namespace {

constexpr size_t kMaxBody = 64 * 1024;  // the viewer's forms hold a token

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

Request convert(const httplib::Request& in) {
    Request r;
    r.method = in.method;
    r.path = in.path;
    const size_t q = in.target.find('?');
    if (q != std::string::npos) r.query = Params::parse(in.target.substr(q + 1));
    for (const auto& [name, value] : in.headers) r.headers.emplace(lower(name), value);
    if (r.method == "POST" &&
        lower(in.get_header_value("Content-Type")).rfind("application/x-www-form-urlencoded", 0) == 0)
        r.form = Params::parse(in.body);
    return r;
}

}  // namespace

bool isLoopback(const std::string& host) {
    if (host == "localhost" || host == "::1" || host == "[::1]") return true;
    in_addr a{};
    return inet_pton(AF_INET, host.c_str(), &a) == 1 && (ntohl(a.s_addr) >> 24) == 127;
}

HttpServer::HttpServer(Handler handler) : _handler(std::move(handler)), _server(std::make_unique<httplib::Server>()) {
    const auto serve = [this](const httplib::Request& in, httplib::Response& out) {
        Response r = _handler(convert(in));
        out.status = r.status;
        for (const auto& [name, value] : r.headers) out.set_header(name, value);
        out.set_content(std::move(r.body), r.contentType);
    };
    _server->Get(".*", serve);
    _server->Post(".*", serve);
    _server->Put(".*", serve);
    _server->Delete(".*", serve);
    _server->Patch(".*", serve);
    _server->Options(".*", serve);
    _server->set_payload_max_length(kMaxBody);
    _server->set_read_timeout(10, 0);
    _server->set_write_timeout(30, 0);
    _server->set_keep_alive_timeout(5);
    _server->set_exception_handler([](const httplib::Request&, httplib::Response& out, std::exception_ptr) {
        out.status = 500;
        out.set_content("internal error", "text/plain");
    });
}

HttpServer::~HttpServer() { stop(); }

std::string HttpServer::bind(const std::string& host, int port) {
    if (port == 0) {
        _port = _server->bind_to_any_port(host);
        if (_port <= 0) return "cannot listen on " + host;
    } else {
        if (!_server->bind_to_port(host, port)) return "cannot listen on " + host + ":" + std::to_string(port);
        _port = port;
    }
    return "";
}

bool HttpServer::run() { return _server->listen_after_bind(); }

void HttpServer::stop() {
    if (_server) _server->stop();
}

}  // namespace kx::serve
