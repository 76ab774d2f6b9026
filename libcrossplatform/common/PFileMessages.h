#pragma once
// Message reporting of the container code: "<Short>::<op>() - <text> | <file>:<line>".
// Formatting only happens when the callback is set, so silent readers pay nothing.
#include <cstdint>
#include <cstdio>

#include "common/PFile.h"

namespace PFile::detail {

// Source name used in the messages (source-root form, as the assertion messages use).
inline constexpr const char* kSourceName = "common\\PFile";

#if defined(__GNUC__)
__attribute__((format(printf, 5, 6)))
#endif
void report(const MessageFn& fn, const char* shortName, const char* op, int line, const char* fmt, ...);

// The bare entry message "<Short>::<op>() -  | <file>:<line>".
void enter(const MessageFn& fn, const char* shortName, const char* op, int line);

// Opening a container file, shared by the file reader and writer: misuse when `file` is already open or the
// path is null, io when fopen fails; none with `file` open.
FailureKind openFile(FILE*& file, const char* path, const char* mode, const Callbacks& cb, const char* shortName,
                     const char* op);

}  // namespace PFile::detail

#define PF_DEBUG(cb, shortName, op, ...) ::PFile::detail::report((cb).debug, shortName, op, __LINE__, __VA_ARGS__)
#define PF_WARN(cb, shortName, op, ...) ::PFile::detail::report((cb).warning, shortName, op, __LINE__, __VA_ARGS__)
#define PF_ERROR(cb, shortName, op, ...) ::PFile::detail::report((cb).error, shortName, op, __LINE__, __VA_ARGS__)
#define PF_ENTER(cb, shortName, op) ::PFile::detail::enter((cb).debug, shortName, op, __LINE__)
