#pragma once
// Holds the tester's screen locked for one operation: unlocked on every way out, also when locking failed
// (the session may have come back by then) or the operation closed the connection (unlocking reconnects).
#include "tester/session/KestrixCom.h"

namespace Kestrix::Tester {

class ScreenLock {
public:
    explicit ScreenLock(KestrixCom& com) : _com(com) { _locked = _com.KestrixLockScreen(true); }
    ~ScreenLock() {
        if (!_keep) _com.KestrixLockScreen(false);
    }
    ScreenLock(const ScreenLock&) = delete;
    ScreenLock& operator=(const ScreenLock&) = delete;
    bool locked() const { return _locked; }
    // For an operation that hands the tester over locked (an update that is running): no unlock.
    void keepLocked() { _keep = true; }

private:
    KestrixCom& _com;
    bool _locked = false;
    bool _keep = false;
};

}  // namespace Kestrix::Tester
