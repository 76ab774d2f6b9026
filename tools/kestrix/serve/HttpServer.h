#pragma once
// The one place the viewer meets the wire: cpp-httplib's server, its thread pool and its request parsing,
// turned into Request and Response.
#include <memory>
#include <string>

#include "Http.h"

namespace httplib {
class Server;
}

namespace kx::serve {

class HttpServer {
public:
    explicit HttpServer(Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds host:port (port 0: any free one). "" or why not.
    std::string bind(const std::string& host, int port);
    int port() const { return _port; }
    // Serves until stop() is called (from any thread); false when it could not serve.
    bool run();
    void stop();

private:
    Handler _handler;
    std::unique_ptr<httplib::Server> _server;
    int _port = 0;
};

// True for 127.0.0.0/8, ::1 and "localhost".
bool isLoopback(const std::string& host);

}  // namespace kx::serve
