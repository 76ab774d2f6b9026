#pragma once
// Holds the tester's screen locked for one operation: unlocked on every way out, also when locking failed
// (the session may have come back by then) or the operation closed the connection (unlocking reconnects).
#include "tester/session/KestrixCom.h"

namespace Kestrix::Tester {

class ScreenLock {
public:
    explicit ScreenLock(KestrixCom& com) : _com(com) { _locked = _com.KestrixLockScreen(true); }
    ~ScreenLock() { _com.KestrixLockScreen(false); }
    ScreenLock(const ScreenLock&) = delete;
    ScreenLock& operator=(const ScreenLock&) = delete;
    bool locked() const { return _locked; }

private:
    KestrixCom& _com;
    bool _locked = false;
};

}  // namespace Kestrix::Tester
