#include "tester/host/Log.h"

#include "tester/host/Printable.h"

#include <cstdio>
#include <deque>
#include <mutex>

namespace Kestrix::Tester {
namespace {

struct OpenContext {
    std::string text;
    std::string details;
};

thread_local std::vector<OpenContext> t_contexts;

// Held while the sink runs: lines reach it one at a time (the import's writer threads log too), and once
// setSink returns the old sink is no longer running. Recursive, so a sink may log.
std::recursive_mutex& sinkMutex() {
    static std::recursive_mutex m;
    return m;
}

LogSinkFn& sink() {
    static LogSinkFn s;
    return s;
}

// Bounded so that a host that never collects its messages does not grow without end.
constexpr size_t kMaxPending = 256;

std::mutex& queueMutex() {
    static std::mutex m;
    return m;
}

std::deque<DisplayMessage>& queue() {
    static std::deque<DisplayMessage> q;
    return q;
}

std::string contextText() {
    std::string out;
    for (const auto& c : t_contexts) {
        if (!out.empty()) out += " > ";
        out += c.text;
        if (!c.details.empty()) out += " [" + c.details + "]";
    }
    return out;
}

// Log text may quote the tester (error lines, file names): no control character reaches a log or a terminal.
void emit(LogLevel level, const std::string& text) {
    LogRecord r{level, printable(contextText()), printable(text)};
    std::lock_guard<std::recursive_mutex> lock(sinkMutex());
    // A copy, so that a sink replacing itself does not destroy what runs.
    if (const LogSinkFn s = sink()) {
        s(r);
        return;
    }
    // The default keeps stderr to what a user needs: failures and queued messages.
    if (level == LogLevel::Context) return;
    std::string line = Log::formatLine(r);
    std::fprintf(stderr, "%s\n", line.c_str());
}

void enqueue(DisplayMessage m) {
    {
        std::lock_guard<std::mutex> lock(queueMutex());
        if (queue().size() >= kMaxPending) queue().pop_front();
        queue().push_back(m);
    }
    std::string text = m.internal ? "internal error: " + m.text : m.subject + ": " + m.text;
    emit(LogLevel::Message, text);
}

}  // namespace

void Log::StartContext(const std::string& text) {
    t_contexts.push_back({text, {}});
    emit(LogLevel::Context, "begin");
}

void Log::EndContext() {
    if (t_contexts.empty()) return;
    t_contexts.pop_back();
}

void Log::AddContextDetail(const std::string& value, const std::string& label) {
    if (t_contexts.empty()) return;
    auto& d = t_contexts.back().details;
    if (!d.empty()) d += ", ";
    d += label + "=" + value;
}

void Log::ErrMsg(const std::string& text) { emit(LogLevel::Error, text); }

void Log::ErrMsg(const std::string& text, const std::string& detail) {
    emit(LogLevel::Error, detail.empty() ? text : text + " (" + detail + ")");
}

void Log::ExceptionMsg(const std::exception& e, const std::string& where) {
    emit(LogLevel::Error, where + ": " + e.what());
}

LogSinkFn Log::setSink(LogSinkFn s) {
    std::lock_guard<std::recursive_mutex> lock(sinkMutex());
    LogSinkFn old = std::move(sink());
    sink() = std::move(s);
    return old;
}

std::string Log::formatLine(const LogRecord& r) {
    const char* tag = "";
    switch (r.level) {
        case LogLevel::Context: tag = "context"; break;
        case LogLevel::Detail: tag = "detail"; break;
        case LogLevel::Error: tag = "error"; break;
        case LogLevel::Message: tag = "message"; break;
    }
    std::string line = std::string("kestrix ") + tag + ": ";
    if (!r.context.empty()) line += "[" + r.context + "] ";
    return line + r.text;
}

size_t Log::depth() { return t_contexts.size(); }

std::string fillIn(const std::string& pattern, const std::string& value) {
    std::string out = pattern;
    const std::string key = "{0}";
    for (size_t pos = out.find(key); pos != std::string::npos; pos = out.find(key, pos + value.size()))
        out.replace(pos, key.size(), value);
    return out;
}

void Err::DisplayLater(int errorId, int severity, const std::string& subject, const std::string& text) {
    enqueue({errorId, severity, subject, text, false});
}

void Err::DisplayInternalErrorLater(const std::string& text) { DisplayInternalErrorLater(1, text); }

void Err::DisplayInternalErrorLater(int severity, const std::string& text) { enqueue({0, severity, {}, text, true}); }

std::vector<DisplayMessage> Err::TakePending() {
    std::lock_guard<std::mutex> lock(queueMutex());
    std::vector<DisplayMessage> out(queue().begin(), queue().end());
    queue().clear();
    return out;
}

}  // namespace Kestrix::Tester
