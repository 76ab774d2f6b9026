#pragma once
// The host's log and user-message services. The embedding application replaces the line sink; by default
// lines go to stderr. The sink gets one line at a time, from whichever thread logs. Contexts nest per thread
// and are always closed, also on failure: use LogContext.
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace Kestrix::Tester {

enum class LogLevel { Context, Detail, Error, Message };

// One finished log line. `context` is the open contexts joined by " > ".
struct LogRecord {
    LogLevel level = LogLevel::Error;
    std::string context;
    std::string text;
};

using LogSinkFn = std::function<void(const LogRecord&)>;

class Log {
public:
    static void StartContext(const std::string& text);
    static void EndContext();
    // Detail of the innermost open context, shown as "label=value".
    static void AddContextDetail(const std::string& value, const std::string& label);
    static void ErrMsg(const std::string& text);
    // `detail` may hold "{0}"-style text already filled in by the caller (see fillIn).
    static void ErrMsg(const std::string& text, const std::string& detail);
    static void ExceptionMsg(const std::exception& e, const std::string& where);

    // Replaces the sink (an empty function restores stderr). Returns the previous one.
    static LogSinkFn setSink(LogSinkFn sink);
    static std::string formatLine(const LogRecord& r);
    // Depth of this thread's open contexts.
    static size_t depth();
};

// Brackets one operation: StartContext on construction, EndContext on every way out.
class LogContext {
public:
    explicit LogContext(const std::string& text) { Log::StartContext(text); }
    ~LogContext() { Log::EndContext(); }
    LogContext(const LogContext&) = delete;
    LogContext& operator=(const LogContext&) = delete;
};

// "IP Address={0}" with "{0}" replaced by `value`.
std::string fillIn(const std::string& pattern, const std::string& value);

// A message queued for the user; the host shows queued messages when it is ready.
struct DisplayMessage {
    int errorId = 0;
    int severity = 0;
    std::string subject;
    std::string text;
    bool internal = false;
};

class Err {
public:
    static void DisplayLater(int errorId, int severity, const std::string& subject, const std::string& text);
    static void DisplayInternalErrorLater(const std::string& text);
    static void DisplayInternalErrorLater(int severity, const std::string& text);
    // Hands the queued messages over and empties the queue.
    static std::vector<DisplayMessage> TakePending();
};

}  // namespace Kestrix::Tester
