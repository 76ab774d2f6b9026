#include "tester/ssh/ShellText.h"

namespace Kestrix::Tester {
namespace {

constexpr char kEsc = 0x1b;
constexpr char kBel = 0x07;
// An unterminated OSC or DCS string is given up after this many bytes so that output is not swallowed.
constexpr size_t kMaxEscapeString = 4096;
constexpr size_t kPromptWindow = 256;

bool keepControl(unsigned char c) { return c == '\n' || c == '\t'; }

}  // namespace

void EscapeStripper::feed(const char* data, size_t size, std::string& out) {
    for (size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        switch (_state) {
            case State::Text:
                if (c >= 0x20 && c != 0x7f) {
                    // A run of plain text goes in one piece: replies can be megabytes long.
                    size_t end = i + 1;
                    while (end < size && static_cast<unsigned char>(data[end]) >= 0x20 &&
                           static_cast<unsigned char>(data[end]) != 0x7f)
                        ++end;
                    out.append(data + i, end - i);
                    i = end - 1;
                } else if (c == kEsc)
                    _state = State::Escape;
                else if (c >= 0x20 && c != 0x7f)
                    out.push_back(static_cast<char>(c));
                else if (keepControl(c))
                    out.push_back(static_cast<char>(c));
                break;
            case State::Escape:
                if (c == '[') {
                    _state = State::Csi;
                } else if (c == ']' || c == 'P' || c == 'X' || c == '^' || c == '_') {
                    _state = State::String;
                    _stringLength = 0;
                } else if (c >= 0x20 && c <= 0x2f) {
                    _state = State::EscapeIntermediate;
                } else if (c == kEsc) {
                    // ESC ESC: the first one was stray.
                } else {
                    _state = State::Text;  // two-byte escape (ESC 7, ESC c, ...) or a stray ESC before a control
                    if (c < 0x20 && keepControl(c)) out.push_back(static_cast<char>(c));
                }
                break;
            case State::EscapeIntermediate:
                if (c >= 0x30 && c <= 0x7e)
                    _state = State::Text;
                else if (c < 0x20 || c > 0x7e)
                    _state = State::Text;
                break;
            case State::Csi:
                if (c >= 0x40 && c <= 0x7e) {
                    _state = State::Text;
                } else if (c < 0x20 || c > 0x7e) {
                    // Not a well-formed sequence: drop what was seen, keep the text that follows.
                    _state = State::Text;
                    if (keepControl(c)) out.push_back(static_cast<char>(c));
                }
                break;
            case State::String:
                if (c == kBel)
                    _state = State::Text;
                else if (c == kEsc)
                    _state = State::StringEscape;
                else if (++_stringLength > kMaxEscapeString)
                    _state = State::Text;
                break;
            case State::StringEscape: _state = c == '\\' ? State::Text : State::String; break;
        }
    }
}

PromptMatcher::PromptMatcher(const std::string& pattern)
    : _re("(?:" + pattern + ")[ ]*$", std::regex::ECMAScript | std::regex::optimize) {}

boost::optional<size_t> PromptMatcher::findAtEnd(const std::string& text) const {
    const size_t from = text.size() > kPromptWindow ? text.size() - kPromptWindow : 0;
    std::smatch m;
    auto begin = text.cbegin() + static_cast<std::ptrdiff_t>(from);
    if (!std::regex_search(begin, text.cend(), m, _re)) return boost::none;
    return from + static_cast<size_t>(m.position(0));
}

std::string removeEcho(const std::string& reply, const std::string& command) {
    if (command.empty() || reply.size() <= command.size()) return reply;
    if (reply.compare(0, command.size(), command) == 0 && reply[command.size()] == '\n')
        return reply.substr(command.size() + 1);
    return reply;
}

std::string firstLine(const std::string& text) {
    size_t nl = text.find('\n');
    return nl == std::string::npos ? text : text.substr(0, nl);
}

bool isReplyLine(const std::string& reply, const std::string& word) {
    std::string line = firstLine(reply);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.pop_back();
    return line == word;
}

bool hasWord(const std::string& text, const std::string& word) {
    const auto wordChar = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    };
    if (word.empty()) return false;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const bool before = at > 0 && wordChar(text[at - 1]);
        const bool after = at + word.size() < text.size() && wordChar(text[at + word.size()]);
        if (!before && !after) return true;
    }
    return false;
}

}  // namespace Kestrix::Tester
