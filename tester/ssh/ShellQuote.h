#pragma once
// Text that is put into a tester shell command line. The tester's shell must see each path as one literal
// word: nothing in it may end the quotes, start a substitution or reach the terminal as a control key.
#include <string>

#include <boost/optional.hpp>

namespace Kestrix::Tester {

// True when `text` holds no control character (C0 or DEL): through a pseudo-terminal those are keys
// (newline ends the line, ^C interrupts, ^U erases it).
bool isTerminalSafe(const std::string& text);

// True for a path that a command would take as an option ("-f", "--help"): such paths are refused.
bool isOptionLike(const std::string& path);

// `text` for use inside double quotes: \ " $ ` escaped with a backslash, and ! written outside the quotes
// as "\!" (an interactive bash expands it even inside double quotes; ash keeps it literal either way).
// None when it is not terminal safe.
boost::optional<std::string> escapeInDoubleQuotes(const std::string& text);

// "text" quoted as above, with the quotes.
boost::optional<std::string> doubleQuoted(const std::string& text);

// 'text' in single quotes, each ' written as '\'' (for exec command lines). None when not terminal safe.
boost::optional<std::string> singleQuoted(const std::string& text);

}  // namespace Kestrix::Tester
