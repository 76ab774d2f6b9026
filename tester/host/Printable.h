#pragma once
// Text from a tester (error lines, disconnect messages, names) may carry terminal escape sequences.
#include <string>
#include <string_view>

namespace Kestrix::Tester {

// `text` without control characters: C0 other than tab, DEL, and C1 written as UTF-8 (U+0080 to U+009F).
// What is left of an escape sequence is harmless text.
std::string printable(std::string_view text);

}  // namespace Kestrix::Tester
