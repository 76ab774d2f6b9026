#pragma once
// The tester's interactive shell: commands are sent as lines, replies read up to the prompt.
#include <memory>
#include <string>

#include <boost/optional.hpp>

#include "tester/ssh/Channel.h"
#include "tester/ssh/ShellText.h"

namespace Kestrix::Tester {

class SshShell {
public:
    // Opens a shell with a pseudo-terminal (a real tester's shell prompts only when interactive), reads the
    // banner up to the first prompt and turns terminal echo off. Throws SshError (a time-out when the
    // prompt never comes).
    SshShell(SshClient& client, const std::string& promptPattern, int timeoutMs);
    ~SshShell();

    void setTimeout(int ms);
    int timeout() const { return _timeoutMs; }

    // Throws SshError(Usage) for text holding control characters (newline, ^C, ...).
    void SendCommand(const std::string& text);
    // The output up to the next prompt (CRs, escape sequences and the echo removed); none when the prompt
    // did not come within the time-out. Throws SshError when the shell or the connection ends.
    boost::optional<std::string> ReadAll();
    // The first line of ReadAll() without its terminator.
    boost::optional<std::string> ReadLine();
    // Discards output that is already there without waiting. After a reply that timed out, the shell is
    // brought back in step first (a marker is echoed and everything up to it discarded); when that fails
    // too, the shell is unusable and SshError(Socket) is thrown.
    void Drain();
    // Asks libssh whether the shell channel and connection still stand.
    bool IsAlive();

private:
    void readUntilPrompt(int timeoutMs, bool& found);
    void resync();

    std::unique_ptr<Channel> _channel;
    PromptMatcher _prompt;
    EscapeStripper _stripper;
    std::string _text;  // clean text received since the last reply
    std::string _lastCommand;
    int _timeoutMs;
    bool _outOfStep = false;  // a reply timed out: its late output may still come
    unsigned _syncCount = 0;
};

}  // namespace Kestrix::Tester
