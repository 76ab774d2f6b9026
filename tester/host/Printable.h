#pragma once
// Text from a tester (replies, error lines, names from its databases) on its way to a terminal or a log. It
// may carry escape sequences, 8-bit controls or bytes that are not UTF-8; the one sanitiser below is used by
// the library and the command-line tool alike.
#include <string>
#include <string_view>

namespace Kestrix::Tester {

// `text` with every C0 control (tab included), DEL, C1 control (U+0080 to U+009F) and every byte that is
// not part of well-formed UTF-8 replaced by one "?" each; all other characters kept as they are. What is
// left of an escape sequence is harmless text, and a column keeps the width the tester meant.
std::string printable(std::string_view text);

// Several lines of such text: each line as printable() makes it, line feeds kept, a carriage return before
// a line feed dropped.
std::string printableLines(std::string_view text);

}  // namespace Kestrix::Tester
