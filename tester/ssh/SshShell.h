#pragma once
// The tester's interactive shell: commands are sent as lines, replies read up to the prompt.
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include <boost/optional.hpp>

#include "tester/ssh/Channel.h"
#include "tester/ssh/ShellText.h"

namespace Kestrix::Tester {

class SshShell {
public:
    // Far above any real reply (a sysinfo document is a few KB), far below memory.
    static constexpr size_t kDefaultMaxReply = size_t(32) << 20;

    // Opens a shell with a pseudo-terminal (a real tester's shell prompts only when interactive), reads the
    // banner up to the first prompt and turns terminal echo off. Throws SshError (a time-out when the
    // prompt never comes).
    SshShell(SshClient& client, const std::string& promptPattern, int timeoutMs);
    ~SshShell();

    void setTimeout(int ms);
    int timeout() const { return _timeoutMs; }
    // Longest reply kept; a longer one is dropped like one that timed out.
    void setMaxReply(size_t bytes) { _maxReply = bytes > 0 ? bytes : kDefaultMaxReply; }

    // Throws SshError(Usage) for text holding control characters (newline, ^C, ...). A write that fails
    // part way leaves the shell out of step, so that the next drain() cancels the partial line.
    void sendCommand(const std::string& text);
    // The output up to the next prompt (CRs, escape sequences and the echo removed); none when the prompt
    // did not come within the time-out or the reply outgrew its cap. Throws SshError when the shell or the
    // connection ends.
    boost::optional<std::string> readAll();
    // The first line of readAll() without its terminator.
    boost::optional<std::string> readLine();
    // Discards output that is already there without waiting (within the time-out and the reply cap).
    // After a reply that timed out, the shell is brought back in step first (a marker is echoed and
    // everything up to it discarded); when that fails too, the shell is unusable and SshError(Socket) is
    // thrown.
    void drain();
    // Asks libssh whether the shell channel and connection still stand.
    bool isAlive();

private:
    using Deadline = std::chrono::steady_clock::time_point;
    // Reads until the prompt ends the text, the deadline passes or the text outgrows the cap.
    void readUntilPrompt(Deadline deadline, bool& found);
    void resync();

    std::unique_ptr<Channel> _channel;
    PromptMatcher _prompt;
    EscapeStripper _stripper;
    std::string _text;  // clean text received since the last reply
    std::string _lastCommand;
    int _timeoutMs;
    size_t _maxReply = kDefaultMaxReply;
    bool _outOfStep = false;    // a reply timed out or overflowed: more of it may still come
    bool _partialLine = false;  // a command line was written only in part
    unsigned _syncCount = 0;
};

}  // namespace Kestrix::Tester
