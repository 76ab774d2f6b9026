#pragma once
// Programming-error checks. Corrupt input must never reach one of these: decoders return a failing status instead.

#include <string>

namespace Kestrix {

// A source path in the short form messages use: "/src/libcrossplatform/common/PFile.cpp" -> "common\PFile".
std::string sourceName(const char* file);

// Prints "Assertion failed at <file>:<line> <expression>" to stderr and ends the process.
// `file` may be a full path; it is shortened to the source-root form (for example "common\PFile").
[[noreturn]] void assertFail(const char* expression, const char* file, unsigned line);

}  // namespace Kestrix

#define KX_ASSERT(expr) ((expr) ? static_cast<void>(0) : ::Kestrix::assertFail(#expr, __FILE__, __LINE__))
// For checks whose message is a fixed text rather than the expression.
#define KX_ASSERT_MSG(expr, text) ((expr) ? static_cast<void>(0) : ::Kestrix::assertFail(text, __FILE__, __LINE__))
