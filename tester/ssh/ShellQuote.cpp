#include "tester/ssh/ShellQuote.h"

namespace Kestrix::Tester {

bool isTerminalSafe(const std::string& text) {
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7f) return false;
    }
    return true;
}

boost::optional<std::string> escapeInDoubleQuotes(const std::string& text) {
    if (!isTerminalSafe(text)) return boost::none;
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '!') {
            out += "\"\\!\"";
            continue;
        }
        if (c == '\\' || c == '"' || c == '$' || c == '`') out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

bool isOptionLike(const std::string& path) { return !path.empty() && path.front() == '-'; }

boost::optional<std::string> doubleQuoted(const std::string& text) {
    auto inner = escapeInDoubleQuotes(text);
    if (!inner) return boost::none;
    return "\"" + *inner + "\"";
}

boost::optional<std::string> singleQuoted(const std::string& text) {
    if (!isTerminalSafe(text)) return boost::none;
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    out.push_back('\'');
    return out;
}

}  // namespace Kestrix::Tester
