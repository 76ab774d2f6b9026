#include "ShellWords.h"

#include <cctype>

namespace Kestrix::Sim {
namespace {

bool isNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

class Parser {
public:
    Parser(std::string_view text, const VariableLookup& lookup) : _s(text), _lookup(lookup) {}

    ParsedLine run() {
        while (_i < _s.size() && _result.state == ParsedLine::State::complete) {
            step();
        }
        if (_result.state != ParsedLine::State::complete) {
            _result.commands.clear();
            return _result;
        }
        endWord();
        if (_pendingRedirect) {
            return fail("syntax error: unexpected newline");
        }
        endCommand();
        return _result;
    }

private:
    void step() {
        const char c = _s[_i];
        switch (c) {
            case ' ':
            case '\t':
                ++_i;
                endWord();
                return;
            case '\n':
            case ';':
                ++_i;
                endWord();
                if (_pendingRedirect) {
                    fail(c == ';' ? "syntax error: unexpected \";\"" : "syntax error: unexpected newline");
                    return;
                }
                if (c == ';' && _cur.words.empty() && _cur.redirects.empty()) {
                    fail("syntax error: unexpected \";\"");
                    return;
                }
                endCommand();
                return;
            case '\\':
                if (_i + 1 >= _s.size()) {
                    incomplete();
                    return;
                }
                if (_s[_i + 1] != '\n') {
                    append(_s[_i + 1]);
                }
                _i += 2;
                return;
            case '\'': {
                const size_t close = _s.find('\'', _i + 1);
                if (close == std::string_view::npos) {
                    incomplete();
                    return;
                }
                _word.append(_s.substr(_i + 1, close - _i - 1));
                _started = true;
                _quoted = true;
                _i = close + 1;
                return;
            }
            case '"': doubleQuoted(); return;
            case '$': dollar(false); return;
            case '`': fail("command substitution is not supported"); return;
            case '#':
                if (!_started) {
                    const size_t nl = _s.find('\n', _i);
                    _i = nl == std::string_view::npos ? _s.size() : nl;
                    return;
                }
                append(c);
                ++_i;
                return;
            case '>': redirect(); return;
            case '|':
            case '&':
            case '<':
            case '(':
            case ')': fail(std::string("syntax error: unexpected \"") + c + "\""); return;
            default:
                append(c);
                ++_i;
                return;
        }
    }

    void doubleQuoted() {
        _started = true;
        _quoted = true;
        ++_i;
        while (_i < _s.size()) {
            const char c = _s[_i];
            if (c == '"') {
                ++_i;
                return;
            }
            if (c == '\\') {
                if (_i + 1 >= _s.size()) {
                    break;
                }
                const char n = _s[_i + 1];
                if (n == '$' || n == '`' || n == '"' || n == '\\') {
                    _word.push_back(n);
                } else if (n != '\n') {
                    _word.push_back('\\');
                    _word.push_back(n);
                }
                _i += 2;
                continue;
            }
            if (c == '`') {
                fail("command substitution is not supported");
                return;
            }
            if (c == '$') {
                dollar(true);
                if (_result.state != ParsedLine::State::complete) {
                    return;
                }
                continue;
            }
            _word.push_back(c);
            ++_i;
        }
        incomplete();
    }

    // $NAME, ${NAME}, $? and $$ expand; "$(" needs a real shell; any other "$" is literal.
    void dollar(bool inQuotes) {
        const size_t next = _i + 1;
        if (next < _s.size() && _s[next] == '(') {
            fail("command substitution is not supported");
            return;
        }
        std::string name;
        if (next < _s.size() && _s[next] == '{') {
            const size_t close = _s.find('}', next);
            if (close == std::string_view::npos) {
                incomplete();
                return;
            }
            name = std::string(_s.substr(next + 1, close - next - 1));
            if (name.empty() || !isNameStart(name[0])) {
                fail("syntax error: bad substitution");
                return;
            }
            for (char ch : name) {
                if (!isNameChar(ch)) {
                    fail("syntax error: bad substitution");
                    return;
                }
            }
            _i = close + 1;
        } else if (next < _s.size() &&
                   (_s[next] == '?' || _s[next] == '$' || std::isdigit(static_cast<unsigned char>(_s[next])) != 0)) {
            name = std::string(1, _s[next]);
            _i = next + 1;
        } else if (next < _s.size() && isNameStart(_s[next])) {
            size_t end = next;
            while (end < _s.size() && isNameChar(_s[end])) {
                ++end;
            }
            name = std::string(_s.substr(next, end - next));
            _i = end;
        } else {
            if (inQuotes) {
                _word.push_back('$');
            } else {
                append('$');
            }
            _i = next;
            return;
        }
        const std::string value = _lookup ? _lookup(name) : std::string();
        _word += value;
        if (!value.empty() || inQuotes) {
            _started = true;
        }
    }

    void redirect() {
        Redirect r;
        // "2>" only when the 2 is a bare, unquoted word glued to the ">".
        if (_started && !_quoted && (_word == "1" || _word == "2")) {
            r.fd = _word[0] - '0';
            _word.clear();
            _started = false;
        } else {
            endWord();
        }
        if (_pendingRedirect) {
            fail("syntax error: unexpected \">\"");
            return;
        }
        ++_i;
        if (_i < _s.size() && _s[_i] == '>') {
            r.append = true;
            ++_i;
        } else if (_i < _s.size() && _s[_i] == '&') {
            fail("syntax error: unexpected \"&\"");
            return;
        }
        _cur.redirects.push_back(r);
        _pendingRedirect = true;
    }

    void append(char c) {
        _word.push_back(c);
        _started = true;
    }

    void endWord() {
        if (!_started) {
            return;
        }
        if (_pendingRedirect) {
            _cur.redirects.back().path = std::move(_word);
            _pendingRedirect = false;
        } else {
            _cur.words.push_back(std::move(_word));
        }
        _word.clear();
        _started = false;
        _quoted = false;
    }

    void endCommand() {
        if (!_cur.words.empty() || !_cur.redirects.empty()) {
            _result.commands.push_back(std::move(_cur));
        }
        _cur = SimpleCommand{};
    }

    void incomplete() {
        _result.state = ParsedLine::State::incomplete;
        _i = _s.size();
    }

    ParsedLine fail(std::string message) {
        if (_result.state == ParsedLine::State::complete) {
            _result.state = ParsedLine::State::error;
            _result.error = std::move(message);
        }
        _i = _s.size();
        _result.commands.clear();
        return _result;
    }

    std::string_view _s;
    const VariableLookup& _lookup;
    size_t _i = 0;
    ParsedLine _result;
    SimpleCommand _cur;
    std::string _word;
    bool _started = false;
    bool _quoted = false;
    bool _pendingRedirect = false;
};

}  // namespace

ParsedLine parseCommandLine(std::string_view text, const VariableLookup& lookup) { return Parser(text, lookup).run(); }

std::string shellQuote(std::string_view word) {
    std::string out = "'";
    for (char c : word) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out.push_back(c);
        }
    }
    out.push_back('\'');
    return out;
}

}  // namespace Kestrix::Sim
