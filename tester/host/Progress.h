#pragma once
#include <functional>

namespace Kestrix::Tester {

// Percent of an upload (1..100), called only while an upload is reporting.
using ProgressFn = std::function<void(int percent)>;

// The host's task progress (one step per item handled). The default counts; an observer set with
// setOnProgress sees the running total after each increment.
class TaskManager {
public:
    virtual ~TaskManager() = default;
    virtual void IncrementProgress(int steps = 1) {
        _steps += steps;
        if (_onProgress) _onProgress(_steps);
    }
    int steps() const { return _steps; }
    void setOnProgress(std::function<void(int steps)> fn) { _onProgress = std::move(fn); }

private:
    int _steps = 0;
    std::function<void(int steps)> _onProgress;
};

}  // namespace Kestrix::Tester
