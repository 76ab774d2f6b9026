// What a tester sends back on arbitrary bytes: the listing parser, the sysinfo reader, the terminal
// cleaner with the prompt matcher, the shell quoting (whose output must unquote to its input) and the
// text shown to people.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tester/host/Printable.h"
#include "tester/session/DirListing.h"
#include "tester/session/Sysinfo.h"
#include "tester/ssh/ShellQuote.h"
#include "tester/ssh/ShellText.h"

namespace {

using namespace Kestrix::Tester;

// Undoes doubleQuoted; aborts when a character that a shell would expand is left unescaped. Outside the
// double quotes only an escaped "!" may appear.
std::string unquote(const std::string& q) {
    if (q.size() < 2 || q.front() != '"' || q.back() != '"') std::abort();
    std::string out;
    bool inside = false;
    for (size_t i = 0; i < q.size(); ++i) {
        char c = q[i];
        if (c == '"') {
            inside = !inside;
            continue;
        }
        if (!inside) {
            if (c != '\\' || i + 1 >= q.size() || q[i + 1] != '!') std::abort();
            out.push_back(q[++i]);
            continue;
        }
        if (c == '\\') {
            if (i + 2 >= q.size()) std::abort();
            c = q[++i];
        } else if (c == '$' || c == '`' || c == '!') {
            std::abort();
        }
        out.push_back(c);
    }
    if (inside) std::abort();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
        case 0: {
            auto list = parseDirListing(text);
            if (list && list->empty()) std::abort();
            break;
        }
        case 1: {
            auto s = parseSysinfoReply(text);
            if (s && s->instruments.empty()) std::abort();
            if (s) hostModelCode(s->instruments.front());
            break;
        }
        case 2: {
            // Fed in two pieces split at the first byte's value: the result may not depend on the split.
            EscapeStripper whole, parts;
            std::string a, b;
            whole.feed(text, a);
            size_t cut = text.empty() ? 0 : data[0] % (text.size() + 1);
            parts.feed(text.substr(0, cut), b);
            parts.feed(text.substr(cut), b);
            if (a != b) std::abort();
            // Compiled once, as a session does: compiling the expression costs more than matching it.
            static const PromptMatcher prompt("([$])|([#]) ");
            auto at = prompt.findAtEnd(a);
            if (at && *at > a.size()) std::abort();
            removeEcho(a, text.substr(0, cut));
            break;
        }
        default: {
            auto q = doubleQuoted(text);
            if (q && unquote(*q) != text) std::abort();
            if (q.has_value() != isTerminalSafe(text) || singleQuoted(text).has_value() != q.has_value()) std::abort();
            const std::string shown = printable(text);
            for (char ch : shown) {
                const auto u = static_cast<unsigned char>(ch);
                if ((u < 0x20 && u != '\t') || u == 0x7f) std::abort();
            }
            break;
        }
    }
    return 0;
}
