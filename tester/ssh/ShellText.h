#pragma once
// Turning what an interactive shell sends into command replies. A real tester's shell runs behind a
// pseudo-terminal: lines end in CRLF, the command may be echoed, and a cursor-position query follows
// each prompt. The reply is what remains once all of that is removed, up to the prompt.
#include <cstddef>
#include <regex>
#include <string>

#include <boost/optional.hpp>

namespace Kestrix::Tester {

// Removes carriage returns, other control characters except LF and TAB, and terminal escape sequences
// (CSI such as ESC[6n, OSC up to BEL or ESC\, two-byte escapes). Sequences split across chunks are held
// back until complete.
class EscapeStripper {
public:
    // Appends the clean part of `chunk` to `out`.
    void feed(const char* data, size_t size, std::string& out);
    void feed(const std::string& chunk, std::string& out) { feed(chunk.data(), chunk.size(), out); }
    void reset() {
        _state = State::Text;
        _stringLength = 0;
    }

private:
    enum class State { Text, Escape, EscapeIntermediate, Csi, String, StringEscape };
    State _state = State::Text;
    size_t _stringLength = 0;
};

// The prompt regular expression matched at the end of the clean text (trailing blanks allowed, so that a
// "$ " prompt matches "[$]" too). Only the tail is searched: a prompt is short.
class PromptMatcher {
public:
    explicit PromptMatcher(const std::string& pattern);
    // Offset in `text` where the prompt at its end begins, or none.
    boost::optional<size_t> findAtEnd(const std::string& text) const;

private:
    std::regex _re;
};

// `reply` without a leading echo of `command` (the command line followed by LF).
std::string removeEcho(const std::string& reply, const std::string& command);

// First line of `text` without its terminator.
std::string firstLine(const std::string& text);

// Status words in replies are matched whole, never as letters inside other words: a refusal such as
// "TOKEN_EXPIRED" holds no "OK".
// True when the first line of `reply`, without trailing blanks, is exactly `word`.
bool isReplyLine(const std::string& reply, const std::string& word);
// True when `text` holds `word` with no letter, digit or "_" right before or after it.
bool hasWord(const std::string& text, const std::string& word);

}  // namespace Kestrix::Tester
