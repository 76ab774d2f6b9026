#pragma once
// Text from a tester or a file on its way into a page, a URL, a CSV cell or a download name. Every such text
// goes through one of these; nothing from a result reaches a page unescaped.
#include <string>

namespace kx::serve {

// Valid UTF-8 without control characters: a bad byte becomes U+FFFD, a control character (tab and newline
// included) a space.
std::string cleanUtf8(const std::string& text);

// For HTML text and for double-quoted attribute values: & < > " ' escaped, cleaned as above.
std::string html(const std::string& text);

// For one component of a URL path or query: every byte but A-Z a-z 0-9 - . _ ~ percent-encoded.
std::string urlComponent(const std::string& text);

// One RFC 4180 field: quoted when it holds a comma, a quote, CR or LF (quotes doubled). A text cell that a
// spreadsheet would take for a formula (= + - @ first) gets a leading apostrophe.
std::string csvField(const std::string& text, bool isText);

// A Content-Disposition value for a download named `name`: an ASCII fallback and the UTF-8 name.
std::string attachment(const std::string& name);

}  // namespace kx::serve
