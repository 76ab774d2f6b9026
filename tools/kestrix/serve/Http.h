#pragma once
// Requests and responses as the viewer sees them, apart from any socket: the pages and routes are built and
// tested on these, and one adapter (HttpServer) moves them to and from the wire.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kx::serve {

// Decoded name=value pairs of a query string or a form body, in order; a name may repeat.
class Params {
public:
    Params() = default;
    // "a=1&b=x%20y": '+' is a space, %XX a byte; malformed escapes stay as they are.
    static Params parse(const std::string& text);

    // The first value of `name`, or `fallback`.
    const std::string& get(const std::string& name, const std::string& fallback = empty()) const;
    bool has(const std::string& name) const;
    void set(const std::string& name, const std::string& value);
    // Appends a pair, whether or not the name is there already.
    void add(const std::string& name, const std::string& value) { _items.emplace_back(name, value); }
    void erase(const std::string& name);
    const std::vector<std::pair<std::string, std::string>>& items() const { return _items; }
    // The pairs again as a query string (without "?"), values with non-empty text only.
    std::string encode() const;

private:
    static const std::string& empty();
    std::vector<std::pair<std::string, std::string>> _items;
};

struct Request {
    std::string method;  // "GET", "POST", ...
    std::string path;    // percent-decoded, without the query
    Params query;
    Params form;                                 // a POST's urlencoded body
    std::map<std::string, std::string> headers;  // names in lower case

    const std::string& header(const std::string& lowerName) const;
};

struct Response {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;

    void header(const std::string& name, const std::string& value) { headers.emplace_back(name, value); }
};

using Handler = std::function<Response(const Request&)>;

// Percent-decodes a path or a query component (no '+' handling); a bad escape is kept as it is.
std::string percentDecode(const std::string& text, bool plusIsSpace);

}  // namespace kx::serve
