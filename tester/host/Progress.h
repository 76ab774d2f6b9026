#pragma once
#include <functional>

namespace Kestrix::Tester {

// Percent of an upload (1..100), called only while an upload is reporting.
using ProgressFn = std::function<void(int percent)>;

// The host's task progress (one step per item handled). The default counts only.
class TaskManager {
public:
    virtual ~TaskManager() = default;
    virtual void IncrementProgress(int steps = 1) { _steps += steps; }
    int steps() const { return _steps; }

private:
    int _steps = 0;
};

}  // namespace Kestrix::Tester
